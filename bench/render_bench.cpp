// Frame time of the renderer on the headless OSMesa context at 640 x 480: an empty frame
// (clear, present, read back) against a heavy in-game frame (a 20,000-triangle textured tunnel
// under fog, 100 shot proxies, 20,000 stars, a 500-particle fire and the full HUD with text).
// The heavy benchmark draws empty frames between its heavy ones and reports heavy_ms, empty_ms
// and their ratio from the same run (cpu_ms_per_frame, empty_cpu_ms and cpu_ratio count the
// process's CPU, the rasteriser's threads included). KARMUND_RENDER_SHOTS=DIR keeps the heavy
// frame as DIR/bench_heavy.png.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/bitmap_font.h"
#include "engine/camera.h"
#include "engine/dummy_cube.h"
#include "engine/fire_fx.h"
#include "engine/full_screen_viewer.h"
#include "engine/hud_sprite.h"
#include "engine/hud_text.h"
#include "engine/light_source.h"
#include "engine/mesh.h"
#include "engine/particle_fx.h"
#include "engine/proxy_object.h"
#include "engine/sky_dome.h"
#include "platform/headless/headless.h"
#include "platform/headless/png_writer.h"
#include "platform/platform.h"

namespace {

// CPU time of the whole process (the software rasteriser's threads included), in ms: on a
// machine shared with other work this is steadier than the wall clock.
double process_cpu_ms() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
         (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

void report_cpu(benchmark::State& state, double start_ms) {
  state.counters["cpu_ms_per_frame"] =
      (process_cpu_ms() - start_ms) / static_cast<double>(state.iterations());
}

platform::Picture checker(int size, int cell, uint8_t a, uint8_t b) {
  platform::Picture p;
  p.width = p.height = size;
  p.bits = 32;
  p.rgba.resize(static_cast<size_t>(size) * size * 4);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      uint8_t v = ((x / cell + y / cell) & 1) ? a : b;
      uint8_t* t = &p.rgba[(static_cast<size_t>(y) * size + x) * 4];
      t[0] = v;
      t[1] = static_cast<uint8_t>(v * 3 / 4);
      t[2] = static_cast<uint8_t>(v / 2);
      t[3] = 255;
    }
  return p;
}

// A tube along +Z seen from inside: `around` x `along` quads, two triangles each.
void fill_tunnel(TGLFreeForm& mesh, int around, int along, float radius, float length) {
  auto o = std::make_unique<TMeshObject>();
  for (int j = 0; j <= along; ++j) {
    for (int i = 0; i <= around; ++i) {
      double a = 2 * 3.14159265358979 * i / around;
      float x = static_cast<float>(std::cos(a)), y = static_cast<float>(std::sin(a));
      o->Vertices.push_back({x * radius, y * radius, length * j / along});
      o->Normals.push_back({-x, -y, 0});
      o->TexCoords.push_back({static_cast<float>(i) * 8 / around, static_cast<float>(j) / 4, 0});
    }
  }
  TFaceGroup g;
  int row = around + 1;
  for (int j = 0; j < along; ++j)
    for (int i = 0; i < around; ++i) {
      int v0 = j * row + i, v1 = v0 + 1, v2 = v0 + row, v3 = v2 + 1;
      // Counter-clockwise seen from the axis.
      g.VertexIndices.insert(g.VertexIndices.end(), {v0, v2, v1, v1, v2, v3});
    }
  o->FaceGroups.push_back(g);
  mesh.MeshObjects().push_back(std::move(o));
  mesh.GeometryChanged();
}

void fill_box(TGLFreeForm& mesh, float hx, float hy, float hz) {
  auto o = std::make_unique<TMeshObject>();
  TFaceGroup g;
  const float s[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  for (const auto& n : s) {
    TAffineVector nn{n[0], n[1], n[2]};
    TAffineVector u = std::fabs(n[0]) > 0 ? TAffineVector{0, 1, 0} : TAffineVector{1, 0, 0};
    TAffineVector v = cross(nn, u);
    int base = static_cast<int>(o->Vertices.size());
    for (int k = 0; k < 4; ++k) {
      float su = (k == 1 || k == 2) ? 1.f : -1.f, sv = k >= 2 ? 1.f : -1.f;
      TAffineVector p = nn + u * su + v * sv;
      o->Vertices.push_back({p.X * hx, p.Y * hy, p.Z * hz});
      o->Normals.push_back(nn);
    }
    g.VertexIndices.insert(g.VertexIndices.end(),
                           {base, base + 1, base + 2, base, base + 2, base + 3});
  }
  o->FaceGroups.push_back(g);
  mesh.MeshObjects().push_back(std::move(o));
  mesh.GeometryChanged();
}

struct Scene {
  TComponent form;
  TGLScene* scene = make_owned<TGLScene>(&form);
  TGLCamera* camera = make_owned<TGLCamera>(&form);
  TGLFullScreenViewer* viewer = make_owned<TGLFullScreenViewer>(&form);
  TGLFireFXManager* fire = nullptr;
  std::vector<uint8_t> frame;
  int w = 0, h = 0;

  Scene() {
    platform::headless::Config config;
    config.render = true;
    platform::headless::configure(config);
    scene->Cameras().AddChild(camera);
    camera->Position().SetPoint(0, 0, 1);
    camera->Direction().SetVector(0, 0, 1);
    camera->SetFocalLength(100);
    camera->SetDepthOfView(20000);
    viewer->SetWidth(640);
    viewer->SetHeight(480);
    viewer->Buffer().SetBackgroundColor(clBlack);
    viewer->SetCamera(camera);
    viewer->SetFullScreen(true);
  }

  // The parts of the heavy scene, so each one's share can be measured alone.
  enum Part { kSky = 1, kTunnel = 2, kFire = 4, kProxies = 8, kHud = 16, kFog = 32, kAll = 63 };

  // Quads around and along the tunnel (two triangles each).
  int tunnel_cells = 100;

  void heavy(int parts = kAll) {
    TGLBaseSceneObject& root = scene->Objects();
    auto* sky = root.CreateChild<TGLSkyDome>();
    sky->Direction().SetVector(0, 1, 0);
    sky->Up().SetVector(0, 0, -1);
    sky->Bands().Clear();
    TSkyDomeBand& b1 = sky->Bands().Add();
    b1.SetStartAngle(-10);
    b1.SetStopAngle(0);
    b1.SetSlices(20);
    b1.StopColor().SetColor(0.64f, 0.16f, 0.16f, 1);
    b1.StartColor().SetColor(0, 0, 0, 1);
    TSkyDomeBand& b2 = sky->Bands().Add();
    b2.SetStartAngle(0);
    b2.SetStopAngle(10);
    b2.SetSlices(20);
    b2.StartColor().SetColor(0.64f, 0.16f, 0.16f, 1);
    b2.StopColor().SetColor(0, 0, 0, 1);
    sky->Stars().ScatterStars(20000, clWhite, false);
    sky->SetVisible(parts & kSky);

    auto* tunnel = root.CreateChild<TGLFreeForm>();
    fill_tunnel(*tunnel, tunnel_cells, tunnel_cells, 120, 1500);
    tunnel->SetVisible(parts & kTunnel);
    TGLTexture& tex = tunnel->Material().Texture();
    tex.Image().Assign(checker(256, 32, 230, 90));
    tex.SetTextureMode(tmModulate);
    tex.SetDisabled(false);
    // The game's wall materials filter by the nearest texel.
    tex.SetMinFilter(miNearest);
    tex.SetMagFilter(maNearest);

    auto* ship_holder = root.CreateChild<TGLDummyCube>();
    ship_holder->Position().SetPoint(0, 0, 170);
    auto* ship = ship_holder->CreateChild<TGLFreeForm>();
    fill_box(*ship, 8, 3, 5);
    ship->Material().FrontProperties().Diffuse().SetColor(0.4f, 0.6f, 0.9f, 1);
    auto* holder = ship->CreateChild<TGLDummyCube>();
    auto* light = holder->CreateChild<TGLLightSource>();
    light->SetLightStyle(lsOmni);
    light->Ambient().SetColor(1, 1, 1, 1);
    light->Specular().SetColor(1, 1, 1, 1);

    fire = make_owned<TGLFireFXManager>(&form);
    fire->FireDir().SetVector(2, 0, 0);
    fire->SetMaxParticles(500);
    fire->SetParticleSize(6);
    fire->InnerColor().SetColor(0, 1, 1, 1);
    fire->OuterColor().SetColor(0, 0, 0.61f, 1);
    fire->SetFireDensity(5);
    fire->SetFireEvaporation(0.8f);
    fire->SetFireCrown(1);
    fire->SetParticleLife(5);
    fire->SetFireBurst(35);
    fire->SetFireRadius(10);
    fire->SetParticleInterval(0.01f);
    fire->SetUseInterval(false);
    fire->SetReference(ship);
    if (parts & kFire) ship->Effects().Add<TGLBFireFX>().SetManager(fire);
    for (int i = 0; i < 30; ++i) fire->Progress({1.0 / 60, i / 60.0});

    // 100 proxies of a hidden shot model, spread over the view.
    auto* shot = ship->CreateChild<TGLFreeForm>();
    fill_box(*shot, 4, 0.6f, 0.6f);
    shot->Material().FrontProperties().Emission().SetColor(1, 1, 0, 1);
    shot->SetVisible(false);
    auto* pool = root.CreateChild<TGLDummyCube>();
    pool->SetVisible(parts & kProxies);
    for (int i = 0; i < 100; ++i) {
      auto* p = pool->CreateChild<TGLProxyObject>();
      p->SetProxyOptions(pooObjects);
      p->SetMasterObject(shot);
      p->Position().SetPoint(static_cast<float>((i % 10) - 5) * 9,
                             static_cast<float>(i / 10 - 5) * 6, 200 + static_cast<float>(i));
    }

    // The play HUD.
    auto* font = make_owned<TGLWindowsBitmapFont>(&form);
    font->Font().SetName("Arial Black");
    font->Font().SetHeight(-15);
    auto* bar = root.CreateChild<TGLHUDSprite>();
    bar->SetVisible(parts & kHud);
    bar->Position().SetPoint(315, 42, 0);
    bar->SetSize(640, 76);
    TGLTexture& bt = bar->Material().Texture();
    bt.Image().Assign(checker(64, 8, 200, 60));
    bt.SetDisabled(false);
    for (int i = 0; i < 3; ++i) {
      auto* heart = bar->CreateChild<TGLHUDSprite>();
      heart->Position().SetPoint(480.0f + 50 * i, 32, 0);
      heart->SetSize(35, 25);
      heart->Material().SetBlendingMode(bmAdditive);
      heart->Material().FrontProperties().Emission().SetColor(1, 0.2f, 0.2f, 1);
    }
    for (int i = 0; i < 2; ++i) {
      auto* gauge = bar->CreateChild<TGLHUDSprite>();
      gauge->Position().SetPoint(97, 40.0f + 10 * i, 0);
      gauge->SetSize(150, 2);
      gauge->Material().SetBlendingMode(bmAdditive);
      gauge->Material().FrontProperties().Emission().SetColor(1, 1, 0, 1);
    }
    auto* percent = bar->CreateChild<TGLHUDText>();
    percent->Position().SetPoint(333, 19, 0);
    percent->SetBitmapFont(font);
    percent->SetText("37");
    percent->ModulateColor().SetColor(1, 1, 0, 1);
    auto* help = bar->CreateChild<TGLHUDText>();
    help->Position().SetPoint(470, 460, 0);
    help->Scale().SetVector(0.7f, 0.7f, 0.7f);
    help->SetBitmapFont(font);
    help->SetText("P=pause  ESC= konec hry");
    help->ModulateColor().SetColor(0, 1, 1, 1);
    auto* info = root.CreateChild<TGLHUDText>();
    info->Position().SetPoint(150, 200, 0);
    info->SetBitmapFont(font);
    info->SetText("LEVEL 1");
    info->ModulateColor().SetColor(1, 1, 0, 1);
    info->SetVisible(parts & kHud);

    viewer->Buffer().SetFogEnable(parts & kFog);
    viewer->Buffer().FogEnvironment().SetFogStart(50);
    viewer->Buffer().FogEnvironment().SetFogEnd(1200);
    viewer->Buffer().FogEnvironment().SetFogDistance(fdEyeRadial);
    viewer->Buffer().FogEnvironment().FogColor().SetColor(0, 0, 0, 0);
    viewer->Buffer().AmbientColor().SetColor(0.6471f, 0.1647f, 0.1647f, 1);
  }
  void draw() {
    viewer->Render();
    platform::read_frame(frame, w, h);
  }
  // Hides (or shows again) every object of the scene: what is left is the clear and the
  // read-back.
  void show(bool visible) {
    TGLBaseSceneObject& root = scene->Objects();
    if (!visible) {
      hidden.clear();
      for (int i = 0; i < root.Count(); ++i)
        if (root.Children(i)->Visible()) hidden.push_back(root.Children(i));
    }
    for (TGLBaseSceneObject* o : hidden) o->SetVisible(visible);
  }
  std::vector<TGLBaseSceneObject*> hidden;
};

void BM_EmptyFrame640x480(benchmark::State& state) {
  Scene s;
  s.draw();
  double start = process_cpu_ms();
  for (auto _ : state) s.draw();
  report_cpu(state, start);
  benchmark::DoNotOptimize(s.frame.data());
}
BENCHMARK(BM_EmptyFrame640x480)->Unit(benchmark::kMillisecond);

// Wall-clock milliseconds since `start`.
double ms_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// `against_empty`: every eighth heavy frame the same viewer draws empty ones (untimed), so the
// two are measured side by side under the same load; the counters give both and their ratio.
// The first two empty frames of each turn are not counted: measured, they still pay for the
// software rasteriser's clean-up of the heavy frames before them.
void heavy_frame(benchmark::State& state, int parts, const char* shot, bool against_empty = false,
                 int tunnel_cells = 100) {
  Scene s;
  s.tunnel_cells = tunnel_cells;
  s.heavy(parts);
  s.draw();
  if (const char* dir = std::getenv("KARMUND_RENDER_SHOTS"))
    platform::headless::write_png(std::string(dir) + "/" + shot + ".png", s.frame, s.w, s.h);
  double heavy_ms = 0, empty_ms = 0, heavy_cpu_ms = 0, empty_cpu_ms = 0;
  int64_t empties = 0, frames = 0;
  for (auto _ : state) {
    double cpu = process_cpu_ms();
    auto t = std::chrono::steady_clock::now();
    s.fire->Progress({1.0 / 60, 1});
    s.draw();
    heavy_ms += ms_since(t);
    heavy_cpu_ms += process_cpu_ms() - cpu;
    if (!against_empty || ++frames % 8 != 0) continue;
    state.PauseTiming();
    s.show(false);
    s.draw();
    s.draw();
    for (int i = 0; i < 2; ++i, ++empties) {
      cpu = process_cpu_ms();
      t = std::chrono::steady_clock::now();
      s.draw();
      empty_ms += ms_since(t);
      empty_cpu_ms += process_cpu_ms() - cpu;
    }
    s.show(true);
    state.ResumeTiming();
  }
  double n = static_cast<double>(state.iterations());
  state.counters["cpu_ms_per_frame"] = heavy_cpu_ms / n;
  if (empties > 0) {
    double e = static_cast<double>(empties);
    state.counters["heavy_ms"] = heavy_ms / n;
    state.counters["empty_ms"] = empty_ms / e;
    state.counters["ratio"] = (heavy_ms / n) / (empty_ms / e);
    state.counters["empty_cpu_ms"] = empty_cpu_ms / e;
    state.counters["cpu_ratio"] = (heavy_cpu_ms / n) / (empty_cpu_ms / e);
  }
  benchmark::DoNotOptimize(s.frame.data());
}

void BM_HeavyFrame640x480(benchmark::State& state) {
  heavy_frame(state, Scene::kAll, "bench_heavy", true);
}
BENCHMARK(BM_HeavyFrame640x480)->Unit(benchmark::kMillisecond);

// Each part alone under the fog, for the share of the heavy frame it takes.
void BM_PartTunnel(benchmark::State& state) {
  heavy_frame(state, Scene::kTunnel | Scene::kFog, "bench_tunnel");
}
BENCHMARK(BM_PartTunnel)->Unit(benchmark::kMillisecond);

// The same tunnel in 200 triangles: what is left is the fill; the difference is the software
// rasteriser's cost per (mostly small, far) triangle.
void BM_PartTunnel200Triangles(benchmark::State& state) {
  heavy_frame(state, Scene::kTunnel | Scene::kFog, "bench_tunnel_coarse", false, 10);
}
BENCHMARK(BM_PartTunnel200Triangles)->Unit(benchmark::kMillisecond);

void BM_PartFire500(benchmark::State& state) {
  heavy_frame(state, Scene::kFire | Scene::kFog, "bench_fire");
}
BENCHMARK(BM_PartFire500)->Unit(benchmark::kMillisecond);

void BM_PartSkyStars20000(benchmark::State& state) {
  heavy_frame(state, Scene::kSky | Scene::kFog, "bench_sky");
}
BENCHMARK(BM_PartSkyStars20000)->Unit(benchmark::kMillisecond);

void BM_PartProxies100(benchmark::State& state) {
  heavy_frame(state, Scene::kProxies | Scene::kFog, "bench_proxies");
}
BENCHMARK(BM_PartProxies100)->Unit(benchmark::kMillisecond);

void BM_PartHud(benchmark::State& state) {
  heavy_frame(state, Scene::kHud | Scene::kFog, "bench_hud");
}
BENCHMARK(BM_PartHud)->Unit(benchmark::kMillisecond);

}  // namespace
