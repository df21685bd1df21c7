// Particle managers fed by source effects: the dynamic manager that ages and moves its
// particles, life colours, the polygon particles, the source effect that emits them from its
// object, and the scene object that draws the particles of its managers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/behaviour.h"
#include "engine/coordinates.h"
#include "engine/material.h"
#include "engine/scene_object.h"
#include "engine/stream.h"

class TGLCadencer;
class TGLParticleFXRenderer;
class TGLSourcePFXEffect;

// A corner of the triangles the particles are drawn with: scene-space place and colour.
struct TGLParticleVertex {
  float X, Y, Z;
  float R, G, B, A;
};

struct TGLParticle {
  TAffineVector Position;
  TAffineVector Velocity;
  double CreationTime = 0;
};

class TGLParticleFXManager : public TGLCadenceAbleComponent {
 public:
  explicit TGLParticleFXManager(TComponent* owner = nullptr);
  ~TGLParticleFXManager() override;

  TGLCadencer* Cadencer() const { return cadencer_; }
  void SetCadencer(TGLCadencer* cadencer);
  TGLParticleFXRenderer* Renderer() const { return renderer_; }
  // Leaves the old renderer's list and joins the new one's.
  void SetRenderer(TGLParticleFXRenderer* renderer);

  // A new particle, created now; the caller fills it in.
  TGLParticle& CreateParticle();
  int32_t ParticleCount() const { return static_cast<int32_t>(particles_.size()); }
  const TGLParticle& Particles(int32_t index) const {
    return particles_.at(static_cast<size_t>(index));
  }
  std::vector<TGLParticle>& ParticleList() { return particles_; }
  // newTime of the last progress step: the clock the particles' ages are read against.
  double CurrentTime() const { return current_time_; }

  // The source effects that feed us.
  void RegisterSource(TGLSourcePFXEffect* source);
  void UnregisterSource(TGLSourcePFXEffect* source);

  // Colours of a particle of age t.
  virtual void ParticleColors(double /*age*/, TVector& inner, TVector& outer) const {
    inner = {1, 1, 1, 1};
    outer = {1, 1, 1, 0};
  }
  // Appends the triangles of one particle, facing the view whose right and up axes are given.
  virtual void AppendParticle(int32_t /*index*/, const TAffineVector& /*right*/,
                              const TAffineVector& /*up*/,
                              std::vector<TGLParticleVertex>& /*triangles*/) const {}

  // The renderer is going away.
  void renderer_gone() { renderer_ = nullptr; }

 protected:
  void Notification(TComponent* component) override;
  std::vector<TGLParticle> particles_;
  double current_time_ = 0;

 private:
  TGLCadencer* cadencer_ = nullptr;
  TGLParticleFXRenderer* renderer_ = nullptr;
  std::vector<TGLSourcePFXEffect*> sources_;
};

// Particles that die at a maximum age and move with their velocity under an acceleration.
class TGLDynamicPFXManager : public TGLParticleFXManager {
 public:
  explicit TGLDynamicPFXManager(TComponent* owner = nullptr);

  TGLCoordinates& Acceleration() { return acceleration_; }
  // Particles at or past this age are removed.
  virtual double MaxParticleAge() const = 0;
  void Progress(const TProgressTimes& times) override;

 private:
  TGLCoordinates acceleration_;
  bool had_particles_ = false;  // the last picture showed some: the next one must clear them
};

// One stop of a particle's colour over its life.
class TPFXLifeColor {
 public:
  TPFXLifeColor() : color_inner_(nullptr, clrTransparent), color_outer_(nullptr, clrTransparent) {}
  TGLColor& ColorInner() { return color_inner_; }
  const TGLColor& ColorInner() const { return color_inner_; }
  TGLColor& ColorOuter() { return color_outer_; }
  const TGLColor& ColorOuter() const { return color_outer_; }
  double LifeTime() const { return life_time_; }
  void SetLifeTime(double v) { life_time_ = v; }

 private:
  TGLColor color_inner_;
  TGLColor color_outer_;
  double life_time_ = 1.0;
};

class TPFXLifeColors {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TPFXLifeColor& Items(int32_t index) const { return *items_.at(static_cast<size_t>(index)); }
  TPFXLifeColor& operator[](int32_t index) const { return Items(index); }
  TPFXLifeColor& Add() { return *items_.emplace_back(std::make_unique<TPFXLifeColor>()); }
  void Delete(int32_t index) { items_.erase(items_.begin() + index); }
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TPFXLifeColor>> items_;
};

class TGLLifeColoredPFXManager : public TGLDynamicPFXManager {
 public:
  // A new manager holds one life colour of 3 s.
  explicit TGLLifeColoredPFXManager(TComponent* owner = nullptr);

  TGLColor& ColorInner() { return color_inner_; }
  TGLColor& ColorOuter() { return color_outer_; }
  TPFXLifeColors& LifeColors() { return life_colors_; }
  double ParticleSize() const { return particle_size_; }
  void SetParticleSize(double v) { particle_size_ = v; }

