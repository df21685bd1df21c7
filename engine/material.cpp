// The placeholder material's out-of-line members.
#include "engine/material.h"

TGLMaterial::TGLMaterial(IGLNotifyAble* owner) : TGLUpdateAbleObject(owner) {}

TGLMaterial::~TGLMaterial() = default;
