// The lookup of the form's stored assets over the table the build generates.
#include "game/form/stored_assets.h"

#include <map>

#include "platform/error.h"

namespace {

// Each asset becomes a vector the first time it is asked for and lives until the process ends,
// so the references handed out stay valid.
std::map<std::string, std::vector<uint8_t>>& loaded() {
  static std::map<std::string, std::vector<uint8_t>> assets;
  return assets;
}

const StoredAssetBlob* find_blob(const std::string& name) {
  for (size_t i = 0; i < kStoredAssetCount; ++i)
    if (name == kStoredAssets[i].name) return &kStoredAssets[i];
  return nullptr;
}

}  // namespace

const std::vector<uint8_t>& storedAsset(const std::string& name) {
  auto& assets = loaded();
  auto it = assets.find(name);
  if (it != assets.end()) return it->second;
  const StoredAssetBlob* blob = find_blob(name);
  if (!blob) throw Exception("Stored asset \"" + name + "\" is missing");
  return assets.emplace(name, std::vector<uint8_t>(blob->begin, blob->end)).first->second;
}

bool hasStoredAsset(const std::string& name) { return find_blob(name) != nullptr; }

std::vector<std::string> storedAssetNames() {
  std::vector<std::string> names;
  for (size_t i = 0; i < kStoredAssetCount; ++i) names.emplace_back(kStoredAssets[i].name);
  return names;
}
