// The music player's notification rule on the headless output: one notification per Play,
// whatever ended it, always delivered later as a message and never inside the call.
#include "sound/media_player.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "content/file_midi.h"
#include "content/file_mp3.h"
#include "engine/application.h"
#include "engine/cadencer.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace {

constexpr double kDt = 0.01;

void write_file(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A short tune and a quarter second of tone, written once per test process and removed at its
// exit (ctest runs the tests side by side, so each process has a folder of its own).
struct MusicFolder {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("karmund_media_" + std::to_string(::getpid()));
  MusicFolder() {
    std::filesystem::create_directories(dir);
    content::MidiTrack track;
    track.tempo(0, 120);
    track.program(0, 0, 0);
    track.note(0, 240, 0, 60, 100);
    track.note(240, 240, 0, 64, 100);
    track.end_at(960);
    write_file(dir / "menu.mid", content::write_midi({track}, 480));
    std::vector<float> tone(44100 / 4);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = 0.3f * std::sin(float(i) * 0.0627f);
    write_file(dir / "hra.mp3", content::encode_mp3(tone, tone, 44100, 128));
  }
  ~MusicFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
};

const std::filesystem::path& music_folder() {
  static const MusicFolder folder;
  return folder.dir;
}

std::string menu_mid() { return (music_folder() / "menu.mid").string(); }
std::string hra_mp3() { return (music_folder() / "hra.mp3").string(); }

class MediaPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::Config config;
    config.dt = kDt;
    config.render = false;
    platform::headless::configure(config);
    platform::headless::set_music_length(menu_mid(), 1.0);
    platform::headless::set_music_length(hra_mp3(), 0.25);
    // A do-nothing timer keeps the dispatcher from declaring the run stalled.
    keep_alive_ = platform::register_message([](uint32_t, uint32_t) {});
    platform::start_timer(keep_alive_);
    player_ = std::make_unique<TMediaPlayer>();
    player_->SetVisible(false);
    player_->OnNotify = [this](TComponent*) {
      ++notifications_;
      values_.push_back(player_->NotifyValue());
    };
  }
  void TearDown() override { player_.reset(); }

  // Messages posted while one is handled come in the next pass; three passes drain a chain.
  void dispatch() {
    for (int i = 0; i < 3; ++i) platform::process_messages();
  }
  void advance(double seconds) {
    for (int i = 0, n = int(seconds / kDt + 0.5); i < n; ++i) platform::pace_frame();
    dispatch();
  }
  // The game's handler: whatever ended the play, start the open piece again.
  void loop_like_the_game() {
    player_->OnNotify = [this](TComponent*) {
      ++notifications_;
      values_.push_back(player_->NotifyValue());
      player_->Rewind();
      player_->Play();
    };
  }
  void open(const std::string& path) {
    player_->SetFileName(path);
    player_->Open();
  }
  size_t log_count(const std::string& line) {
    const auto& log = platform::headless::audio_log();
    return size_t(std::count(log.begin(), log.end(), line));
  }

  uint32_t keep_alive_ = 0;
  std::unique_ptr<TMediaPlayer> player_;
  int notifications_ = 0;
  std::vector<TMPNotifyValues> values_;
};

}  // namespace

TEST_F(MediaPlayerTest, ClosedPlayerRaisesNoMciDeviceOpen) {
  for (auto call : {&TMediaPlayer::Play, &TMediaPlayer::Stop, &TMediaPlayer::Rewind}) {
    try {
      (player_.get()->*call)();
      FAIL() << "a closed player accepted the call";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "No MCI device open");
    }
  }
}

TEST_F(MediaPlayerTest, FailingOpenRaisesTheBackendTextAndLeavesThePlayerClosed) {
  open(menu_mid());
  player_->SetFileName((music_folder() / "missing.mid").string());
  try {
    player_->Open();
    FAIL() << "opening a missing file raised nothing";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" +
                                         (music_folder() / "missing.mid").string() +
                                         "\". No such file or directory");
  }
  EXPECT_FALSE(player_->is_open());
  EXPECT_THROW(player_->Play(), Exception);
}

TEST_F(MediaPlayerTest, NaturalEndNotifiesOnceAndTheGameLoopsThePiece) {
  loop_like_the_game();
  open(menu_mid());
  player_->Play();
  advance(0.5);
  EXPECT_EQ(notifications_, 0);
  advance(0.6);  // 1.1 s: the piece ended once
  ASSERT_EQ(notifications_, 1);
  EXPECT_EQ(values_.back(), nvSuccessful);
  advance(1.0);  // and once more after the restart
  EXPECT_EQ(notifications_, 2);
  EXPECT_EQ(log_count("music end " + menu_mid()), 2u);
}

TEST_F(MediaPlayerTest, StopEndsThePlayWithOneLaterNotification) {
  open(menu_mid());
  player_->Play();
  advance(0.3);
  player_->Stop();
  EXPECT_EQ(notifications_, 0) << "the notification must not come inside Stop";
  dispatch();
  ASSERT_EQ(notifications_, 1);
  EXPECT_EQ(values_.back(), nvAborted);
  advance(2.0);  // the stopped piece never reports its end
  EXPECT_EQ(notifications_, 1);
  // A Stop with no play waiting asks for nothing.
  player_->Stop();
  dispatch();
  EXPECT_EQ(notifications_, 1);
}

