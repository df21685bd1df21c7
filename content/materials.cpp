// The material library. The colours are the form's (ambient and diffuse of the front face,
// emission, specular); the engine's library writes the file, so it is exactly what it reads.
#include "content/materials.h"

#include "content/build.h"
#include "content/file_bmp.h"
#include "content/pictures.h"
#include "content/textures.h"
#include "engine/material_library.h"

namespace content {

const std::vector<MaterialEntry>& material_table() {
  // Defaults of a face: ambient 0.2, diffuse 0.8, no emission, no specular.
  static const std::vector<MaterialEntry> table = {
      {"m0", {0.2f, 0.2f, 0.2f}, {0.8f, 0.8f, 0.8f, 1}, {0, 0, 0}, {0, 0, 0}, rock_atlas},
      {"m1", {0, 0.9373f, 0}, {0.9059f, 0.9529f, 0, 1}, {0, 0, 0}, {0, 0, 0}, glow_atlas},
      {"m2", {0.2f, 0.2f, 0.2f}, {1, 1, 1, 1}, {0, 0.1765f, 0}, {0, 0, 0}, alien_metal},
      {"m3", {0.2f, 0.2f, 0.2f}, {0.9059f, 0.7451f, 0.3333f, 1}, {0, 0, 0}, {0, 0, 0}, chitin},
      {"m4", {0.2f, 0.2f, 0.2f}, {0.8824f, 0.9451f, 0.9294f, 1}, {0, 0, 0}, {0, 0, 0}, lair_rock},
      {"m5",
       {0.102f, 0.08627f, 0.04706f},
       {0.9922f, 0.9451f, 0.9608f, 1},
       {0, 0, 0},
       {0, 0, 0},
       fish_scales},
      {"m6", {0.2f, 0.2f, 0.2f}, {0.7373f, 0.9608f, 0.9451f, 1}, {0, 0, 0}, {0, 0, 0}, sea_skin},
      {"m7",
       {0.2f, 0.2f, 0.2f},
       {0.9294f, 0.898f, 0.8f, 1},
       {0, 0.1843f, 0},
       {0, 0, 0},
       martian_skin},
      // The menu's preview pictures: near white, ambient too (the menu is lit by ambient light
      // only), so the pictures show as painted.
      {"m8",
       {0.98f, 0.98f, 0.96f},
       {0.98f, 0.98f, 0.96f, 1},
       {0, 0, 0},
       {0, 0, 0},
       [] { return level_picture(1); }},
      {"m9",
       {0.97f, 0.98f, 0.98f},
       {0.97f, 0.98f, 0.98f, 1},
       {0, 0, 0},
       {0, 0, 0},
       [] { return level_picture(2); }},
      {"m10",
       {0.98f, 0.97f, 0.96f},
       {0.98f, 0.97f, 0.96f, 1},
       {0, 0, 0},
       {0, 0, 0},
       [] { return level_picture(3); }},
      {"m11",
       {0.96f, 0.97f, 0.98f},
       {0.96f, 0.97f, 0.98f, 1},
       {0, 0, 0},
       {0, 0, 0},
       [] { return level_picture(4); }},
      {"m12",
       {0.97f, 0.97f, 0.97f},
       {0.97f, 0.97f, 0.97f, 1},
       {0, 0, 0},
       {0, 0, 0},
       [] { return level_picture(5); }},
      {"m13",
       {0.98f, 0.96f, 0.98f},
       {0.98f, 0.96f, 0.98f, 1},
       {0, 0, 0},
       {0, 0, 0},
       [] { return level_picture(6); }},
      {"m14", {0.98f, 0.98f, 0.98f}, {0.98f, 0.98f, 0.98f, 1}, {0, 0, 0}, {0, 0, 0}, settings_picture},
  };
  return table;
}

Bytes make_material_library() {
  TGLMaterialLibrary lib;
  for (const MaterialEntry& e : material_table()) {
    TGLLibMaterial& item = lib.Materials().Add();
    item.SetName(e.name);
    TGLFaceProperties& front = item.Material().FrontProperties();
    front.Ambient().SetColor(e.ambient[0], e.ambient[1], e.ambient[2], 1);
    front.Diffuse().SetColor(e.diffuse[0], e.diffuse[1], e.diffuse[2], e.diffuse[3]);
    front.Emission().SetColor(e.emission[0], e.emission[1], e.emission[2], 1);
    front.Specular().SetColor(e.specular[0], e.specular[1], e.specular[2], 1);
    TGLTexture& tex = item.Material().Texture();
    tex.Image().LoadFromBitmap(write_bmp(e.texture()));
    tex.SetDisabled(false);
  }
  return lib.SaveToBytes();
}

void add_material_products(std::vector<Product>& out) {
  out.push_back({"data/data.mat", make_material_library, 20});
}

}  // namespace content
