// The pictures and wave clips stored with the main form, compiled into the program from the
// content generator's form/ folder and looked up by the name the form gives them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The bytes of the stored asset `name` ("lod", "menustart", "wave03"): a whole picture or RIFF
// WAVE file. A name the program was built without fails with
// Exception("Stored asset \"name\" is missing") instead of handing out nothing.
const std::vector<uint8_t>& storedAsset(const std::string& name);
bool hasStoredAsset(const std::string& name);
// Every stored name, in the generator's order.
std::vector<std::string> storedAssetNames();

// One compiled-in file (the generated table in the build tree lists them).
struct StoredAssetBlob {
  const char* name;
  const char* file;
  const unsigned char* begin;
  const unsigned char* end;
};
// The generated table: kStoredAssetCount entries.
extern const StoredAssetBlob kStoredAssets[];
extern const size_t kStoredAssetCount;
