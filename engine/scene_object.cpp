// The scene tree's transformation rules: the coordinate handler, invalidation, the lazily
// built matrices, the relative and absolute rotations and the per-frame progress.
#include "engine/scene_object.h"

#include <algorithm>
#include <cmath>

#include "engine/material.h"

float NormalizeDegAngle(float angle) {
  double a = angle;
  double r = a - std::trunc(a / 360.0) * 360.0;
  if (r > 180)
    r -= 360;
  else if (r < -180)
    r += 360;
  return static_cast<float>(r);
}

// ---------------------------------------------------------------------------------------------
// TGLScene

TGLScene::TGLScene(TComponent* owner)
    : TGLUpdateAbleComponent(owner),
      objects_(std::make_unique<TGLSceneRootObject>(this, "ObjectRoot")),
      cameras_(std::make_unique<TGLSceneRootObject>(this, "CameraRoot")) {}

TGLScene::~TGLScene() {
  // Children placed by the form outlive the roots; the roots let go of them (and of us) first.
  listeners_.clear();
  cameras_.reset();
  objects_.reset();
}

void TGLScene::SetObjectsSorting(TGLObjectsSorting v) {
  if (v == objects_sorting_) return;
  objects_sorting_ = v;
  NotifyChange(this);
}

void TGLScene::SetVisibilityCulling(TGLVisibilityCulling v) {
  if (v == visibility_culling_) return;
  visibility_culling_ = v;
  NotifyChange(this);
}

void TGLScene::Progress(const TProgressTimes& times) {
  objects_->Progress(times);
  cameras_->Progress(times);
  if (OnProgress) OnProgress(this, times.deltaTime, times.newTime);
}

void TGLScene::NotifyChange(IGLNotifyAble* /*sender*/) {
  ++change_count_;
  // A listener may remove itself while being told.
  auto listeners = listeners_;
  for (auto& entry : listeners)
    if (entry.second) entry.second();
}

void TGLScene::AddChangeListener(const void* key, std::function<void()> listener) {
  RemoveChangeListener(key);
  listeners_.emplace_back(key, std::move(listener));
}

void TGLScene::RemoveChangeListener(const void* key) {
  listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(),
                                  [&](const auto& e) { return e.first == key; }),
                   listeners_.end());
}

// ---------------------------------------------------------------------------------------------
// TGLBaseSceneObject: construction and the tree

TGLBaseSceneObject::TGLBaseSceneObject(TComponent* owner)
    : TGLUpdateAbleComponent(owner),
      position_(this, csPoint, {0, 0, 0, 1}),
      direction_(this, csVector, {0, 0, 1, 0}),
      up_(this, csVector, {0, 1, 0, 0}),
      scale_(this, csVector, {1, 1, 1, 0}),
      rotation_(this, csVector, {0, 0, 0, 0}),
      behaviours_(this),
      effects_(this) {}

TGLBaseSceneObject::~TGLBaseSceneObject() {
  effects_.Clear();
  behaviours_.Clear();
  // Children owned elsewhere (the form) outlive us: they are left without parent and scene.
  for (TGLBaseSceneObject* child : children_) {
    child->parent_ = nullptr;
    child->set_scene(nullptr);
  }
  children_.clear();
  if (parent_) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    if (scene_) scene_->NotifyChange(parent_);
  }
}

int TGLBaseSceneObject::IndexOfChild(const TGLBaseSceneObject* child) const {
  auto it = std::find(children_.begin(), children_.end(), child);
  return it == children_.end() ? -1 : static_cast<int>(it - children_.begin());
}

void TGLBaseSceneObject::AddChild(TGLBaseSceneObject* child) {
  if (!child || child == this) return;
  if (child->parent_) child->parent_->Remove(child);
  children_.push_back(child);
  child->parent_ = this;
  child->set_scene(scene_);
  child->invalidate_world();
  if (!Loading() && scene_) scene_->NotifyChange(this);
}

void TGLBaseSceneObject::Remove(TGLBaseSceneObject* child) {
  auto it = std::find(children_.begin(), children_.end(), child);
  if (it == children_.end()) return;
  children_.erase(it);
  child->parent_ = nullptr;
  child->set_scene(nullptr);
  child->invalidate_world();
  if (!Loading() && scene_) scene_->NotifyChange(this);
}

