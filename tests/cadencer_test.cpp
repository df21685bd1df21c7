// The frame clock over the headless virtual clock: time continuity rules, the step's order,
// the posted-message driving and what an error in a step does.
#include "engine/cadencer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/application.h"
#include "engine/full_screen_viewer.h"
#include "engine/scene_object.h"
#include "platform/common/message_queue.h"
#include "platform/headless/backend.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace {

// A fresh virtual clock moving `dt` seconds per paced frame.
void Configure(double dt, std::vector<platform::headless::ScriptEvent> events = {}) {
  platform::headless::Config config;
  config.dt = dt;
  config.render = false;
  config.events = std::move(events);
  platform::headless::configure(config);
  Application.ResetTerminated();
}

void Advance(int frames) {
  for (int i = 0; i < frames; ++i) platform::pace_frame();
}

struct Times {
  std::vector<double> delta, time;
};

// A manual cadencer on the virtual clock that records what its handler saw.
struct ManualClock {
  TComponent form;
  TGLScene* scene = make_owned<TGLScene>(&form);
  TGLCadencer* cadencer = make_owned<TGLCadencer>(&form);
  Times seen;
  ManualClock() {
    cadencer->SetMode(cmManual);
    cadencer->SetScene(scene);
    cadencer->OnProgress = [this](TComponent*, double dt, double t) {
      seen.delta.push_back(dt);
      seen.time.push_back(t);
    };
  }
};

struct RecordingManager : TGLCadenceAbleComponent {
  RecordingManager(TComponent* owner, std::vector<std::string>* log, std::string name)
      : TGLCadenceAbleComponent(owner), log_(log), name_(std::move(name)) {}
  void Progress(const TProgressTimes&) override { log_->push_back(name_); }
  std::vector<std::string>* log_;
  std::string name_;
};

// Runs the message loop until the headless backend says no frame will ever come again.
const char* RunUntilStopped(int max_passes = 1000) {
  try {
    for (int i = 0; i < max_passes; ++i) Application.ProcessMessages();
  } catch (const platform::Halt& h) {
    return h.reason;
  }
  return "still running";
}

}  // namespace

TEST(Cadencer, Defaults) {
  Configure(0.1);
  TGLCadencer c;
  EXPECT_TRUE(c.Enabled());
  EXPECT_EQ(c.Mode(), cmASAP);
  EXPECT_EQ(c.TimeReference(), cmPerformanceCounter);
  EXPECT_DOUBLE_EQ(c.TimeMultiplier(), 1);
  EXPECT_DOUBLE_EQ(c.MaxDeltaTime(), 0);
  EXPECT_EQ(c.SleepLength(), -1);
  EXPECT_EQ(c.Scene(), nullptr);
}

TEST(Cadencer, DisableAndReenableContinues) {
  Configure(1.0);
  ManualClock m;
  Advance(1);
  m.cadencer->Progress();
  m.cadencer->SetEnabled(false);
  Advance(10);  // ten seconds off
  m.cadencer->Progress();
  EXPECT_EQ(m.seen.time.size(), 1u) << "a disabled cadencer does not step";
  m.cadencer->SetEnabled(true);
  Advance(1);
  m.cadencer->Progress();
  ASSERT_EQ(m.seen.time.size(), 2u);
  EXPECT_NEAR(m.seen.time[1], 2.0, 1e-9) << "newTime continues from where it stopped";
  EXPECT_NEAR(m.seen.delta[1], 1.0, 1e-9);
}

TEST(Cadencer, MaxDeltaTimeCutsAStall) {
  Configure(0.1);
  ManualClock m;
  m.cadencer->SetMaxDeltaTime(0.1);
  Advance(1);
  m.cadencer->Progress();  // t = 0.1
  Advance(10);             // a 1 s stall
  m.cadencer->Progress();
  ASSERT_EQ(m.seen.delta.size(), 2u);
  EXPECT_NEAR(m.seen.delta[1], 0.1, 1e-9);
  EXPECT_NEAR(m.seen.time[1], 0.2, 1e-9);
  Advance(1);
  m.cadencer->Progress();
  EXPECT_NEAR(m.seen.time[2], 1.2 - 0.9, 1e-9) << "later times are shifted by 0.9 s";
  EXPECT_NEAR(m.seen.delta[2], 0.1, 1e-9);
}

TEST(Cadencer, NoLimitGivesOneLargeDelta) {
  Configure(0.1);
  ManualClock m;
  Advance(1);
  m.cadencer->Progress();
  Advance(10);
  m.cadencer->Progress();
  EXPECT_NEAR(m.seen.delta[1], 1.0, 1e-9);
}

