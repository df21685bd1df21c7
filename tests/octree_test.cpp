// The sphere sweep: the per-triangle rules against known geometry, the collision tree against
// the plain all-triangles sweep on random scenes, and the free form's sweep in scene space.
#include "engine/octree.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/mesh.h"
#include "platform/error.h"
#include "tests/mesh_test_files.h"

using namespace mesh_test;

namespace {

// A wall in the plane x = `x` facing −x, its diagonal far from the origin's axis.
std::vector<CollisionTriangle> wall(float x, bool facing_back = false) {
  TAffineVector a{x, -1000, -500}, b{x, 1000, -500}, c{x, 1000, 3000}, d{x, -1000, 3000};
  if (facing_back) return {make_collision_triangle(a, b, c), make_collision_triangle(a, c, d)};
  return {make_collision_triangle(a, c, b), make_collision_triangle(a, d, c)};
}

bool sweep(const std::vector<CollisionTriangle>& tris, SweepQuery q, SweepContact* out = nullptr) {
  SweepContact c;
  bool hit = sweep_all_triangles(tris, q, c);
  if (out) *out = c;
  return hit;
}

// A free form holding the given 3DS object, with its octree.
void load(TGLFreeForm& mesh, const Object3DS& o) {
  mesh.LoadFromBytes("m.3ds", make_3ds({o}));
  mesh.BuildCollisionOctree();
}

Object3DS wall_object(float x) {
  Object3DS o;
  o.vertices = {{x, -1000, -500}, {x, 1000, -500}, {x, 1000, 3000}, {x, -1000, 3000}};
  o.faces = {{0, 2, 1}, {0, 3, 2}};
  return o;
}

}  // namespace

TEST(SphereSweep, AWallIsHitWithinTheSweepAndMissedJustBeyond) {
  auto w = wall(10);
  EXPECT_FLOAT_EQ(w[0].normal.X, -1);
  SweepContact c;
  // The sphere's front (radius 2) travels 8 to the wall: within a sweep of 8, not of 7.9.
  EXPECT_TRUE(sweep(w, {{0, 0, 0}, {1, 0, 0}, 8, 2}, &c));
  EXPECT_NEAR(c.point.X, 10, 1e-4);
  EXPECT_NEAR(c.distance2, 64, 1e-3);
  EXPECT_LT(c.normal.X, 0) << "the face normal, unnormalised";
  EXPECT_TRUE(sweep(w, {{0, 0, 0}, {1, 0, 0}, 7.96f, 2})) << "0.05 of slack";
  EXPECT_FALSE(sweep(w, {{0, 0, 0}, {1, 0, 0}, 7.9f, 2}));
  // A slanted approach meets the plane further away.
  EXPECT_FALSE(sweep(w, {{0, 0, 0}, {1, 1, 0}, 8, 2}));
  EXPECT_TRUE(sweep(w, {{0, 0, 0}, {1, 1, 0}, 11.4f, 2}));
}

TEST(SphereSweep, BackFacingAndBehindTheStartAreIgnored) {
  EXPECT_FALSE(sweep(wall(10, true), {{0, 0, 0}, {1, 0, 0}, 100, 2})) << "back-facing";
  EXPECT_FALSE(sweep(wall(-10), {{0, 0, 0}, {1, 0, 0}, 100, 2})) << "start behind the plane";
  EXPECT_FALSE(sweep(wall(10), {{0, 0, 0}, {-1, 0, 0}, 100, 2})) << "moving away";
}

TEST(SphereSweep, ASweepStartingInContactReturnsDistanceZero) {
  // A small triangle one unit ahead of a sphere of radius 2.
  std::vector<CollisionTriangle> t{
      make_collision_triangle({1, -0.5f, -0.5f}, {1, 0, 0.7f}, {1, 0.5f, -0.5f})};
  ASSERT_LT(t[0].normal.X, 0);
  SweepContact c;
  EXPECT_TRUE(sweep(t, {{0, 0, 0}, {1, 0, 0}, 0.5f, 2}, &c));
  EXPECT_EQ(c.distance2, 0);
  EXPECT_NEAR(c.point.X, 1, 1e-5) << "the contact is on an edge of the triangle";
  EXPECT_NEAR(c.normal.X, -2, 1e-5) << "an edge contact's normal is N · radius";
}

