// The full-screen viewer: the display-mode choice, switching on and off, the events handed
// to the handlers, the window's close and painting on scene changes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/application.h"
#include "engine/cadencer.h"
#include "engine/camera.h"
#include "engine/full_screen_viewer.h"
#include "engine/scene_object.h"
#include "platform/headless/backend.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace {

void Configure(bool render, std::vector<platform::headless::ScriptEvent> events = {}) {
  platform::headless::Config config;
  config.render = render;
  config.events = std::move(events);
  platform::headless::configure(config);
}

platform::DisplayMode Mode(int w, int h, int bits) { return {w, h, bits, 60, ""}; }

}  // namespace

TEST(ViewerModeChoice, SmallestExcessAndLaterTies) {
  std::vector<platform::DisplayMode> modes = {Mode(1920, 1080, 32), Mode(800, 600, 32),
                                              Mode(640, 480, 32), Mode(1024, 768, 32),
                                              Mode(640, 480, 32)};
  EXPECT_EQ(ChooseDisplayMode(modes, 640, 480, 32), 4) << "a later entry of the same fit wins";
  EXPECT_EQ(ChooseDisplayMode(modes, 700, 500, 32), 1);
  EXPECT_EQ(ChooseDisplayMode(modes, 10000, 10000, 32), -1);

  // All three excesses must be no larger: a closer size with more bits does not replace.
  std::vector<platform::DisplayMode> mixed = {Mode(1920, 1080, 32), Mode(1024, 768, 16),
                                              Mode(800, 600, 32)};
  EXPECT_EQ(ChooseDisplayMode(mixed, 640, 480, 16), 1);
  EXPECT_EQ(ChooseDisplayMode(mixed, 640, 480, 32), 2) << "16 bits are too few";

  // The desktop entry is never chosen, even when it fits.
  std::vector<platform::DisplayMode> desktop_only = {Mode(1920, 1080, 32)};
  EXPECT_EQ(ChooseDisplayMode(desktop_only, 640, 480, 32), -1);
  EXPECT_EQ(ChooseDisplayMode({}, 640, 480, 32), -1);
}

TEST(Viewer, DefaultsAndSizeFloor) {
  TGLFullScreenViewer viewer;
  EXPECT_EQ(viewer.Width(), 256);
  EXPECT_EQ(viewer.Height(), 256);
  EXPECT_EQ(viewer.ScreenDepth(), sd32bits);
  EXPECT_FALSE(viewer.StayOnTop());
  EXPECT_EQ(viewer.RefreshRate(), 0);
  EXPECT_FALSE(viewer.Active());
  EXPECT_FALSE(viewer.Buffer().FogEnable());
  EXPECT_TRUE(viewer.Buffer().DepthTest());
  EXPECT_TRUE(viewer.Buffer().FaceCulling());
  EXPECT_TRUE(viewer.Buffer().Lighting());
  EXPECT_EQ(viewer.Buffer().FogEnvironment().FogMode(), fmLinear);
  EXPECT_EQ(viewer.Buffer().FogEnvironment().FogDistance(), fdDefault);
  viewer.SetWidth(0);
  viewer.SetHeight(-5);
  EXPECT_EQ(viewer.Width(), 1);
  EXPECT_EQ(viewer.Height(), 1);
}

TEST(Viewer, UnsupportedVideoMode) {
  Configure(false);
  TGLFullScreenViewer viewer;
  viewer.SetWidth(10000);
  viewer.SetHeight(10000);
  try {
    viewer.SetFullScreen(true);
    FAIL() << "expected an error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Unsupported video mode");
  }
  EXPECT_FALSE(viewer.Active());
  EXPECT_FALSE(platform::window_open());
}

TEST(Viewer, SwitchOnAndOff) {
  Configure(false);
  TGLFullScreenViewer viewer;
  viewer.SetWidth(640);
  viewer.SetHeight(480);
  viewer.SetFullScreen(true);
  EXPECT_TRUE(viewer.Active());
  EXPECT_TRUE(platform::window_open());
  const auto& chosen = platform::display_modes().at(static_cast<size_t>(viewer.ChosenMode()));
  EXPECT_EQ(chosen.width, 640);
  EXPECT_EQ(chosen.height, 480);
  EXPECT_EQ(chosen.bits, 32);
  viewer.SetFullScreen(true);  // already on: nothing
  EXPECT_TRUE(viewer.Active());
  viewer.SetFullScreen(false);
  EXPECT_FALSE(viewer.Active());
  EXPECT_FALSE(platform::window_open());
  viewer.SetFullScreen(true);
  {
    // Freed while active: the window closes with it.
    TGLFullScreenViewer other;
  }
  EXPECT_TRUE(platform::window_open()) << "another viewer that was never on closes nothing";
}

