// The viewer's render buffer: background, ambient light, fog and the GL switches a frame is
// drawn with, and the drawing of one frame through the scene renderer.
#pragma once

#include <cstdint>

#include "engine/coordinates.h"
#include "engine/render_context.h"

class TGLCamera;

enum TFogMode { fmLinear, fmExp, fmExp2 };
enum TFogDistance { fdDefault, fdEyeRadial, fdEyePlane };

class TGLFogEnvironment : public TGLUpdateAbleObject {
 public:
  explicit TGLFogEnvironment(IGLNotifyAble* owner)
      : TGLUpdateAbleObject(owner), fog_color_(this, clrBlack) {}
  TGLColor& FogColor() { return fog_color_; }
  float FogStart() const { return fog_start_; }
  void SetFogStart(float v);
  float FogEnd() const { return fog_end_; }
  void SetFogEnd(float v);
  TFogMode FogMode() const { return fog_mode_; }
  void SetFogMode(TFogMode v);
  TFogDistance FogDistance() const { return fog_distance_; }
  void SetFogDistance(TFogDistance v);

 private:
  TGLColor fog_color_;
  float fog_start_ = 10;
  float fog_end_ = 1000;
  TFogMode fog_mode_ = fmLinear;
  TFogDistance fog_distance_ = fdDefault;
};

class TGLSceneBuffer : public TGLUpdateAbleObject {
 public:
  explicit TGLSceneBuffer(IGLNotifyAble* owner);

  TColor BackgroundColor() const { return background_color_; }
  void SetBackgroundColor(TColor v);
  float BackgroundAlpha() const { return background_alpha_; }
  void SetBackgroundAlpha(float v);
  TGLColor& AmbientColor() { return ambient_color_; }
  bool FogEnable() const { return fog_enable_; }
  void SetFogEnable(bool v);
  TGLFogEnvironment& FogEnvironment() { return fog_environment_; }
  bool DepthTest() const { return depth_test_; }
  void SetDepthTest(bool v);
  bool FaceCulling() const { return face_culling_; }
  void SetFaceCulling(bool v);
  bool Lighting() const { return lighting_; }
  void SetLighting(bool v);

  // What the frames are drawn through and at which size (set by the viewer).
  TGLCamera* Camera() const { return camera_; }
  void SetCamera(TGLCamera* camera) { camera_ = camera; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void Resize(int width, int height);

  // Draws one frame into the current context: begin, the scene renderer, swap.
  void Render();
  uint64_t FramesRendered() const { return frames_rendered_; }

 private:
  TColor background_color_ = 0x808080;
  float background_alpha_ = 1;
  TGLColor ambient_color_;
  bool fog_enable_ = false;
  TGLFogEnvironment fog_environment_;
  bool depth_test_ = true;
  bool face_culling_ = true;
  bool lighting_ = true;
  TGLCamera* camera_ = nullptr;
  int width_ = 1;
  int height_ = 1;
  uint64_t frames_rendered_ = 0;
};
