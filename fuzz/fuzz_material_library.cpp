// Fuzzes the material library file, the writer on what was read, and the collision behaviour's
// form data on the same bytes.
#include <cstdint>
#include <vector>

#include "engine/collision.h"
#include "engine/material_library.h"
#include "engine/scene_object.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  TGLMaterialLibrary library;
  try {
    library.LoadFromBytes(bytes);
  } catch (const Exception&) {
  }
  for (int32_t i = 0; i < library.Materials().Count(); ++i)
    if (const TGLTexture* t = library.Materials()[i].Material().TextureIfCreated())
      t->PreparedTexels();
  TGLMaterialLibrary again;
  again.LoadFromBytes(library.SaveToBytes());  // what we write, we read

  TGLBaseSceneObject object;
  TGLBCollision& behaviour = object.Behaviours().Add<TGLBCollision>();
  ByteReader reader(bytes);
  try {
    behaviour.ReadFromFiler(reader);
  } catch (const Exception&) {
  }
  return 0;
}
