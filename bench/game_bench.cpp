// One play frame's game logic (the frame handler kadencer, nothing drawn) on level 6 with every
// enemy at work and all 100 shots in flight: 11 sweeps for each live shot, 144 probe sweeps.
// Reads the game data from the build's run/ folder (scripts/prepare-run BUILD makes it).
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/proxy_object.h"
#include "game/data.h"
#include "game/form/form1.h"
#include "game/program.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

// BUILD/run beside BUILD/bench/karmund-bench.
fs::path run_dir() {
  return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "run";
}

// A working directory over the run folder's data with level 6 open.
fs::path level6_workdir(const fs::path& run) {
  fs::path dir = fs::temp_directory_path() / ("karmund_bench_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "data");
  fs::create_directory_symlink(run / "modely", dir / "modely");
  for (const fs::directory_entry& e : fs::directory_iterator(run / "data"))
    if (e.path().filename() != "volno.dtt")
      fs::create_symlink(e.path(), dir / "data" / e.path().filename());
  std::ofstream(dir / "data" / "volno.dtt") << "6\r\n";
  return dir;
}

using Obj = TGLBaseSceneObject;

struct Kept {
  Obj* object;
  TVector position;
  bool visible;
  int32_t tag;
};

// What a frame changes and the next timed frame needs back: the walls' place, the enemies, the
// ship and the 100 shots (orientation is left to settle: the curling shots stop turning).
class FrameStart {
 public:
  void keep(Obj* o) { kept_.push_back({o, o->Position().AsVector(), o->Visible(), o->Tag()}); }
  void restore() const {
    for (const Kept& k : kept_) {
      k.object->Position().SetAsVector(k.position);
      k.object->SetVisible(k.visible);
      k.object->SetTag(k.tag);
    }
    // No hit carried over: a hit would take the guns back to level 1.
    shipHit = false;
    lives = 3;
    hitRecovery = 120;
    weaponLevel = 2;
    weaponChanged = false;
    Form1->energie->SetWidth(150);
    Form1->palivo->SetWidth(150);
  }

 private:
  std::vector<Kept> kept_;
};

// Puts every enemy in the tunnel in front of the ship and every shot in flight between them.
FrameStart setUpTheFight() {
  TForm1& f = *Form1;
  // Past 2000 the last monster fights; the carriers and the wave enemies are kept in view.
  f.steny1->Position().SetX(2050);
  const float y = f.muz->Position().Y();
  f.ali1->Position().SetPoint(-100, y + 50, 170);
  f.ali2->Position().SetPoint(-60, y - 50, 170);
  f.ali3->Position().SetPoint(-140, y, 170);
  f.kamen1->Position().SetPoint(-30, y + 70, 170);
  f.kamen2->Position().SetPoint(-80, y - 70, 170);
  f.kamen3->Position().SetPoint(-120, y + 30, 170);
  f.kamen4->Position().SetPoint(-160, y - 30, 170);
  for (Obj* o : std::initializer_list<Obj*>{f.ali1, f.ali2, f.ali3, f.kamen1, f.kamen2, f.kamen3,
                                            f.kamen4, f.trup, f.ob1, f.obluda}) {
    o->SetVisible(true);
    o->SetTag(0);
  }
  f.obluda->Position().SetPoint(-60, y, 170);
  const std::array<TShotPool*, 5> pools = {&shots1, &shots2, &shots3, &shots4, &shots5};
  for (int p = 0; p < 5; ++p)
    for (int slot = 1; slot <= 20; ++slot) {
      TGLProxyObject& shot = *(*pools[p])[slot];
      shot.Position().SetPoint(60.0f - 10.0f * slot, y - 60.0f + 30.0f * p, 170);
      shot.SetVisible(true);
      shot.SetTag(1);
    }
  FrameStart start;
  for (Obj* o : std::initializer_list<Obj*>{
           f.steny1,    f.steny2, f.ob1,       f.obluda,    f.trup,   f.oci,      f.ali1,
           f.ali2,      f.ali3,   f.ali_anim1, f.ali_anim2, f.kamen1, f.kamen2,   f.kamen3,
           f.kamen4,    f.sud1,   f.sud2,      f.sud3,      f.sud4,   f.n_zbrane, f.n_palivo,
           f.n_energie, f.bonus,  f.muz,       f.camera})
    start.keep(o);
  for (TShotPool* pool : pools)
    for (int slot = 1; slot <= 20; ++slot) start.keep((*pool)[slot]);
  return start;
}

double thread_cpu_us() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

int shotsAlive() {
  int n = 0;
  for (TShotPool* pool : {&shots1, &shots2, &shots3, &shots4, &shots5})
    for (int slot = 1; slot <= 20; ++slot) n += (*pool)[slot]->Visible() ? 1 : 0;
  return n;
}

}  // namespace