TEST(Viewer, EventsReachTheHandlers) {
  using platform::headless::ScriptEvent;
  Configure(false, {{1, ScriptEvent::MouseMove, 100, 200},
                    {1, ScriptEvent::MouseDown, 0, 0},
                    {1, ScriptEvent::MouseUp, 0, 0},
                    {1, ScriptEvent::Wheel, -120, 0},
                    {1, ScriptEvent::KeyDown, platform::vkEscape, 0},
                    {1, ScriptEvent::KeyDown, 'W', 0},
                    {1, ScriptEvent::KeyUp, 'W', 0}});
  TGLFullScreenViewer viewer;
  std::vector<std::string> log;
  viewer.OnMouseMove = [&](TComponent* s, TShiftState, int x, int y) {
    EXPECT_EQ(s, &viewer);
    log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
  };
  viewer.OnMouseDown = [&](TComponent*, TMouseButton b, TShiftState shift, int x, int y) {
    log.push_back("down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y) +
                  ((shift & platform::ssLeft) ? " left held" : ""));
  };
  viewer.OnMouseUp = [&](TComponent*, TMouseButton, TShiftState, int, int) { log.push_back("up"); };
  viewer.OnClick = [&](TComponent*) { log.push_back("click"); };
  viewer.OnMouseWheel = [&](TComponent*, TShiftState, int delta, TPoint p, bool& handled) {
    log.push_back("wheel " + std::to_string(delta) + " at " + std::to_string(p.X));
    handled = true;
  };
  viewer.OnKeyDown = [&](TComponent*, int& key, TShiftState) {
    log.push_back("key " + std::to_string(key));
  };
  viewer.OnKeyPress = [&](TComponent*, char& c) { log.push_back(std::string("press ") + c); };
  viewer.OnKeyUp = [&](TComponent*, int& key, TShiftState) {
    log.push_back("key up " + std::to_string(key));
  };
  viewer.SetWidth(640);
  viewer.SetHeight(480);
  viewer.SetFullScreen(true);
  platform::pace_frame();
  platform::process_window_events();
  std::vector<std::string> expected = {"move 100,200",
                                       "down 0 100,200 left held",
                                       "up",
                                       "click",
                                       "wheel -120 at 100",
                                       "key 27",
                                       "press \x1b",
                                       "key 87",
                                       "press w",
                                       "key up 87"};
  EXPECT_EQ(log, expected);
}

TEST(Viewer, WindowCloseAsksAndSwitchesOff) {
  Configure(false);
  TGLFullScreenViewer viewer;
  viewer.SetWidth(640);
  viewer.SetHeight(480);
  bool allow = false;
  int closes = 0;
  viewer.OnCloseQuery = [&](TComponent*, bool& can_close) { can_close = allow; };
  viewer.OnClose = [&](TComponent*, TCloseAction&) { ++closes; };
  viewer.SetFullScreen(true);
  auto close_query = platform::headless::backend().events.close_query;
  ASSERT_TRUE(close_query);
  EXPECT_FALSE(close_query());
  EXPECT_TRUE(viewer.Active()) << "refused: stays on";
  EXPECT_EQ(closes, 0);
  allow = true;
  EXPECT_TRUE(close_query());
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(viewer.Active());
  EXPECT_FALSE(platform::window_open());
}