TEST(SphereSweep, PassingBesideAFaceTouchesItsEdge) {
  std::vector<CollisionTriangle> t{make_collision_triangle({10, 0, 0}, {10, 0, 5}, {10, 5, 0})};
  // Aimed 1.5 below the triangle's lower edge with radius 2: the plane hit misses the face,
  // but the edge lies within the sphere where the sweep ends.
  EXPECT_TRUE(sweep(t, {{0, -1.5f, 1}, {1, 0, 0}, 10, 2}));
  EXPECT_FALSE(sweep(t, {{0, -2.5f, 1}, {1, 0, 0}, 10, 2}));
}

TEST(SphereSweep, DegenerateAndBrokenTrianglesNeverTouch) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<CollisionTriangle> t{make_collision_triangle({1, 0, 0}, {1, 0, 0}, {1, 1, 0}),
                                   make_collision_triangle({nan, 0, 0}, {1, 5, 0}, {1, 0, 5})};
  EXPECT_FALSE(t[0].usable);
  EXPECT_FALSE(t[1].usable);
  EXPECT_FALSE(sweep(t, {{0, 0, 0}, {1, 0, 0}, 10, 5}));
  EXPECT_FALSE(sweep(wall(10), {{nan, 0, 0}, {1, 0, 0}, 10, 5}));
}

TEST(CollisionTree, AnswersLikeTheAllTrianglesSweepOnRandomScenes) {
  std::mt19937 rng(1234);
  std::uniform_real_distribution<float> pos(-50, 50), small(-6, 6), unit(-1, 1), speed(0, 40),
      size(0, 15);
  int hits = 0, total = 0;
  for (int scene = 0; scene < 30; ++scene) {
    std::vector<CollisionTriangle> tris;
    int count = 1 + scene * 40;
    for (int i = 0; i < count; ++i) {
      TAffineVector c{pos(rng), pos(rng), pos(rng)};
      tris.push_back(
          make_collision_triangle(c + TAffineVector{small(rng), small(rng), small(rng)},
                                  c + TAffineVector{small(rng), small(rng), small(rng)},
                                  c + TAffineVector{small(rng), small(rng), small(rng)}));
    }
    CollisionTree tree;
    tree.Build(tris, {-56, -56, -56}, {56, 56, 56});
    for (int q = 0; q < 300; ++q) {
      SweepQuery query{{pos(rng), pos(rng), pos(rng)},
                       {unit(rng), unit(rng), unit(rng)},
                       q % 10 == 0 ? -speed(rng) : speed(rng),
                       q % 17 == 0 ? 0.0f : size(rng)};
      SweepContact a, b;
      bool brute = sweep_all_triangles(tris, query, a);
      bool fast = tree.Sweep(query, b);
      ASSERT_EQ(brute, fast) << "scene " << scene << " query " << q;
      if (brute) {
        EXPECT_EQ(a.distance2, b.distance2) << "the nearest contact is the same distance";
        ++hits;
      }
      ++total;
    }
  }
  EXPECT_GT(hits, total / 10) << "the comparison must see plenty of contacts";
  EXPECT_LT(hits, total * 9 / 10) << "and plenty of misses";
}

TEST(CollisionTree, EmptyAndSingleTriangleTrees) {
  CollisionTree tree;
  tree.Build({}, {0, 0, 0}, {0, 0, 0});
  SweepContact c;
  EXPECT_FALSE(tree.Sweep({{0, 0, 0}, {1, 0, 0}, 100, 5}, c));
  tree.Build(wall(10), {10, -1000, -500}, {10, 1000, 3000});
  EXPECT_TRUE(tree.Sweep({{0, 0, 0}, {1, 0, 0}, 8, 2}, c));
  EXPECT_EQ(tree.TriangleCount(), 2u);
}

TEST(FreeFormSweep, NeedsTheOctreeFirst) {
  TGLFreeForm mesh;
  mesh.LoadFromBytes("m.3ds", make_3ds({wall_object(10)}));
  try {
    mesh.SphereSweepIntersect({0, 0, 0, 1}, {1, 0, 0, 0}, 8, 2);
    FAIL() << "no octree, no sweep";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Octree must have been prepared and setup before use.");
  }
  mesh.BuildCollisionOctree();
  EXPECT_TRUE(mesh.SphereSweepIntersect({0, 0, 0, 1}, {1, 0, 0, 0}, 8, 2));
}

