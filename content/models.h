// The meshes of the fixed objects and of the levels' enemies and scenery, each a function that
// builds it; the files "modely\NAME.3ds" are written from them.
#pragma once

#include <string>
#include <vector>

#include "content/bytes.h"
#include "content/mesh.h"

namespace content {

struct Model {
  std::string name;  // file name without ".3ds"
  Mesh (*make)();
};
const std::vector<Model>& models();
Mesh make_model(const std::string& name);

// The actors' SMD files ("klep1", "celisti", "chapadla", "ryba", "pavouk", "martan"): the
// model and its animation; false for another name.
bool make_actor(const std::string& name, Bytes& model, Bytes& anim);

}  // namespace content
