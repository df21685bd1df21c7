// The component base of everything placed on the form: a name, a tag, an owner that frees it,
// the loading state, and removal notices to the components that refer to it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TComponent {
 public:
  explicit TComponent(TComponent* owner = nullptr);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }
  int32_t Tag() const { return tag_; }
  void SetTag(int32_t tag) { tag_ = tag; }
  TComponent* Owner() const { return owner_; }

  // Component state "loading": set while the form creates its objects with their stored settings.
  bool Loading() const { return loading_; }
  void BeginLoading() { loading_ = true; }
  // Ends loading and lets the component finish its set-up.
  void EndLoading() {
    loading_ = false;
    Loaded();
  }

  // Components created with an owner are freed by it, in reverse order of creation.
  const std::vector<TComponent*>& Components() const { return components_; }
  TComponent* FindComponent(const std::string& name) const;

  // A component that refers to another asks to be told when that one is freed.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

 protected:
  virtual void Loaded() {}
  // Told when `component` (one this component asked about) is being freed.
  virtual void Notification(TComponent* /*component*/) {}

 private:
  void insert_component(TComponent* c) { components_.push_back(c); }
  void remove_component(TComponent* c);

  std::string name_;
  int32_t tag_ = 0;
  TComponent* owner_ = nullptr;
  bool loading_ = false;
  std::vector<TComponent*> components_;     // owned: deleted by ~TComponent
  std::vector<TComponent*> free_notifies_;  // both directions, as the notices go both ways
};

// The one place a component is made with `new`: `owner` (never null) frees it with itself.
template <class T, class... Args>
T* make_owned(TComponent* owner, Args&&... args) {
  return new T(owner, std::forward<Args>(args)...);
}
