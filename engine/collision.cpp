// Collision registry: registration rules and the behaviour's form data.
#include "engine/collision.h"

#include <algorithm>

#include "engine/scene_object.h"
#include "platform/error.h"

TCollisionManager::~TCollisionManager() { DeregisterAll(); }

void TCollisionManager::Register(TGLBCollision* behaviour) {
  if (!behaviour) return;
  if (std::find(registered_.begin(), registered_.end(), behaviour) == registered_.end())
    registered_.push_back(behaviour);
  behaviour->manager_set(this);
}

void TCollisionManager::Deregister(TGLBCollision* behaviour) {
  if (!behaviour) return;
  behaviour->manager_set(nullptr);
  registered_.erase(std::remove(registered_.begin(), registered_.end(), behaviour),
                    registered_.end());
}

void TCollisionManager::DeregisterAll() {
  for (TGLBCollision* b : registered_) b->manager_set(nullptr);
  registered_.clear();
}

TGLBCollision::TGLBCollision(TGLBaseSceneObject* owner) : TGLBehaviour(owner) {
  SetName(FriendlyName());
}

TGLBCollision::~TGLBCollision() { SetManager(nullptr); }

void TGLBCollision::SetManager(TCollisionManager* manager) {
  if (manager == manager_) return;
  if (manager_) manager_->Deregister(this);
  if (manager) manager->Register(this);
}

void TGLBCollision::WriteToFiler(ByteWriter& writer) const {
  write_tagged_integer(writer, 1);
  write_tagged_string(writer, manager_ ? manager_->Name() : std::string());
  write_tagged_integer(writer, bounding_mode_);
  write_tagged_integer(writer, group_index_);
}

void TGLBCollision::ReadFromFiler(ByteReader& reader) {
  int32_t version = read_tagged_integer(reader);
  if (version != 0 && version != 1)
    throw Exception("TGLBCollision : unknown archive version " + std::to_string(version));
  std::string name = read_tagged_string(reader);
  int32_t mode = read_tagged_integer(reader);
  if (mode < cbmPoint || mode > cbmFaces) throw Exception("Invalid property value");
  int32_t group = version >= 1 ? read_tagged_integer(reader) : 0;
  pending_manager_name_ = name;
  SetManager(nullptr);
  bounding_mode_ = static_cast<TCollisionBoundingMode>(mode);
  group_index_ = group;
}

namespace {

TCollisionManager* find_manager(const TComponent* root, const std::string& name) {
  for (TComponent* c : root->Components()) {
    if (c->Name() == name)
      if (auto* m = dynamic_cast<TCollisionManager*>(c)) return m;
    if (TCollisionManager* m = find_manager(c, name)) return m;
  }
  return nullptr;
}

}  // namespace

void TGLBCollision::Loaded() {
  if (pending_manager_name_.empty()) return;
  // The form is the topmost owner of the object carrying us.
  const TComponent* root = OwnerBaseSceneObject();
  while (root && root->Owner()) root = root->Owner();
  TCollisionManager* m = root ? find_manager(root, pending_manager_name_) : nullptr;
  pending_manager_name_.clear();
  if (m) SetManager(m);
}
