// The light's property setters.
#include "engine/light_source.h"

TGLLightSource::TGLLightSource(TComponent* owner)
    : TGLBaseSceneObject(owner),
      ambient_(this, clrBlack),
      diffuse_(this, clrWhite),
      specular_(this, clrBlack),
      spot_direction_(this, csVector, {0, 0, -1, 0}) {}

void TGLLightSource::SetConstAttenuation(float v) {
  if (v == const_attenuation_) return;
  const_attenuation_ = v;
  StructureChanged();
}

void TGLLightSource::SetLinearAttenuation(float v) {
  if (v == linear_attenuation_) return;
  linear_attenuation_ = v;
  StructureChanged();
}

void TGLLightSource::SetQuadraticAttenuation(float v) {
  if (v == quadratic_attenuation_) return;
  quadratic_attenuation_ = v;
  StructureChanged();
}

void TGLLightSource::SetLightStyle(TLightStyle v) {
  if (v == light_style_) return;
  light_style_ = v;
  StructureChanged();
}

void TGLLightSource::SetShining(bool v) {
  if (v == shining_) return;
  shining_ = v;
  StructureChanged();
}

void TGLLightSource::SetSpotCutOff(float v) {
  if (v == spot_cut_off_) return;
  spot_cut_off_ = v;
  StructureChanged();
}

void TGLLightSource::SetSpotExponent(float v) {
  if (v == spot_exponent_) return;
  spot_exponent_ = v;
  StructureChanged();
}
