// The sky dome: colour bands between two elevations and a field of stars, drawn behind
// everything around the camera.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/scene_object.h"

class TSkyDomeBands;
class TSkyDomeStars;
class TGLSkyDome;

// One band from StartAngle to StopAngle (degrees of elevation, −90..90).
class TSkyDomeBand : public IGLNotifyAble {
 public:
  explicit TSkyDomeBand(TSkyDomeBands* collection);
  TSkyDomeBand(const TSkyDomeBand&) = delete;
  TSkyDomeBand& operator=(const TSkyDomeBand&) = delete;

  float StartAngle() const { return start_angle_; }
  // Clamped to −90..90; raises StopAngle when it would be passed.
  void SetStartAngle(float v);
  float StopAngle() const { return stop_angle_; }
  // Clamped to −90..90; lowers StartAngle when it would be passed.
  void SetStopAngle(float v);
  TGLColor& StartColor() { return start_color_; }
  TGLColor& StopColor() { return stop_color_; }
  int32_t Slices() const { return slices_; }
  void SetSlices(int32_t v);  // at least 3
  int32_t Stacks() const { return stacks_; }
  void SetStacks(int32_t v);  // at least 1

  void NotifyChange(IGLNotifyAble* sender) override;

 private:
  TSkyDomeBands* collection_;
  float start_angle_ = 0;
  float stop_angle_ = 90;
  TGLColor start_color_;
  TGLColor stop_color_;
  int32_t slices_ = 12;
  int32_t stacks_ = 1;
};

class TSkyDomeBands {
 public:
  explicit TSkyDomeBands(TGLSkyDome* owner) : owner_(owner) {}
  int Count() const { return static_cast<int>(items_.size()); }
  TSkyDomeBand& Items(int index) const { return *items_.at(static_cast<size_t>(index)); }
  TSkyDomeBand& operator[](int index) const { return Items(index); }
  TSkyDomeBand& Add();
  void Delete(int index);
  void Clear();
  // Any band change: the dome is rebuilt.
  void Changed();

 private:
  TGLSkyDome* owner_;
  std::vector<std::unique_ptr<TSkyDomeBand>> items_;
};

// A star at right ascension RA (around local Y) and declination Dec (elevation), degrees.
class TSkyDomeStar {
 public:
  explicit TSkyDomeStar(TSkyDomeStars* collection) : collection_(collection) {}
  float RA() const { return ra_; }
  void SetRA(float v);
  float Dec() const { return dec_; }
  void SetDec(float v);
  float Magnitude() const { return magnitude_; }
  void SetMagnitude(float v);
  TColor Color() const { return color_; }  // packed 0x00BBGGRR
  void SetColor(TColor v);

 private:
  friend class TSkyDomeStars;
  TSkyDomeStars* collection_;
  float ra_ = 0;
  float dec_ = 0;
  float magnitude_ = 0;
  TColor color_ = clWhite;
};

class TSkyDomeStars {
 public:
  explicit TSkyDomeStars(TGLSkyDome* owner) : owner_(owner) {}
  int Count() const { return static_cast<int>(items_.size()); }
  TSkyDomeStar& Items(int index) const { return *items_.at(static_cast<size_t>(index)); }
  TSkyDomeStar& operator[](int index) const { return Items(index); }
  TSkyDomeStar& Add();
  void Delete(int index);
  void Clear();
  // `count` new stars of `color`, magnitude 3, spread uniformly over the sphere (or its upper
  // half) with the shared random generator.
  void ScatterStars(int32_t count, TColor color, bool upperHalfOnly);
  void Changed();

 private:
  TGLSkyDome* owner_;
  std::vector<std::unique_ptr<TSkyDomeStar>> items_;
};

enum TSkyDomeOption : uint32_t { sdoTwinkle = 1u << 0 };
using TSkyDomeOptions = uint32_t;

class TGLSkyDome : public TGLImmaterialSceneObject {
 public:
  explicit TGLSkyDome(TComponent* owner = nullptr);
  ~TGLSkyDome() override;

  TSkyDomeBands& Bands() { return bands_; }
  TSkyDomeStars& Stars() { return stars_; }
  TSkyDomeOptions Options() const { return options_; }
  void SetOptions(TSkyDomeOptions v);

  // Bumped by every band (stars) change; the renderer rebuilds its tessellation when it moved.
  uint64_t BandsRevision() const { return bands_revision_; }
  uint64_t StarsRevision() const { return stars_revision_; }
  void BandsChanged();
  void StarsChanged();

  // Around the camera, behind everything (engine/render_sky.cpp).
  void EmitGeometry(TGLRenderContextInfo& rci) override;

 private:
  TSkyDomeBands bands_;
  TSkyDomeStars stars_;
  TSkyDomeOptions options_ = 0;
  uint64_t bands_revision_ = 0;
  uint64_t stars_revision_ = 0;
};
