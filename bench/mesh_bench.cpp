// Mesh baselines: the sphere sweep against a 20,000-triangle tunnel (collision tree and the
// plain all-triangles sweep, for a shot and a wall probe), and 3DS / SMD load throughput.
#include <benchmark/benchmark.h>

#include <random>

#include "engine/actor.h"
#include "engine/mesh.h"
#include "engine/octree.h"
#include "tests/mesh_test_files.h"

using namespace mesh_test;

namespace {

// 20 wall strips around, 500 rings along: 20,000 triangles, 100 units from the axis.
struct Tunnel {
  TGLFreeForm mesh;
  std::vector<CollisionTriangle> triangles;
  std::vector<SweepQuery> shots, probes;

  Tunnel() {
    mesh.LoadFromBytes("tunnel.3ds", make_3ds({tunnel_object(20, 500, 100, 10000)}));
    mesh.BuildCollisionOctree();
    triangles = mesh.CollisionTriangles();
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> along(0, 10000), across(-85, 85), unit(-1, 1);
    for (int i = 0; i < 1024; ++i) {
      TAffineVector start{along(rng), across(rng), across(rng)};
      // Shots fly along the tunnel; probes point anywhere.
      shots.push_back(
          {start, normalize(TAffineVector{-1, unit(rng) * 0.1f, unit(rng) * 0.1f}), 40, 3});
      probes.push_back({start, normalize(TAffineVector{unit(rng), unit(rng), unit(rng)}), 7, 14});
    }
  }
};

Tunnel& tunnel() {
  static Tunnel t;
  return t;
}

void run_tree(benchmark::State& state, const std::vector<SweepQuery>& queries) {
  const CollisionTree& tree = *tunnel().mesh.Octree();
  size_t i = 0, hits = 0;
  for (auto _ : state) {
    SweepContact c;
    hits += tree.Sweep(queries[i++ & 1023], c);
    benchmark::DoNotOptimize(c);
  }
  state.counters["hit_rate"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}

void run_all(benchmark::State& state, const std::vector<SweepQuery>& queries) {
  const auto& triangles = tunnel().triangles;
  size_t i = 0, hits = 0;
  for (auto _ : state) {
    SweepContact c;
    hits += sweep_all_triangles(triangles, queries[i++ & 1023], c);
    benchmark::DoNotOptimize(c);
  }
  state.counters["hit_rate"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}

void BM_SweepShotTree(benchmark::State& s) { run_tree(s, tunnel().shots); }
void BM_SweepShotAllTriangles(benchmark::State& s) { run_all(s, tunnel().shots); }
void BM_SweepProbeTree(benchmark::State& s) { run_tree(s, tunnel().probes); }
void BM_SweepProbeAllTriangles(benchmark::State& s) { run_all(s, tunnel().probes); }

// The game's call: scene-space vectors through the mesh's world matrix.
void BM_SphereSweepIntersectShot(benchmark::State& state) {
  Tunnel& t = tunnel();
  size_t i = 0;
  for (auto _ : state) {
    const SweepQuery& q = t.shots[i++ & 1023];
    TVector point, normal;
    benchmark::DoNotOptimize(t.mesh.SphereSweepIntersect(
        to_vector(q.start, 1), to_vector(q.vector, 0), q.velocity, q.radius, &point, &normal));
  }
}

void BM_BuildCollisionOctree(benchmark::State& state) {
  for (auto _ : state) tunnel().mesh.BuildCollisionOctree();
}

// 100,000 triangles in two objects (a 3DS object holds at most 65,535 faces).
const std::vector<uint8_t>& big_3ds() {
  static std::vector<uint8_t> d =
      make_3ds({tunnel_object(50, 500, 100, 5000), tunnel_object(50, 500, 90, 5000)});
  return d;
}

const std::vector<uint8_t>& big_smd() {
  static std::vector<uint8_t> d = [] {
    Object3DS o = tunnel_object(50, 1000, 100, 10000);
    std::vector<SMDTriangle> tris;
    tris.reserve(o.faces.size());
    for (size_t f = 0; f < o.faces.size(); ++f) {
      const Face& face = o.faces[f];
      SMDTriangle t{f < o.faces.size() / 2 ? "wall.bmp" : "floor.bmp", {}};
      uint16_t idx[3] = {face.a, face.b, face.c};
      for (int k = 0; k < 3; ++k) {
        TAffineVector p = o.vertices[idx[k]];
        t.v[k] = {static_cast<int>(idx[k] % 2), p, normalize(TAffineVector{0, -p.Y, -p.Z}),
                  p.X / 100, p.Y / 100};
      }
      tris.push_back(t);
    }
    std::string s = make_smd({{"root", -1}, {"ring", 0}},
                             {{{{0, 0, 0}, {0, 0, 0}}, {{0, 0, 0}, {0, 0, 0}}}}, tris, true);
    return std::vector<uint8_t>(s.begin(), s.end());
  }();
  return d;
}

void BM_Load3DS100kTriangles(benchmark::State& state) {
  const auto& d = big_3ds();
  for (auto _ : state) {
    TGLFreeForm mesh;
    mesh.LoadFromBytes("big.3ds", d);
    benchmark::DoNotOptimize(mesh.MeshObjects().size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.size()));
}

void BM_LoadSMD100kTriangles(benchmark::State& state) {
  const auto& d = big_smd();
  for (auto _ : state) {
    TGLActor actor;
    actor.LoadFromBytes("big.smd", d);
    benchmark::DoNotOptimize(actor.MeshObjects().size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.size()));
}

}  // namespace

BENCHMARK(BM_SweepShotTree);
BENCHMARK(BM_SweepShotAllTriangles);
BENCHMARK(BM_SweepProbeTree);
BENCHMARK(BM_SweepProbeAllTriangles);
BENCHMARK(BM_SphereSweepIntersectShot);
BENCHMARK(BM_BuildCollisionOctree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load3DS100kTriangles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSMD100kTriangles)->Unit(benchmark::kMillisecond);
