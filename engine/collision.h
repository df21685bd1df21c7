// The collision registry: a manager component that lists the behaviours registered with it,
// and the collision behaviour a scene object carries, with its form data format.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/behaviour.h"
#include "engine/component.h"
#include "engine/stream.h"

class TGLBaseSceneObject;
class TGLBCollision;

enum TCollisionBoundingMode { cbmPoint, cbmSphere, cbmEllipsoid, cbmCube, cbmFaces };

using TObjectCollisionEvent = std::function<void(TComponent* Sender, TGLBaseSceneObject* object1,
                                                 TGLBaseSceneObject* object2)>;

// Performs no tests of its own: nothing in the game asks it to, so OnCollision stays silent.
class TCollisionManager : public TComponent {
 public:
  explicit TCollisionManager(TComponent* owner = nullptr) : TComponent(owner) {}
  ~TCollisionManager() override;

  TObjectCollisionEvent OnCollision;

  // Adds the behaviour once and makes this its manager; a null behaviour is ignored.
  void Register(TGLBCollision* behaviour);
  void Deregister(TGLBCollision* behaviour);
  void DeregisterAll();
  const std::vector<TGLBCollision*>& Registered() const { return registered_; }

 private:
  std::vector<TGLBCollision*> registered_;
};

class TGLBCollision : public TGLBehaviour {
 public:
  explicit TGLBCollision(TGLBaseSceneObject* owner);
  ~TGLBCollision() override;

  static const char* FriendlyName() { return "Collision"; }
  static const char* FriendlyDescription() { return "Collision-detection registration"; }

  TCollisionManager* Manager() const { return manager_; }
  // Leaves the current manager, if any, and registers with the new one, if any.
  void SetManager(TCollisionManager* manager);
  TCollisionBoundingMode BoundingMode() const { return bounding_mode_; }
  void SetBoundingMode(TCollisionBoundingMode v) { bounding_mode_ = v; }
  int32_t GroupIndex() const { return group_index_; }
  void SetGroupIndex(int32_t v) { group_index_ = v; }
  // The manager named by the form data, until the form has finished loading.
  const std::string& PendingManagerName() const { return pending_manager_name_; }

  // Version 1, the manager's name (or empty), the bounding mode, the group index.
  void WriteToFiler(ByteWriter& writer) const;
  // Versions 0 and 1; the manager is only looked up in Loaded.
  void ReadFromFiler(ByteReader& reader);
  // Registers with the form's manager of the pending name, if there is one.
  void Loaded() override;

  // Kept in step by the manager itself.
  void manager_set(TCollisionManager* manager) { manager_ = manager; }

 private:
  TCollisionManager* manager_ = nullptr;
  TCollisionBoundingMode bounding_mode_ = cbmPoint;
  int32_t group_index_ = 0;
  std::string pending_manager_name_;
};
