// The invisible grouping cube: a size for the bounding tests, drawn only as a wire frame
// when asked to be visible at run time.
#pragma once

#include "engine/scene_object.h"

class TGLDummyCube : public TGLImmaterialSceneObject {
 public:
  explicit TGLDummyCube(TComponent* owner = nullptr);

  float CubeSize() const { return cube_size_; }
  void SetCubeSize(float v);
  TGLColor& EdgeColor() { return edge_color_; }
  bool VisibleAtRunTime() const { return visible_at_run_time_; }
  void SetVisibleAtRunTime(bool v);
  bool Amalgamate() const { return amalgamate_; }
  void SetAmalgamate(bool v);

  // |CubeSize| / 2 on each axis.
  TVector HalfExtents() override;
  void Assign(const TGLBaseSceneObject& source) override;
  // The wire frame when VisibleAtRunTime (engine/render_objects.cpp).
  void EmitGeometry(TGLRenderContextInfo& rci) override;

 private:
  float cube_size_ = 1;
  TGLColor edge_color_;
  bool visible_at_run_time_ = false;
  bool amalgamate_ = false;
};
