// The material of a scene object. A placeholder the material library replaces with the full
// model; scene objects only create, own and hand it out.
#pragma once

#include "engine/coordinates.h"

class TGLMaterial : public TGLUpdateAbleObject {
 public:
  explicit TGLMaterial(IGLNotifyAble* owner);
  ~TGLMaterial() override;
};
