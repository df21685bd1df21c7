// The camera: its lens properties, the projection numbers a viewer of W x H pixels gets from
// them, and where it looks from and to.
#pragma once

#include "engine/scene_object.h"

enum TGLCameraStyle { csPerspective, csOrthogonal, csOrtho2D, csCustom, csInfinitePerspective };

// The perspective frustum: near and far distance, and the extents at the near plane.
struct TGLCameraProjection {
  double nearPlane = 0;
  double farPlane = 0;
  double left = 0, right = 0, bottom = 0, top = 0;
};

// Where the view looks from and to, in scene space, and its up direction.
struct TGLCameraView {
  TVector eye = {0, 0, 0, 1};
  TVector center = {0, 0, -1, 1};
  TVector up = {0, 1, 0, 0};
};

class TGLCamera : public TGLBaseSceneObject {
 public:
  explicit TGLCamera(TComponent* owner = nullptr);
  ~TGLCamera() override;

  float FocalLength() const { return focal_length_; }
  void SetFocalLength(float v);
  float DepthOfView() const { return depth_of_view_; }
  void SetDepthOfView(float v);
  float NearPlaneBias() const { return near_plane_bias_; }
  void SetNearPlaneBias(float v);
  float SceneScale() const { return scene_scale_; }
  void SetSceneScale(float v);
  TGLCameraStyle CameraStyle() const { return camera_style_; }
  void SetCameraStyle(TGLCameraStyle v);
  TGLBaseSceneObject* TargetObject() const { return target_; }
  void SetTargetObject(TGLBaseSceneObject* target);

  // Near N = 2·FocalLength·dpi·NearPlaneBias / (25.4·max(W, H)), far = N + DepthOfView,
  // extents ±W·NearPlaneBias / (2·max(W, H)·SceneScale) across, the same with H up.
  TGLCameraProjection Projection(int width, int height, float dpi) const;
  // From the world position; at the target with our Up as given, or along Direction and Up
  // carried through the parent's world matrix.
  TGLCameraView View();

  void Assign(const TGLBaseSceneObject& source) override;

 protected:
  void Notification(TComponent* component) override;

 private:
  float focal_length_ = 50;
  float depth_of_view_ = 100;
  float near_plane_bias_ = 1;
  float scene_scale_ = 1;
  TGLCameraStyle camera_style_ = csPerspective;
  TGLBaseSceneObject* target_ = nullptr;
  TComponent* target_component_ = nullptr;  // compared while the target is being freed
};
