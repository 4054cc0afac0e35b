// The log of runs on real files: setting a full log aside, CD mode, a log that cannot be written.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/folders.h"
#include "core/run_log.h"
#include "core/run_log_rules.h"
#include "core/settings.h"
#include "platform/files.h"
#include "support/test_support.h"

namespace {
struct RunLogTest : testing::Test {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  std::string log = data.Path() + "\\Quorvane.log";
  RunRecord run{RunMode::PurgeNow, false, 3, {"Results of \"Purge\" function...", "a"}};
  void SetUp() override { ResetRunLogFailureNote(); }
  void TearDown() override { ResetRunLogFailureNote(); }
};
}  // namespace

TEST_F(RunLogTest, AFullLogIsSetAsideAndCdModeWritesNone) {
  Globals().keepRunLog = true;
  const std::string full = std::string(kRunLogLimit - 20, 'x') + "\r\n";
  WriteFileText(log, full);
  WriteFileText(log + ".1", "older");
  EXPECT_EQ(WriteRunLog(run), "");
  EXPECT_EQ(ReadFileText(log + ".1"), full);
  const std::string text = ReadFileText(log);
  ASSERT_EQ(text.rfind("==== ", 0), 0u) << text;
  EXPECT_EQ(text.substr(24),
            "  Auto  Purge  Highest Level 3  2 Lines\r\n"
            "Results of \"Purge\" function...\r\na\r\n");
  DeleteFileA(log.c_str());
  MutableFolders().cdMode = true;
  EXPECT_EQ(WriteRunLog(run), "");
  EXPECT_FALSE(FileExists(log));
}

TEST_F(RunLogTest, AnUnwritableLogGivesOneLineOnce) {
  Globals().keepRunLog = true;
  ASSERT_TRUE(CreateDirectoryA(log.c_str(), nullptr));  // a folder where the log belongs
  EXPECT_EQ(WriteRunLog(run), "-Caution- The log of runs could not be written to " + log);
  EXPECT_EQ(WriteRunLog(run), "");
  RemoveDirectoryA(log.c_str());
  ResetRunLogFailureNote();
  ScopedArguments badValue{{"LOG=sub\\run.txt"}};
  EXPECT_EQ(WriteRunLog(run), "-Caution- LOG= needs a full path or a file name: sub\\run.txt");
}
