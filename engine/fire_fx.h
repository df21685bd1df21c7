// Fire: the manager that keeps a pool of short-lived particles rising from a reference object
// or bursting out of it, and the object effect that shows the manager's particles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/behaviour.h"
#include "engine/coordinates.h"
#include "engine/scene_object.h"
#include "engine/stream.h"

class TGLCadencer;
class TGLBFireFX;

// One fire particle; positions and speeds are in scene space (or in the effect object's space
// when the manager has no reference).
struct TFireParticle {
  TVector Position = {0, 0, 0, 1};
  TVector Speed = {0, 0, 0, 0};
  float Alpha = 0;
  float TimeToLive = 0;  // seconds
  float LifeLength = 0;  // seconds
};

class TGLFireFXManager : public TGLCadenceAbleComponent {
 public:
  explicit TGLFireFXManager(TComponent* owner = nullptr);
  ~TGLFireFXManager() override;

  // Acceleration of every particle and the starting velocity of emitted ones.
  TGLCoordinates& FireDir() { return fire_dir_; }
  TGLCoordinates& InitialDir() { return initial_dir_; }
  TGLCadencer* Cadencer() const { return cadencer_; }
  // Leaves the old frame clock's list and joins the new one's.
  void SetCadencer(TGLCadencer* cadencer);
  int32_t MaxParticles() const { return max_particles_; }
  // A negative size becomes 0; the live particles beyond the new size are dropped.
  void SetMaxParticles(int32_t v);
  float ParticleSize() const { return particle_size_; }
  void SetParticleSize(float v) { particle_size_ = v; }
  TGLColor& InnerColor() { return inner_color_; }
  TGLColor& OuterColor() { return outer_color_; }
  float FireDensity() const { return fire_density_; }
  void SetFireDensity(float v) { fire_density_ = v; }
  float FireEvaporation() const { return fire_evaporation_; }
  void SetFireEvaporation(float v) { fire_evaporation_ = v; }
  float FireCrown() const { return fire_crown_; }
  void SetFireCrown(float v) { fire_crown_ = v; }
  int32_t ParticleLife() const { return particle_life_; }
  void SetParticleLife(int32_t v) { particle_life_ = v; }
  float FireBurst() const { return fire_burst_; }
  void SetFireBurst(float v) { fire_burst_ = v; }
  float FireRadius() const { return fire_radius_; }
  void SetFireRadius(float v) { fire_radius_ = v; }
  bool Disabled() const { return disabled_; }
  void SetDisabled(bool v) { disabled_ = v; }
  bool Paused() const { return paused_; }
  void SetPaused(bool v) { paused_ = v; }
  float ParticleInterval() const { return particle_interval_; }
  void SetParticleInterval(float v) { particle_interval_ = v; }
  bool UseInterval() const { return use_interval_; }
  void SetUseInterval(bool v) { use_interval_ = v; }
  bool NoZWrite() const { return no_z_write_; }
  void SetNoZWrite(bool v) { no_z_write_ = v; }
  TGLBaseSceneObject* Reference() const { return reference_; }
  void SetReference(TGLBaseSceneObject* reference);

  // No live particles, the interval count restarted, the pool at MaxParticles.
  void ResetFire();
  // Up to nbParticles (all free places when negative) particles flying out in all directions
  // from the reference, each with a speed between the two and a life stretched by the boost.
  void IsotropicBurst(float minInitialSpeed, float maxInitialSpeed, float lifeBoostFactor,
                      int32_t nbParticles = -1);
  // Ages and moves the particles, then emits new ones unless Disabled.
  void Progress(const TProgressTimes& times) override;

  int32_t ParticleCount() const { return np_; }
  const TFireParticle& Particles(int32_t index) const {
    return particles_.at(static_cast<size_t>(index));
  }
  // Where the particles start: the reference's world position, or the origin.
  TVector EmissionCentre() const;

  // The fire effects that show this manager.
  void RegisterClient(TGLBFireFX* effect);
  void UnregisterClient(TGLBFireFX* effect);
  const std::vector<TGLBFireFX*>& Clients() const { return clients_; }

 protected:
  void Notification(TComponent* component) override;

 private:
  void add_particle(const TVector& position, const TVector& speed, float life);

  TGLCoordinates fire_dir_;
  TGLCoordinates initial_dir_;
  TGLCadencer* cadencer_ = nullptr;
  int32_t max_particles_ = 256;
  float particle_size_ = 1.0f;
  TGLColor inner_color_;
  TGLColor outer_color_;
  float fire_density_ = 1.0f;
  float fire_evaporation_ = 0.86f;
  float fire_crown_ = 0;
  int32_t particle_life_ = 3;
  float fire_burst_ = 0;
  float fire_radius_ = 1.0f;
  bool disabled_ = false;
  bool paused_ = false;
  float particle_interval_ = 0.1f;
  bool use_interval_ = true;
  bool no_z_write_ = true;
  TGLBaseSceneObject* reference_ = nullptr;

  std::vector<TFireParticle> particles_;  // MaxParticles records, the first np_ alive
  int32_t np_ = 0;
  // Kept in double: a step of exactly one interval must count as a whole one.
  double interval_accumulator_ = 0;
  std::vector<TGLBFireFX*> clients_;
};

// Shows a fire manager's particles when the object carrying it is drawn.
class TGLBFireFX : public TGLObjectPostEffect {
 public:
  explicit TGLBFireFX(TGLBaseSceneObject* owner);
  ~TGLBFireFX() override;

  static const char* FriendlyName() { return "FireFX"; }

  TGLFireFXManager* Manager() const { return manager_; }
  void SetManager(TGLFireFXManager* manager);
  const std::string& PendingManagerName() const { return pending_manager_name_; }

  // Drawn in engine/render_particles.cpp.
  void Render(TGLRenderContextInfo& rci) override;

  // Archive version 0, then the manager's name (empty without one).
  void WriteToFiler(ByteWriter& writer) const;
  // The manager is looked up by name only once the form has loaded.
  void ReadFromFiler(ByteReader& reader);
  void Loaded() override;

  // The manager is going away.
  void manager_gone() { manager_ = nullptr; }

 private:
  TGLFireFXManager* manager_ = nullptr;
  std::string pending_manager_name_;
};

// The first component named `name` of class T on the form that holds `object`, searched depth
// first from the topmost owner of the object (or of its scene); null when there is none.
// Effects resolve their stored managers with it once the form has loaded.
template <class T>
T* find_form_component(const TGLBaseSceneObject* object, const std::string& name) {
  if (!object || name.empty()) return nullptr;
  struct Walk {
    static T* in(const TComponent* c, const std::string& n) {
      for (TComponent* child : c->Components()) {
        if (child->Name() == n)
          if (auto* found = dynamic_cast<T*>(child)) return found;
        if (T* found = in(child, n)) return found;
      }
      return nullptr;
    }
    static const TComponent* top(const TComponent* c) {
      while (c && c->Owner()) c = c->Owner();
      return c;
    }
  };
  const TComponent* root = Walk::top(object);
  if (T* found = Walk::in(root, name)) return found;
  // Objects made under the scene's roots are owned by the tree, not by the form.
  const TComponent* scene_root = object->Scene() ? Walk::top(object->Scene()) : nullptr;
  return scene_root && scene_root != root ? Walk::in(scene_root, name) : nullptr;
}
