// The render buffer's settings and its frame.
#include "engine/scene_buffer.h"

#include "engine/camera.h"
#include "engine/scene_renderer.h"
#include "platform/platform.h"

void TGLFogEnvironment::SetFogStart(float v) {
  if (v == fog_start_) return;
  fog_start_ = v;
  NotifyChange(this);
}

void TGLFogEnvironment::SetFogEnd(float v) {
  if (v == fog_end_) return;
  fog_end_ = v;
  NotifyChange(this);
}

void TGLFogEnvironment::SetFogMode(TFogMode v) {
  if (v == fog_mode_) return;
  fog_mode_ = v;
  NotifyChange(this);
}

void TGLFogEnvironment::SetFogDistance(TFogDistance v) {
  if (v == fog_distance_) return;
  fog_distance_ = v;
  NotifyChange(this);
}

TGLSceneBuffer::TGLSceneBuffer(IGLNotifyAble* owner)
    : TGLUpdateAbleObject(owner), ambient_color_(this, clrGray20), fog_environment_(this) {}

void TGLSceneBuffer::SetBackgroundColor(TColor v) {
  if (v == background_color_) return;
  background_color_ = v;
  NotifyChange(this);
}

void TGLSceneBuffer::SetBackgroundAlpha(float v) {
  if (v == background_alpha_) return;
  background_alpha_ = v;
  NotifyChange(this);
}

void TGLSceneBuffer::SetFogEnable(bool v) {
  if (v == fog_enable_) return;
  fog_enable_ = v;
  NotifyChange(this);
}

void TGLSceneBuffer::SetDepthTest(bool v) {
  if (v == depth_test_) return;
  depth_test_ = v;
  NotifyChange(this);
}

void TGLSceneBuffer::SetFaceCulling(bool v) {
  if (v == face_culling_) return;
  face_culling_ = v;
  NotifyChange(this);
}

void TGLSceneBuffer::SetLighting(bool v) {
  if (v == lighting_) return;
  lighting_ = v;
  NotifyChange(this);
}

void TGLSceneBuffer::Resize(int width, int height) {
  width_ = width < 1 ? 1 : width;
  height_ = height < 1 ? 1 : height;
}

void TGLSceneBuffer::Render() {
  platform::begin_frame();
  TGLRenderContextInfo rci;
  rci.camera = camera_;
  rci.scene = camera_ ? camera_->Scene() : nullptr;
  rci.viewPortWidth = width_;
  rci.viewPortHeight = height_;
  rci.dpi = platform::display_dpi();
  RenderScene(*this, rci);
  platform::swap_buffers();
  ++frames_rendered_;
}