  // The last life colour's LifeTime; without life colours particles never age out.
  double MaxParticleAge() const override;
  // The colours between the two life colours around `age` (the manager's own before the
  // first); past the last the last one's colours.
  void ParticleColors(double age, TVector& inner, TVector& outer) const override;

 private:
  TGLColor color_inner_;
  TGLColor color_outer_;
  TPFXLifeColors life_colors_;
  double particle_size_ = 1.0;
};

// Particles drawn as regular polygons facing the camera.
class TGLPolygonPFXManager : public TGLLifeColoredPFXManager {
 public:
  explicit TGLPolygonPFXManager(TComponent* owner = nullptr);

  int32_t NbSides() const { return nb_sides_; }
  void SetNbSides(int32_t v) { nb_sides_ = v < 3 ? 3 : v; }

  // A fan of NbSides corners at ParticleSize: the inner colour at the centre, the outer one
  // round the rim.
  void AppendParticle(int32_t index, const TAffineVector& right, const TAffineVector& up,
                      std::vector<TGLParticleVertex>& triangles) const override;

 private:
  int32_t nb_sides_ = 6;
};

enum TGLSourcePFXVelocityMode { svmAbsolute, svmRelative };
enum TGLSourcePFXDispersionMode { sdmFast, sdmIsotropic };

// Emits particles of its manager from the object carrying it, one per interval.
class TGLSourcePFXEffect : public TGLObjectEffect {
 public:
  explicit TGLSourcePFXEffect(TGLBaseSceneObject* owner);
  ~TGLSourcePFXEffect() override;

  static const char* FriendlyName() { return "PFX Source"; }

  TGLParticleFXManager* Manager() const { return manager_; }
  void SetManager(TGLParticleFXManager* manager);
  const std::string& PendingManagerName() const { return pending_manager_name_; }
  TGLCoordinates& InitialVelocity() { return initial_velocity_; }
  TGLCoordinates& InitialPosition() { return initial_position_; }
  float VelocityDispersion() const { return velocity_dispersion_; }
  void SetVelocityDispersion(float v) { velocity_dispersion_ = v; }
  float PositionDispersion() const { return position_dispersion_; }
  void SetPositionDispersion(float v) { position_dispersion_ = v; }
  float ParticleInterval() const { return particle_interval_; }
  void SetParticleInterval(float v) { particle_interval_ = v; }
  TGLSourcePFXVelocityMode VelocityMode() const { return velocity_mode_; }
  void SetVelocityMode(TGLSourcePFXVelocityMode v) { velocity_mode_ = v; }
  TGLSourcePFXDispersionMode DispersionMode() const { return dispersion_mode_; }
  void SetDispersionMode(TGLSourcePFXDispersionMode v) { dispersion_mode_ = v; }
  double TimeRemainder() const { return time_remainder_; }

  // Keeps one interval in reserve: emits once the remainder is past two intervals.
  void Progress(const TProgressTimes& times) override;
  // n particles created at `time` around the object's world position.
  void Burst(double time, int32_t n);

  // The common part (version 0, the manager's name), then our own version 1 with the
  // velocities, dispersions, interval and modes.
  void WriteToFiler(ByteWriter& writer) const;
  void ReadFromFiler(ByteReader& reader);
  void Loaded() override;

  void manager_gone() { manager_ = nullptr; }

 private:
  TAffineVector dispersion(float d) const;

  TGLParticleFXManager* manager_ = nullptr;
  std::string pending_manager_name_;
  TGLCoordinates initial_velocity_;
  TGLCoordinates initial_position_;
  float velocity_dispersion_ = 0;
  float position_dispersion_ = 0;
  float particle_interval_ = 0.1f;
  TGLSourcePFXVelocityMode velocity_mode_ = svmAbsolute;
  TGLSourcePFXDispersionMode dispersion_mode_ = sdmFast;
  double time_remainder_ = 0;
};

// Draws the particles of every manager that names it, in scene space, farthest first.
class TGLParticleFXRenderer : public TGLBaseSceneObject {
 public:
  explicit TGLParticleFXRenderer(TComponent* owner = nullptr);
  ~TGLParticleFXRenderer() override;

  bool ZWrite() const { return z_write_; }
  void SetZWrite(bool v);
  TBlendingMode BlendingMode() const { return blending_mode_; }
  void SetBlendingMode(TBlendingMode v);

  bool IsBlended() override { return blending_mode_ != bmOpaque; }
  // engine/render_particles.cpp
  void EmitGeometry(TGLRenderContextInfo& rci) override;

  void RegisterManager(TGLParticleFXManager* manager);
  void UnregisterManager(TGLParticleFXManager* manager);
  const std::vector<TGLParticleFXManager*>& Managers() const { return managers_; }

 private:
  bool z_write_ = false;
  TBlendingMode blending_mode_ = bmAdditive;
  std::vector<TGLParticleFXManager*> managers_;
};
