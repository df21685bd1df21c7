// The small value objects owned by scene objects and components: change-notifying 4-float
// coordinates (positions, directions, scales, angles) and RGBA colours.
#pragma once

#include <cstdint>

#include "engine/vector_math.h"

// Anything that wants to hear that one of its parts changed.
class IGLNotifyAble {
 public:
  virtual ~IGLNotifyAble() = default;
  virtual void NotifyChange(IGLNotifyAble* sender) = 0;
};

class TGLCoordinates;

// Owners that react to each vector separately (a scene object renormalises Direction and Up).
class IGLCoordinatesUpdateAble {
 public:
  virtual ~IGLCoordinatesUpdateAble() = default;
  virtual void CoordinateChanged(TGLCoordinates* sender) = 0;
};

// A part of something bigger: tells its owner when it changes, unless updates are held back.
class TGLUpdateAbleObject : public IGLNotifyAble {
 public:
  explicit TGLUpdateAbleObject(IGLNotifyAble* owner) : owner_(owner) {}
  ~TGLUpdateAbleObject() override = default;
  TGLUpdateAbleObject(const TGLUpdateAbleObject&) = delete;
  TGLUpdateAbleObject& operator=(const TGLUpdateAbleObject&) = delete;

  IGLNotifyAble* Owner() const { return owner_; }
  // Passes the change on to the owner as "this part changed".
  void NotifyChange(IGLNotifyAble* sender) override;
  // Changes between BeginUpdate and the matching EndUpdate are told once, at the end.
  void BeginUpdate() { ++update_count_; }
  void EndUpdate();
  int UpdateCount() const { return update_count_; }

 protected:
  IGLNotifyAble* owner_;
  int update_count_ = 0;
};

enum TGLCoordinatesStyle { csPoint, csVector };

// X, Y, Z, W as 32-bit floats. The style fixes W: 1 for points, 0 for vectors.
class TGLCoordinates : public TGLUpdateAbleObject {
 public:
  TGLCoordinates(IGLNotifyAble* owner, TGLCoordinatesStyle style, const TVector& initial = {});

  float X() const { return v_.X; }
  float Y() const { return v_.Y; }
  float Z() const { return v_.Z; }
  float W() const { return v_.W; }
  // Each stores the value as given (no normalisation here) and tells the owner.
  void SetX(float x);
  void SetY(float y);
  void SetZ(float z);
  void SetW(float w);
  // X, Y, Z at once with one notice; W stays the style's.
  void SetVector(float x, float y, float z);
  void SetPoint(float x, float y, float z) { SetVector(x, y, z); }
  void SetAsVector(const TVector& v) { SetVector(v.X, v.Y, v.Z); }
  void SetAsAffineVector(const TAffineVector& v) { SetVector(v.X, v.Y, v.Z); }
  void Assign(const TGLCoordinates& source) { SetVector(source.X(), source.Y(), source.Z()); }
  // += f · v (X, Y, Z), one notice.
  void AddScaledVector(float f, const TVector& v);
  void SetToZero() { SetVector(0, 0, 0); }

  const TVector& AsVector() const { return v_; }
  TAffineVector AsAffineVector() const { return {v_.X, v_.Y, v_.Z}; }
  TGLCoordinatesStyle Style() const { return style_; }

  // Tells the owner: per-vector owners (scene objects) hear which vector it was.
  void NotifyChange(IGLNotifyAble* sender) override;

  // Stores without telling anyone; for owners that rewrite their own vectors in a calculation.
  void SetDirect(const TVector& v) { v_ = {v.X, v.Y, v.Z, style_ == csPoint ? 1.0f : 0.0f}; }

 private:
  TVector v_;
  TGLCoordinatesStyle style_;
};

// A Windows-style packed colour: 0x00BBGGRR.
using TColor = int32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
// The packed colour as red, green, blue in 0..1 with the given alpha.
TVector ConvertWinColor(TColor color, float alpha = 1);
TColor ConvertColorVector(const TVector& color);

constexpr TVector clrBlack = {0, 0, 0, 1};
constexpr TVector clrWhite = {1, 1, 1, 1};
constexpr TVector clrGray20 = {0.2f, 0.2f, 0.2f, 1};
constexpr TVector clrGray80 = {0.8f, 0.8f, 0.8f, 1};
constexpr TVector clrTransparent = {0, 0, 0, 0};

// RGBA, each a 32-bit float in 0..1. Setters compare first and tell the owner only on change.
class TGLColor : public TGLUpdateAbleObject {
 public:
  explicit TGLColor(IGLNotifyAble* owner, const TVector& color = clrWhite)
      : TGLUpdateAbleObject(owner), c_(color) {}

  float Red() const { return c_.X; }
  float Green() const { return c_.Y; }
  float Blue() const { return c_.Z; }
  float Alpha() const { return c_.W; }
  void SetRed(float v) { set_component(0, v); }
  void SetGreen(float v) { set_component(1, v); }
  void SetBlue(float v) { set_component(2, v); }
  void SetAlpha(float v) { set_component(3, v); }

  const TVector& Color() const { return c_; }
  void SetColor(const TVector& color);
  void SetColor(float r, float g, float b, float a = 1) { SetColor(TVector{r, g, b, a}); }
  void Assign(const TGLColor& source) { SetColor(source.c_); }
  // Packed form; the alpha is kept when setting.
  TColor AsWinColor() const { return ConvertColorVector(c_); }
  void SetAsWinColor(TColor color) { SetColor(ConvertWinColor(color, c_.W)); }

 private:
  void set_component(int i, float v);
  TVector c_;
};