void TGLBaseSceneObject::set_scene(TGLScene* scene) {
  scene_ = scene;
  for (TGLBaseSceneObject* child : children_) child->set_scene(scene);
}

void TGLBaseSceneObject::Loaded() {
  behaviours_.Loaded();
  effects_.Loaded();
}

// ---------------------------------------------------------------------------------------------
// Change handling

void TGLBaseSceneObject::OnCoordinateChange(TGLCoordinates* sender) {
  if (calculating_) return;
  // Coordinates of a subclass (a light's spot direction) are not part of the transformation.
  if (sender != &position_ && sender != &direction_ && sender != &up_ && sender != &scale_ &&
      sender != &rotation_) {
    StructureChanged();
    return;
  }
  calculating_ = true;
  // Right = Direction × Up; when the two are parallel, fall back to Z, then X, crossed with Up.
  auto right_of = [](const TVector& d, const TVector& u) {
    TVector right = cross3(d, u);
    if (length3(right) < 1e-5f) {
      right = cross3(TVector{0, 0, 1, 0}, u);
      if (length3(right) < 1e-5f) right = cross3(TVector{1, 0, 0, 0}, u);
    }
    return right;
  };
  if (sender == &direction_) {
    TVector d = direction_.AsVector();
    if (length3(d) == 0) d = {0, 0, 1, 0};
    d = normalize3(d);
    TVector u = up_.AsVector();
    TVector right = right_of(d, u);
    direction_.SetDirect(d);
    up_.SetDirect(normalize3(cross3(right, d)));
  } else if (sender == &up_) {
    TVector u = up_.AsVector();
    if (length3(u) == 0) u = {0, 1, 0, 0};
    u = normalize3(u);
    TVector d = direction_.AsVector();
    TVector right = right_of(d, u);
    up_.SetDirect(u);
    direction_.SetDirect(normalize3(cross3(u, right)));
  }
  calculating_ = false;
  TransformationChanged();
}

void TGLBaseSceneObject::TransformationChanged() {
  // Already out of date: everything below is marked too, and the scene has been told.
  if (local_dirty_) return;
  local_dirty_ = true;
  invalidate_world();
  if (!Loading() && scene_) scene_->NotifyChange(this);
}

void TGLBaseSceneObject::invalidate_world() {
  world_dirty_ = true;
  inverse_dirty_ = true;
  for (TGLBaseSceneObject* child : children_)
    if (!child->world_dirty_) child->invalidate_world();
}

void TGLBaseSceneObject::StructureChanged() {
  structure_changed_ = true;
  if (!Loading() && scene_) scene_->NotifyChange(this);
}

void TGLBaseSceneObject::NotifyChange(IGLNotifyAble* /*sender*/) { StructureChanged(); }

// ---------------------------------------------------------------------------------------------
// Matrices

void TGLBaseSceneObject::rebuild_local_matrix() {
  const TVector& d = direction_.AsVector();
  const TVector& u = up_.AsVector();
  const TVector& s = scale_.AsVector();
  TVector right = cross3(u, d);
  local_matrix_[0] = {right.X * s.X, right.Y * s.X, right.Z * s.X, 0};
  local_matrix_[1] = {u.X * s.Y, u.Y * s.Y, u.Z * s.Y, 0};
  local_matrix_[2] = {d.X * s.Z, d.Y * s.Z, d.Z * s.Z, 0};
  const TVector& p = position_.AsVector();
  local_matrix_[3] = {p.X, p.Y, p.Z, 1};
  local_dirty_ = false;
}

const TMatrix& TGLBaseSceneObject::LocalMatrix() {
  if (local_dirty_) rebuild_local_matrix();
  return local_matrix_;
}

const TMatrix& TGLBaseSceneObject::AbsoluteMatrix() {
  if (world_dirty_ || local_dirty_) {
    const TMatrix& local = LocalMatrix();
    if (parent_ && !parent_->is_root_)
      absolute_matrix_ = matrix_multiply(local, parent_->AbsoluteMatrix());
    else
      absolute_matrix_ = local;
    world_dirty_ = false;
    inverse_dirty_ = true;
  }
  return absolute_matrix_;
}

const TMatrix& TGLBaseSceneObject::InvAbsoluteMatrix() {
  const TMatrix& world = AbsoluteMatrix();
  if (inverse_dirty_) {
    inv_absolute_matrix_ = matrix_invert(world);
    inverse_dirty_ = false;
  }
  return inv_absolute_matrix_;
}