TEST(ViewerPaint, ClearsToTheBackgroundAndRepaintsOnSceneChanges) {
  Configure(true);
  TComponent form;
  auto* scene = make_owned<TGLScene>(&form);
  auto* camera = make_owned<TGLCamera>(&form);
  scene->Cameras().AddChild(camera);
  auto* obj = make_owned<TGLSceneObject>(&form);
  scene->Objects().AddChild(obj);
  auto* viewer = make_owned<TGLFullScreenViewer>(&form);
  viewer->SetCamera(camera);
  viewer->SetWidth(64);
  viewer->SetHeight(48);
  viewer->Buffer().SetBackgroundColor(clRed);
  viewer->SetFullScreen(true);
  platform::process_window_events();  // the new window's first paint
  EXPECT_EQ(viewer->Buffer().FramesRendered(), 1u);
  std::vector<uint8_t> rgba;
  int w = 0, h = 0;
  ASSERT_TRUE(platform::read_frame(rgba, w, h));
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 48);
  EXPECT_EQ(rgba[0], 255);
  EXPECT_EQ(rgba[1], 0);
  EXPECT_EQ(rgba[2], 0);

  platform::process_window_events();
  EXPECT_EQ(viewer->Buffer().FramesRendered(), 1u) << "nothing changed: no paint";
  obj->SetVisible(false);
  obj->SetVisible(true);
  platform::process_window_events();
  EXPECT_EQ(viewer->Buffer().FramesRendered(), 2u) << "two changes, one paint";

  viewer->Buffer().SetBackgroundColor(clBlue);
  platform::process_window_events();
  ASSERT_TRUE(platform::read_frame(rgba, w, h));
  EXPECT_EQ(rgba[2], 255) << "a buffer setting repaints too";

  // Changing the size of an active viewer switches it off and on at the new size.
  viewer->SetWidth(32);
  EXPECT_TRUE(viewer->Active());
  platform::process_window_events();
  ASSERT_TRUE(platform::read_frame(rgba, w, h));
  EXPECT_EQ(w, 32);
  viewer->SetFullScreen(false);
}

TEST(ViewerPaint, ForgetsAFreedCameraAndScene) {
  Configure(true);
  TComponent form;
  auto* viewer = make_owned<TGLFullScreenViewer>(&form);
  {
    TGLScene scene;
    auto* camera = make_owned<TGLCamera>(&scene);
    scene.Cameras().AddChild(camera);
    viewer->SetCamera(camera);
    viewer->SetFullScreen(true);
    platform::process_window_events();
  }
  EXPECT_EQ(viewer->Camera(), nullptr);
  platform::invalidate_window();
  platform::process_window_events();  // paints without a camera: the background only
  EXPECT_EQ(viewer->Buffer().FramesRendered(), 2u);
}

// ---------------------------------------------------------------------------------------------
// Errors in the handlers: each event is a dispatch boundary of its own

namespace {

// A viewer on and a frame clock driven by posted messages, as the game runs them.
struct RunningViewer {
  TComponent form;
  TGLScene* scene = make_owned<TGLScene>(&form);
  TGLFullScreenViewer* viewer = make_owned<TGLFullScreenViewer>(&form);
  TGLCadencer* cadencer = nullptr;
  int frames = 0;

  explicit RunningViewer(std::vector<platform::headless::ScriptEvent> events) {
    Configure(false, std::move(events));
    Application.ResetTerminated();
    viewer->SetWidth(640);
    viewer->SetHeight(480);
    viewer->SetFullScreen(true);
    cadencer = make_owned<TGLCadencer>(&form);
    cadencer->OnProgress = [this](TComponent*, double, double) { ++frames; };
    cadencer->SetScene(scene);
  }
  void run(int passes) {
    for (int i = 0; i < passes; ++i) Application.ProcessMessages();
  }
};

// Routes the application's report into `seen` for one test.
struct ExceptionHook {
  std::vector<std::string> seen;
  ExceptionHook() {
    Application.OnException = [this](const std::exception& e) { seen.push_back(e.what()); };
  }
  ~ExceptionHook() { Application.OnException = nullptr; }
};

}  // namespace

TEST(ViewerErrors, KeyDownErrorIsReportedAndTheFramesGoOn) {
  using platform::headless::ScriptEvent;
  RunningViewer run({{2, ScriptEvent::KeyDown, 'A', 0}, {4, ScriptEvent::KeyDown, 'B', 0}});
  std::vector<std::string> keys;
  run.viewer->OnKeyDown = [&](TComponent*, int& key, TShiftState) {
    keys.push_back(std::string(1, char(key)));
    if (key == 'A') throw Exception("Cannot open file \"x\". No such file");
  };
  std::string pressed;
  run.viewer->OnKeyPress = [&](TComponent*, char& c) { pressed += c; };
  run.run(6);
  ASSERT_EQ(platform::reported_errors().size(), 1u);
  EXPECT_EQ(platform::reported_errors()[0], "Cannot open file \"x\". No such file");
  EXPECT_TRUE(run.cadencer->Enabled()) << "an input error must not stop the frame clock";
  EXPECT_EQ(run.frames, 6) << "every frame after the failed key still came";
  EXPECT_EQ(keys, (std::vector<std::string>{"A", "B"})) << "the next key reached its handler";
  EXPECT_EQ(pressed, "ab") << "the character is a message of its own";
  EXPECT_TRUE(run.viewer->Active());
}

