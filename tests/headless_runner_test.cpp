// karmund-headless as a player's script sees it: options, the input script, the dump, the ends.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// A scratch working directory with a data/ folder, and the runner started in it.
class HeadlessRunner : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("karmund_runner_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "data");
  }
  void TearDown() override { fs::remove_all(dir_); }

  void write(const fs::path& path, const std::string& content) {
    std::ofstream(dir_ / path, std::ios::binary) << content;
  }

  // Runs the program with `args`; returns its exit status, stderr in `err_`.
  int run(const std::string& args) {
    std::string command = std::string(KARMUND_HEADLESS_EXE) + " --workdir " + dir_.string() + " " +
                          args + " 2>" + (dir_ / "stderr.txt").string();
    int status = std::system(command.c_str());
    std::ifstream in(dir_ / "stderr.txt");
    std::stringstream s;
    s << in.rdbuf();
    err_ = s.str();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  json dump() {
    std::ifstream in(dir_ / "out.json");
    return json::parse(in);
  }

  std::string dump_arg() { return "--dump " + (dir_ / "out.json").string(); }

  fs::path dir_;
  std::string err_;
};

}  // namespace

TEST_F(HeadlessRunner, FramesRunEndsWithTheStartState) {
  write("data/volno.dtt", "3\r\n");
  write("script.txt",
        "# a comment line\n"
        "2 mouse move 320 240\n"
        "\n"
        "5 key down SPACE\n"
        "6 key up SPACE\n");
  ASSERT_EQ(
      run("--frames 12 --dt 0.05 --input " + (dir_ / "script.txt").string() + " " + dump_arg()), 0)
      << err_;
  json d = dump();
  EXPECT_EQ(d["frame"], 12);
  EXPECT_EQ(d["ended"], "frames");
  EXPECT_TRUE(d["errors"].empty());
  const json& s = d["state"];
  EXPECT_EQ(s["levelsOpen"], 3) << "read from the progress file";
  EXPECT_EQ(s["titleScreen"], true);
  EXPECT_EQ(s["inMenu"], true);
  EXPECT_EQ(s["resetPending"], true);
  EXPECT_EQ(s["assetsLoaded"], false);
  EXPECT_EQ(s["selectedLevel"], 1);
  EXPECT_NEAR(s["timeFactor"].get<double>(), 1.0, 1e-6) << "0.05 s per frame is 20 frames/s";
  EXPECT_EQ(s["mouseX"], 320);
  EXPECT_EQ(s["mouseY"], 240);
  const json& camera2 = d["objects"]["camera2"];
  EXPECT_EQ(camera2["position"], json::array({5000.0, 1000.0, 0.0}));
  EXPECT_EQ(camera2["visible"], true);
}

TEST_F(HeadlessRunner, MissingProgressFileStartsWithOnlyTheFirstLevel) {
  ASSERT_EQ(run("--frames 2 " + dump_arg()), 0) << err_;
  json d = dump();
  EXPECT_EQ(d["state"]["levelsOpen"], 0);
  EXPECT_TRUE(d["errors"].empty());
}

TEST_F(HeadlessRunner, StartUpErrorIsReportedAndEndsTheRun) {
  write("data/volno.dtt", "three\r\n");
  EXPECT_NE(run("--frames 100 " + dump_arg()), 0) << "a start-up error ends with a failure status";
  json d = dump();
  EXPECT_EQ(d["ended"], "error");
  ASSERT_EQ(d["errors"].size(), 1u);
  EXPECT_EQ(d["errors"][0], "Invalid numeric input");
  EXPECT_NE(err_.find("Invalid numeric input"), std::string::npos) << "also a line on stderr";
  EXPECT_EQ(d["frame"], 0) << "no frame ran: the viewer was never switched on";
}

TEST_F(HeadlessRunner, BadOptionsAndScriptsExitWithTwo) {
  write("bad.txt", "1 key down SPACE\n3 key sideways SPACE\n");
  EXPECT_EQ(run("--input " + (dir_ / "bad.txt").string()), 2);
  EXPECT_NE(err_.find("line 2"), std::string::npos) << "the message names the line: " << err_;
  EXPECT_EQ(run("--frames many"), 2);
  EXPECT_EQ(run("--bogus 1"), 2);
  EXPECT_EQ(run("--input " + (dir_ / "nowhere.txt").string()), 2);
}

TEST_F(HeadlessRunner, ShotsEveryKFramesArePngFilesOfTheView) {
  const fs::path shots = dir_ / "shots";
  ASSERT_EQ(run("--frames 7 --shots " + shots.string() + " --shot-every 3"), 0) << err_;
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(shots)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"frame_000000.png", "frame_000003.png", "frame_000006.png"}))
      << "one picture per 3 frames, named by the frame";
  for (const std::string& name : names) {
    std::ifstream in(shots / name, std::ios::binary);
    unsigned char h[26] = {};
    in.read(reinterpret_cast<char*>(h), sizeof h);
    ASSERT_EQ(in.gcount(), 26) << name;
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(std::equal(signature, signature + 8, h)) << name << " is a PNG file";
    EXPECT_EQ(std::string(reinterpret_cast<char*>(h + 12), 4), "IHDR") << name;
    auto big_endian = [&](int at) {
      return (uint32_t{h[at]} << 24) | (uint32_t{h[at + 1]} << 16) | (uint32_t{h[at + 2]} << 8) |
             h[at + 3];
    };
    EXPECT_EQ(big_endian(16), 640u) << name;
    EXPECT_EQ(big_endian(20), 480u) << name;
    EXPECT_EQ(h[24], 8) << name << ": 8 bits a channel";
    EXPECT_EQ(h[25], 6) << name << ": RGBA";
  }
}

// The SDL program: a display that cannot start is a start-up error, reported and ending with 1.
TEST(GameProgram, DisplayStartFailureIsReportedWithStatusOne) {
  const fs::path game = fs::path(KARMUND_HEADLESS_EXE).parent_path() / "karmund";
  if (!fs::exists(game)) GTEST_SKIP() << game << " is not built";
  const fs::path err =
      fs::temp_directory_path() / ("karmund_display_" + std::to_string(::getpid()) + ".txt");
  const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=no_such_driver " +
                              game.string() + " 2>" + err.string();
  const int status = std::system(command.c_str());
  std::ifstream in(err);
  std::stringstream text;
  text << in.rdbuf();
  fs::remove(err);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal, not through the report: " << text.str();
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(text.str().find("Cannot start the display: "), std::string::npos) << text.str();
}

TEST_F(HeadlessRunner, FramesAndDtMustBeNumbersTheRunCanUse) {
  for (const char* frames :
       {"inf", "nan", "1e30", "2.5", "0", "-3", "+4", "5x", "\"\"", "99999999999999999999"}) {
    EXPECT_EQ(run(std::string("--frames ") + frames), 2) << "--frames " << frames;
    EXPECT_NE(err_.find("bad --frames"), std::string::npos) << err_;
  }
  for (const char* dt : {"inf", "-inf", "nan", "0", "-0.1", "1e999", "abc", "\"\""}) {
    EXPECT_EQ(run(std::string("--dt ") + dt), 2) << "--dt " << dt;
    EXPECT_NE(err_.find("bad --dt"), std::string::npos) << err_;
  }
  EXPECT_EQ(run("--shots " + (dir_ / "shots").string() + " --shot-every 1e30"), 2);
  ASSERT_EQ(run("--frames 3 --dt 2.5e-2 " + dump_arg()), 0) << err_;
  EXPECT_EQ(dump()["frame"], 3);
}