float TGLBaseSceneObject::BoundingRadius() {
  TVector h = HalfExtents();
  const TVector& s = scale_.AsVector();
  return length3(TVector{h.X * s.X, h.Y * s.Y, h.Z * s.Z, 0});
}

// ---------------------------------------------------------------------------------------------
// Orientation

void TGLBaseSceneObject::SetDirection(const TGLCoordinates& v) {
  if (v.X() == 0 && v.Y() == 0 && v.Z() == 0) return;
  direction_.Assign(v);
}

void TGLBaseSceneObject::SetTransformationMode(TGLTransformationMode v) {
  if (v == transformation_mode_) return;
  transformation_mode_ = v;
  TransformationChanged();
}

void TGLBaseSceneObject::orientation_reference(TVector& up, TVector& direction) const {
  if (transformation_mode_ != tmLocal && parent_) {
    up = parent_->up_.AsVector();
    direction = parent_->direction_.AsVector();
  } else {
    up = up_.AsVector();
    direction = direction_.AsVector();
  }
}

void TGLBaseSceneObject::rotate_frame(const TVector& axis, double radians) {
  up_.SetDirect(normalize3(rotate_vector(up_.AsVector(), axis, radians)));
  direction_.SetDirect(normalize3(rotate_vector(direction_.AsVector(), axis, radians)));
  if (transformation_mode_ == tmParentWithPos && parent_)
    position_.SetDirect(rotate_vector(position_.AsVector(), axis, radians));
}

namespace {

// The stored-angle rule of the relative rotations: r = −deg(atan2(a, √(b² + c²))), then the
// quadrant fix by the signs of the vector's X and Y.
float stored_angle(float a, float b, float c, float sx, float sy) {
  double r = -rad_to_deg(std::atan2(
      static_cast<double>(a), std::sqrt(static_cast<double>(b) * b + static_cast<double>(c) * c)));
  if (sx < 0) r = (sy < 0) ? 180 - r : -180 - r;
  return static_cast<float>(r);
}

}  // namespace

void TGLBaseSceneObject::PitchBy(float angle) {
  calculating_ = true;
  TVector u, d;
  orientation_reference(u, d);
  rotate_frame(cross3(d, u), -deg_to_rad(angle));
  const TVector& nd = direction_.AsVector();
  TVector angles = rotation_.AsVector();
  angles.X = stored_angle(nd.Y, nd.X, nd.Z, nd.X, nd.Y);
  rotation_.SetDirect(angles);
  calculating_ = false;
  TransformationChanged();
}

void TGLBaseSceneObject::TurnBy(float angle) {
  calculating_ = true;
  TVector u, d;
  orientation_reference(u, d);
  rotate_frame(u, deg_to_rad(angle));
  const TVector& nd = direction_.AsVector();
  TVector angles = rotation_.AsVector();
  angles.Y = stored_angle(nd.X, nd.Y, nd.Z, nd.X, nd.Y);
  rotation_.SetDirect(angles);
  calculating_ = false;
  TransformationChanged();
}

void TGLBaseSceneObject::RollBy(float angle) {
  calculating_ = true;
  TVector u, d;
  orientation_reference(u, d);
  rotate_frame(d, deg_to_rad(angle));
  TVector right = cross3(direction_.AsVector(), up_.AsVector());
  TVector angles = rotation_.AsVector();
  angles.Z = stored_angle(right.Y, right.X, right.Z, right.X, right.Y);
  rotation_.SetDirect(angles);
  calculating_ = false;
  TransformationChanged();
}

void TGLBaseSceneObject::set_absolute_angle(int which, float v) {
  TVector angles = rotation_.AsVector();
  float stored = angles[which];
  if (v == stored) return;
  if (!Loading()) {
    calculating_ = true;
    TVector u, d;
    orientation_reference(u, d);
    TVector axis = which == 0 ? cross3(d, u) : (which == 1 ? u : d);
    rotate_frame(axis, deg_to_rad(static_cast<double>(stored) - v));
    TransformationChanged();
    calculating_ = false;
  }
  angles[which] = NormalizeDegAngle(v);
  rotation_.SetDirect(angles);
}

