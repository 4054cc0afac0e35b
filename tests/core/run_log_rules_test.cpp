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
