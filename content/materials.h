// The material library "data\data.mat": fifteen materials m0..m14 in that order, their colours
// as the form's library declares them, and the texture each one wears.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "content/bytes.h"
#include "content/image.h"

namespace content {

struct MaterialEntry {
  std::string name;
  float ambient[3];
  float diffuse[4];
  float emission[3];
  float specular[3];
  std::function<Image()> texture;
};

const std::vector<MaterialEntry>& material_table();
// The library file, written by the engine's own library writer.
Bytes make_material_library();

}  // namespace content
