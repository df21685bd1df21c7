// The camera's properties, projection numbers and view vectors.
#include "engine/camera.h"

#include <algorithm>

TGLCamera::TGLCamera(TComponent* owner) : TGLBaseSceneObject(owner) {
  // A new camera looks down -Z; the handler keeps Up perpendicular.
  Direction().SetVector(0, 0, -1);
}

TGLCamera::~TGLCamera() { SetTargetObject(nullptr); }

void TGLCamera::SetFocalLength(float v) {
  if (v == focal_length_) return;
  focal_length_ = v;
  StructureChanged();
}

void TGLCamera::SetDepthOfView(float v) {
  if (v == depth_of_view_) return;
  depth_of_view_ = v;
  StructureChanged();
}

void TGLCamera::SetNearPlaneBias(float v) {
  if (v == near_plane_bias_) return;
  near_plane_bias_ = v;
  StructureChanged();
}

void TGLCamera::SetSceneScale(float v) {
  if (v == scene_scale_) return;
  scene_scale_ = v;
  StructureChanged();
}

void TGLCamera::SetCameraStyle(TGLCameraStyle v) {
  if (v == camera_style_) return;
  camera_style_ = v;
  StructureChanged();
}

void TGLCamera::SetTargetObject(TGLBaseSceneObject* target) {
  if (target == target_) return;
  if (target_component_) RemoveFreeNotification(target_component_);
  target_ = target;
  target_component_ = target;
  if (target_component_) FreeNotification(target_component_);
  StructureChanged();
}

void TGLCamera::Notification(TComponent* component) {
  if (component && component == target_component_) {
    target_ = nullptr;
    target_component_ = nullptr;
    StructureChanged();
  }
  TGLBaseSceneObject::Notification(component);
}

TGLCameraProjection TGLCamera::Projection(int width, int height, float dpi) const {
  TGLCameraProjection p;
  double max_dim = std::max(1, std::max(width, height));
  p.nearPlane = 2.0 * focal_length_ * dpi * near_plane_bias_ / (25.4 * max_dim);
  p.farPlane = p.nearPlane + depth_of_view_;
  double c = near_plane_bias_ / (2.0 * max_dim * scene_scale_);
  p.right = width * c;
  p.left = -p.right;
  p.top = height * c;
  p.bottom = -p.top;
  return p;
}

TGLCameraView TGLCamera::View() {
  TGLCameraView v;
  v.eye = WorldPosition();
  if (target_) {
    v.center = target_->WorldPosition();
    v.up = Up().AsVector();
    return v;
  }
  TVector d = Direction().AsVector();
  TVector u = Up().AsVector();
  if (TGLBaseSceneObject* p = Parent(); p && p->Parent()) {
    d = vector_transform(d, p->AbsoluteMatrix());
    u = vector_transform(u, p->AbsoluteMatrix());
  }
  v.center = {v.eye.X + d.X, v.eye.Y + d.Y, v.eye.Z + d.Z, 1};
  v.up = {u.X, u.Y, u.Z, 0};
  return v;
}

void TGLCamera::Assign(const TGLBaseSceneObject& source) {
  TGLBaseSceneObject::Assign(source);
  if (auto* other = dynamic_cast<const TGLCamera*>(&source)) {
    SetFocalLength(other->focal_length_);
    SetDepthOfView(other->depth_of_view_);
    SetNearPlaneBias(other->near_plane_bias_);
    SetSceneScale(other->scene_scale_);
    SetCameraStyle(other->camera_style_);
    SetTargetObject(other->target_);
  }
}
