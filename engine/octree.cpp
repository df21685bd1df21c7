// Sphere sweep against triangles, and the bounding-volume tree that finds the ones in reach.
#include "engine/octree.h"

#include <algorithm>
#include <cmath>

namespace {

bool finite(TAffineVector v) {
  return std::isfinite(v.X) && std::isfinite(v.Y) && std::isfinite(v.Z);
}

TAffineVector closest_on_segment(TAffineVector a, TAffineVector b, TAffineVector p) {
  TAffineVector ab = b - a;
  float len2 = dot(ab, ab);
  if (!(len2 > 0)) return a;
  float t = dot(p - a, ab) / len2;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  return a + ab * t;
}

// Barycentric inside test with a small tolerance, so a hit on a shared edge is not lost
// between its two triangles.
bool inside_triangle(const CollisionTriangle& t, TAffineVector p) {
  const float eps = 1e-5f;
  TAffineVector v0 = t.p2 - t.p1, v1 = t.p3 - t.p1, v2 = p - t.p1;
  float d00 = dot(v0, v0), d01 = dot(v0, v1), d11 = dot(v1, v1);
  float d20 = dot(v2, v0), d21 = dot(v2, v1);
  float denom = d00 * d11 - d01 * d01;
  if (!(denom > 0)) return false;
  float v = (d11 * d20 - d01 * d21) / denom;
  float w = (d00 * d21 - d01 * d20) / denom;
  return v >= -eps && w >= -eps && v + w <= 1 + eps;
}

}  // namespace

CollisionTriangle make_collision_triangle(TAffineVector p1, TAffineVector p2, TAffineVector p3) {
  CollisionTriangle t;
  t.p1 = p1;
  t.p2 = p2;
  t.p3 = p3;
  t.face_normal = cross(p2 - p1, p3 - p1);
  t.normal = normalize(t.face_normal);
  t.usable = finite(p1) && finite(p2) && finite(p3) && finite(t.face_normal) && finite(t.normal) &&
             length_squared(t.normal) > 0.5f;
  return t;
}

bool sweep_triangle(const CollisionTriangle& t, const SweepQuery& q, TAffineVector unit,
                    SweepContact& contact) {
  if (!t.usable) return false;
  const TAffineVector n = t.normal;
  const float facing = dot(n, q.vector);
  if (facing > 0) return false;  // the sweep moves away from the front
  // 1. The start must be in front of the plane.
  const float s = dot(q.start - t.p1, n);
  if (!(s > 0)) return false;
  TAffineVector c = q.start - n * s;
  const float r = q.radius;
  bool face_hit = false;
  float d = 0;
  TAffineVector point;
  // 2. Not yet touching the plane: where does the sphere's nearest point meet it?
  if (s * s > r * r) {
    TAffineVector near = q.start - n * r;
    if (facing < 0) {
      float along = (s - r) / -facing;
      if (along > 0) {
        TAffineVector h = near + q.vector * along;
        c = h;
        if (inside_triangle(t, h)) {
          face_hit = true;
          d = length_squared(near - h);
          point = h;
        }
      }
    }
  }
  if (face_hit) {
    float reach = q.velocity + 0.05f;
    if (!(d <= reach * reach)) return false;
    contact.point = point;
    contact.normal = t.face_normal;
    contact.distance2 = d;
    return true;
  }
  // 3. Touching already, or passing beside the face: the nearest edge point must lie within
  // the sphere where the sweep ends.
  TAffineVector e = closest_on_segment(t.p1, t.p2, c);
  float best = length_squared(e - c);
  for (TAffineVector cand :
       {closest_on_segment(t.p2, t.p3, c), closest_on_segment(t.p3, t.p1, c)}) {
    float l = length_squared(cand - c);
    if (l < best) {
      best = l;
      e = cand;
    }
  }
  TAffineVector end = q.start + unit * q.velocity;
  if (!(r >= 0 && length_squared(e - end) <= r * r)) return false;
  contact.point = e;
  contact.normal = n * r;
  contact.distance2 = 0;
  return true;
}

namespace {

bool query_usable(const SweepQuery& q) {
  return finite(q.start) && finite(q.vector) && std::isfinite(q.velocity) &&
         std::isfinite(q.radius);
}

// Keeps the nearest contact; true when the search may stop (a contact at distance 0).
bool offer(const SweepContact& c, bool& found, SweepContact& best) {
  if (!found || c.distance2 < best.distance2) {
    best = c;
    found = true;
  }
  return c.distance2 == 0;
}

}  // namespace

bool sweep_all_triangles(const std::vector<CollisionTriangle>& triangles, const SweepQuery& q,
                         SweepContact& best) {
  if (!query_usable(q)) return false;
  TAffineVector unit = normalize(q.vector);
  bool found = false;
  SweepContact c;
  for (const auto& t : triangles)
    if (sweep_triangle(t, q, unit, c) && offer(c, found, best)) break;
  return found;
}

