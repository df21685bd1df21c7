// The scene tree: the scene component with its two roots, and the node classes with their
// transformation (position, orientation, scale, the stored angles), children and progress.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/behaviour.h"
#include "engine/component.h"
#include "engine/coordinates.h"
#include "engine/render_context.h"
#include "engine/vector_math.h"

class TGLMaterial;
class TGLSceneRootObject;

// Per-frame event of the scene, the scene objects and the frame clock.
using TGLProgressEvent = std::function<void(TComponent* sender, double deltaTime, double newTime)>;
using TNotifyEvent = std::function<void(TComponent* sender)>;

// x − trunc(x/360)·360, then folded into [−180, 180].
float NormalizeDegAngle(float angle);

// A component that receives the frame progress.
class TGLCadenceAbleComponent : public TComponent {
 public:
  using TComponent::TComponent;
  virtual void Progress(const TProgressTimes& /*times*/) {}
};

// A component that receives change notices from its parts.
class TGLUpdateAbleComponent : public TGLCadenceAbleComponent, public IGLNotifyAble {
 public:
  using TGLCadenceAbleComponent::TGLCadenceAbleComponent;
  void NotifyChange(IGLNotifyAble* /*sender*/) override {}
};

enum TGLObjectsSorting { osInherited, osNone, osRenderFarthestFirst, osRenderBlendedLast };
enum TGLVisibilityCulling { vcInherited, vcNone, vcObjectBased, vcHierarchical };
enum TGLTransformationMode { tmLocal, tmParentNoPos, tmParentWithPos };

// Owns the object root ("ObjectRoot", everything) and the camera root ("CameraRoot").
class TGLScene : public TGLUpdateAbleComponent {
 public:
  explicit TGLScene(TComponent* owner = nullptr);
  ~TGLScene() override;

  TGLSceneRootObject& Objects() { return *objects_; }
  TGLSceneRootObject& Cameras() { return *cameras_; }

  TGLObjectsSorting ObjectsSorting() const { return objects_sorting_; }
  void SetObjectsSorting(TGLObjectsSorting v);
  TGLVisibilityCulling VisibilityCulling() const { return visibility_culling_; }
  void SetVisibilityCulling(TGLVisibilityCulling v);
  TGLProgressEvent OnProgress;

  // Advances the object root, then the camera root, then OnProgress.
  void Progress(const TProgressTimes& times) override;
  void Progress(double deltaTime, double newTime) { Progress(TProgressTimes{deltaTime, newTime}); }

  // "The scene changed": every listener (the viewers) is asked to repaint.
  void NotifyChange(IGLNotifyAble* sender) override;
  // Listeners are keyed by who added them, so a viewer removes exactly its own.
  void AddChangeListener(const void* key, std::function<void()> listener);
  void RemoveChangeListener(const void* key);
  // Changes noticed since creation (for the viewers' repaint bookkeeping and tests).
  uint64_t ChangeCount() const { return change_count_; }

 private:
  std::unique_ptr<TGLSceneRootObject> objects_;
  std::unique_ptr<TGLSceneRootObject> cameras_;
  TGLObjectsSorting objects_sorting_ = osRenderBlendedLast;
  TGLVisibilityCulling visibility_culling_ = vcNone;
  std::vector<std::pair<const void*, std::function<void()>>> listeners_;
  uint64_t change_count_ = 0;
};

// A node of the scene tree. Children are listed here; who frees them is the TComponent owner
// (the object a child was created under, or the form).
class TGLBaseSceneObject : public TGLUpdateAbleComponent, public IGLCoordinatesUpdateAble {
 public:
  explicit TGLBaseSceneObject(TComponent* owner = nullptr);
  ~TGLBaseSceneObject() override;

