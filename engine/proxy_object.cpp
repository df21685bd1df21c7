// The proxy's master bookkeeping and its borrowed extents and ray test.
#include "engine/proxy_object.h"

TGLProxyObject::TGLProxyObject(TComponent* owner) : TGLBaseSceneObject(owner) {}

TGLProxyObject::~TGLProxyObject() { SetMasterObject(nullptr); }

void TGLProxyObject::SetMasterObject(TGLBaseSceneObject* master) {
  if (master == master_) return;
  if (master_component_) RemoveFreeNotification(master_component_);
  master_ = master;
  master_component_ = master;
  if (master_component_) FreeNotification(master_component_);
  StructureChanged();
}

void TGLProxyObject::SetProxyOptions(TGLProxyObjectOptions options) {
  if (options == options_) return;
  options_ = options;
  StructureChanged();
}

void TGLProxyObject::Notification(TComponent* component) {
  if (component && component == master_component_) {
    master_ = nullptr;
    master_component_ = nullptr;
    StructureChanged();
  }
  TGLBaseSceneObject::Notification(component);
}

TVector TGLProxyObject::HalfExtents() {
  return master_ ? master_->HalfExtents() : TGLBaseSceneObject::HalfExtents();
}

bool TGLProxyObject::RayIntersect(const TVector& rayStart, const TVector& rayVector,
                                  TVector* intersectPoint, TVector* intersectNormal) {
  if (!master_) return false;
  // The master's geometry is drawn through (master local, when asked) · our world matrix.
  TMatrix drawn = AbsoluteMatrix();
  if (options_ & pooTransformation) drawn = matrix_multiply(master_->LocalMatrix(), drawn);
  TMatrix to_geometry = matrix_invert(drawn);
  const TMatrix& master_world = master_->AbsoluteMatrix();
  TVector start = {rayStart.X, rayStart.Y, rayStart.Z, 1};
  TVector dir = {rayVector.X, rayVector.Y, rayVector.Z, 0};
  TVector master_start = vector_transform(vector_transform(start, to_geometry), master_world);
  TVector master_dir = vector_transform(vector_transform(dir, to_geometry), master_world);
  TVector point, normal;
  if (!master_->RayIntersect(master_start, master_dir, &point, &normal)) return false;
  const TMatrix& master_inverse = master_->InvAbsoluteMatrix();
  if (intersectPoint) {
    TVector p = {point.X, point.Y, point.Z, 1};
    *intersectPoint = vector_transform(vector_transform(p, master_inverse), drawn);
  }
  if (intersectNormal) {
    TVector n = {normal.X, normal.Y, normal.Z, 0};
    *intersectNormal = normalize3(vector_transform(vector_transform(n, master_inverse), drawn));
  }
  return true;
}

void TGLProxyObject::Assign(const TGLBaseSceneObject& source) {
  TGLBaseSceneObject::Assign(source);
  if (auto* other = dynamic_cast<const TGLProxyObject*>(&source)) {
    SetMasterObject(other->master_);
    SetProxyOptions(other->options_);
  }
}
