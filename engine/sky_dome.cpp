// The sky dome's band and star collections with their setter rules, and the star scatter.
#include "engine/sky_dome.h"

#include <algorithm>
#include <cmath>

#include "engine/random.h"

// ---------------------------------------------------------------------------------------------
// Bands

TSkyDomeBand::TSkyDomeBand(TSkyDomeBands* collection)
    : collection_(collection), start_color_(this, clrBlack), stop_color_(this, clrBlack) {}

void TSkyDomeBand::SetStartAngle(float v) {
  v = std::clamp(v, -90.0f, 90.0f);
  if (v == start_angle_) return;
  start_angle_ = v;
  if (start_angle_ > stop_angle_) stop_angle_ = start_angle_;
  NotifyChange(this);
}

void TSkyDomeBand::SetStopAngle(float v) {
  v = std::clamp(v, -90.0f, 90.0f);
  if (v == stop_angle_) return;
  stop_angle_ = v;
  if (stop_angle_ < start_angle_) start_angle_ = stop_angle_;
  NotifyChange(this);
}

void TSkyDomeBand::SetSlices(int32_t v) {
  v = std::max(v, 3);
  if (v == slices_) return;
  slices_ = v;
  NotifyChange(this);
}

void TSkyDomeBand::SetStacks(int32_t v) {
  v = std::max(v, 1);
  if (v == stacks_) return;
  stacks_ = v;
  NotifyChange(this);
}

void TSkyDomeBand::NotifyChange(IGLNotifyAble* /*sender*/) {
  if (collection_) collection_->Changed();
}

TSkyDomeBand& TSkyDomeBands::Add() {
  items_.push_back(std::make_unique<TSkyDomeBand>(this));
  Changed();
  return *items_.back();
}

void TSkyDomeBands::Delete(int index) {
  items_.erase(items_.begin() + index);
  Changed();
}

void TSkyDomeBands::Clear() {
  items_.clear();
  Changed();
}

void TSkyDomeBands::Changed() {
  if (owner_) owner_->BandsChanged();
}

// ---------------------------------------------------------------------------------------------
// Stars

void TSkyDomeStar::SetRA(float v) {
  if (v == ra_) return;
  ra_ = v;
  collection_->Changed();
}

void TSkyDomeStar::SetDec(float v) {
  if (v == dec_) return;
  dec_ = v;
  collection_->Changed();
}

void TSkyDomeStar::SetMagnitude(float v) {
  if (v == magnitude_) return;
  magnitude_ = v;
  collection_->Changed();
}

void TSkyDomeStar::SetColor(TColor v) {
  if (v == color_) return;
  color_ = v;
  collection_->Changed();
}

TSkyDomeStar& TSkyDomeStars::Add() {
  items_.push_back(std::make_unique<TSkyDomeStar>(this));
  Changed();
  return *items_.back();
}

void TSkyDomeStars::Delete(int index) {
  items_.erase(items_.begin() + index);
  Changed();
}

void TSkyDomeStars::Clear() {
  items_.clear();
  Changed();
}

void TSkyDomeStars::ScatterStars(int32_t count, TColor color, bool upperHalfOnly) {
  if (count <= 0) return;
  items_.reserve(items_.size() + static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    // Uniform in z gives a uniform spread over the sphere's surface.
    double z = upperHalfOnly ? Random() : 2 * Random() - 1;
    auto star = std::make_unique<TSkyDomeStar>(this);
    star->dec_ = static_cast<float>(rad_to_deg(std::asin(z)));
    star->ra_ = static_cast<float>(Random() * 360 - 180);
    star->color_ = color;
    star->magnitude_ = 3;
    items_.push_back(std::move(star));
  }
  // Twenty thousand stars make one change, not a hundred thousand.
  Changed();
}

void TSkyDomeStars::Changed() {
  if (owner_) owner_->StarsChanged();
}

// ---------------------------------------------------------------------------------------------
// The dome

TGLSkyDome::TGLSkyDome(TComponent* owner)
    : TGLImmaterialSceneObject(owner), bands_(this), stars_(this) {
  TSkyDomeBand& low = bands_.Add();
  low.SetStartAngle(0);
  low.SetStopAngle(15);
  low.StartColor().SetColor(clrWhite);
  low.StopColor().SetColor({0.75f, 0.75f, 1, 1});
  TSkyDomeBand& high = bands_.Add();
  high.SetStartAngle(15);
  high.SetStopAngle(90);
  high.SetStacks(4);
  high.StartColor().SetColor({0.75f, 0.75f, 1, 1});
  high.StopColor().SetColor({0, 0, 1, 1});
}

TGLSkyDome::~TGLSkyDome() = default;

void TGLSkyDome::SetOptions(TSkyDomeOptions v) {
  if (v == options_) return;
  options_ = v;
  StructureChanged();
}

void TGLSkyDome::BandsChanged() {
  ++bands_revision_;
  StructureChanged();
}

void TGLSkyDome::StarsChanged() {
  ++stars_revision_;
  StructureChanged();
}