  // --- transformation
  TGLCoordinates& Position() { return position_; }
  const TGLCoordinates& Position() const { return position_; }
  TGLCoordinates& Direction() { return direction_; }
  const TGLCoordinates& Direction() const { return direction_; }
  TGLCoordinates& Up() { return up_; }
  const TGLCoordinates& Up() const { return up_; }
  TGLCoordinates& Scale() { return scale_; }
  const TGLCoordinates& Scale() const { return scale_; }
  // X = PitchAngle, Y = TurnAngle, Z = RollAngle: bookkeeping that never feeds the matrix.
  TGLCoordinates& Rotation() { return rotation_; }
  const TGLCoordinates& Rotation() const { return rotation_; }
  // Whole-vector assignments; a zero Direction is ignored.
  void SetPosition(const TGLCoordinates& v) { position_.Assign(v); }
  void SetDirection(const TGLCoordinates& v);
  void SetUp(const TGLCoordinates& v) { up_.Assign(v); }
  void SetScale(const TGLCoordinates& v) { scale_.Assign(v); }

  float PitchAngle() const { return rotation_.X(); }
  float TurnAngle() const { return rotation_.Y(); }
  float RollAngle() const { return rotation_.Z(); }
  // Absolute rotations: turn the orientation by (stored − v); while loading only store.
  void SetPitchAngle(float v);
  void SetTurnAngle(float v);
  void SetRollAngle(float v);
  // Relative rotations (degrees); positive pitch raises the nose.
  void PitchBy(float angle);
  void TurnBy(float angle);
  void RollBy(float angle);
  void MoveAlongDirection(float distance);
  void ResetOrientation();

  TGLTransformationMode TransformationMode() const { return transformation_mode_; }
  void SetTransformationMode(TGLTransformationMode v);

  // Matrices, rebuilt only when flagged out of date.
  const TMatrix& LocalMatrix();
  const TMatrix& AbsoluteMatrix();
  const TMatrix& InvAbsoluteMatrix();
  TVector WorldPosition() { return AbsoluteMatrix()[3]; }
  TVector WorldDirection() { return normalize3(AbsoluteMatrix()[2]); }
  TVector WorldUp() { return normalize3(AbsoluteMatrix()[1]); }
  TVector LocalToAbsolute(const TVector& v) { return vector_transform(v, AbsoluteMatrix()); }
  TVector AbsoluteToLocal(const TVector& v) { return vector_transform(v, InvAbsoluteMatrix()); }
  float BoundingRadius();

  // --- state
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  TGLObjectsSorting ObjectsSorting() const { return objects_sorting_; }
  void SetObjectsSorting(TGLObjectsSorting v);
  TGLVisibilityCulling VisibilityCulling() const { return visibility_culling_; }
  void SetVisibilityCulling(TGLVisibilityCulling v);
  bool ShowAxes() const { return show_axes_; }
  void SetShowAxes(bool v);
  float TagFloat() const { return tag_float_; }
  void SetTagFloat(float v) { tag_float_ = v; }
  TGLBehaviours& Behaviours() { return behaviours_; }
  TGLObjectEffects& Effects() { return effects_; }
  TGLProgressEvent OnProgress;

  // --- tree
  TGLBaseSceneObject* Parent() const { return parent_; }
  TGLScene* Scene() const { return scene_; }
  int Count() const { return static_cast<int>(children_.size()); }
  TGLBaseSceneObject* Children(int index) const { return children_.at(static_cast<size_t>(index)); }
  int IndexOfChild(const TGLBaseSceneObject* child) const;
  // Appends `child` as the last child, taking it from its former parent; ownership unchanged.
  void AddChild(TGLBaseSceneObject* child);
  // Takes `child` out of the children; it stays alive with its owner.
  void Remove(TGLBaseSceneObject* child);
  // Creates an object of class T owned by this object as the last child.
  template <class T>
  T* CreateChild() {
    T* child = make_owned<T>(this);
    AddChild(child);
    TransformationChanged();
    return child;
  }

  // --- change handling
  // Invalidates the transformation: this object's matrices and its descendants' world matrices.
  void TransformationChanged();
  // A non-transformation change that needs a repaint.
  void StructureChanged();
  bool IsStructureChanged() const { return structure_changed_; }
  void ClearStructureChanged() { structure_changed_ = false; }
  // A part (material, colour) changed: the scene changed.
  void NotifyChange(IGLNotifyAble* sender) override;
  void CoordinateChanged(TGLCoordinates* sender) override { OnCoordinateChange(sender); }

