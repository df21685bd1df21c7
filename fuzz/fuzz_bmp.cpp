// Fuzzes the bitmap reader through a texture picture, and prepares its texels.
#include <cstdint>
#include <vector>

#include "engine/material.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TGLMaterial material(nullptr);
  TGLTexture& texture = material.Texture();
  try {
    texture.Image().LoadFromBitmap(std::vector<uint8_t>(data, data + size));
  } catch (const Exception&) {
    return 0;
  }
  texture.SetImageAlpha(size % 2 ? tiaTopLeftPointColorTransparent : tiaSuperBlackTransparent);
  texture.SetImageGamma(1.5f);
  texture.PreparedTexels();
  texture.Image().SaveToBitmap();
  return 0;
}
