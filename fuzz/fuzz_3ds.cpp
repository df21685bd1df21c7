// Fuzzes the 3DS reader with a material library on the mesh, then sweeps the result.
#include <cstdint>
#include <vector>

#include "engine/material_library.h"
#include "engine/mesh.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TGLMaterialLibrary library;
  // Texture names come from the input: never let them reach the file system.
  library.OnTextureNeeded = [](TComponent*, std::string& name) { name.clear(); };
  TGLFreeForm mesh;
  mesh.SetMaterialLibrary(&library);
  mesh.SetAutoCentering(macCenterX | macCenterY | macCenterZ);
  try {
    mesh.LoadFromBytes("fuzz.3ds", std::vector<uint8_t>(data, data + size));
  } catch (const Exception&) {
  }
  mesh.HalfExtents();
  mesh.BuildCollisionOctree();
  mesh.SphereSweepIntersect({0, 0, 0, 1}, {1, 0, 0, 0}, 40, 3);
  mesh.SphereSweepIntersect({1, 2, 3, 1}, {0, -1, 0, 0}, 7, 14);
  return 0;
}
