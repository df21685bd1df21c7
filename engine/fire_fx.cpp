// The fire manager's particle pool, its emission and bursts, and the fire effect's link to its
// manager with the effect's stored form.
#include "engine/fire_fx.h"

#include <algorithm>
#include <cmath>

#include "engine/cadencer.h"
#include "engine/random.h"
#include "platform/error.h"

namespace {

float uniform() { return static_cast<float>(Random()); }
// (2r − 1)·scale: uniform in [−scale, scale).
float spread(float scale) { return (2 * uniform() - 1) * scale; }

}  // namespace

TGLFireFXManager::TGLFireFXManager(TComponent* owner)
    : TGLCadenceAbleComponent(owner),
      fire_dir_(nullptr, csVector, {0, 0.5f, 0, 0}),
      initial_dir_(nullptr, csVector, {0, 1, 0, 0}),
      inner_color_(nullptr, {1, 1, 0, 1}),
      outer_color_(nullptr, {1, 0.5f, 0, 1}) {
  particles_.resize(static_cast<size_t>(max_particles_));
}

TGLFireFXManager::~TGLFireFXManager() {
  for (TGLBFireFX* client : clients_) client->manager_gone();
  clients_.clear();
  SetCadencer(nullptr);
  SetReference(nullptr);
}

void TGLFireFXManager::SetCadencer(TGLCadencer* cadencer) {
  if (cadencer == cadencer_) return;
  if (cadencer_) {
    cadencer_->UnSubscribe(this);
    RemoveFreeNotification(cadencer_);
  }
  cadencer_ = cadencer;
  if (cadencer_) {
    FreeNotification(cadencer_);
    cadencer_->Subscribe(this);
  }
}

void TGLFireFXManager::SetReference(TGLBaseSceneObject* reference) {
  if (reference == reference_) return;
  if (reference_) RemoveFreeNotification(reference_);
  reference_ = reference;
  if (reference_) FreeNotification(reference_);
}

void TGLFireFXManager::Notification(TComponent* component) {
  if (component && component == static_cast<TComponent*>(reference_)) reference_ = nullptr;
  if (component && component == static_cast<TComponent*>(cadencer_)) cadencer_ = nullptr;
  TGLCadenceAbleComponent::Notification(component);
}

void TGLFireFXManager::SetMaxParticles(int32_t v) {
  if (v == max_particles_) return;
  if (v < 0) v = 0;
  max_particles_ = v;
  particles_.resize(static_cast<size_t>(v));
  np_ = std::min(np_, v);
}

void TGLFireFXManager::ResetFire() {
  np_ = 0;
  interval_accumulator_ = 0;
  particles_.assign(static_cast<size_t>(max_particles_), TFireParticle{});
}

TVector TGLFireFXManager::EmissionCentre() const {
  return reference_ ? reference_->WorldPosition() : TVector{0, 0, 0, 1};
}

void TGLFireFXManager::add_particle(const TVector& position, const TVector& speed, float life) {
  TFireParticle& p = particles_[static_cast<size_t>(np_)];
  p.Position = {position.X, position.Y, position.Z, 1};
  p.Speed = {speed.X, speed.Y, speed.Z, 0};
  p.TimeToLive = life;
  p.LifeLength = life;
  p.Alpha = fire_density_;
  ++np_;
}

void TGLFireFXManager::IsotropicBurst(float minInitialSpeed, float maxInitialSpeed,
                                      float lifeBoostFactor, int32_t nbParticles) {
  TVector centre = EmissionCentre();
  int32_t left = nbParticles;
  // The draws come in the order the terms are written: direction x, y, z, speed, place, life.
  while (np_ < max_particles_ && (nbParticles < 0 || left > 0)) {
    float dx = uniform() - 0.5f;
    float dy = uniform() - 0.5f;
    float dz = uniform() - 0.5f;
    TVector direction = normalize3({dx, dy, dz, 0});
    float speed = minInitialSpeed + uniform() * (maxInitialSpeed - minInitialSpeed);
    float px = spread(fire_radius_);
    float py = spread(fire_radius_);
    float pz = spread(fire_radius_);
    float life = particle_life_ * (uniform() * 0.5f + 0.5f) * lifeBoostFactor;
    add_particle({centre.X + px, centre.Y + py, centre.Z + pz, 1}, direction * speed, life);
    --left;
  }
}

