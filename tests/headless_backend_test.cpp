// The headless backend: virtual clock and frame limit, scripted input with the key-state latch,
// script parsing, posted messages and stall detection, and the offscreen context.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace hl = platform::headless;

namespace {

hl::Config config_with(std::vector<hl::ScriptEvent> events, bool render = false) {
  hl::Config config;
  config.events = std::move(events);
  config.render = render;
  return config;
}

}  // namespace

TEST(HeadlessClock, AdvancesByDtPerPacedFrame) {
  hl::Config config;
  config.dt = 0.05;
  config.render = false;
  hl::configure(config);
  EXPECT_EQ(platform::performance_counter(), 0);
  EXPECT_EQ(platform::tick_count(), 0u);
  for (int i = 0; i < 40; ++i) platform::pace_frame();
  EXPECT_EQ(hl::frame(), 40);
  double seconds = static_cast<double>(platform::performance_counter()) /
                   static_cast<double>(platform::performance_frequency());
  EXPECT_DOUBLE_EQ(seconds, 2.0);
  EXPECT_EQ(platform::tick_count(), 2000u);
  platform::sleep_ms(500);  // sleeping does not move virtual time
  EXPECT_EQ(platform::tick_count(), 2000u);
}

TEST(HeadlessClock, FrameLimitHaltsWithFrames) {
  hl::Config config;
  config.max_frames = 3;
  config.render = false;
  hl::configure(config);
  for (int i = 0; i < 3; ++i) platform::pace_frame();
  try {
    platform::pace_frame();
    FAIL() << "the fourth frame must not be paced";
  } catch (const platform::Halt& halt) {
    EXPECT_EQ(halt.code, 0);
    EXPECT_STREQ(halt.reason, "frames");
  }
  EXPECT_EQ(hl::frame(), 3);

  hl::configure(hl::Config{});
  EXPECT_EQ(hl::frame(), 0) << "configure starts the clock again";
}

TEST(HeadlessKeys, TapBetweenQueriesIsReportedOnce) {
  // Frame 1: press and release Space before the game looks; frame 2: hold Left.
  hl::configure(config_with({{1, hl::ScriptEvent::KeyDown, ' '},
                             {1, hl::ScriptEvent::KeyUp, ' '},
                             {2, hl::ScriptEvent::KeyDown, platform::vkLeft}}));
  platform::process_window_events();
  EXPECT_FALSE(platform::key_is_down(' ')) << "frame 1 events wait for frame 1";

  platform::pace_frame();
  platform::process_window_events();
  EXPECT_TRUE(platform::key_is_down(' ')) << "a tap since the last query counts";
  EXPECT_FALSE(platform::key_is_down(' ')) << "the query clears the latch";
  EXPECT_FALSE(platform::key_is_down(platform::vkLeft));

  platform::pace_frame();
  platform::process_window_events();
  EXPECT_TRUE(platform::key_is_down(platform::vkLeft));
  EXPECT_TRUE(platform::key_is_down(platform::vkLeft)) << "a held key stays down";
}

TEST(HeadlessKeys, LatchIsPerKeyAndClearedByConfigure) {
  hl::configure(config_with({{0, hl::ScriptEvent::KeyDown, 'W'},
                             {0, hl::ScriptEvent::KeyUp, 'W'},
                             {0, hl::ScriptEvent::KeyDown, 'S'},
                             {0, hl::ScriptEvent::KeyUp, 'S'}}));
  platform::process_window_events();
  EXPECT_TRUE(platform::key_is_down('W'));
  EXPECT_TRUE(platform::key_is_down('S')) << "querying W must not clear S";
  EXPECT_FALSE(platform::key_is_down('W'));

  hl::configure(config_with({{0, hl::ScriptEvent::KeyDown, 'A'}}));
  platform::process_window_events();
  hl::configure(hl::Config{});
  EXPECT_FALSE(platform::key_is_down('A'));
}