TEST(Cadencer, TimeMultiplierKeepsTimeContinuous) {
  Configure(1.0);
  ManualClock m;
  Advance(2);
  EXPECT_NEAR(m.cadencer->GetCurrentTime(), 2, 1e-9);
  m.cadencer->SetTimeMultiplier(2);
  EXPECT_NEAR(m.cadencer->GetCurrentTime(), 2, 1e-9) << "no jump at the change";
  Advance(1);
  EXPECT_NEAR(m.cadencer->GetCurrentTime(), 4, 1e-9) << "then twice as fast";

  m.cadencer->SetTimeMultiplier(0);
  EXPECT_FALSE(m.cadencer->Enabled()) << "a zero multiplier stops the cadencer";
  Advance(5);
  m.cadencer->SetTimeMultiplier(1);
  EXPECT_TRUE(m.cadencer->Enabled()) << "and a new one starts it again";
  EXPECT_NEAR(m.cadencer->GetCurrentTime(), 4, 1e-9) << "from where it stood";
  Advance(1);
  EXPECT_NEAR(m.cadencer->GetCurrentTime(), 5, 1e-9);
}

TEST(Cadencer, StepOrderSceneManagersHandler) {
  Configure(0.1);
  ManualClock m;
  std::vector<std::string> log;
  auto* obj = make_owned<TGLSceneObject>(&m.form);
  m.scene->Objects().AddChild(obj);
  obj->OnProgress = [&](TComponent*, double, double) { log.push_back("scene"); };
  auto* camera_obj = make_owned<TGLSceneObject>(&m.form);
  m.scene->Cameras().AddChild(camera_obj);
  camera_obj->OnProgress = [&](TComponent*, double, double) { log.push_back("cameras"); };
  auto* a = make_owned<RecordingManager>(&m.form, &log, "manager a");
  auto* b = make_owned<RecordingManager>(&m.form, &log, "manager b");
  m.cadencer->Subscribe(b);
  m.cadencer->Subscribe(a);
  m.cadencer->Subscribe(b);  // once only
  EXPECT_EQ(m.cadencer->SubscriberCount(), 2);
  m.cadencer->OnProgress = [&](TComponent* sender, double, double) {
    EXPECT_EQ(sender, m.cadencer);
    log.push_back("handler");
  };
  Advance(1);
  m.cadencer->Progress();
  std::vector<std::string> expected = {"scene", "cameras", "manager b", "manager a", "handler"};
  EXPECT_EQ(log, expected);

  delete b;  // a freed manager is forgotten
  EXPECT_EQ(m.cadencer->SubscriberCount(), 1);
  log.clear();
  Advance(1);
  m.cadencer->Progress();
  expected = {"scene", "cameras", "manager a", "handler"};
  EXPECT_EQ(log, expected);
}

TEST(Cadencer, ZeroDeltaSkipsTheSceneOnly) {
  Configure(0.1);
  ManualClock m;
  m.cadencer->SetTimeReference(cmExternal);
  std::vector<std::string> log;
  auto* obj = make_owned<TGLSceneObject>(&m.form);
  m.scene->Objects().AddChild(obj);
  obj->OnProgress = [&](TComponent*, double, double) { log.push_back("scene"); };
  auto* mgr = make_owned<RecordingManager>(&m.form, &log, "manager");
  m.cadencer->Subscribe(mgr);
  m.cadencer->OnProgress = [&](TComponent*, double dt, double) {
    log.push_back("handler " + std::to_string(dt));
  };
  m.cadencer->Progress();  // the external clock has not moved: delta 0
  std::vector<std::string> expected = {"manager", "handler 0.000000"};
  EXPECT_EQ(log, expected);
  log.clear();
  m.cadencer->SetCurrentTime(0.5);
  m.cadencer->Progress();
  expected = {"scene", "manager", "handler 0.500000"};
  EXPECT_EQ(log, expected);
  EXPECT_DOUBLE_EQ(m.cadencer->CurrentTime(), 0.5);
}

TEST(Cadencer, NoSecondStepWhileTheSceneAdvances) {
  Configure(0.1);
  ManualClock m;
  auto* obj = make_owned<TGLSceneObject>(&m.form);
  m.scene->Objects().AddChild(obj);
  int scene_steps = 0;
  obj->OnProgress = [&](TComponent*, double, double) {
    ++scene_steps;
    EXPECT_TRUE(m.cadencer->IsBusy());
    m.cadencer->Progress();  // refused
  };
  Advance(1);
  m.cadencer->Progress();
  EXPECT_EQ(scene_steps, 1);
  EXPECT_EQ(m.seen.time.size(), 1u);
  EXPECT_FALSE(m.cadencer->IsBusy());
}

