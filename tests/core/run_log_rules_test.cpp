#include <gtest/gtest.h>

#include "core/run_log_rules.h"

TEST(RunLogRules, HeaderNamesTimeModeKindLevelAndLines) {
  const RunLogTime t{2026, 12, 8, 7, 5, 9};
  EXPECT_EQ(RunLogHeader(t, "Auto", false, 7, 23),
            "==== 12/08/2026 07:05:09  Auto  Purge  Highest Level 7  23 Lines");
  EXPECT_EQ(RunLogHeader(t, "Stnd", true, 0, 1),
            "==== 12/08/2026 07:05:09  Stnd  Preview  Highest Level 0  1 Line");
  EXPECT_EQ(RunLogRecord("H", {"a", "", " b"}), "H\r\na\r\n\r\n b\r\n");
}

TEST(RunLogRules, SetAsideOnlyWhenTheRecordWouldPassOneMebibyte) {
  const std::uint64_t mib = 1024 * 1024;
  struct Case {
    std::uint64_t size, adding;
    bool rotate;
  } cases[] = {{0, 3 * mib, false}, {mib - 10, 10, false}, {mib - 10, 11, true},
               {mib, 1, true},      {5 * mib, 0, true},    {1, mib, true}};
  for (const Case& c : cases)
    EXPECT_EQ(RunLogNeedsRotation(c.size, c.adding), c.rotate) << c.size << " + " << c.adding;
}

TEST(RunLogRules, LogValueKeepsItsCaseAndResolvesToAFile) {
  const LogArgument a = LogArgumentOf({"AUTO", "logx=1", "log=C:\\Out\\Run.txt", "LOG=second"});
  EXPECT_TRUE(a.present);
  EXPECT_EQ(a.value, "C:\\Out\\Run.txt");
  EXPECT_FALSE(LogArgumentOf({"LOG", "LOGS=x"}).present);
  const std::string data = "C:\\Users\\me\\AppData\\Quorvane";
  struct Case {
    const char* value;
    std::string target;
  } cases[] = {
      {"C:\\Out\\Run.txt", "C:\\Out\\Run.txt"},
      {"d:/logs/run.log", "d:/logs/run.log"},
      {"\\\\server\\share\\run.txt", "\\\\server\\share\\run.txt"},
      {"Run.txt", data + "\\Run.txt"},
      {"", ""},
      {"..", ""},
      {"sub\\run.txt", ""},       // relative path
      {"C:run.txt", ""},          // drive without a root
      {"C:\\Out\\", ""},          // a folder
      {"C:\\Out\\a:b", ""},       // a stream
      {"C:\\Out\\a?.txt", ""},    // wildcard
      {"\\single\\run.txt", ""},  // the current drive's root
  };
  for (const Case& c : cases) EXPECT_EQ(ResolveLogTarget(c.value, data), c.target) << c.value;
}