TEST_F(MediaPlayerTest, OpenOfAnotherFileCutsThePlayOffAndTheNewPieceStarts) {
  loop_like_the_game();
  open(hra_mp3());
  player_->Play();
  advance(0.1);
  open(menu_mid());  // Esc during play
  EXPECT_EQ(notifications_, 0) << "the notification must not come inside Open";
  dispatch();
  ASSERT_EQ(notifications_, 1);
  EXPECT_EQ(values_.back(), nvAborted);
  const auto& log = platform::headless::audio_log();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[log.size() - 3], "music open " + menu_mid());
  EXPECT_EQ(log.back(), "music play") << "the handler should play the newly opened piece";
}

TEST_F(MediaPlayerTest, StartClickStopIsHandledAfterTheGameMusicIsOpen) {
  loop_like_the_game();
  open(menu_mid());
  player_->Play();
  advance(0.2);
  // One input handler: Stop, the level set-up, then the game music opened with no Play.
  player_->Stop();
  open(hra_mp3());
  EXPECT_EQ(notifications_, 0);
  dispatch();
  EXPECT_EQ(notifications_, 1) << "one play, one notification";
  advance(0.3);  // the game music (0.25 s) started from its beginning and ended once
  EXPECT_EQ(notifications_, 2);
  EXPECT_EQ(log_count("music end " + hra_mp3()), 1u);
  EXPECT_EQ(log_count("music end " + menu_mid()), 0u);
}

TEST_F(MediaPlayerTest, EndAndStopTogetherStillNotifyOnce) {
  open(menu_mid());
  player_->Play();
  for (int i = 0; i < 110; ++i) platform::pace_frame();  // the end is posted, not yet handled
  player_->Stop();
  dispatch();
  EXPECT_EQ(notifications_, 1);
}

TEST_F(MediaPlayerTest, PlayWhilePlayingSupersedesTheFirstRequest) {
  open(menu_mid());
  player_->Play();
  advance(0.2);
  player_->Play();
  dispatch();
  ASSERT_EQ(notifications_, 1);
  EXPECT_EQ(values_[0], nvSuperseded);
  advance(0.9);  // the piece did not restart: it ends at 1.0 s
  ASSERT_EQ(notifications_, 2);
  EXPECT_EQ(values_[1], nvSuccessful);
}

TEST_F(MediaPlayerTest, PlayAtTheEndFollowsAutoRewind) {
  open(hra_mp3());
  player_->Play();
  advance(0.3);
  ASSERT_EQ(notifications_, 1);
  player_->Play();  // AutoRewind: from the start again
  advance(0.3);
  EXPECT_EQ(notifications_, 2);
  EXPECT_EQ(log_count("music end " + hra_mp3()), 2u);

  player_->SetAutoRewind(false);
  player_->Play();  // nothing left to play: the request ends at once, but still later
  EXPECT_EQ(notifications_, 2);
  dispatch();
  EXPECT_EQ(notifications_, 3);
  EXPECT_EQ(log_count("music end " + hra_mp3()), 2u);
}

TEST_F(MediaPlayerTest, HandlerErrorIsReportedAtTheMessage) {
  open(hra_mp3());
  player_->OnNotify = [](TComponent*) { throw Exception("No MCI device open"); };
  player_->Play();
  player_->Stop();
  EXPECT_NO_THROW(dispatch());
  ASSERT_EQ(platform::reported_errors().size(), 1u);
  EXPECT_EQ(platform::reported_errors()[0], "No MCI device open");
}

TEST_F(MediaPlayerTest, AnyHandlerErrorGoesToTheApplicationAndTheFramesGoOn) {
  Application.ResetTerminated();
  TComponent form;
  auto* scene = make_owned<TGLScene>(&form);
  auto* cadencer = make_owned<TGLCadencer>(&form);
  int frames = 0;
  cadencer->OnProgress = [&](TComponent*, double, double) { ++frames; };
  cadencer->SetScene(scene);
  std::vector<std::string> seen;
  Application.OnException = [&](const std::exception& e) { seen.push_back(e.what()); };
  open(hra_mp3());
  player_->OnNotify = [](TComponent*) { throw std::out_of_range("vector::_M_range_check"); };
  player_->Play();  // 0.25 s: it ends during the run
  for (int i = 0; i < 40; ++i) Application.ProcessMessages();
  Application.OnException = nullptr;
  EXPECT_EQ(seen, (std::vector<std::string>{"vector::_M_range_check"}))
      << "the notification's error reaches the application's standard handler once";
  EXPECT_TRUE(cadencer->Enabled()) << "an error outside a step leaves the frame clock on";
  EXPECT_EQ(frames, 40);
}

TEST_F(MediaPlayerTest, TheGamesHaltInTheHandlerPassesThrough) {
  open(hra_mp3());
  player_->OnNotify = [](TComponent*) { platform::halt(0); };
  player_->Play();
  player_->Stop();
  EXPECT_THROW(dispatch(), platform::Halt);
  EXPECT_TRUE(platform::reported_errors().empty());
}

TEST_F(MediaPlayerTest, WithoutADeviceMusicIsSilentButStillNotifiesStop) {
  platform::headless::set_audio_device(false);
  open(menu_mid());
  player_->Play();
  advance(3.0);
  EXPECT_EQ(notifications_, 0);
  player_->Stop();
  dispatch();
  EXPECT_EQ(notifications_, 1);
}

TEST_F(MediaPlayerTest, AutoOpenOpensWhenLoaded) {
  TMediaPlayer auto_player;
  auto_player.SetFileName(menu_mid());
  auto_player.SetAutoOpen(true);
  auto_player.BeginLoading();
  EXPECT_FALSE(auto_player.is_open());
  auto_player.EndLoading();
  EXPECT_TRUE(auto_player.is_open());
}