  // --- the virtual operations, in the order of their slots
  virtual void Assign(const TGLBaseSceneObject& source);
  // (the referenced component's removal notice is TComponent::Notification)
  void Progress(const TProgressTimes& times) override;
  virtual bool IsBlended() { return false; }
  // Half extents along the local axes, W = 0.
  virtual TVector HalfExtents() { return {0.5f, 0.5f, 0.5f, 0}; }
  // Ray in scene space; the base object has no geometry to hit.
  virtual bool RayIntersect(const TVector& rayStart, const TVector& rayVector,
                            TVector* intersectPoint, TVector* intersectNormal);
  // The object's own geometry only (what a proxy borrows).
  virtual void EmitGeometry(TGLRenderContextInfo& /*rci*/) {}
  // Draws the object at its place (the renderer has loaded its matrix): its own geometry,
  // unless a class draws something else there (a proxy its master).
  virtual void Render(TGLRenderContextInfo& rci) { EmitGeometry(rci); }
  virtual void DrawChildren(TGLRenderContextInfo& /*rci*/) {}
  virtual void OnCoordinateChange(TGLCoordinates* sender);

 protected:
  void Loaded() override;
  bool Calculating() const { return calculating_; }
  void set_scene(TGLScene* scene);
  // Roots are invisible and do not enter their children's world matrices.
  bool is_root_ = false;

 private:
  friend class TGLScene;
  void invalidate_world();
  void rebuild_local_matrix();
  // The axes the rotations turn about: our own, or the parent's outside tmLocal.
  void orientation_reference(TVector& up, TVector& direction) const;
  // Turns Up and Direction (and Position under tmParentWithPos) by `radians` about `axis`.
  void rotate_frame(const TVector& axis, double radians);
  void set_absolute_angle(int which, float v);

  TGLCoordinates position_;
  TGLCoordinates direction_;
  TGLCoordinates up_;
  TGLCoordinates scale_;
  TGLCoordinates rotation_;
  bool visible_ = true;
  TGLTransformationMode transformation_mode_ = tmLocal;
  TGLObjectsSorting objects_sorting_ = osInherited;
  TGLVisibilityCulling visibility_culling_ = vcInherited;
  bool show_axes_ = false;
  float tag_float_ = 0;
  TGLBehaviours behaviours_;
  TGLObjectEffects effects_;

  std::vector<TGLBaseSceneObject*> children_;
  TGLBaseSceneObject* parent_ = nullptr;
  TGLScene* scene_ = nullptr;

  TMatrix local_matrix_ = identity_matrix();
  TMatrix absolute_matrix_ = identity_matrix();
  TMatrix inv_absolute_matrix_ = identity_matrix();
  bool local_dirty_ = true;
  bool world_dirty_ = true;
  bool inverse_dirty_ = true;
  bool structure_changed_ = true;
  bool calculating_ = false;
};

// An invisible root of the scene.
class TGLSceneRootObject : public TGLBaseSceneObject {
 public:
  TGLSceneRootObject(TGLScene* scene, const std::string& name);
};

// A node with a material and a hint.
class TGLCustomSceneObject : public TGLBaseSceneObject {
 public:
  explicit TGLCustomSceneObject(TComponent* owner = nullptr);
  ~TGLCustomSceneObject() override;
  TGLMaterial& Material() { return *material_; }
  const TGLMaterial& Material() const { return *material_; }
  // Blended materials are drawn after their opaque siblings.
  bool IsBlended() override;
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }
  void Assign(const TGLBaseSceneObject& source) override;

 private:
  std::unique_ptr<TGLMaterial> material_;
  std::string hint_;
};

// The published transformation properties; nothing beyond its base in code.
class TGLImmaterialSceneObject : public TGLCustomSceneObject {
 public:
  using TGLCustomSceneObject::TGLCustomSceneObject;
};

// Also publishes the material.
class TGLSceneObject : public TGLImmaterialSceneObject {
 public:
  using TGLImmaterialSceneObject::TGLImmaterialSceneObject;
};
