// The collision index of a free-form mesh and the sphere sweep against it. The index is a
// bounding-volume tree over the mesh's triangles: it hands the sweep every triangle within the
// swept sphere's reach, so its answers are those of a sweep over all triangles, only sooner.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/mesh_math.h"

// A triangle as the sweep needs it, with its normals worked out once.
struct CollisionTriangle {
  TAffineVector p1, p2, p3;
  TAffineVector face_normal;  // (p2 − p1) × (p3 − p1), unnormalised
  TAffineVector normal;       // the same of length 1
  bool usable = false;        // finite and not degenerate: the others never touch anything
};

CollisionTriangle make_collision_triangle(TAffineVector p1, TAffineVector p2, TAffineVector p3);

// A sweep in the mesh's own space: a sphere of `radius` moving `velocity` along `vector`.
struct SweepQuery {
  TAffineVector start;
  TAffineVector vector;
  float velocity = 0;
  float radius = 0;
};

struct SweepContact {
  TAffineVector point;
  TAffineVector normal;
  float distance2 = 0;  // squared distance of the contact along the sweep; 0 for edge contacts
};

// The per-triangle test. True when the triangle gives a contact that counts (within the
// sweep length); `unit` is the query's vector of length 1.
bool sweep_triangle(const CollisionTriangle& t, const SweepQuery& q, TAffineVector unit,
                    SweepContact& contact);

// The reference: every triangle in order, the nearest contact kept, stopping at distance 0.
bool sweep_all_triangles(const std::vector<CollisionTriangle>& triangles, const SweepQuery& q,
                         SweepContact& best);

class CollisionTree {
 public:
  // Builds over the triangles (usable ones only); `min`/`max` are the mesh's bounds.
  void Build(const std::vector<CollisionTriangle>& triangles, TAffineVector min, TAffineVector max);
  // Same answer as sweep_all_triangles over the triangles given to Build.
  bool Sweep(const SweepQuery& q, SweepContact& best) const;

  size_t TriangleCount() const { return triangles_.size(); }
  size_t NodeCount() const { return nodes_.size(); }
  TAffineVector BoundsMin() const { return min_; }
  TAffineVector BoundsMax() const { return max_; }

 private:
  struct Node {
    TAffineVector min, max;
    int32_t first = 0;  // leaf: first triangle; inner node: index of the first of two children
    int32_t count = 0;  // triangles in a leaf, 0 for an inner node
  };
  void build_node(int32_t slot, std::vector<int32_t>& order,
                  const std::vector<TAffineVector>& box_min,
                  const std::vector<TAffineVector>& box_max,
                  const std::vector<TAffineVector>& centre, int32_t begin, int32_t end);

  std::vector<Node> nodes_;
  std::vector<CollisionTriangle> triangles_;  // in leaf order
  TAffineVector min_, max_;
};
