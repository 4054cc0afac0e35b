#include <gtest/gtest.h>

#include "core/run_log_rules.h"

TEST(RunLogRules, HeaderAndTheOneMebibyteLimit) {
  const RunLogTime t{2026, 12, 8, 7, 5, 9};
  EXPECT_EQ(RunLogHeader(t, "Auto", false, 7, 23),
            "==== 12/08/2026 07:05:09  Auto  Purge  Highest Level 7  23 Lines");
  EXPECT_EQ(RunLogHeader(t, "Stnd", true, 0, 1),
            "==== 12/08/2026 07:05:09  Stnd  Preview  Highest Level 0  1 Line");
  EXPECT_FALSE(RunLogNeedsRotation(0, 3 * kRunLogLimit));  // an empty log takes any record
  EXPECT_FALSE(RunLogNeedsRotation(kRunLogLimit - 10, 10));
  EXPECT_TRUE(RunLogNeedsRotation(kRunLogLimit - 10, 11));
  EXPECT_TRUE(RunLogNeedsRotation(5 * kRunLogLimit, 0));
  EXPECT_EQ(RunLogRunningHeader(t, "Boot", false),
            "==== 12/08/2026 07:05:09  Boot  Purge  running");
  EXPECT_TRUE(IsRunLogHeader(RunLogSkippedHeader(t, "Auto", false)));
  EXPECT_TRUE(IsRunLogBanner(RunLogBanner(t)));
  EXPECT_FALSE(IsRunLogBanner(RunLogHeader(t, "Auto", false, 0, 1)));  // an earlier version's log
  EXPECT_FALSE(IsRunLogHeader("==== 12/8/2026 07:05:09  Auto"));
  EXPECT_FALSE(IsRunLogHeader("p=kept.example"));
}

// The log keeps what a run did and how it went, never what it removed: item lines go, an error
// about one item keeps its result text alone, and one last line counts what was left out.
TEST(RunLogRules, TheLogKeepsNoItemWhateverTheReportLevel) {
  const std::vector<std::string> report = {
      "Results of \"Purge\" function...",
      "",
      "Processing \"I.E. Visited URLs\"",
      "       deleted - Visited: ann@http://shop.example.net/cart",
      "Processing \"Plugins\"",
      "Process Plugin - MEDIAPLAYERS.STD",
      "* LIST=FILE:///C:/VIDEOS/TRIP.MKV",
      "         deleted - HKCU\\Software\\VLC\\recent",
      "    key=HKCU:Software\\VLC",
      "        Locked - C:\\Users\\ann\\Temp\\diary.doc",
      " -Error-1392          C:\\Users\\ann\\Temp\\letter.txt",
      "   del Val fails - HKCU\\Software\\VLC:recent",
      "    to Randomize - .bank.example",
      "    Google Chrome - Default",
      "*** Error - Delete entries from History failed - Places.SQLite",
      "-Caution- Some functions may not complete as a Browser was executing.",
      "  Purge \"Temp Folders\" Function Completed.  3 Files deleted",
      " - - - - - - - - - - - - - - - - -",
  };
  EXPECT_EQ(RunLogLines(report, true), report);
  const std::vector<std::string> expected = {
      "Results of \"Purge\" function...",
      "",
      "Processing \"I.E. Visited URLs\"",
      "Processing \"Plugins\"",
      "Process Plugin - MEDIAPLAYERS.STD",
      "        Locked - (item not logged)",
      " -Error-1392     (item not logged)",
      "   del Val fails - (item not logged)",
      "    Google Chrome - Default",
      "*** Error - Delete entries from History failed - Places.SQLite",
      "-Caution- Some functions may not complete as a Browser was executing.",
      "  Purge \"Temp Folders\" Function Completed.  3 Files deleted",
      " - - - - - - - - - - - - - - - - -",
      "  5 item lines not logged (\"Log each item\" is off).",
  };
  EXPECT_EQ(RunLogLines(report, false), expected);
}

// "LOG=" writes only a report: never a file of the program's own, a device, a folder or a file
// that is something else.
TEST(RunLogRules, LogTargetsThatMayNotBeWritten) {
  const std::string data = "C:\\Users\\ann\\AppData\\Roaming\\Quorvane",
                    program = "C:\\Program Files\\Quorvane";
  const std::string report = "==== 12/08/2026 07:05:09  Auto  Purge  Highest Level 0  3 Lines";
  struct Case {
    std::string target;
    LogTargetFacts facts;
    const char* why;
  } cases[] = {
      {data + "\\Run.txt", {}, ""},
      {"D:\\Logs\\run.txt", {true, false, report}, ""},
      {data + "\\QUORVANE.DAT", {}, "it is one of Quorvane's own files"},
      {data + "\\Quorvane.ini",
       {true, false, "[StndOptions]"},
       "it is one of Quorvane's own files"},
      {data + "\\IEcookie.dat", {}, "it is one of Quorvane's own files"},
      {program + "\\PLUGINS\\mine.cus", {}, "it is one of Quorvane's own files"},
      {"D:\\Logs\\NUL", {}, "it names a device"},
      {"D:\\Logs\\com1.txt", {}, "it names a device"},
      {"\\\\.\\PhysicalDrive0", {}, "it names a device"},
      {"D:\\Logs", {true, true, ""}, "it is a folder"},
      {"D:\\Work\\thesis.txt",
       {true, false, "Chapter one"},
       "it is not the report of an earlier run"},
      {"D:\\Program Files\\Quorvane2\\run.txt", {}, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LogTargetRefusal(c.target, data, program, c.facts), c.why) << c.target;
}

TEST(RunLogRules, LogValueKeepsItsCaseAndNamesAFile) {
  EXPECT_EQ(LogArgumentOf({"logx=1", "log=C:\\Out\\Run.txt", "LOG=second"}).value,
            "C:\\Out\\Run.txt");
  EXPECT_FALSE(LogArgumentOf({"LOG", "LOGS=x"}).present);
  const std::string data = "C:\\Data";
  struct Case {
    const char* value;
    std::string target;
  } cases[] = {{"C:\\Out\\Run.txt", "C:\\Out\\Run.txt"},
               {"\\\\server\\share\\r.txt", "\\\\server\\share\\r.txt"},
               {"Run.txt", data + "\\Run.txt"},
               {"", ""},
               {"sub\\run.txt", ""},  // relative
               {"C:run.txt", ""},     // a drive without its root
               {"C:\\Out\\", ""},     // a folder
               {"C:\\Out\\a?.txt", ""}};
  for (const Case& c : cases) EXPECT_EQ(ResolveLogTarget(c.value, data), c.target) << c.value;
}
