// The light: colours, attenuation and spot settings, lighting the scene from its world place.
#pragma once

#include "engine/scene_object.h"

enum TLightStyle { lsSpot, lsOmni, lsParallel };

class TGLLightSource : public TGLBaseSceneObject {
 public:
  explicit TGLLightSource(TComponent* owner = nullptr);

  TGLColor& Ambient() { return ambient_; }
  TGLColor& Diffuse() { return diffuse_; }
  TGLColor& Specular() { return specular_; }
  float ConstAttenuation() const { return const_attenuation_; }
  void SetConstAttenuation(float v);
  float LinearAttenuation() const { return linear_attenuation_; }
  void SetLinearAttenuation(float v);
  float QuadraticAttenuation() const { return quadratic_attenuation_; }
  void SetQuadraticAttenuation(float v);
  TLightStyle LightStyle() const { return light_style_; }
  void SetLightStyle(TLightStyle v);
  bool Shining() const { return shining_; }
  void SetShining(bool v);
  float SpotCutOff() const { return spot_cut_off_; }
  void SetSpotCutOff(float v);
  TGLCoordinates& SpotDirection() { return spot_direction_; }
  float SpotExponent() const { return spot_exponent_; }
  void SetSpotExponent(float v);

 private:
  TGLColor ambient_;
  TGLColor diffuse_;
  TGLColor specular_;
  float const_attenuation_ = 1;
  float linear_attenuation_ = 0;
  float quadratic_attenuation_ = 0;
  TLightStyle light_style_ = lsSpot;
  bool shining_ = true;
  float spot_cut_off_ = 180;
  TGLCoordinates spot_direction_;
  float spot_exponent_ = 0;
};