TEST(ViewerErrors, MouseDownErrorGoesToTheApplicationsReport) {
  using platform::headless::ScriptEvent;
  RunningViewer run({{2, ScriptEvent::MouseDown, 0, 0},
                     {2, ScriptEvent::MouseUp, 0, 0},
                     {3, ScriptEvent::MouseDown, 1, 0}});
  ExceptionHook hook;
  int downs = 0, clicks = 0;
  run.viewer->OnMouseDown = [&](TComponent*, TMouseButton, TShiftState, int, int) {
    ++downs;
    std::vector<int> none;
    (void)none.at(1);  // a standard library error, not the engine's own type
  };
  run.viewer->OnClick = [&](TComponent*) { ++clicks; };
  run.run(5);
  EXPECT_EQ(hook.seen.size(), 2u) << "both failed mouse-downs reach the standard handler";
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(clicks, 1) << "the button's release is handled on its own";
  EXPECT_TRUE(run.cadencer->Enabled());
  EXPECT_EQ(run.frames, 5);
}

TEST(ViewerErrors, EveryOtherEventIsABoundaryToo) {
  using platform::headless::ScriptEvent;
  RunningViewer run({{1, ScriptEvent::KeyDown, 'W', 0},
                     {1, ScriptEvent::KeyUp, 'W', 0},
                     {1, ScriptEvent::MouseMove, 10, 20},
                     {1, ScriptEvent::Wheel, 120, 0},
                     {1, ScriptEvent::MouseDown, 0, 0},
                     {1, ScriptEvent::MouseUp, 0, 0},
                     {1, ScriptEvent::MouseDown, 0, 0}});
  auto fail = [](const char* what) { throw Exception(what); };
  run.viewer->OnKeyPress = [&](TComponent*, char&) { fail("press"); };
  run.viewer->OnKeyUp = [&](TComponent*, int&, TShiftState) { fail("key up"); };
  run.viewer->OnMouseMove = [&](TComponent*, TShiftState, int, int) { fail("move"); };
  run.viewer->OnMouseWheel = [&](TComponent*, TShiftState, int, TPoint, bool&) { fail("wheel"); };
  run.viewer->OnMouseUp = [&](TComponent*, TMouseButton, TShiftState, int, int) { fail("up"); };
  run.viewer->OnClick = [&](TComponent*) { fail("click"); };
  run.viewer->OnDblClick = [&](TComponent*) { fail("double"); };
  run.run(3);
  EXPECT_EQ(
      platform::reported_errors(),
      (std::vector<std::string>{"press", "key up", "move", "wheel", "up", "click", "double"}));
  EXPECT_TRUE(run.cadencer->Enabled());
  EXPECT_EQ(run.frames, 3);

  // A close whose handler fails did not happen: the viewer stays on.
  run.viewer->OnCloseQuery = [&](TComponent*, bool&) { fail("close"); };
  auto close_query = platform::headless::backend().events.close_query;
  ASSERT_TRUE(close_query);
  EXPECT_FALSE(close_query());
  EXPECT_EQ(platform::reported_errors().back(), "close");
  EXPECT_TRUE(run.viewer->Active());
}

TEST(ViewerErrors, TheGamesHaltPassesThrough) {
  using platform::headless::ScriptEvent;
  RunningViewer run({{2, ScriptEvent::KeyDown, platform::vkEscape, 0}});
  run.viewer->OnKeyDown = [&](TComponent*, int&, TShiftState) { platform::halt(0); };
  try {
    run.run(5);
    FAIL() << "the halt was swallowed";
  } catch (const platform::Halt& halt) {
    EXPECT_STREQ(halt.reason, "halt");
  }
  EXPECT_TRUE(platform::reported_errors().empty()) << "the regular end is no error";
  EXPECT_EQ(run.frames, 1);
}
