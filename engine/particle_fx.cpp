// The particle managers' ageing, movement and life colours, the polygon particles' shape, the
// source effect's emission with its stored form, and the renderer's list of managers.
#include "engine/particle_fx.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/cadencer.h"
#include "engine/fire_fx.h"
#include "engine/mesh_math.h"
#include "engine/random.h"
#include "platform/error.h"

// ---------------------------------------------------------------------------------------------
// TGLParticleFXManager

TGLParticleFXManager::TGLParticleFXManager(TComponent* owner) : TGLCadenceAbleComponent(owner) {}

TGLParticleFXManager::~TGLParticleFXManager() {
  for (TGLSourcePFXEffect* source : sources_) source->manager_gone();
  sources_.clear();
  SetRenderer(nullptr);
  SetCadencer(nullptr);
}

void TGLParticleFXManager::SetCadencer(TGLCadencer* cadencer) {
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

void TGLParticleFXManager::SetRenderer(TGLParticleFXRenderer* renderer) {
  if (renderer == renderer_) return;
  if (renderer_) {
    renderer_->UnregisterManager(this);
    RemoveFreeNotification(renderer_);
  }
  renderer_ = renderer;
  if (renderer_) {
    FreeNotification(renderer_);
    renderer_->RegisterManager(this);
  }
}

void TGLParticleFXManager::Notification(TComponent* component) {
  if (component && component == static_cast<TComponent*>(cadencer_)) cadencer_ = nullptr;
  if (component && component == static_cast<TComponent*>(renderer_)) renderer_ = nullptr;
  TGLCadenceAbleComponent::Notification(component);
}

TGLParticle& TGLParticleFXManager::CreateParticle() { return particles_.emplace_back(); }

void TGLParticleFXManager::RegisterSource(TGLSourcePFXEffect* source) {
  if (source && std::find(sources_.begin(), sources_.end(), source) == sources_.end())
    sources_.push_back(source);
}

void TGLParticleFXManager::UnregisterSource(TGLSourcePFXEffect* source) {
  sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

// ---------------------------------------------------------------------------------------------
// TGLDynamicPFXManager

TGLDynamicPFXManager::TGLDynamicPFXManager(TComponent* owner)
    : TGLParticleFXManager(owner), acceleration_(nullptr, csVector) {}

void TGLDynamicPFXManager::Progress(const TProgressTimes& times) {
  double max_age = MaxParticleAge();
  float dt = static_cast<float>(times.deltaTime);
  TAffineVector accel = acceleration_.AsAffineVector();
  // Survivors keep their order, so equal depths draw the same way every frame.
  size_t kept = 0;
  for (size_t i = 0; i < particles_.size(); ++i) {
    TGLParticle p = particles_[i];
    if (times.newTime - p.CreationTime >= max_age) continue;
    p.Position += p.Velocity * dt;
    p.Velocity += accel * dt;
    particles_[kept++] = p;
  }
  particles_.resize(kept);
  current_time_ = times.newTime;
  if (Renderer() && (kept > 0 || had_particles_)) Renderer()->StructureChanged();
  had_particles_ = kept > 0;
}

// ---------------------------------------------------------------------------------------------
// Life colours and polygons

TGLLifeColoredPFXManager::TGLLifeColoredPFXManager(TComponent* owner)
    : TGLDynamicPFXManager(owner),
      color_inner_(nullptr, {1, 1, 0, 1}),
      color_outer_(nullptr, clrTransparent) {
  life_colors_.Add().SetLifeTime(3);
}

double TGLLifeColoredPFXManager::MaxParticleAge() const {
  if (life_colors_.Count() == 0) return std::numeric_limits<double>::infinity();
  return life_colors_[life_colors_.Count() - 1].LifeTime();
}

namespace {

TVector lerp_color(const TVector& a, const TVector& b, double t) {
  // Ages outside a stop's span keep the nearer colour rather than run past it.
  float f = static_cast<float>(std::clamp(t, 0.0, 1.0));
  return a + (b - a) * f;
}

}  // namespace

void TGLLifeColoredPFXManager::ParticleColors(double age, TVector& inner, TVector& outer) const {
  int32_t n = life_colors_.Count();
  if (n == 0) {
    inner = color_inner_.Color();
    outer = color_outer_.Color();
    return;
  }
  int32_t i = 0;
  while (i < n && life_colors_[i].LifeTime() < age) ++i;
  if (i == n) i = n - 1;
  const TPFXLifeColor& stop = life_colors_[i];
  if (i == 0) {
    double span = stop.LifeTime();
    double t = span > 0 ? age / span : 1.0;
    inner = lerp_color(color_inner_.Color(), stop.ColorInner().Color(), t);
    outer = lerp_color(color_outer_.Color(), stop.ColorOuter().Color(), t);
    return;
  }
  const TPFXLifeColor& before = life_colors_[i - 1];
  double span = stop.LifeTime() - before.LifeTime();
  double t = span > 0 ? (age - before.LifeTime()) / span : 1.0;
  inner = lerp_color(before.ColorInner().Color(), stop.ColorInner().Color(), t);
  outer = lerp_color(before.ColorOuter().Color(), stop.ColorOuter().Color(), t);
}

TGLPolygonPFXManager::TGLPolygonPFXManager(TComponent* owner) : TGLLifeColoredPFXManager(owner) {}

void TGLPolygonPFXManager::AppendParticle(int32_t index, const TAffineVector& right,
                                          const TAffineVector& up,
                                          std::vector<TGLParticleVertex>& triangles) const {
  const TGLParticle& p = particles_.at(static_cast<size_t>(index));
  TVector inner, outer;
  ParticleColors(current_time_ - p.CreationTime, inner, outer);
  float size = static_cast<float>(ParticleSize());
  auto corner = [&](int32_t a) {
    double angle = a * 2 * 3.14159265358979323846 / nb_sides_;
    float s = static_cast<float>(std::sin(angle)) * size;
    float c = static_cast<float>(std::cos(angle)) * size;
    TAffineVector v = p.Position + right * s + up * c;
    return TGLParticleVertex{v.X, v.Y, v.Z, outer.X, outer.Y, outer.Z, outer.W};
  };
  TGLParticleVertex centre{p.Position.X, p.Position.Y, p.Position.Z, inner.X,
                           inner.Y,      inner.Z,      inner.W};
  TGLParticleVertex previous = corner(0);
  for (int32_t a = 1; a <= nb_sides_; ++a) {
    TGLParticleVertex next = corner(a % nb_sides_);
    triangles.push_back(centre);
    triangles.push_back(previous);
    triangles.push_back(next);
    previous = next;
  }
}

// ---------------------------------------------------------------------------------------------
// TGLSourcePFXEffect

TGLSourcePFXEffect::TGLSourcePFXEffect(TGLBaseSceneObject* owner)
    : TGLObjectEffect(owner),
      initial_velocity_(nullptr, csVector),
      initial_position_(nullptr, csPoint) {
  SetName(FriendlyName());
}

TGLSourcePFXEffect::~TGLSourcePFXEffect() { SetManager(nullptr); }

void TGLSourcePFXEffect::SetManager(TGLParticleFXManager* manager) {
  if (manager == manager_) return;
  if (manager_) manager_->UnregisterSource(this);
  manager_ = manager;
  if (manager_) manager_->RegisterSource(this);
}

void TGLSourcePFXEffect::Progress(const TProgressTimes& times) {
  // A zero or negative interval would never leave the reserve; it emits nothing.
  if (!manager_ || particle_interval_ <= 0) return;
  time_remainder_ += times.deltaTime;
  double interval = particle_interval_;
  if (time_remainder_ <= interval) return;
  // The interval is a Single: 0.03 is kept as 0.0299999993, so after three 0.02 s steps the
  // remainder (0.06) is a hair above two intervals and one particle would come a step early.
  // A millionth of an interval of slack lets such rounding hairs count as nothing.
  double whole = (time_remainder_ - interval) / interval;
  auto n = static_cast<int32_t>(std::trunc(whole - 1e-6));
  if (n <= 0) return;
  Burst(times.newTime, n);
  time_remainder_ -= n * interval;
}

TAffineVector TGLSourcePFXEffect::dispersion(float d) const {
  auto draw = [d] {
    float x = (2 * static_cast<float>(Random()) - 1) * d;
    float y = (2 * static_cast<float>(Random()) - 1) * d;
    float z = (2 * static_cast<float>(Random()) - 1) * d;
    return TAffineVector{x, y, z};
  };
  TAffineVector v = draw();
  if (dispersion_mode_ == sdmIsotropic)
    while (length_squared(v) > d * d) v = draw();
  return v;
}

void TGLSourcePFXEffect::Burst(double time, int32_t n) {
  if (!manager_) return;
  TGLBaseSceneObject* owner = OwnerBaseSceneObject();
  TAffineVector base = initial_position_.AsAffineVector();
  if (owner) base += to_affine(owner->WorldPosition());
  for (int32_t i = 0; i < n; ++i) {
    TAffineVector position = base + dispersion(position_dispersion_);
    TAffineVector velocity = initial_velocity_.AsAffineVector() + dispersion(velocity_dispersion_);
    if (velocity_mode_ == svmRelative && owner)
      velocity = to_affine(vector_transform(to_vector(velocity), owner->AbsoluteMatrix()));
    TGLParticle& p = manager_->CreateParticle();
    p.Position = position;
    p.Velocity = velocity;
    p.CreationTime = time;
  }
}

namespace {

void write_coordinates(ByteWriter& writer, const TGLCoordinates& c) {
  write_tagged_integer(writer, 0);
  write_tagged_boolean(writer, true);
  for (int i = 0; i < 4; ++i) writer.write_f32(c.AsVector()[i]);
}

// A stored coordinates record: its version, whether values follow, then X, Y, Z, W.
void read_coordinates(ByteReader& reader, TGLCoordinates& c) {
  int32_t version = read_tagged_integer(reader);
  if (version != 0)
    throw Exception("TGLCoordinates : unknown archive version " + std::to_string(version));
  if (!read_tagged_boolean(reader)) return;
  float v[4];
  for (float& f : v) f = reader.read_f32();
  c.SetVector(v[0], v[1], v[2]);
}

int32_t read_enum(ByteReader& reader, int32_t last) {
  int32_t v = read_tagged_integer(reader);
  if (v < 0 || v > last) throw Exception("Invalid property value");
  return v;
}

}  // namespace

void TGLSourcePFXEffect::WriteToFiler(ByteWriter& writer) const {
  write_tagged_integer(writer, 0);
  write_tagged_string(writer, manager_ ? manager_->Name() : std::string());
  write_tagged_integer(writer, 1);
  write_coordinates(writer, initial_velocity_);
  write_coordinates(writer, initial_position_);
  writer.write_f32(velocity_dispersion_);
  writer.write_f32(position_dispersion_);
  writer.write_f32(particle_interval_);
  write_tagged_integer(writer, velocity_mode_);
  write_tagged_integer(writer, dispersion_mode_);
}

void TGLSourcePFXEffect::ReadFromFiler(ByteReader& reader) {
  int32_t version = read_tagged_integer(reader);
  if (version != 0)
    throw Exception("TGLSourcePFXEffect : unknown archive version " + std::to_string(version));
  std::string name = read_tagged_string(reader);
  int32_t own = read_tagged_integer(reader);
  if (own < 0 || own > 1)
    throw Exception("Assertion failed: TGLSourcePFXEffect archive version " + std::to_string(own));
  read_coordinates(reader, initial_velocity_);
  read_coordinates(reader, initial_position_);
  float velocity_dispersion = reader.read_f32();
  float position_dispersion = reader.read_f32();
  float interval = reader.read_f32();
  auto velocity_mode = static_cast<TGLSourcePFXVelocityMode>(read_enum(reader, svmRelative));
  auto dispersion_mode =
      own >= 1 ? static_cast<TGLSourcePFXDispersionMode>(read_enum(reader, sdmIsotropic)) : sdmFast;
  velocity_dispersion_ = velocity_dispersion;
  position_dispersion_ = position_dispersion;
  particle_interval_ = interval;
  velocity_mode_ = velocity_mode;
  dispersion_mode_ = dispersion_mode;
  pending_manager_name_ = name;
  SetManager(nullptr);
}

void TGLSourcePFXEffect::Loaded() {
  if (pending_manager_name_.empty()) return;
  auto* m =
      find_form_component<TGLParticleFXManager>(OwnerBaseSceneObject(), pending_manager_name_);
  pending_manager_name_.clear();
  if (m) SetManager(m);
}

// ---------------------------------------------------------------------------------------------
// TGLParticleFXRenderer

TGLParticleFXRenderer::TGLParticleFXRenderer(TComponent* owner) : TGLBaseSceneObject(owner) {}

TGLParticleFXRenderer::~TGLParticleFXRenderer() {
  for (TGLParticleFXManager* m : managers_) m->renderer_gone();
  managers_.clear();
}

void TGLParticleFXRenderer::SetZWrite(bool v) {
  if (v == z_write_) return;
  z_write_ = v;
  StructureChanged();
}

void TGLParticleFXRenderer::SetBlendingMode(TBlendingMode v) {
  if (v == blending_mode_) return;
  blending_mode_ = v;
  StructureChanged();
}

void TGLParticleFXRenderer::RegisterManager(TGLParticleFXManager* manager) {
  if (manager && std::find(managers_.begin(), managers_.end(), manager) == managers_.end())
    managers_.push_back(manager);
}

void TGLParticleFXRenderer::UnregisterManager(TGLParticleFXManager* manager) {
  managers_.erase(std::remove(managers_.begin(), managers_.end(), manager), managers_.end());
}