TEST(Cadencer, SceneErrorStillMovesLastTime) {
  Configure(0.1);
  ManualClock m;
  auto* obj = make_owned<TGLSceneObject>(&m.form);
  m.scene->Objects().AddChild(obj);
  obj->OnProgress = [&](TComponent*, double, double) { throw Exception("scene fault"); };
  Advance(1);
  EXPECT_THROW(m.cadencer->Progress(), Exception);
  EXPECT_FALSE(m.cadencer->IsBusy()) << "the nesting counter is restored on the way out";
  EXPECT_NEAR(m.cadencer->CurrentTime(), 0.1, 1e-9);
  obj->OnProgress = nullptr;
  Advance(1);
  m.cadencer->Progress();
  ASSERT_EQ(m.seen.delta.size(), 1u);
  EXPECT_NEAR(m.seen.delta[0], 0.1, 1e-9) << "the failed step's time is not counted twice";
}

TEST(CadencerDriving, PostedMessagesPaceOneFrameEach) {
  Configure(1.0 / 60);
  TComponent form;
  auto* scene = make_owned<TGLScene>(&form);
  auto* cadencer = make_owned<TGLCadencer>(&form);
  std::vector<int64_t> frames;
  std::vector<double> times;
  cadencer->OnProgress = [&](TComponent*, double, double t) {
    frames.push_back(platform::headless::frame());
    times.push_back(t);
  };
  cadencer->SetScene(scene);  // cmASAP, enabled, with a scene: driven from now on
  for (int i = 0; i < 3; ++i) Application.ProcessMessages();
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames, (std::vector<int64_t>{1, 2, 3}));
  EXPECT_NEAR(times[2], 3.0 / 60, 1e-9);

  cadencer->SetMode(cmManual);  // the last driven cadencer leaves: the window goes
  EXPECT_STREQ(RunUntilStopped(), "stalled");
  EXPECT_EQ(frames.size(), 3u);
}

TEST(CadencerDriving, LastRegisteredFirst) {
  Configure(0.1);
  TComponent form;
  auto* scene = make_owned<TGLScene>(&form);
  std::vector<std::string> log;
  auto* a = make_owned<TGLCadencer>(&form);
  auto* b = make_owned<TGLCadencer>(&form);
  a->OnProgress = [&](TComponent*, double, double) { log.push_back("a"); };
  b->OnProgress = [&](TComponent*, double, double) { log.push_back("b"); };
  a->SetScene(scene);
  b->SetScene(scene);
  Application.ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(platform::headless::frame(), 1) << "one paced frame for both";
}

TEST(CadencerDriving, ErrorInAStepIsReportedAndStopsTheClock) {
  Configure(0.1);
  TComponent form;
  auto* scene = make_owned<TGLScene>(&form);
  auto* cadencer = make_owned<TGLCadencer>(&form);
  int calls = 0;
  cadencer->OnProgress = [&](TComponent*, double, double) {
    if (++calls == 3) throw Exception("Cannot open file \"x\". No such file");
  };
  cadencer->SetScene(scene);
  EXPECT_STREQ(RunUntilStopped(), "stalled") << "no frame comes after the error";
  EXPECT_EQ(calls, 3);
  EXPECT_FALSE(cadencer->Enabled());
  ASSERT_EQ(platform::reported_errors().size(), 1u);
  EXPECT_EQ(platform::reported_errors()[0], "Cannot open file \"x\". No such file");
}

TEST(CadencerDriving, StandardExceptionsAreReportedToo) {
  Configure(0.1);
  TComponent form;
  auto* scene = make_owned<TGLScene>(&form);
  auto* cadencer = make_owned<TGLCadencer>(&form);
  cadencer->OnProgress = [&](TComponent*, double, double) {
    std::vector<int> v;
    (void)v.at(3);
  };
  cadencer->SetScene(scene);
  EXPECT_STREQ(RunUntilStopped(), "stalled");
  EXPECT_FALSE(cadencer->Enabled());
  EXPECT_EQ(platform::reported_errors().size(), 1u);
}

TEST(CadencerDriving, TerminatingApplicationDisables) {
  Configure(0.1);
  TComponent form;
  auto* scene = make_owned<TGLScene>(&form);
  auto* cadencer = make_owned<TGLCadencer>(&form);
  int calls = 0;
  cadencer->OnProgress = [&](TComponent*, double, double) { ++calls; };
  cadencer->SetScene(scene);
  Application.Terminate();
  EXPECT_STREQ(RunUntilStopped(), "stalled");
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(cadencer->Enabled());
  Application.ResetTerminated();
}

TEST(CadencerDriving, LoadingCadencerWaitsForLoaded) {
  Configure(0.1);
  TComponent form;
  auto* scene = make_owned<TGLScene>(&form);
  auto* cadencer = make_owned<TGLCadencer>(&form);
  int calls = 0;
  cadencer->OnProgress = [&](TComponent*, double, double) { ++calls; };
  cadencer->BeginLoading();
  cadencer->SetScene(scene);
  EXPECT_STREQ(RunUntilStopped(), "stalled") << "not driven while loading";
  cadencer->EndLoading();
  Application.ProcessMessages();
  EXPECT_EQ(calls, 1);
}