TEST(HeadlessInput, EventsReachTheWindowHandlers) {
  hl::configure(config_with({{0, hl::ScriptEvent::MouseMove, 320, 240},
                             {0, hl::ScriptEvent::KeyDown, platform::vkControl},
                             {0, hl::ScriptEvent::MouseDown, platform::mbRight},
                             {0, hl::ScriptEvent::Wheel, -120},
                             {0, hl::ScriptEvent::KeyDown, platform::vkEscape}}));
  std::vector<std::string> seen;
  platform::WindowEvents events;
  events.mouse_move = [&](uint32_t, int x, int y) {
    seen.push_back("move " + std::to_string(x) + " " + std::to_string(y));
  };
  events.mouse_down = [&](platform::MouseButton button, uint32_t shift, int x, int y) {
    EXPECT_EQ(button, platform::mbRight);
    EXPECT_EQ(shift, platform::ssCtrl | platform::ssRight);
    seen.push_back("down " + std::to_string(x) + " " + std::to_string(y));
  };
  events.mouse_wheel = [&](uint32_t, int delta, int, int) {
    seen.push_back("wheel " + std::to_string(delta));
  };
  events.key_down = [&](int vk, uint32_t) { seen.push_back("key " + std::to_string(vk)); };
  platform::open_window(640, 480, true, events);
  platform::process_messages();
  EXPECT_EQ(seen, (std::vector<std::string>{"move 320 240", "key 17", "down 320 240", "wheel -120",
                                            "key 27"}));
  platform::close_window();
}

TEST(HeadlessScript, ParsesEveryEventKind) {
  auto events = hl::parse_script(
      "# a comment line\n"
      "\n"
      "0 mouse move 100 200   # trailing comment\r\n"
      "1 mouse down left\n"
      "1 mouse up right\n"
      "2 key down SPACE\n"
      "3 key up esc\n"
      "4 key down a\n"
      "5 key down 7\n"
      "6 wheel -2\n"
      "7 key down CTRL\n"
      "7 key down UP\n");
  ASSERT_EQ(events.size(), 10u);
  EXPECT_EQ(events[0].kind, hl::ScriptEvent::MouseMove);
  EXPECT_EQ(events[0].a, 100);
  EXPECT_EQ(events[0].b, 200);
  EXPECT_EQ(events[1].kind, hl::ScriptEvent::MouseDown);
  EXPECT_EQ(events[1].a, platform::mbLeft);
  EXPECT_EQ(events[2].kind, hl::ScriptEvent::MouseUp);
  EXPECT_EQ(events[2].a, platform::mbRight);
  EXPECT_EQ(events[3].a, platform::vkSpace);
  EXPECT_EQ(events[4].kind, hl::ScriptEvent::KeyUp);
  EXPECT_EQ(events[4].a, platform::vkEscape);
  EXPECT_EQ(events[5].a, 'A');
  EXPECT_EQ(events[6].a, '7');
  EXPECT_EQ(events[7].kind, hl::ScriptEvent::Wheel);
  EXPECT_EQ(events[7].a, -240) << "wheel counts notches of 120";
  EXPECT_EQ(events[8].a, platform::vkControl);
  EXPECT_EQ(events[9].a, platform::vkUp);
  EXPECT_EQ(events[9].frame, 7);
}

TEST(HeadlessScript, MalformedLinesNameTheLine) {
  const std::pair<const char*, const char*> bad[] = {
      {"1 key down SPACE\nx key down A\n", "line 2: bad frame number \"x\""},
      {"-1 key down A", "line 1: bad frame number \"-1\""},
      {"1 key down F13", "line 1: unknown key \"F13\""},
      {"1 key down", "line 1: expected \"FRAME key down|up NAME\""},
      {"1 key press A", "line 1: unknown event \"key press\""},
      {"\n\n1 jump", "line 3: unknown event \"jump\""},
      {"1 mouse move 10", "line 1: expected \"FRAME mouse move X Y\""},
      {"1 mouse move 10 y", "line 1: bad number \"y\""},
      {"1 mouse down middle", "line 1: unknown mouse button \"middle\""},
      {"1 wheel", "line 1: expected \"FRAME wheel N\""},
      {"1 wheel 99999999999999999999", "line 1: bad number \"99999999999999999999\""},
      {"1", "line 1: event missing after the frame number"},
  };
  for (const auto& [script, message] : bad) {
    try {
      hl::parse_script(script);
      ADD_FAILURE() << "accepted: " << script;
    } catch (const Exception& error) {
      EXPECT_STREQ(error.what(), message);
    }
  }
}

TEST(HeadlessMessages, PostedMessagesAndTimerRunInOrder) {
  hl::configure(config_with({}));
  std::vector<uint32_t> seen;
  uint32_t first = platform::register_message([&](uint32_t m, uint32_t) { seen.push_back(m); });
  uint32_t second = platform::register_message([&](uint32_t m, uint32_t) { seen.push_back(m); });
  EXPECT_NE(first, second);
  platform::post_message(second);
  platform::post_message(first);
  EXPECT_TRUE(platform::process_messages());
  EXPECT_EQ(seen, (std::vector<uint32_t>{second, first}));

  seen.clear();
  platform::start_timer(first);
  platform::process_messages();
  platform::process_messages();
  EXPECT_EQ(seen, (std::vector<uint32_t>{first, first})) << "a running timer fires every pass";
  platform::stop_timer(first);

  platform::unregister_message(second);
  platform::post_message(second);
  seen.clear();
  platform::process_messages();
  EXPECT_TRUE(seen.empty()) << "a message without a handler is dropped";
}

