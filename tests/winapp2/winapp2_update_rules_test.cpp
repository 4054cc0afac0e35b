#include "winapp2/winapp2_update_rules.h"

#include <gtest/gtest.h>

namespace {
using Names = std::vector<std::string>;

std::string FileOf(const Names& names) {
  std::string text = "; Version: 7\r\n";
  for (const auto& n : names) text += "[" + n + " *]\r\nFileKey1=%Temp%|*.log\r\n";
  return text;
}

TEST(Winapp2UpdateRulesTest, ChangesAreNamedInFileOrderAndExactly) {
  const struct {
    Names before, after, added, removed;
  } rows[] = {
      {{}, {"A", "B"}, {"A", "B"}, {}},
      {{"A", "B"}, {}, {}, {"A", "B"}},
      {{"A", "B", "C"}, {"C", "A", "B"}, {}, {}},
      {{"A", "B", "C"}, {"D", "A", "E"}, {"D", "E"}, {"B", "C"}},
      // A name changed in case loses its tick: it goes and comes.
      {{"Old Name"}, {"old name"}, {"old name"}, {"Old Name"}},
  };
  for (const auto& row : rows) {
    const Winapp2Changes c =
        CompareWinapp2(ParseWinapp2(FileOf(row.before)), ParseWinapp2(FileOf(row.after)));
    EXPECT_EQ(c.added, row.added);
    EXPECT_EQ(c.removed, row.removed);
  }
}

TEST(Winapp2UpdateRulesTest, OnlyAFileOfEntriesMayReplaceTheDatabase) {
  std::string prose = "[Release notes]\n";
  for (int i = 0; i < 3; ++i) prose += "Fixed a thing.\n";
  const struct {
    std::string bytes, problem;
  } rows[] = {
      {FileOf({"A"}), ""},
      {"\xEF\xBB\xBF" + FileOf({"A", "B"}), ""},
      {FileOf({"A"}) + "stray line\n", ""},  // as many refused lines as entries still loads
      {"", "the address gave an empty file"},
      {"\xEF\xBB\xBF \r\n\t\r\n", "the address gave an empty file"},
      {"\r\n<html><body>[A *]\nFileKey1=%Temp%|*.log</body></html>", "the address gave a web page, not a Winapp2.ini file"},
      {"; Version: 8\r\n; nothing yet\r\n", "the file holds no cleaning entry"},
      {"404: Not Found", "the file holds no cleaning entry"},
      {prose, "most of the file cannot be read (3 lines refused for 1 entry)"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(Winapp2DownloadProblem(row.bytes, ParseWinapp2(row.bytes)), row.problem) << row.bytes;
}

TEST(Winapp2UpdateRulesTest, AddressesAndChangeTexts) {
  const struct {
    std::string address;
    bool taken;
  } addresses[] = {{"https://example.org/Winapp2.ini", true}, {" HTTP://127.0.0.1:80/x ", true},
                   {"https://", false},  {"ftp://example.org/Winapp2.ini", false},
                   {"file:///c:/Winapp2.ini", false}, {"", false}};
  for (const auto& row : addresses)
    EXPECT_EQ(IsWinapp2UpdateAddress(row.address), row.taken) << row.address;

  const Winapp2Database two = ParseWinapp2(FileOf({"A", "B"})), one = ParseWinapp2("[C *]\nFileKey1=%Temp%|*\n");
  const struct {
    const Winapp2Database& before;
    bool hadFile;
    const Winapp2Database& after;
    std::string text;
  } texts[] = {
      {one, false, two, "Winapp2.ini downloaded (version 7): 2 entries."},
      {one, true, two, "Winapp2.ini updated (version 7): 2 entries, 1 before; 2 added, 1 removed."},
      {two, true, one, "Winapp2.ini updated: 1 entry, 2 before; 1 added, 2 removed."},
      {two, true, two, "Winapp2.ini updated (version 7): 2 entries, 2 before; no entry added or removed."},
  };
  for (const auto& row : texts)
    EXPECT_EQ(Winapp2ChangeText(row.before, row.hadFile, row.after,
                                CompareWinapp2(row.before, row.after)),
              row.text);
}
}  // namespace
