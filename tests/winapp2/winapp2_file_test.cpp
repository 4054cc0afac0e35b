#include "winapp2/winapp2_file.h"

#include <gtest/gtest.h>


namespace {
// Every key kind, the byte-order mark, CRLF and LF, comments, and lines the reader must refuse
// one by one while the rest of the file loads.
TEST(Winapp2FileTest, ReadsEveryKeyAndRefusesBadLinesOneByOne) {
  const std::string text =
      "\xEF\xBB\xBF; Version: 260730\r\n"
      "; # of entries: 3\r\n"
      "\r\n"
      "[Example App *]\r\n"
      "LangSecRef=3021\r\n"
      "Detect=HKCU\\Software\\Example\n"
      "DetectFile1=%LocalAppData%\\Example\r\n"
      "DetectFile2=%ProgramFiles%\\Ex*\\app.exe\r\n"
      "DetectOS=6.1|\r\n"
      "SpecialDetect=DET_CHROME\r\n"
      "Default=True\r\n"
      "Warning=Removes the saved session.\r\n"
      "FileKey1=%LocalAppData%\\Example\\Cache|*|REMOVESELF\r\n"
      "FileKey2=%LocalAppData%\\Example\\Logs|*.log;;*.tmp|recurse\r\n"
      "FileKey3=%LocalAppData%\\Example\r\n"                 // line 15: no mask
      "FileKey4=%LocalAppData%\\Example|*.x|SOMETIMES\r\n"   // line 16: unknown flag
      "RegKey1=HKCU\\Software\\Example\\Recent\r\n"
      "RegKey2=HKCU\\Software\\Example|LastPath\r\n"
      "RegKey3=HKXX\\Software\\Example\r\n"                  // line 19: unknown hive
      "ExcludeKey1=FILE|%LocalAppData%\\Example\\Cache\\|keep.db\r\n"
      "ExcludeKey2=PATH|%LocalAppData%\\Example\\Cache\\Keep\r\n"
      "ExcludeKey3=REG|HKCU\\Software\\Example\\Recent\\Pinned\r\n"
      "Colour=blue\r\n"                                      // line 23: unknown key
      "this is no key\r\n"                                   // line 24
      "\r\n"
      "[Games Entry *]\r\n"
      "Section=.360 Games\r\n"
      "FileKey1=%AppData%\\Game|*.log\r\n"
      "[Broken Exclusion *]\r\n"                             // line 29: dropped whole
      "ExcludeKey1=SOMETHING|%AppData%\\x\r\n"
      "FileKey1=%AppData%\\x|*\r\n"
      "[Example App *]\r\n"                                  // line 32: a second of a name
      "FileKey1=%AppData%\\y|*\r\n"
      "[Old Windows Only *]\r\n"
      "DetectOS=|5.x\r\n";                                   // line 35: unreadable range
  const Winapp2Database db = ParseWinapp2(text, false);
  EXPECT_EQ(db.version, "260730");
  ASSERT_EQ(db.entries.size(), 2u);
  const Winapp2Entry& e = db.entries[0];
  EXPECT_EQ(e.name, "Example App");
  EXPECT_EQ(e.line, 4);
  EXPECT_EQ(e.langSecRef, 3021);
  EXPECT_EQ(Winapp2GroupName(e), "Applications");
  EXPECT_EQ(e.detects, std::vector<std::string>{"HKCU\\Software\\Example"});
  EXPECT_EQ(e.detectFiles.size(), 2u);
  EXPECT_EQ(e.detectOS, "6.1|");
  EXPECT_EQ(e.specialDetects, std::vector<std::string>{"DET_CHROME"});
  EXPECT_EQ(e.warning, "Removes the saved session.");
  ASSERT_EQ(e.fileKeys.size(), 2u);
  EXPECT_TRUE(e.fileKeys[0].removeSelf && e.fileKeys[0].recurse);
  EXPECT_EQ(e.fileKeys[1].masks, (std::vector<std::string>{"*.log", "*.tmp"}));
  EXPECT_TRUE(e.fileKeys[1].recurse && !e.fileKeys[1].removeSelf);
  ASSERT_EQ(e.regKeys.size(), 2u);
  EXPECT_FALSE(e.regKeys[0].hasValue);
  EXPECT_TRUE(e.regKeys[1].hasValue);
  EXPECT_EQ(e.regKeys[1].value, "LastPath");
  ASSERT_EQ(e.excludes.size(), 3u);
  EXPECT_EQ(e.excludes[0].kind, Winapp2Exclude::File);
  EXPECT_EQ(e.excludes[0].masks, std::vector<std::string>{"keep.db"});
  EXPECT_EQ(e.excludes[1].kind, Winapp2Exclude::Path);
  EXPECT_TRUE(e.excludes[1].masks.empty());
  EXPECT_EQ(e.excludes[2].kind, Winapp2Exclude::Reg);
  EXPECT_EQ(Winapp2GroupName(db.entries[1]), "360 Games");

  std::vector<int> problemLines;
  for (const auto& p : db.problems) problemLines.push_back(p.line);
  EXPECT_EQ(problemLines, (std::vector<int>{15, 16, 19, 23, 24, 30, 32, 35}));
  ASSERT_EQ(db.dropped.size(), 3u);
  EXPECT_EQ(db.dropped[0].name, "Broken Exclusion");
  EXPECT_EQ(db.dropped[0].why, "an ExcludeKey cannot be read");
  EXPECT_EQ(db.dropped[1].why, "its name appears twice");
  EXPECT_EQ(db.dropped[2].why, "its DetectOS cannot be read");
  EXPECT_EQ(Winapp2ProblemText(db.problems[0]), "Line 15: FileKey needs a path and a mask (path|mask)");
}

TEST(Winapp2FileTest, OsRanges) {
  struct Case {
    const char* text;
    bool ok;
    int low, high;
  } cases[] = {{"6.1", true, 601, 601},     {"6.1|", true, 601, 1 << 30},
               {"|6.3", true, 0, 603},      {"6.1|10.0", true, 601, 1000},
               {"10.0|6.1", false, 0, 0},   {"|", false, 0, 0},
               {"6", false, 0, 0},          {"6.1.2", false, 0, 0}};
  for (const Case& c : cases) {
    Winapp2OsRange r;
    ASSERT_EQ(ParseWinapp2OsRange(c.text, r), c.ok) << c.text;
    if (c.ok) { EXPECT_EQ(std::make_pair(r.low, r.high), std::make_pair(c.low, c.high)) << c.text; }
  }
}

}  // namespace