void TGLFireFXManager::Progress(const TProgressTimes& times) {
  if (paused_ || particle_interval_ <= 0) return;
  double dt = times.deltaTime * (1.0 + std::fabs(fire_burst_));
  float fdt = static_cast<float>(dt);

  // 1. Age and move; a dead particle takes the last live one's place, which is looked at next.
  TVector accel = fire_dir_.AsVector();
  for (int32_t i = 0; i < np_;) {
    TFireParticle& p = particles_[static_cast<size_t>(i)];
    p.TimeToLive -= fdt;
    if (p.TimeToLive <= 0) {
      --np_;
      p = particles_[static_cast<size_t>(np_)];
      continue;
    }
    p.Speed = p.Speed + TVector{accel.X, accel.Y, accel.Z, 0} * fdt;
    p.Position = p.Position + TVector{p.Speed.X, p.Speed.Y, p.Speed.Z, 0} * fdt;
    ++i;
  }

  // 2. Emit.
  if (!disabled_) {
    TVector centre = EmissionCentre();
    interval_accumulator_ += dt / particle_interval_;
    bool emit = !use_interval_ || interval_accumulator_ > 1;
    if (emit) {
      double fraction = interval_accumulator_ - std::floor(interval_accumulator_);
      TVector speed = initial_dir_.AsVector();
      while (np_ < max_particles_) {
        float vx = spread(fire_radius_);
        float vy = spread(fire_radius_);
        float vz = fire_crown_ + spread(fire_radius_);
        double angle = uniform() * 2 * 3.14159265358979323846;
        TVector v = rotate_vector({vx, vy, vz, 0}, {0, 1, 0, 0}, angle);
        float life = particle_life_ * (uniform() * 0.5f + 0.5f);
        add_particle({centre.X + v.X, centre.Y + v.Y, centre.Z + v.Z, 1}, speed, life);
        if (use_interval_) break;
      }
      interval_accumulator_ = fraction;
    }
  }

  // 3. The objects showing us need a new picture.
  for (TGLBFireFX* client : clients_)
    if (TGLBaseSceneObject* object = client->OwnerBaseSceneObject()) object->StructureChanged();
}

void TGLFireFXManager::RegisterClient(TGLBFireFX* effect) {
  if (effect && std::find(clients_.begin(), clients_.end(), effect) == clients_.end())
    clients_.push_back(effect);
}

void TGLFireFXManager::UnregisterClient(TGLBFireFX* effect) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), effect), clients_.end());
}

// ---------------------------------------------------------------------------------------------
// TGLBFireFX

TGLBFireFX::TGLBFireFX(TGLBaseSceneObject* owner) : TGLObjectPostEffect(owner) {
  SetName(FriendlyName());
}

TGLBFireFX::~TGLBFireFX() { SetManager(nullptr); }

void TGLBFireFX::SetManager(TGLFireFXManager* manager) {
  if (manager == manager_) return;
  if (manager_) manager_->UnregisterClient(this);
  manager_ = manager;
  if (manager_) manager_->RegisterClient(this);
}

void TGLBFireFX::WriteToFiler(ByteWriter& writer) const {
  write_tagged_integer(writer, 0);
  write_tagged_string(writer, manager_ ? manager_->Name() : std::string());
}

void TGLBFireFX::ReadFromFiler(ByteReader& reader) {
  int32_t version = read_tagged_integer(reader);
  if (version != 0)
    throw Exception("TGLBFireFX : unknown archive version " + std::to_string(version));
  pending_manager_name_ = read_tagged_string(reader);
  SetManager(nullptr);
}

void TGLBFireFX::Loaded() {
  if (pending_manager_name_.empty()) return;
  TGLFireFXManager* m =
      find_form_component<TGLFireFXManager>(OwnerBaseSceneObject(), pending_manager_name_);
  pending_manager_name_.clear();
  if (m) SetManager(m);
}