TEST(CadencerDriving, InputIsDispatchedBeforeTheFrame) {
  using platform::headless::ScriptEvent;
  Configure(0.1, {{2, ScriptEvent::KeyDown, 'A', 0}});
  TComponent form;
  auto* scene = make_owned<TGLScene>(&form);
  auto* viewer = make_owned<TGLFullScreenViewer>(&form);
  viewer->SetWidth(640);
  viewer->SetHeight(480);
  std::vector<std::string> log;
  viewer->OnKeyDown = [&](TComponent*, int& key, TShiftState) {
    log.push_back("key " + std::to_string(key) + " frame " +
                  std::to_string(platform::headless::frame()));
  };
  viewer->SetFullScreen(true);
  auto* cadencer = make_owned<TGLCadencer>(&form);
  cadencer->OnProgress = [&](TComponent*, double, double) {
    log.push_back("frame " + std::to_string(platform::headless::frame()));
  };
  cadencer->SetScene(scene);
  for (int i = 0; i < 3; ++i) Application.ProcessMessages();
  std::vector<std::string> expected = {"frame 1", "key 65 frame 2", "frame 2", "frame 3"};
  EXPECT_EQ(log, expected);
}

TEST(CadencerDriving, FloodGuardHandsOverToTheTimerAndTheTimerResetsIt) {
  // The headless clock moves only when a frame is paced, just before the step posts again, so
  // every message is handled in the tick it was stamped with: each one counts towards the flood.
  // The messages are dispatched one by one here to see the hand-over between them.
  Configure(1.0 / 60);
  TComponent form;
  auto* scene = make_owned<TGLScene>(&form);
  auto* cadencer = make_owned<TGLCadencer>(&form);
  int calls = 0;
  cadencer->OnProgress = [&](TComponent*, double, double) { ++calls; };
  cadencer->SetScene(scene);
  auto& timers = platform::headless::backend().timers;
  // Dispatches the one posted message (stamped `age` ms early); false when none was posted.
  auto dispatch_posted = [](uint32_t age = 0) {
    auto posted = platform::detail::take_posted();
    if (posted.empty()) return false;
    EXPECT_EQ(posted.size(), 1u) << "the window keeps one message in flight";
    for (const auto& p : posted) platform::detail::dispatch_message(p.message, p.time - age);
    return true;
  };

  for (int i = 0; i < 5000; ++i) ASSERT_TRUE(dispatch_posted()) << "message " << i + 1;
  EXPECT_EQ(calls, 5000);
  EXPECT_TRUE(timers.empty()) << "5000 in one tick are still allowed";
  ASSERT_TRUE(dispatch_posted());  // the 5001st
  EXPECT_EQ(calls, 5000) << "past 5000 the step waits for the timer";
  EXPECT_FALSE(platform::detail::posted_pending()) << "and no further message is posted";
  ASSERT_EQ(timers.size(), 1u) << "the 1 ms timer was started";

  const uint32_t timer = timers[0];
  platform::detail::dispatch_message(timer, platform::tick_count());
  EXPECT_EQ(calls, 5001) << "the timer message makes the step";
  EXPECT_TRUE(timers.empty()) << "and stops the timer";
  // The timer reset the counter: another 5000 in one tick pass before the guard trips again.
  for (int i = 0; i < 5000; ++i) ASSERT_TRUE(dispatch_posted()) << "message " << i + 1;
  EXPECT_EQ(calls, 10001);
  EXPECT_TRUE(timers.empty());
  ASSERT_TRUE(dispatch_posted());
  EXPECT_EQ(calls, 10001);
  ASSERT_EQ(timers.size(), 1u);
  platform::detail::dispatch_message(timers[0], platform::tick_count());
  EXPECT_EQ(calls, 10002);

  // A message stamped in an earlier tick resets the counter as well.
  for (int i = 0; i < 4000; ++i) ASSERT_TRUE(dispatch_posted());
  ASSERT_TRUE(dispatch_posted(1));
  for (int i = 0; i < 4000; ++i) ASSERT_TRUE(dispatch_posted());
  EXPECT_TRUE(timers.empty()) << "8001 in a row, but not in one tick";
  EXPECT_EQ(calls, 18003);

  // Through the ordinary loop no step is lost or doubled around the guard.
  for (int i = 0; i < 6000; ++i) Application.ProcessMessages();
  EXPECT_EQ(calls, 24003);
  EXPECT_EQ(platform::headless::frame(), 24003);
}
