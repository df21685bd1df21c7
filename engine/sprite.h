// The camera-facing rectangle; the HUD sprites build on it.
#pragma once

#include "engine/scene_object.h"

class TGLSprite : public TGLSceneObject {
 public:
  explicit TGLSprite(TComponent* owner = nullptr);

  float Width() const { return width_; }
  void SetWidth(float v);
  float Height() const { return height_; }
  void SetHeight(float v);
  void SetSize(float width, float height);
  // Degrees about the view axis.
  float Rotation() const { return rotation_; }
  void SetRotation(float v);
  float AlphaChannel() const { return alpha_channel_; }
  void SetAlphaChannel(float v);
  bool NoZWrite() const { return no_z_write_; }
  void SetNoZWrite(bool v);

  void Assign(const TGLBaseSceneObject& source) override;
  // Faces the camera (engine/render_objects.cpp).
  void EmitGeometry(TGLRenderContextInfo& rci) override;

 private:
  float width_ = 1;
  float height_ = 1;
  float rotation_ = 0;
  float alpha_channel_ = 1;
  bool no_z_write_ = false;
};
