#include <gtest/gtest.h>

#include "core/option_set.h"
#include "core/report_rules.h"

TEST(ReportRules, ErrorLinesByPrefixAndResultColumn) {
  EXPECT_TRUE(IsErrorLine(std::string(result_text::kFileNotFound) + "C:\\x.txt"));
  EXPECT_FALSE(IsErrorLine(std::string(result_text::kDeleted) + "C:\\x.txt"));
  EXPECT_TRUE(IsErrorLine(" -Error- No Purge Options were Selected."));
  EXPECT_TRUE(IsErrorLine("-Caution- Some functions may not complete as a Browser was executing."));
  EXPECT_TRUE(IsErrorLine("*** Error occurred in above function ***"));
  EXPECT_TRUE(IsErrorLine("NOTE - A \"Locked\" file has been encountered."));
  EXPECT_FALSE(IsErrorLine("NOTE - The TroubleShooting section of the Quorvane Help file "));
  EXPECT_TRUE(IsErrorLine("     exec failed - notepad"));
  EXPECT_FALSE(IsErrorLine("        Locked"));  // too short for the column
  EXPECT_TRUE(IsSeparatorLine(kSeparatorLine));
  EXPECT_FALSE(IsSeparatorLine(" - - -"));
}

// Every error line raises the run to an error level, whatever its writer did besides.
TEST(ReportRules, ErrorLinesRaiseTheRunsLevel) {
  struct Case {
    const char* line;
    int level;
  } cases[] = {{"*** Error - Delete entries from History failed - Places.SQLite", 3},
               {"*-* Error - Unable to find FireFox Form History file - FormHistory.SQLite", 3},
               {" -Error- Previous statement not processed - has invalid Type field", 3},
               {"-Error- x", 3},
               {"*** Error occurred in above function ***", 3},
               {kRecycleBinFailedLine, 1},
               {"-Caution- Some functions may not complete as a Browser was executing.", 0},
               {"*** Cancelled by operator.", 0},
               {"       deleted - C:\\x.txt", 0},
               {"  Purge \"Recycle Bin\" Function Completed.", 0}};
  for (const Case& c : cases) EXPECT_EQ(ErrorLineLevel(c.line, false), c.level) << c.line;
  const char* refusal = " -Error- not Processed as FireFox browser is active.";
  EXPECT_EQ(ErrorLineLevel(refusal, false), 3);
  EXPECT_EQ(ErrorLineLevel(refusal, true), 0);  // a Preview changes nothing anyway
  EXPECT_EQ(ErrorLineLevel("*** Error - Delete entries from History failed - Places.SQLite", true),
            3);
  EXPECT_TRUE(IsErrorLine("*-* Error - Unable to find FireFox Form History file"));
}

TEST(ReportRules, DeletionErrorCodes) {
  EXPECT_EQ(MapDeleteErrorCode(2).text, "File not Found - ");
  EXPECT_EQ(MapDeleteErrorCode(2).level, 7);
  EXPECT_EQ(MapDeleteErrorCode(32).text, "        Locked - ");
  EXPECT_EQ(MapDeleteErrorCode(32).level, 0);
  EXPECT_EQ(MapDeleteErrorCode(145).level, 1);
  MappedError other = MapDeleteErrorCode(1392);
  EXPECT_EQ(other.text, " -Error-1392          ");
  EXPECT_EQ(other.level, 3);
  EXPECT_EQ(ResultColumn(other.text), " -Error-1392     ");
  EXPECT_EQ(ResultColumn(other.text).size(), 17u);
}

TEST(ReportRules, CountPhraseAndShredSuffix) {
  EXPECT_EQ(CountPhrase(1, "Entry", "Entries"), "1 Entry ");
  EXPECT_EQ(CountPhrase(0, "Entry", "Entries"), "0 Entries ");
  ShredSettings s{"2", 3};
  EXPECT_EQ(ShredSuffix(false, true, s), " with 4 Shred Operations");
  EXPECT_EQ(ShredSuffix(true, true, s), "");  // a Preview shreds nothing
  EXPECT_EQ(ShredSuffix(false, false, s), "");
  EXPECT_EQ(ShredSuffix(false, true, {"1xyz", 5}), " with 5 Shred Operations");
  EXPECT_EQ(ShredSuffix(false, true, {"0", 5}), " with Quick Shred");
}
