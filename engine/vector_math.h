// Vectors and matrices of the scene: four 32-bit floats, rows multiplied on the left
// (point' = point · M), so a child's world matrix is its local matrix times its parent's.
#pragma once

#include <cmath>
#include <cstdint>

struct TAffineVector {
  float X = 0, Y = 0, Z = 0;
  float& operator[](int i) { return i == 0 ? X : (i == 1 ? Y : Z); }
  float operator[](int i) const { return i == 0 ? X : (i == 1 ? Y : Z); }
  bool operator==(const TAffineVector&) const = default;
};

struct TVector {
  float X = 0, Y = 0, Z = 0, W = 0;
  float& operator[](int i) { return i == 0 ? X : (i == 1 ? Y : (i == 2 ? Z : W)); }
  float operator[](int i) const { return i == 0 ? X : (i == 1 ? Y : (i == 2 ? Z : W)); }
  bool operator==(const TVector&) const = default;
};

// Rows: 0 = local X axis, 1 = local Y axis, 2 = local Z axis, 3 = translation.
struct TMatrix {
  TVector V[4];
  TVector& operator[](int i) { return V[i]; }
  const TVector& operator[](int i) const { return V[i]; }
  bool operator==(const TMatrix&) const = default;
};

constexpr float cPI = 3.14159265358979323846f;

inline constexpr TVector vector_make(float x, float y, float z, float w = 0) {
  return {x, y, z, w};
}
inline constexpr TVector point_make(float x, float y, float z) { return {x, y, z, 1}; }
inline constexpr TAffineVector affine_make(float x, float y, float z) { return {x, y, z}; }
inline constexpr TVector to_vector(const TAffineVector& a, float w = 0) {
  return {a.X, a.Y, a.Z, w};
}
inline constexpr TAffineVector to_affine(const TVector& v) { return {v.X, v.Y, v.Z}; }

inline double deg_to_rad(double deg) { return deg * (3.14159265358979323846 / 180.0); }
inline double rad_to_deg(double rad) { return rad * (180.0 / 3.14159265358979323846); }

// --- affine (3-component) operations; the 4-component forms below ignore and clear W

inline TAffineVector operator+(const TAffineVector& a, const TAffineVector& b) {
  return {a.X + b.X, a.Y + b.Y, a.Z + b.Z};
}
inline TAffineVector operator-(const TAffineVector& a, const TAffineVector& b) {
  return {a.X - b.X, a.Y - b.Y, a.Z - b.Z};
}
inline TAffineVector operator*(const TAffineVector& a, float f) {
  return {a.X * f, a.Y * f, a.Z * f};
}
inline TAffineVector operator*(float f, const TAffineVector& a) { return a * f; }
inline TAffineVector operator-(const TAffineVector& a) { return {-a.X, -a.Y, -a.Z}; }
inline float dot(const TAffineVector& a, const TAffineVector& b) {
  return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}
inline TAffineVector cross(const TAffineVector& a, const TAffineVector& b) {
  return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}
inline float length(const TAffineVector& a) { return std::sqrt(dot(a, a)); }
// A zero vector stays zero rather than turning into NaNs.
inline TAffineVector normalize(const TAffineVector& a) {
  float len = length(a);
  return len > 0 ? a * (1.0f / len) : a;
}

// --- 4-component vectors used as directions (W carried through where it makes sense)

inline TVector operator+(const TVector& a, const TVector& b) {
  return {a.X + b.X, a.Y + b.Y, a.Z + b.Z, a.W + b.W};
}
inline TVector operator-(const TVector& a, const TVector& b) {
  return {a.X - b.X, a.Y - b.Y, a.Z - b.Z, a.W - b.W};
}
inline TVector operator*(const TVector& a, float f) { return {a.X * f, a.Y * f, a.Z * f, a.W * f}; }
inline TVector operator*(float f, const TVector& a) { return a * f; }
// Dot, cross and length of the X, Y, Z part only.
inline float dot3(const TVector& a, const TVector& b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }
inline TVector cross3(const TVector& a, const TVector& b) {
  return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X, 0};
}
inline float length3(const TVector& a) { return std::sqrt(dot3(a, a)); }
// Normalises X, Y, Z and sets W to 0; a zero vector stays zero.
inline TVector normalize3(const TVector& a) {
  float len = length3(a);
  if (len <= 0) return {a.X, a.Y, a.Z, 0};
  float f = 1.0f / len;
  return {a.X * f, a.Y * f, a.Z * f, 0};
}

// --- matrices

inline constexpr TMatrix identity_matrix() {
  return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

// (A·B): applying the result to a row vector applies A first, then B.
inline TMatrix matrix_multiply(const TMatrix& a, const TMatrix& b) {
  TMatrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j] + a[i][3] * b[3][j];
  return r;
}

// v · M with the full four components.
inline TVector vector_transform(const TVector& v, const TMatrix& m) {
  TVector r;
  for (int j = 0; j < 4; ++j) r[j] = v.X * m[0][j] + v.Y * m[1][j] + v.Z * m[2][j] + v.W * m[3][j];
  return r;
}

inline TMatrix matrix_transpose(const TMatrix& m) {
  TMatrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r[i][j] = m[j][i];
  return r;
}

// General 4x4 inverse by cofactors; a singular matrix (a zero scale) yields the identity,
// which keeps the callers' arithmetic finite.
TMatrix matrix_invert(const TMatrix& m);

// Rotates v (X, Y, Z; W kept) about `axis` by `angle` radians as v · R, R the 3x3 rotation
// matrix of the normalised axis: v' = v·c + (v × a)·s + a·(a·v)·(1 − c).
TVector rotate_vector(const TVector& v, const TVector& axis, double angle);
