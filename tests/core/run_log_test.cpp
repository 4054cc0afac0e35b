// The log of runs on real files: records begun and completed, a torn record, a log held by a
// viewer, "LOG=" targets, CD mode. (Logs of an earlier version: the start-up tests.)
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
  ReportLines lines = LinesOf(
      {"Results of \"Purge\" function...", "       deleted - C:\\TEMP\\DIARY.TXT"});
  RunRecord run{RunMode::PurgeNow, false, 3, lines};
  void SetUp() override {
    ResetRunLogFailureNote();
    Globals().keepRunLog = true;
    Globals().logEachItem = false;
  }
  void TearDown() override {
    ResetRunLogFailureNote();
    Globals().logEachItem = false;
  }
  // The log without the date and time of each header, which the test cannot know.
  std::string LogWithoutTimes() const {
    std::string text = ReadFileText(log);
    for (size_t at = text.find("==== "); at != std::string::npos; at = text.find("==== ", at + 5))
      if (IsRunLogHeader(text.substr(at, 26))) text.replace(at + 5, 19, "T");
    return text;
  }
};
constexpr const char* kBanner = "==== T  Log of runs begun\r\n";
}  // namespace

// A run leaves its header at the start, completed in place at the end; a record always begins
// a line, even after one a killed copy left torn; a record another copy's header interrupted
// goes on the end, and that header stays as the trace of a run that never finished.
TEST_F(RunLogTest, ARecordBeginsRunningAndIsCompletedInPlace) {
  BeginRunLog(RunMode::PurgeNow, false);
  EXPECT_EQ(LogWithoutTimes(), std::string(kBanner) + "==== T  Auto  Purge  running\r\n");
  EXPECT_EQ(FinishRunLog(run).line, "");
  const std::string first = std::string(kBanner) +
                            "==== T  Auto  Purge  Highest Level 3  2 Lines\r\n"
                            "Results of \"Purge\" function...\r\n"
                            "  1 item line not logged (\"Log each item\" is off).\r\n";
  EXPECT_EQ(LogWithoutTimes(), first);

  ASSERT_TRUE(AppendToFile(log, "==== torn"));
  BeginRunLog(RunMode::Startup, true);
  ASSERT_TRUE(AppendToFile(log, "==== 12/08/2026 07:05:09  Shut  Purge  running\r\n"));
  Globals().logEachItem = true;
  EXPECT_EQ(FinishRunLog(run).line, "");
  EXPECT_EQ(LogWithoutTimes(), first +
                                   "==== torn\r\n"
                                   "==== T  Boot  Preview  running\r\n"
                                   "==== T  Shut  Purge  running\r\n"
                                   "==== T  Auto  Purge  Highest Level 3  2 Lines\r\n"
                                   "Results of \"Purge\" function...\r\n"
                                   "       deleted - C:\\TEMP\\DIARY.TXT\r\n");
}

// A full log is set aside; when a viewer holds it so that it cannot be renamed, the record is
// added all the same. CD mode writes none.
TEST_F(RunLogTest, AFullLogIsSetAsideOrAppendedToWhenHeldAndCdModeWritesNone) {
  const std::string full = std::string(kRunLogLimit - 20, 'x') + "\r\n";
  for (bool viewerHoldsIt : {false, true}) {
    SCOPED_TRACE(viewerHoldsIt ? "held by a viewer" : "free");
    WriteFileText(log, full);
    WriteFileText(log + ".1", "older");
    HANDLE viewer = viewerHoldsIt
                        ? CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr)
                        : INVALID_HANDLE_VALUE;
    BeginRunLog(RunMode::PurgeNow, false);
    EXPECT_EQ(FinishRunLog(run).line, "");
    if (viewer != INVALID_HANDLE_VALUE) CloseHandle(viewer);
    const std::string text = ReadFileText(log);
    EXPECT_EQ(ReadFileText(log + ".1"), viewerHoldsIt ? "older" : full);
    EXPECT_EQ(text.rfind(viewerHoldsIt ? full : "==== ", 0), 0u);
    EXPECT_NE(text.find("  Auto  Purge  Highest Level 3  2 Lines\r\n"), std::string::npos);
  }
  DeleteFileA(log.c_str());
  MutableFolders().cdMode = true;
  BeginRunLog(RunMode::PurgeNow, false);
  EXPECT_EQ(FinishRunLog(run).line, "");
  EXPECT_FALSE(FileExists(log));
}

// "LOG=" replaces a report of an earlier run, removed as the run starts; a target it may not
// write keeps its bytes, and the run, its report lost, is raised to level 1 and recorded in
// the log of runs with the reason, even with that log turned off.
TEST_F(RunLogTest, LogTargetsThatMayNotBeWrittenKeepTheirBytesAndTheRunSaysSo) {
  TempFolder out;
  const std::string keepList = data.Path() + "\\Quorvane.Dat", folder = out.File("reports");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string earlier = "==== 12/08/2026 07:05:09  Auto  Purge  Highest Level 0  0 Lines\r\n";
  struct Case {
    std::string value, target, before, caution;
  } cases[] = {
      {"LOG=" + out.File("run.txt"), out.File("run.txt"), earlier, ""},
      {"LOG=Quorvane.Dat", keepList, "p=kept.example\r\n",
       "-Caution- The report was not written to " + keepList +
           ": it is one of Quorvane's own files"},
      {"LOG=" + folder, folder, "",
       "-Caution- The report was not written to " + folder + ": it is a folder"},
      {"LOG=sub\\run.txt", "", "", "-Caution- LOG= needs a full path or a file name: sub\\run.txt"},
  };
  Globals().keepRunLog = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    DeleteFileA(log.c_str());
    if (!c.before.empty()) WriteFileText(c.target, c.before);
    ScopedArguments logArgument{{"AUTO", c.value}};
    BeginRunLog(RunMode::PurgeNow, false);
    if (c.caution.empty()) {
      EXPECT_FALSE(FileExists(c.target));  // no stale report meanwhile
    }
    const RunLogNote note = FinishRunLog({RunMode::PurgeNow, false, 0, run.lines});
    EXPECT_EQ(note.line, c.caution);
    EXPECT_EQ(note.level, c.caution.empty() ? 0 : 1);
    if (c.caution.empty()) {
      EXPECT_NE(ReadFileText(c.target).find("Highest Level 0  2 Lines\r\n"), std::string::npos);
      EXPECT_FALSE(FileExists(log));
    } else {
      if (!c.before.empty()) {
        EXPECT_EQ(ReadFileText(c.target), c.before);
      }
      const std::string text = LogWithoutTimes();
      EXPECT_NE(text.find("==== T  Auto  Purge  Highest Level 1  3 Lines\r\n"), std::string::npos)
          << text;
      EXPECT_NE(text.find(c.caution + "\r\n"), std::string::npos) << text;
    }
  }
}
