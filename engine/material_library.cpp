// Library materials, their collection, and the library with its file format.
#include "engine/material_library.h"

#include <algorithm>

uint32_t material_name_hash(const std::string& name) {
  uint32_t h = static_cast<uint32_t>(name.size());
  for (unsigned char c : name) h = h * 2 + c;
  return h;
}

// --- library material

TGLLibMaterial::TGLLibMaterial(TGLLibMaterials* collection)
    : collection_(collection),
      material_(this),
      texture_offset_(this, csVector, {0, 0, 0, 0}),
      texture_scale_(this, csVector, {1, 1, 1, 0}) {}

TGLLibMaterial::~TGLLibMaterial() {
  // Users forget the library, the name and us.
  std::vector<TGLMaterial*> users = std::move(users_);
  users_.clear();
  for (TGLMaterial* m : users) m->lib_material_gone();
}

int32_t TGLLibMaterial::Index() const { return collection_->IndexOf(this); }

TGLMaterialLibrary* TGLLibMaterial::Library() const { return collection_->Library(); }

void TGLLibMaterial::SetName(const std::string& name) {
  if (name == name_) return;
  TGLMaterialLibrary* library = Library();
  std::string taken = name;
  if (!(library && library->Loading())) {
    TGLLibMaterial* first = collection_->GetLibMaterialByName(name);
    if (first && first != this) {
      for (int i = 1;; ++i) {
        taken = name + std::to_string(i);
        if (!collection_->GetLibMaterialByName(taken)) break;
      }
    }
  }
  name_ = taken;
  hash_ = material_name_hash(name_);
}

void TGLLibMaterial::add_user(TGLMaterial* m) {
  if (std::find(users_.begin(), users_.end(), m) == users_.end()) users_.push_back(m);
}

void TGLLibMaterial::remove_user(TGLMaterial* m) {
  users_.erase(std::remove(users_.begin(), users_.end(), m), users_.end());
}

void TGLLibMaterial::NotifyChange(IGLNotifyAble* /*sender*/) {
  // A material may (cyclically) use itself; the guard keeps the notice from going round.
  if (notifying_) return;
  notifying_ = true;
  std::vector<TGLMaterial*> users = users_;
  for (TGLMaterial* m : users) m->NotifyChange(this);
  notifying_ = false;
}

// --- collection

TGLLibMaterial& TGLLibMaterials::Add() {
  items_.push_back(std::make_unique<TGLLibMaterial>(this));
  TGLLibMaterial& item = *items_.back();
  item.SetName("LibMaterial");
  return item;
}

void TGLLibMaterials::Delete(int32_t index) {
  if (index < 0 || index >= Count()) return;
  // Out of the list first, so users that look names up while it goes no longer find it.
  std::unique_ptr<TGLLibMaterial> item = std::move(items_[static_cast<size_t>(index)]);
  items_.erase(items_.begin() + index);
}

void TGLLibMaterials::Clear() {
  while (!items_.empty()) Delete(Count() - 1);
}

TGLLibMaterial* TGLLibMaterials::GetLibMaterialByName(const std::string& name) const {
  uint32_t hash = material_name_hash(name);
  for (const auto& item : items_)
    if (item && item->NameHashKey() == hash && item->Name() == name) return item.get();
  return nullptr;
}

int32_t TGLLibMaterials::IndexOf(const TGLLibMaterial* item) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == item) return static_cast<int32_t>(i);
  return -1;
}

// --- library

TGLMaterialLibrary::TGLMaterialLibrary(TComponent* owner)
    : TGLCadenceAbleComponent(owner), materials_(this) {}

TGLMaterialLibrary::~TGLMaterialLibrary() {
  materials_.Clear();
  std::vector<TGLMaterial*> attached = std::move(attached_);
  attached_.clear();
  for (TGLMaterial* m : attached) m->library_gone();
}

void TGLMaterialLibrary::attach(TGLMaterial* m) {
  if (std::find(attached_.begin(), attached_.end(), m) == attached_.end()) attached_.push_back(m);
}

void TGLMaterialLibrary::detach(TGLMaterial* m) {
  attached_.erase(std::remove(attached_.begin(), attached_.end(), m), attached_.end());
}
