// The progress file: the read rule, the runtime's error texts and the atomic rewrite.
#include "game/progress_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "game/data.h"
#include "platform/error.h"

namespace fs = std::filesystem;

namespace {

// Runs each test in a fresh working directory with a data/ folder.
class ProgressFile : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("karmund_progress_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "data");
    fs::current_path(dir_);
    clearGameState();
    progressFile.path = "data/volno.dtt";
  }
  void TearDown() override {
    fs::current_path(old_);
    ::chmod((dir_ / "data").c_str(), 0755);
    fs::remove_all(dir_);
  }
  void write(const std::string& content) {
    std::ofstream(dir_ / "data" / "volno.dtt", std::ios::binary) << content;
  }
  std::string read() {
    std::ifstream in(dir_ / "data" / "volno.dtt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path old_, dir_;
};

int32_t parse(const std::string& text, int& code) { return parseProgress(text, code); }

}  // namespace

TEST(ProgressParse, ReadsTheFirstNumberTheRuntimeWay) {
  int code = -1;
  EXPECT_EQ(parse("3\r\n", code), 3);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(parse(" \t\r\n  6 and the rest\r\n7\r\n", code), 6) << "blanks and line ends skipped";
  EXPECT_EQ(parse("-2\r\n", code), -2);
  EXPECT_EQ(parse("+4", code), 4);
  EXPECT_EQ(parse("", code), 0);
  EXPECT_EQ(code, 0) << "an empty file reads as 0 without error";
  EXPECT_EQ(parse("\r\n \r\n", code), 0);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(parse("2147483647", code), 2147483647);
  EXPECT_EQ(parse("-2147483648", code), INT32_MIN);
  EXPECT_EQ(code, 0);
}

TEST(ProgressParse, RejectsWhatIsNotAnInteger) {
  for (const char* bad : {"x3", "3x", "-", "1.5", "2147483648", "99999999999999999999"}) {
    int code = 0;
    parse(bad, code);
    EXPECT_EQ(code, 106) << bad;
  }
  EXPECT_EQ(ioErrorText(106), "Invalid numeric input");
  EXPECT_EQ(ioErrorText(2), "File not found");
  EXPECT_EQ(ioErrorText(5), "File access denied");
  EXPECT_EQ(ioErrorText(100), "Read beyond end of file");
  EXPECT_EQ(ioErrorText(101), "Disk full");
  EXPECT_EQ(ioErrorText(3), "Invalid filename");
  EXPECT_EQ(ioErrorText(4), "Too many open files");
  EXPECT_EQ(ioErrorText(13), "I/O error 13");
}

TEST_F(ProgressFile, ReadAndRecordFollowTheProtocol) {
  write("3\r\n");
  readProgress();
  EXPECT_EQ(levelsOpen, 3);

  recordProgress(1);  // already unlocked: the file is not touched
  EXPECT_EQ(read(), "3\r\n");
  EXPECT_EQ(levelsOpen, 3);

  write("2");
  recordProgress(5);
  EXPECT_EQ(read(), "5\r\n") << "exactly one line, CR LF";
  EXPECT_EQ(levelsOpen, 5);

  write("6\r\n");
  recordProgress(4);
  EXPECT_EQ(read(), "6\r\n");
  EXPECT_EQ(levelsOpen, 6);
}

TEST_F(ProgressFile, EmptyOrMissingFileOpensOnlyTheFirstLevel) {
  write("");
  readProgress();
  EXPECT_EQ(levelsOpen, 0);
  recordProgress(1);
  EXPECT_EQ(read(), "1\r\n");

  fs::remove(dir_ / "data" / "volno.dtt");
  levelsOpen = 7;
  readProgress();
  EXPECT_EQ(levelsOpen, 0) << "a missing file reads as 0";
  recordProgress(1);
  EXPECT_EQ(read(), "1\r\n") << "made the first time a level is entered";
}

TEST_F(ProgressFile, BadNumberRaisesTheRuntimeText) {
  write("abc\r\n");
  try {
    readProgress();
    FAIL() << "expected an error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Invalid numeric input");
  }
}

TEST_F(ProgressFile, FailedRewriteKeepsTheOldContent) {
  write("2\r\n");
  // A file-size limit of one byte makes the write of the new line fail, for root too.
  struct rlimit old_limit {};
  ::getrlimit(RLIMIT_FSIZE, &old_limit);
  struct rlimit tiny = old_limit;
  tiny.rlim_cur = 1;
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
  std::string error;
  try {
    recordProgress(4);
  } catch (const Exception& e) {
    error = e.what();
  }
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_EQ(error, "Disk full");
  EXPECT_EQ(read(), "2\r\n") << "the old line survives a failed rewrite";
  int entries = 0;
  for ([[maybe_unused]] auto& entry : fs::directory_iterator(dir_ / "data")) ++entries;
  EXPECT_EQ(entries, 1) << "no temporary file is left behind";
}