void TGLBaseSceneObject::SetPitchAngle(float v) { set_absolute_angle(0, v); }
void TGLBaseSceneObject::SetTurnAngle(float v) { set_absolute_angle(1, v); }
void TGLBaseSceneObject::SetRollAngle(float v) { set_absolute_angle(2, v); }

void TGLBaseSceneObject::MoveAlongDirection(float distance) {
  TVector u, d;
  if (transformation_mode_ == tmParentWithPos && parent_)
    orientation_reference(u, d);
  else
    d = direction_.AsVector();
  position_.AddScaledVector(distance, d);
}

void TGLBaseSceneObject::ResetOrientation() {
  const TVector& s = scale_.AsVector();
  const TVector& p = position_.AsVector();
  TMatrix m = identity_matrix();
  m[0].X = s.X;
  m[1].Y = s.Y;
  m[2].Z = s.Z;
  m[3] = {p.X, p.Y, p.Z, 1};
  rotation_.SetDirect({0, 0, 0, 0});
  direction_.SetDirect({0, 0, 1, 0});
  up_.SetDirect({0, 1, 0, 0});
  TransformationChanged();
  // The matrix is already right: no rebuild needed.
  local_matrix_ = m;
  local_dirty_ = false;
}

// ---------------------------------------------------------------------------------------------
// Visibility, the remaining properties, copy and progress

void TGLBaseSceneObject::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  StructureChanged();
}

void TGLBaseSceneObject::SetObjectsSorting(TGLObjectsSorting v) {
  if (v == objects_sorting_) return;
  objects_sorting_ = v;
  StructureChanged();
}

void TGLBaseSceneObject::SetVisibilityCulling(TGLVisibilityCulling v) {
  if (v == visibility_culling_) return;
  visibility_culling_ = v;
  StructureChanged();
}

void TGLBaseSceneObject::SetShowAxes(bool v) {
  if (v == show_axes_) return;
  show_axes_ = v;
  StructureChanged();
}

void TGLBaseSceneObject::Assign(const TGLBaseSceneObject& source) {
  calculating_ = true;
  position_.SetDirect(source.position_.AsVector());
  direction_.SetDirect(source.direction_.AsVector());
  up_.SetDirect(source.up_.AsVector());
  scale_.SetDirect(source.scale_.AsVector());
  rotation_.SetDirect(source.rotation_.AsVector());
  calculating_ = false;
  visible_ = source.visible_;
  transformation_mode_ = source.transformation_mode_;
  objects_sorting_ = source.objects_sorting_;
  visibility_culling_ = source.visibility_culling_;
  show_axes_ = source.show_axes_;
  tag_float_ = source.tag_float_;
  SetTag(source.Tag());
  OnProgress = source.OnProgress;
  TransformationChanged();
  StructureChanged();
}

bool TGLBaseSceneObject::RayIntersect(const TVector& /*rayStart*/, const TVector& /*rayVector*/,
                                      TVector* /*intersectPoint*/, TVector* /*intersectNormal*/) {
  return false;
}

void TGLBaseSceneObject::Progress(const TProgressTimes& times) {
  // Children from the last to the first; the list does not change during play, but guard
  // against a handler that removes a child anyway.
  for (size_t i = children_.size(); i > 0; --i)
    if (i <= children_.size()) children_[i - 1]->Progress(times);
  behaviours_.Progress(times);
  effects_.Progress(times);
  if (OnProgress) OnProgress(this, times.deltaTime, times.newTime);
}

// ---------------------------------------------------------------------------------------------
// Roots and material holders

TGLSceneRootObject::TGLSceneRootObject(TGLScene* scene, const std::string& name)
    : TGLBaseSceneObject(nullptr) {
  is_root_ = true;
  SetName(name);
  set_scene(scene);
}

TGLCustomSceneObject::TGLCustomSceneObject(TComponent* owner)
    : TGLBaseSceneObject(owner), material_(std::make_unique<TGLMaterial>(this)) {}

TGLCustomSceneObject::~TGLCustomSceneObject() = default;

bool TGLCustomSceneObject::IsBlended() { return material_->Blended(); }

void TGLCustomSceneObject::Assign(const TGLBaseSceneObject& source) {
  TGLBaseSceneObject::Assign(source);
  if (auto* other = dynamic_cast<const TGLCustomSceneObject*>(&source)) hint_ = other->hint_;
}
