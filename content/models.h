// The meshes of the fixed objects and of the levels' enemies and scenery, each a function that
// builds it; the files "modely\NAME.3ds" are written from them.
#pragma once

#include <string>
#include <vector>

#include "content/mesh.h"

namespace content {

struct Model {
  std::string name;  // file name without ".3ds"
  Mesh (*make)();
};
const std::vector<Model>& models();
Mesh make_model(const std::string& name);

}  // namespace content
