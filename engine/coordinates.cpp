// Notification plumbing of the coordinates and colours.
#include "engine/coordinates.h"

#include <algorithm>
#include <cmath>

void TGLUpdateAbleObject::NotifyChange(IGLNotifyAble* /*sender*/) {
  if (update_count_ == 0 && owner_) owner_->NotifyChange(this);
}

void TGLUpdateAbleObject::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0) NotifyChange(this);
}

TGLCoordinates::TGLCoordinates(IGLNotifyAble* owner, TGLCoordinatesStyle style,
                               const TVector& initial)
    : TGLUpdateAbleObject(owner), style_(style) {
  SetDirect(initial);
}

void TGLCoordinates::SetX(float x) {
  v_.X = x;
  NotifyChange(this);
}

void TGLCoordinates::SetY(float y) {
  v_.Y = y;
  NotifyChange(this);
}

void TGLCoordinates::SetZ(float z) {
  v_.Z = z;
  NotifyChange(this);
}

void TGLCoordinates::SetW(float w) {
  v_.W = w;
  NotifyChange(this);
}

void TGLCoordinates::SetVector(float x, float y, float z) {
  v_.X = x;
  v_.Y = y;
  v_.Z = z;
  NotifyChange(this);
}

void TGLCoordinates::AddScaledVector(float f, const TVector& v) {
  SetVector(v_.X + f * v.X, v_.Y + f * v.Y, v_.Z + f * v.Z);
}

void TGLCoordinates::NotifyChange(IGLNotifyAble* sender) {
  if (update_count_ != 0 || !owner_) return;
  if (auto* coordinate_owner = dynamic_cast<IGLCoordinatesUpdateAble*>(owner_))
    coordinate_owner->CoordinateChanged(this);
  else
    TGLUpdateAbleObject::NotifyChange(sender);
}

TVector ConvertWinColor(TColor color, float alpha) {
  auto channel = [&](int shift) { return static_cast<float>((color >> shift) & 0xFF) / 255.0f; };
  return {channel(0), channel(8), channel(16), alpha};
}

TColor ConvertColorVector(const TVector& color) {
  auto channel = [](float v) {
    return static_cast<TColor>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
  };
  return channel(color.X) | (channel(color.Y) << 8) | (channel(color.Z) << 16);
}

void TGLColor::SetColor(const TVector& color) {
  if (color == c_) return;
  c_ = color;
  NotifyChange(this);
}

void TGLColor::set_component(int i, float v) {
  if (c_[i] == v) return;
  c_[i] = v;
  NotifyChange(this);
}