TEST(HeadlessMessages, StoppedFrameClockIsDetectedAsStall) {
  hl::configure(config_with({}));
  // A handler that reposts itself three times, the way a frame clock keeps itself going.
  int runs = 0;
  uint32_t tick = 0;
  tick = platform::register_message([&](uint32_t, uint32_t) {
    platform::pace_frame();
    if (++runs < 3) platform::post_message(tick);
  });
  platform::post_message(tick);
  try {
    for (int i = 0; i < 100; ++i) platform::process_messages();
    FAIL() << "an empty queue with no timer must stop the run";
  } catch (const platform::Halt& halt) {
    EXPECT_STREQ(halt.reason, "stalled");
  }
  EXPECT_EQ(runs, 3);
  EXPECT_EQ(hl::frame(), 3);
}

TEST(HeadlessErrors, ReportedTextsAreKeptUntilConfigure) {
  hl::configure(config_with({}));
  platform::report_error("Unsupported video mode");
  platform::report_error("File not found");
  EXPECT_EQ(platform::reported_errors(),
            (std::vector<std::string>{"Unsupported video mode", "File not found"}));
  hl::configure(config_with({}));
  EXPECT_TRUE(platform::reported_errors().empty());
}

TEST(HeadlessDisplay, ModeListStartsWithTheDesktop) {
  const auto& modes = platform::display_modes();
  ASSERT_GE(modes.size(), 2u);
  EXPECT_EQ(modes[0].label, "default");
  EXPECT_EQ(modes[0].width, 1920);
  bool has_640 = false;
  for (size_t i = 1; i < modes.size(); ++i) {
    char label[64];
    std::snprintf(label, sizeof label, "%d x %d, %d bpp", modes[i].width, modes[i].height,
                  modes[i].bits);
    EXPECT_EQ(modes[i].label, label);
    has_640 |= modes[i].width == 640 && modes[i].height == 480 && modes[i].bits == 32;
  }
  EXPECT_TRUE(has_640);
  EXPECT_FLOAT_EQ(platform::display_dpi(), 96.0f);
}

TEST(HeadlessWindow, OffscreenClearIsReadBackTopRowFirst) {
  hl::configure(config_with({}, true));
  int paints = 0;
  platform::WindowEvents events;
  events.paint = [&] {
    ++paints;
    platform::begin_frame();
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // The top row in green, to tell the row order.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 47, 64, 1);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    platform::swap_buffers();
  };
  platform::open_window(64, 48, true, events);
  platform::invalidate_window();
  platform::invalidate_window();
  platform::process_messages();
  EXPECT_EQ(paints, 1) << "requests before one dispatch make one paint";

  std::vector<uint8_t> rgba;
  int width = 0, height = 0;
  ASSERT_TRUE(platform::read_frame(rgba, width, height));
  ASSERT_EQ(width, 64);
  ASSERT_EQ(height, 48);
  ASSERT_EQ(rgba.size(), 64u * 48u * 4u);
  EXPECT_EQ((std::vector<uint8_t>(rgba.begin(), rgba.begin() + 4)),
            (std::vector<uint8_t>{0, 255, 0, 255}))
      << "the top row comes first";
  size_t middle = (24 * 64 + 32) * 4;
  EXPECT_EQ((std::vector<uint8_t>(rgba.begin() + middle, rgba.begin() + middle + 4)),
            (std::vector<uint8_t>{255, 0, 0, 255}));
  EXPECT_NE(glGetString(GL_RENDERER), nullptr) << "gl* must reach OSMesa's context";
  // GLU must reach the same context, not the system's libGL.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0.0, 2.0, 0.0, 4.0);
  float projection[16] = {};
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  EXPECT_FLOAT_EQ(projection[0], 1.0f);
  EXPECT_FLOAT_EQ(projection[5], 0.5f);
  platform::close_window();
  EXPECT_FALSE(platform::window_open());
}

TEST(HeadlessWindow, NoContextWithoutRendering) {
  hl::configure(config_with({}, false));
  int paints = 0;
  platform::WindowEvents events;
  events.paint = [&] { ++paints; };
  platform::open_window(640, 480, true, events);
  EXPECT_TRUE(platform::window_open());
  platform::invalidate_window();
  platform::process_messages();
  EXPECT_EQ(paints, 0);
  std::vector<uint8_t> rgba;
  int width = 0, height = 0;
  EXPECT_FALSE(platform::read_frame(rgba, width, height));
}