void CollisionTree::build_node(int32_t slot, std::vector<int32_t>& order,
                               const std::vector<TAffineVector>& box_min,
                               const std::vector<TAffineVector>& box_max,
                               const std::vector<TAffineVector>& centre, int32_t begin,
                               int32_t end) {
  const int32_t kLeafSize = 4;
  TAffineVector lo = box_min[order[begin]], hi = box_max[order[begin]];
  TAffineVector clo = centre[order[begin]], chi = clo;
  for (int32_t i = begin + 1; i < end; ++i) {
    lo = min_each(lo, box_min[order[i]]);
    hi = max_each(hi, box_max[order[i]]);
    clo = min_each(clo, centre[order[i]]);
    chi = max_each(chi, centre[order[i]]);
  }
  nodes_[slot].min = lo;
  nodes_[slot].max = hi;
  if (end - begin <= kLeafSize) {
    nodes_[slot].first = begin;
    nodes_[slot].count = end - begin;
    return;
  }
  // Median split along the widest spread of the triangle centres; the two children sit
  // side by side.
  TAffineVector spread = chi - clo;
  int axis = spread.X >= spread.Y && spread.X >= spread.Z ? 0 : (spread.Y >= spread.Z ? 1 : 2);
  int32_t mid = begin + (end - begin) / 2;
  std::nth_element(order.begin() + begin, order.begin() + mid, order.begin() + end,
                   [&](int32_t a, int32_t b) { return centre[a][axis] < centre[b][axis]; });
  int32_t children = static_cast<int32_t>(nodes_.size());
  nodes_.resize(nodes_.size() + 2);
  nodes_[slot].first = children;
  nodes_[slot].count = 0;
  build_node(children, order, box_min, box_max, centre, begin, mid);
  build_node(children + 1, order, box_min, box_max, centre, mid, end);
}

void CollisionTree::Build(const std::vector<CollisionTriangle>& triangles, TAffineVector min,
                          TAffineVector max) {
  nodes_.clear();
  triangles_.clear();
  min_ = min;
  max_ = max;
  std::vector<int32_t> order;
  std::vector<TAffineVector> box_min, box_max, centre;
  for (size_t i = 0; i < triangles.size(); ++i) {
    const CollisionTriangle& t = triangles[i];
    if (!t.usable) continue;
    TAffineVector lo = min_each(t.p1, min_each(t.p2, t.p3));
    TAffineVector hi = max_each(t.p1, max_each(t.p2, t.p3));
    // A margin covers the inside test's tolerance and the rounding of the reach test.
    TAffineVector ext = hi - lo;
    float big = std::max({std::fabs(lo.X), std::fabs(lo.Y), std::fabs(lo.Z), std::fabs(hi.X),
                          std::fabs(hi.Y), std::fabs(hi.Z)});
    float m = 1e-3f * std::max({ext.X, ext.Y, ext.Z}) + 1e-4f * (1 + big);
    TAffineVector margin{m, m, m};
    order.push_back(static_cast<int32_t>(box_min.size()));
    box_min.push_back(lo - margin);
    box_max.push_back(hi + margin);
    centre.push_back(t.p1 * (1.0f / 3) + t.p2 * (1.0f / 3) + t.p3 * (1.0f / 3));
    triangles_.push_back(t);
  }
  if (order.empty()) return;
  nodes_.reserve(order.size() / 2 + 1);
  nodes_.emplace_back();
  build_node(0, order, box_min, box_max, centre, 0, static_cast<int32_t>(order.size()));
  std::vector<CollisionTriangle> sorted;
  sorted.reserve(order.size());
  for (int32_t i : order) sorted.push_back(triangles_[i]);
  triangles_ = std::move(sorted);
}

bool CollisionTree::Sweep(const SweepQuery& q, SweepContact& best) const {
  if (nodes_.empty() || !query_usable(q)) return false;
  // Every contact lies on its triangle within this distance of the start...
  float reach = (std::fabs(q.velocity) + std::fabs(q.radius) + 0.05f) * 1.0001f;
  float reach2 = reach * reach;
  TAffineVector unit = normalize(q.vector);
  // ...and within the radius of the swept segment: a face contact ahead along the sweep by at
  // most |velocity + 0.05|, an edge contact around the end point.
  float back = std::fmin(0.0f, q.velocity);
  float ahead = std::fmax(std::fabs(q.velocity + 0.05f), q.velocity);
  TAffineVector from = q.start + unit * back, to = q.start + unit * ahead;
  float pad = std::fabs(q.radius) * 1.0001f + 1e-4f * (1 + reach);
  TAffineVector seg_lo = min_each(from, to) - TAffineVector{pad, pad, pad};
  TAffineVector seg_hi = max_each(from, to) + TAffineVector{pad, pad, pad};
  bool found = false;
  SweepContact c;
  int32_t stack[64];
  int depth = 0;
  stack[depth++] = 0;
  while (depth > 0) {
    const Node& node = nodes_[stack[--depth]];
    float d2 = 0;
    for (int a = 0; a < 3; ++a) {
      float v = q.start[a];
      if (v < node.min[a])
        d2 += (node.min[a] - v) * (node.min[a] - v);
      else if (v > node.max[a])
        d2 += (v - node.max[a]) * (v - node.max[a]);
    }
    if (!(d2 <= reach2)) continue;
    if (node.min.X > seg_hi.X || node.max.X < seg_lo.X || node.min.Y > seg_hi.Y ||
        node.max.Y < seg_lo.Y || node.min.Z > seg_hi.Z || node.max.Z < seg_lo.Z)
      continue;
    if (node.count > 0) {
      for (int32_t i = node.first; i < node.first + node.count; ++i)
        if (sweep_triangle(triangles_[i], q, unit, c) && offer(c, found, best)) return true;
    } else {
      // Median splits keep the tree balanced: 64 levels hold far more triangles than 2^31.
      stack[depth++] = node.first + 1;
      stack[depth++] = node.first;
    }
  }
  return found;
}
