// Baselines of the scene engine: one frame-clock step over an empty scene, and the rotation
// and world-position work on a 100-node tree.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/cadencer.h"
#include "engine/scene_object.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace {

void BM_ProgressStepEmptyScene(benchmark::State& state) {
  platform::headless::Config config;
  config.render = false;
  platform::headless::configure(config);
  TComponent form;
  auto* scene = make_owned<TGLScene>(&form);
  auto* cadencer = make_owned<TGLCadencer>(&form);
  cadencer->SetMode(cmManual);
  cadencer->SetScene(scene);
  double last = 0;
  cadencer->OnProgress = [&](TComponent*, double, double t) { last = t; };
  for (auto _ : state) {
    platform::pace_frame();
    cadencer->Progress();
  }
  benchmark::DoNotOptimize(last);
}
BENCHMARK(BM_ProgressStepEmptyScene);

// A chain ten deep with nine more children on each link: 100 nodes.
struct Tree {
  TComponent form;
  TGLScene* scene = make_owned<TGLScene>(&form);
  std::vector<TGLSceneObject*> chain;
  std::vector<TGLSceneObject*> all;
  Tree() {
    TGLBaseSceneObject* parent = &scene->Objects();
    for (int depth = 0; depth < 10; ++depth) {
      auto* link = make_owned<TGLSceneObject>(&form);
      parent->AddChild(link);
      link->Position().SetX(1);
      chain.push_back(link);
      all.push_back(link);
      for (int i = 0; i < 9; ++i) {
        auto* leaf = make_owned<TGLSceneObject>(&form);
        link->AddChild(leaf);
        leaf->Position().SetY(static_cast<float>(i));
        all.push_back(leaf);
      }
      parent = link;
    }
  }
};

void BM_PitchByRoot100Nodes(benchmark::State& state) {
  Tree tree;
  for (auto _ : state) {
    tree.chain.front()->PitchBy(1);
    // Reading the deepest leaf rebuilds the matrices the pitch invalidated.
    benchmark::DoNotOptimize(tree.all.back()->WorldPosition());
  }
}
BENCHMARK(BM_PitchByRoot100Nodes);

void BM_WorldPositionAll100Nodes(benchmark::State& state) {
  Tree tree;
  for (auto _ : state) {
    tree.chain.front()->Position().SetZ(static_cast<float>(state.iterations() % 7));
    for (auto* obj : tree.all) benchmark::DoNotOptimize(obj->WorldPosition());
  }
}
BENCHMARK(BM_WorldPositionAll100Nodes);

void BM_WorldPositionCached(benchmark::State& state) {
  Tree tree;
  for (auto* obj : tree.all) obj->WorldPosition();
  for (auto _ : state)
    for (auto* obj : tree.all) benchmark::DoNotOptimize(obj->WorldPosition());
}
BENCHMARK(BM_WorldPositionCached);

}  // namespace
