// What a scene object carries besides its children: behaviours (collision registration) and
// effects (fire, particle sources), each advanced with the object and owned by its list.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/render_context.h"

class TGLBaseSceneObject;

// Progress times of one frame, in seconds.
struct TProgressTimes {
  double deltaTime = 0;
  double newTime = 0;
};

// An item attached to one scene object for the object's whole life.
class TGLXCollectionItem {
 public:
  explicit TGLXCollectionItem(TGLBaseSceneObject* owner) : owner_(owner) {}
  virtual ~TGLXCollectionItem() = default;
  TGLXCollectionItem(const TGLXCollectionItem&) = delete;
  TGLXCollectionItem& operator=(const TGLXCollectionItem&) = delete;

  TGLBaseSceneObject* OwnerBaseSceneObject() const { return owner_; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }
  // Runs once per frame with the object's progress.
  virtual void Progress(const TProgressTimes& /*times*/) {}
  // Told when the whole form has been loaded (names of other components can be resolved now).
  virtual void Loaded() {}

 private:
  TGLBaseSceneObject* owner_;
  std::string name_;
};

class TGLBehaviour : public TGLXCollectionItem {
 public:
  using TGLXCollectionItem::TGLXCollectionItem;
};

// An effect draws around its object's own drawing: pre-effects before, post-effects after.
class TGLObjectEffect : public TGLXCollectionItem {
 public:
  using TGLXCollectionItem::TGLXCollectionItem;
  virtual void Render(TGLRenderContextInfo& /*rci*/) {}
};

class TGLObjectPreEffect : public TGLObjectEffect {
 public:
  using TGLObjectEffect::TGLObjectEffect;
};

class TGLObjectPostEffect : public TGLObjectEffect {
 public:
  using TGLObjectEffect::TGLObjectEffect;
};

// The ordered list of an object's items; the list owns them.
template <class Item>
class TGLXCollection {
 public:
  explicit TGLXCollection(TGLBaseSceneObject* owner) : owner_(owner) {}
  TGLXCollection(const TGLXCollection&) = delete;
  TGLXCollection& operator=(const TGLXCollection&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  Item& Items(int index) const { return *items_.at(static_cast<size_t>(index)); }
  Item& operator[](int index) const { return Items(index); }

  // Creates an item of class T (constructed with the owning object first) at the end.
  template <class T, class... Args>
  T& Add(Args&&... args) {
    auto item = std::make_unique<T>(owner_, std::forward<Args>(args)...);
    T& ref = *item;
    items_.push_back(std::move(item));
    return ref;
  }
  // The first item of class T, or null.
  template <class T>
  T* GetByClass() const {
    for (auto& item : items_)
      if (auto* found = dynamic_cast<T*>(item.get())) return found;
    return nullptr;
  }
  void Delete(int index) { items_.erase(items_.begin() + index); }
  void Clear() {
    // Last first, the way they were stacked on.
    while (!items_.empty()) items_.pop_back();
  }
  void Progress(const TProgressTimes& times) {
    for (size_t i = 0; i < items_.size(); ++i) items_[i]->Progress(times);
  }
  void Loaded() {
    for (auto& item : items_) item->Loaded();
  }
  TGLBaseSceneObject* Owner() const { return owner_; }

 private:
  TGLBaseSceneObject* owner_;
  std::vector<std::unique_ptr<Item>> items_;
};

using TGLBehaviours = TGLXCollection<TGLBehaviour>;
using TGLObjectEffects = TGLXCollection<TGLObjectEffect>;
