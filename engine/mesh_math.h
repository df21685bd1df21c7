// The few vector and matrix helpers the mesh code needs beyond engine/vector_math.h:
// in-place sums, bounds, the bone rotations and affine transforms of 3-float vectors.
#pragma once

#include <cmath>

#include "engine/vector_math.h"

inline TAffineVector& operator+=(TAffineVector& a, const TAffineVector& b) { return a = a + b; }
inline TAffineVector& operator-=(TAffineVector& a, const TAffineVector& b) { return a = a - b; }
inline float length_squared(const TAffineVector& a) { return dot(a, a); }
inline TAffineVector lerp(const TAffineVector& a, const TAffineVector& b, float t) {
  return a + (b - a) * t;
}
inline TAffineVector min_each(const TAffineVector& a, const TAffineVector& b) {
  return {a.X < b.X ? a.X : b.X, a.Y < b.Y ? a.Y : b.Y, a.Z < b.Z ? a.Z : b.Z};
}
inline TAffineVector max_each(const TAffineVector& a, const TAffineVector& b) {
  return {a.X > b.X ? a.X : b.X, a.Y > b.Y ? a.Y : b.Y, a.Z > b.Z ? a.Z : b.Z};
}

inline TMatrix translation_matrix(const TAffineVector& t) {
  TMatrix r = identity_matrix();
  r[3] = {t.X, t.Y, t.Z, 1};
  return r;
}

// Rotations about one axis by an angle in radians, for row vectors (v · R).
inline TMatrix rotation_x_matrix(float a) {
  TMatrix r = identity_matrix();
  float c = std::cos(a), s = std::sin(a);
  r[1][1] = c;
  r[1][2] = s;
  r[2][1] = -s;
  r[2][2] = c;
  return r;
}
inline TMatrix rotation_y_matrix(float a) {
  TMatrix r = identity_matrix();
  float c = std::cos(a), s = std::sin(a);
  r[0][0] = c;
  r[0][2] = -s;
  r[2][0] = s;
  r[2][2] = c;
  return r;
}
inline TMatrix rotation_z_matrix(float a) {
  TMatrix r = identity_matrix();
  float c = std::cos(a), s = std::sin(a);
  r[0][0] = c;
  r[0][1] = s;
  r[1][0] = -s;
  r[1][1] = c;
  return r;
}

inline TAffineVector transform_point(const TAffineVector& p, const TMatrix& m) {
  return {p.X * m[0][0] + p.Y * m[1][0] + p.Z * m[2][0] + m[3][0],
          p.X * m[0][1] + p.Y * m[1][1] + p.Z * m[2][1] + m[3][1],
          p.X * m[0][2] + p.Y * m[1][2] + p.Z * m[2][2] + m[3][2]};
}

inline TAffineVector transform_vector(const TAffineVector& v, const TMatrix& m) {
  return {v.X * m[0][0] + v.Y * m[1][0] + v.Z * m[2][0],
          v.X * m[0][1] + v.Y * m[1][1] + v.Z * m[2][1],
          v.X * m[0][2] + v.Y * m[1][2] + v.Z * m[2][2]};
}

// Inverse of a rigid transform (orthonormal rotation rows, then a translation): bone poses.
inline TMatrix rigid_inverse(const TMatrix& a) {
  TMatrix r = identity_matrix();
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r[i][j] = a[j][i];
  TAffineVector it = -transform_vector({a[3][0], a[3][1], a[3][2]}, r);
  r[3] = {it.X, it.Y, it.Z, 1};
  return r;
}
