// The log of runs on real files in a data folder of its own.
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
  RunRecord run{RunMode::PurgeNow, false, 3, {"Results of \"Purge\" function...", "", "a"}};
  void SetUp() override {
    Globals().keepRunLog = true;
    ResetRunLogFailureNote();
  }
  void TearDown() override {
    Globals().keepRunLog = true;
    ResetRunLogFailureNote();
  }
  // The record the run must leave, checked header first (its time is the writer's).
  static void ExpectRecord(const std::string& text, const std::string& tail) {
    ASSERT_GT(text.size(), 25u) << text;
    EXPECT_EQ(text.substr(0, 5), "==== ");
    EXPECT_EQ(text[7], '/');
    EXPECT_EQ(text[18], ':');
    EXPECT_EQ(text.substr(24), tail);
  }
  static constexpr const char* kTail =
      "  Auto  Purge  Highest Level 3  3 Lines\r\nResults of \"Purge\" function...\r\n\r\na\r\n";
};
}  // namespace

TEST_F(RunLogTest, RecordsAreAppendedAndAFullLogIsSetAside) {
  EXPECT_EQ(WriteRunLog(run), "");
  ExpectRecord(ReadFileText(log), kTail);
  EXPECT_EQ(WriteRunLog(run), "");
  const std::string two = ReadFileText(log);
  ASSERT_EQ(two.size() % 2, 0u);
  EXPECT_EQ(two.substr(0, two.size() / 2), two.substr(two.size() / 2));

  // One more record would pass 1 MiB: the log becomes Quorvane.log.1 (the older one goes).
  const std::string full = std::string(kRunLogLimit - 20, 'x') + "\r\n";
  WriteFileText(log, full);
  WriteFileText(log + ".1", "older");
  EXPECT_EQ(WriteRunLog(run), "");
  EXPECT_EQ(ReadFileText(log + ".1"), full);
  ExpectRecord(ReadFileText(log), kTail);
}

TEST_F(RunLogTest, TheSwitchCdModeAndLogArgumentDecideWhereItGoes) {
  Globals().keepRunLog = false;
  EXPECT_EQ(WriteRunLog(run), "");
  EXPECT_FALSE(FileExists(log));
  Globals().keepRunLog = true;
  MutableFolders().cdMode = true;
  EXPECT_EQ(WriteRunLog(run), "");
  EXPECT_FALSE(FileExists(log));
  MutableFolders().cdMode = false;

  // "LOG=" replaces its file with this run's record alone, even with the box off.
  Globals().keepRunLog = false;
  TempFolder elsewhere;
  for (const std::string& value : {std::string("Run.txt"), elsewhere.File("Out.txt")}) {
    ScopedArguments withLog{{"AUTO", "log=" + value}};
    const std::string target = value == "Run.txt" ? data.Path() + "\\Run.txt" : value;
    WriteFileText(target, "stale");
    EXPECT_EQ(WriteRunLog(run), "");
    ExpectRecord(ReadFileText(target), kTail);
  }
  EXPECT_FALSE(FileExists(log));
}

TEST_F(RunLogTest, AnUnwritableLogGivesOneLineOnceAndNeverFails) {
  ASSERT_TRUE(CreateDirectoryA(log.c_str(), nullptr));  // a folder where the log belongs
  EXPECT_EQ(WriteRunLog(run), "-Caution- The log of runs could not be written to " + log);
  EXPECT_EQ(WriteRunLog(run), "");  // said once
  ResetRunLogFailureNote();
  {
    ScopedArguments withLog{{"LOG=sub\\run.txt"}};
    EXPECT_EQ(WriteRunLog(run), "-Caution- LOG= needs a full path or a file name: sub\\run.txt");
  }
  ResetRunLogFailureNote();
  ScopedArguments noFolder{{"LOG=" + data.Path() + "\\missing\\run.txt"}};
  EXPECT_EQ(WriteRunLog(run),
            "-Caution- The report could not be written to " + data.Path() + "\\missing\\run.txt");
  RemoveDirectoryA(log.c_str());
}
