#include <gtest/gtest.h>

#include "core/report_lines.h"

// Each case adds its lines, replaces one, and reads back every line, by index and as copies.
TEST(ReportLines, KeepEachLineThroughReplacementsOfAnyLength) {
  struct Case {
    std::vector<std::string> added;
    size_t replaced;
    std::string with;
    std::vector<std::string> expected;
  } cases[] = {
      {{"first", "", "third line"}, 0, "a longer first line", {"a longer first line", "", "third line"}},
      {{"first", "", "third line"}, 0, "1", {"1", "", "third line"}},
      {{"first", "second", "third"}, 1, "SECOND", {"first", "SECOND", "third"}},
      {{"first", "second", "third"}, 2, "", {"first", "second", ""}},
      {{"first", "second"}, 1, "the last line grown", {"first", "the last line grown"}},
      {{"only"}, 1, "past the end: nothing", {"only"}},
      {{}, 0, "none to replace", {}},
      {{"", ""}, 0, "x", {"x", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.with);
    ReportLines lines;
    lines.Add("left over from before");
    lines.clear();
    EXPECT_TRUE(lines.empty());
    for (const std::string& line : c.added) lines.Add(line);
    lines.Replace(c.replaced, c.with);
    ASSERT_EQ(lines.size(), c.expected.size());
    for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(lines[i], c.expected[i]) << i;
    EXPECT_EQ(lines.Copy(), c.expected);
  }
}
