// The material library file ("data\data.mat"): tagged values, embedded bitmaps, raw colours;
// and the materials made for mesh files from a texture file name.
#include "engine/material_library.h"
#include "engine/stream.h"
#include "platform/error.h"
#include "platform/platform.h"

void TGLMaterialLibrary::LoadFromFile(const std::string& file_name) {
  LoadFromBytes(platform::read_file(file_name));
}

void TGLMaterialLibrary::SaveToFile(const std::string& file_name) const {
  std::vector<uint8_t> bytes = SaveToBytes();
  platform::write_file_atomic(file_name, std::string(bytes.begin(), bytes.end()));
}

namespace {

// The colour fields the file carries, raw: ambient and emission and specular without alpha.
void read_rgb(ByteReader& r, TGLColor& c) {
  float red = r.read_f32(), green = r.read_f32(), blue = r.read_f32();
  c.SetColor(red, green, blue, c.Alpha());
}

void read_rgba(ByteReader& r, TGLColor& c) {
  float red = r.read_f32(), green = r.read_f32(), blue = r.read_f32(), alpha = r.read_f32();
  c.SetColor(red, green, blue, alpha);
}

void write_rgb(ByteWriter& w, const TGLColor& c) {
  w.write_f32(c.Red());
  w.write_f32(c.Green());
  w.write_f32(c.Blue());
}

}  // namespace

void TGLMaterialLibrary::LoadFromBytes(const std::vector<uint8_t>& data) {
  ByteReader r(data);
  // 1. The version is checked before anything is removed.
  int32_t version = read_tagged_integer(r);
  if (version != 0)
    throw Exception("TGLMaterialLibrary : unknown archive version " + std::to_string(version));
  // 2. Out with the old materials.
  materials_.Clear();
  // 3.–4. Each material as it comes; a failure keeps the ones read so far.
  int32_t count = read_tagged_integer(r);
  for (int32_t i = 0; i < count; ++i) {
    // Name, flag and bitmap come first: a material whose bitmap is cut short or does not
    // decode is not added at all, while the ones before it stay.
    std::string name = read_tagged_string(r);
    bool textured = read_tagged_boolean(r);
    std::string bmp = textured ? read_tagged_string(r) : std::string();
    TGLLibMaterial& item = materials_.Add();
    item.SetName(name);
    TGLMaterial& m = item.Material();
    if (textured) {
      TGLTexture& t = m.Texture();
      t.SetMinFilter(miLinearMipmapLinear);
      t.SetMagFilter(maLinear);
      t.SetTextureMode(tmModulate);
      t.SetDisabled(false);
      try {
        t.Image().LoadFromBitmap(std::vector<uint8_t>(bmp.begin(), bmp.end()));
      } catch (...) {
        materials_.Delete(materials_.Count() - 1);
        throw;
      }
    }
    TGLFaceProperties& front = m.FrontProperties();
    read_rgb(r, front.Ambient());
    read_rgba(r, front.Diffuse());
    read_rgb(r, front.Emission());
    read_rgb(r, front.Specular());
  }
}

std::vector<uint8_t> TGLMaterialLibrary::SaveToBytes() const {
  ByteWriter w;
  write_tagged_integer(w, 0);
  write_tagged_integer(w, materials_.Count());
  for (int32_t i = 0; i < materials_.Count(); ++i) {
    const TGLLibMaterial& item = materials_[i];
    const TGLMaterial& m = item.Material();
    write_tagged_string(w, item.Name());
    const TGLTexture* t = m.TextureIfCreated();
    bool textured = t && t->Enabled() && !t->Image().Empty();
    write_tagged_boolean(w, textured);
    if (textured) {
      std::vector<uint8_t> bmp = t->Image().SaveToBitmap();
      write_tagged_string(w, std::string(bmp.begin(), bmp.end()));
    }
    const TGLFaceProperties& front = m.FrontProperties();
    write_rgb(w, front.Ambient());
    write_rgb(w, front.Diffuse());
    w.write_f32(front.Diffuse().Alpha());
    write_rgb(w, front.Emission());
    write_rgb(w, front.Specular());
  }
  return w.data();
}

TGLLibMaterial& TGLMaterialLibrary::AddTextureMaterial(const std::string& name,
                                                       const std::string& file_name) {
  TGLLibMaterial& item = materials_.Add();
  item.SetName(name);
  std::string file = file_name;
  if (OnTextureNeeded) OnTextureNeeded(this, file);
  if (file.empty()) return item;
  std::vector<std::string> candidates{file};
  size_t start = 0;
  while (start <= texture_paths_.size()) {
    size_t end = texture_paths_.find(';', start);
    if (end == std::string::npos) end = texture_paths_.size();
    std::string folder = texture_paths_.substr(start, end - start);
    if (!folder.empty()) {
      char last = folder.back();
      candidates.push_back(folder + (last == '\\' || last == '/' ? "" : "\\") + file);
    }
    start = end + 1;
  }
  for (const std::string& c : candidates) {
    if (!platform::file_exists(c)) continue;
    TGLTexture& t = item.Material().Texture();
    try {
      t.Image().LoadFromFile(c);
    } catch (const Exception&) {
      continue;  // an unreadable picture leaves the material untextured, like a missing one
    }
    t.SetDisabled(false);
    break;
  }
  return item;
}