static void BM_PlayFrameLevel6AllShots(benchmark::State& state) {
  const fs::path run = run_dir();
  if (!fs::exists(run / "modely" / "steny6.3ds")) {
    state.SkipWithError("no game data: run scripts/prepare-run on the build folder first");
    return;
  }
  const fs::path dir = level6_workdir(run);
  // Escape leaves the title, the level-6 button and then the start area are clicked (frame 8);
  // fire is held from the end of the start hold; the guns go to level 2 (all five pools).
  constexpr int64_t kArm = 60, kMeasure = 64;
  platform::headless::Config config;
  config.dt = 0.05;
  config.render = false;
  config.max_frames = kMeasure;
  config.events = platform::headless::parse_script(
      "2 key down ESC\n3 key up ESC\n4 mouse move 100 430\n5 mouse down left\n6 mouse up left\n"
      "7 mouse move 400 280\n8 mouse down left\n9 mouse up left\n60 key down SPACE\n");
  const fs::path old = fs::current_path();
  fs::current_path(dir);
  platform::init();
  platform::headless::configure(config);

  double frame_us = 0, frame_cpu_us = 0;
  int alive = 0;
  Karmund({}, [&] {
    Form1->GLScene1->OnProgress = [&](TComponent*, double, double) {
      const int64_t frame = platform::headless::frame();
      if (frame == kArm) {
        weaponLevel = 2;
        weaponChanged = true;
      }
      if (frame != kMeasure) return;
      if (!Form1->zbran1->Visible() || !Form1->zbran2->Visible() || levelNumber != 6) {
        state.SkipWithError("not on level 6 with the guns of level 2");
        return;
      }
      const FrameStart start = setUpTheFight();
      double now = 100;
      for (auto _ : state) {
        state.PauseTiming();
        start.restore();
        alive = shotsAlive();
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = thread_cpu_us();
        Form1->kadencer(Form1->GLCadencer1, 0.05, now += 0.05);
        frame_cpu_us += thread_cpu_us() - c0;
        frame_us += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                        .count();
      }
    };
  });
  fs::current_path(old);
  fs::remove_all(dir);
  if (state.iterations() == 0) {
    state.SkipWithError("the game never reached level 6");
    return;
  }
  const double per_frame = frame_us / static_cast<double>(state.iterations());
  // The wall clock and the thread's own CPU time (steadier on a busy machine).
  state.counters["us_per_frame"] = per_frame;
  state.counters["cpu_us_per_frame"] = frame_cpu_us / static_cast<double>(state.iterations());
  state.counters["pct_of_16_7ms"] = per_frame / 16667.0 * 100.0;
  state.counters["cpu_pct_of_16_7ms"] =
      frame_cpu_us / static_cast<double>(state.iterations()) / 16667.0 * 100.0;
  state.counters["shots_alive"] = alive;
  state.counters["shot_sweeps"] = 11.0 * alive;
  state.counters["probe_sweeps"] = 144;
}
BENCHMARK(BM_PlayFrameLevel6AllShots)->Unit(benchmark::kMicrosecond)->Iterations(2000);
