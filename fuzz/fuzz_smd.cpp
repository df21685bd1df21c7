// Fuzzes the SMD reader as a model, then the same bytes as an animation of it, and poses it.
#include <cstdint>
#include <vector>

#include "engine/actor.h"
#include "engine/material_library.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  TGLMaterialLibrary library;
  library.OnTextureNeeded = [](TComponent*, std::string& name) { name.clear(); };
  TGLActor actor;
  actor.SetMaterialLibrary(&library);
  actor.SetAutoCentering(macCenterX | macUseBarycenter);
  try {
    actor.LoadFromBytes("fuzz.smd", bytes);
  } catch (const Exception&) {
  }
  try {
    actor.AppendFromBytes("fuzz_anim.smd", bytes);
  } catch (const Exception&) {
  }
  actor.SelectAnimation("fuzz_anim", false);
  actor.SetAnimationMode(aamBounceForward);
  actor.SetInterval(100);
  std::vector<TAffineVector> positions, normals;
  for (int i = 0; i < 4; ++i) {
    actor.Progress(TProgressTimes{0.137, 0});
    for (size_t o = 0; o < actor.MeshObjects().size(); ++o)
      actor.CurrentPose(o, positions, &normals);
  }
  return 0;
}
