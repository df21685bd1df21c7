// The dummy cube's properties and extents.
#include "engine/dummy_cube.h"

#include <cmath>

TGLDummyCube::TGLDummyCube(TComponent* owner)
    : TGLImmaterialSceneObject(owner), edge_color_(this, clrWhite) {}

void TGLDummyCube::SetCubeSize(float v) {
  if (v == cube_size_) return;
  cube_size_ = v;
  StructureChanged();
}

void TGLDummyCube::SetVisibleAtRunTime(bool v) {
  if (v == visible_at_run_time_) return;
  visible_at_run_time_ = v;
  StructureChanged();
}

void TGLDummyCube::SetAmalgamate(bool v) {
  if (v == amalgamate_) return;
  amalgamate_ = v;
  StructureChanged();
}

TVector TGLDummyCube::HalfExtents() {
  float h = std::fabs(cube_size_) * 0.5f;
  return {h, h, h, 0};
}

void TGLDummyCube::Assign(const TGLBaseSceneObject& source) {
  TGLImmaterialSceneObject::Assign(source);
  if (auto* other = dynamic_cast<const TGLDummyCube*>(&source)) {
    SetCubeSize(other->cube_size_);
    edge_color_.Assign(other->edge_color_);
    SetVisibleAtRunTime(other->visible_at_run_time_);
    SetAmalgamate(other->amalgamate_);
  }
}