TEST(FreeFormSweep, MissLeavesTheOutputsAndInvertFlipsTheNormal) {
  TGLFreeForm mesh;
  load(mesh, wall_object(10));
  TVector point{7, 7, 7, 7}, normal{9, 9, 9, 9};
  EXPECT_FALSE(mesh.SphereSweepIntersect({0, 0, 0, 1}, {1, 0, 0, 0}, 5, 2, &point, &normal));
  EXPECT_EQ(point, (TVector{7, 7, 7, 7}));
  EXPECT_EQ(normal, (TVector{9, 9, 9, 9}));
  EXPECT_TRUE(mesh.SphereSweepIntersect({0, 0, 0, 1}, {1, 0, 0, 0}, 8, 2, &point, &normal));
  EXPECT_NEAR(point.X, 10, 1e-4);
  EXPECT_LT(normal.X, 0);
  mesh.SetNormalsOrientation(mnoInvert);
  EXPECT_TRUE(mesh.SphereSweepIntersect({0, 0, 0, 1}, {1, 0, 0, 0}, 8, 2, &point, &normal));
  EXPECT_GT(normal.X, 0);
}

TEST(FreeFormSweep, AMovedTurnedAndScaledMeshIsSweptThroughItsWorldMatrix) {
  TGLFreeForm mesh;
  load(mesh, wall_object(10));
  mesh.Position().SetPoint(100, 0, 0);
  mesh.Scale().SetVector(2, 2, 2);
  mesh.TurnBy(90);  // local x now points along world +z
  // The wall stands at world z = 20 facing −z. Sweep length and radius are taken in the mesh's
  // own units: 8 local units of travel to the wall for a radius of 2.
  TVector point, normal;
  EXPECT_TRUE(mesh.SphereSweepIntersect({100, 0, 0, 1}, {0, 0, 1, 0}, 8, 2, &point, &normal));
  EXPECT_NEAR(point.X, 100, 1e-3);
  EXPECT_NEAR(point.Z, 20, 1e-3);
  EXPECT_LT(normal.Z, 0);
  EXPECT_FALSE(mesh.SphereSweepIntersect({100, 0, 0, 1}, {0, 0, 1, 0}, 7.9f, 2));
  EXPECT_FALSE(mesh.SphereSweepIntersect({100, 0, 0, 1}, {1, 0, 0, 0}, 100, 2))
      << "along world x the sweep runs beside the wall";
}

TEST(FreeFormSweep, TheOctreeIsNotRebuiltByALaterLoad) {
  TGLFreeForm mesh;
  load(mesh, wall_object(10));
  mesh.LoadFromBytes("m.3ds", make_3ds({wall_object(50)}));
  EXPECT_TRUE(mesh.SphereSweepIntersect({0, 0, 0, 1}, {1, 0, 0, 0}, 8, 2))
      << "the old walls still answer";
  mesh.BuildCollisionOctree();
  EXPECT_FALSE(mesh.SphereSweepIntersect({0, 0, 0, 1}, {1, 0, 0, 0}, 8, 2));
}

TEST(FreeFormSweep, TunnelWallsStopAProbe) {
  TGLFreeForm mesh;
  load(mesh, tunnel_object(16, 50, 100, 5000));
  ASSERT_EQ(mesh.Octree()->TriangleCount(), 1600u);
  // From the axis, a probe of radius 14 moving 7 towards the wall is free; near the wall not.
  EXPECT_FALSE(mesh.SphereSweepIntersect({2500, 0, 0, 1}, {0, 1, 0, 0}, 7, 14));
  EXPECT_TRUE(mesh.SphereSweepIntersect({2500, 85, 0, 1}, {0, 1, 0, 0}, 7, 14));
  // A shot along the tunnel touches nothing.
  EXPECT_FALSE(mesh.SphereSweepIntersect({2500, 0, 0, 1}, {1, 0, 0, 0}, 40, 3));
}
