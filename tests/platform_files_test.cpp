// Data files: backslash paths, the file-open error text with the full path and the system's
// reason, and the atomic rewrite that keeps the old content when any step fails.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

// Each test runs in a fresh folder of its own, which is also its working directory.
class PlatformFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "karmund-files-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    previous_ = fs::current_path();
    fs::current_path(folder_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::permissions(folder_ / "data", fs::perms::owner_all, ignored);
    fs::remove_all(folder_, ignored);
  }
  static void put(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }
  static std::string get(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  size_t entries(const fs::path& path) const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(path), {}));
  }
  fs::path folder_, previous_;
};

std::string message_of(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& error) {
    return error.what();
  }
  return "(no error)";
}

}  // namespace

TEST(PlatformPaths, BackslashesBecomeSlashes) {
  EXPECT_EQ(platform::map_data_path("modely\\lod.3ds"), "modely/lod.3ds");
  EXPECT_EQ(platform::map_data_path("data\\sub\\a.smd"), "data/sub/a.smd");
  EXPECT_EQ(platform::map_data_path("data/volno.dtt"), "data/volno.dtt");
  EXPECT_EQ(platform::map_data_path(""), "");
}

TEST_F(PlatformFiles, FullPathIsAbsoluteAndMapped) {
  EXPECT_EQ(platform::full_path("modely\\lod.3ds"), (folder_ / "modely/lod.3ds").string());
  EXPECT_EQ(platform::full_path("./data/../data/x"), (folder_ / "data/x").string());
  EXPECT_EQ(platform::full_path("/etc/passwd"), "/etc/passwd");
}

TEST_F(PlatformFiles, ReadsWholeFileThroughABackslashPath) {
  fs::create_directory("modely");
  std::string bytes("\x00\x01\xff\r\nend", 7);
  put("modely/lod.3ds", bytes);
  auto data = platform::read_file("modely\\lod.3ds");
  EXPECT_EQ(std::string(data.begin(), data.end()), bytes);
  EXPECT_TRUE(platform::file_exists("modely\\lod.3ds"));
  EXPECT_FALSE(platform::file_exists("modely"));
  EXPECT_FALSE(platform::file_exists("modely\\none.3ds"));
  put("empty", "");
  EXPECT_TRUE(platform::read_file("empty").empty());
}

TEST_F(PlatformFiles, OpenErrorNamesFullPathAndReason) {
  EXPECT_EQ(message_of([] { platform::read_file("data\\data.mat"); }),
            "Cannot open file \"" + (folder_ / "data/data.mat").string() +
                "\". No such file or directory");
  fs::create_directory("data");
  EXPECT_EQ(message_of([] { platform::read_file("data"); }),
            "Cannot open file \"" + (folder_ / "data").string() + "\". Is a directory");
}

TEST_F(PlatformFiles, AtomicWriteReplacesContentAndKeepsLineEnds) {
  fs::create_directory("data");
  platform::write_file_atomic("data/volno.dtt", "1\r\n");
  EXPECT_EQ(get("data/volno.dtt"), "1\r\n");
  platform::write_file_atomic("data\\volno.dtt", "3\r\n");
  EXPECT_EQ(get("data/volno.dtt"), "3\r\n");
  EXPECT_EQ(entries("data"), 1u) << "no temporary file may be left behind";
  struct stat info {};
  ASSERT_EQ(stat("data/volno.dtt", &info), 0);
  EXPECT_TRUE(info.st_mode & S_IRGRP) << "the file is an ordinary readable one";
}

TEST_F(PlatformFiles, FailingRenameLeavesTheOldContent) {
  // The target is a folder with something in it: the rename must fail, nothing else changes.
  fs::create_directories("data/volno.dtt");
  put("data/volno.dtt/inside", "old");
  std::string message = message_of([] { platform::write_file_atomic("data/volno.dtt", "4\r\n"); });
  EXPECT_EQ(
      message.rfind("Cannot write file \"" + (folder_ / "data/volno.dtt").string() + "\". ", 0), 0u)
      << message;
  EXPECT_EQ(get("data/volno.dtt/inside"), "old");
  EXPECT_EQ(entries("data"), 1u) << "the temporary file is removed on failure";
}

TEST_F(PlatformFiles, MissingFolderFailsWithTheReason) {
  EXPECT_EQ(message_of([] { platform::write_file_atomic("nowhere/volno.dtt", "1\r\n"); }),
            "Cannot write file \"" + (folder_ / "nowhere/volno.dtt").string() +
                "\". No such file or directory");
}

TEST_F(PlatformFiles, ReadOnlyFolderLeavesTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
  fs::create_directory("data");
  put("data/volno.dtt", "2\r\n");
  fs::permissions("data", fs::perms::owner_read | fs::perms::owner_exec);
  std::string message = message_of([] { platform::write_file_atomic("data/volno.dtt", "5\r\n"); });
  EXPECT_NE(message.find("Permission denied"), std::string::npos) << message;
  EXPECT_EQ(get("data/volno.dtt"), "2\r\n");
}
