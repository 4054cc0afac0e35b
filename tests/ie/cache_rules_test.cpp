// Text rules of the Internet Explorer cache purge, strays and index removal: kinds and report
// columns, failed deletions, dated history prefixes, cookie files, the strays index and the
// folder list of VaskIndx.
#include <gtest/gtest.h>

#include "ie/boot_list.h"
#include "ie/cache_rules.h"
#include "ie/cookie_text.h"
#include "ie/stray_index.h"

namespace {
constexpr long long kMinute = 600000000LL;
}

TEST(CacheRulesTest, KindsAndTheirTypeColumn) {
  ASSERT_NE(FindCacheKind(2), nullptr);
  EXPECT_EQ(FindCacheKind(7), nullptr);
  EXPECT_EQ(FindCacheKind(100), nullptr);
  EXPECT_STREQ(FindCacheKind(103)->name, "Protected Mode Visited URLs");
  EXPECT_STREQ(FindCacheKind(4)->prefix, "UserData");
  EXPECT_EQ(FindCacheKind(5)->keepMode, 1);
  EXPECT_EQ(FindCacheKind(102)->keepMode, 2);
  EXPECT_EQ(ReportTypeCode(*FindCacheKind(1), 4), "C ");
  EXPECT_EQ(ReportTypeCode(*FindCacheKind(101), 0), "Cp");
  EXPECT_EQ(ReportTypeCode(*FindCacheKind(2), 1), "N ");
  EXPECT_EQ(ReportTypeCode(*FindCacheKind(2), 5), "S ");  // the sticky bit
  EXPECT_EQ(ReportTypeCode(*FindCacheKind(102), 4), "Sp");
  EXPECT_EQ(ReportTypeCode(*FindCacheKind(105), 0), "Mp");
}

TEST(CacheRulesTest, EntryAgeInDaysHoursAndMinutes) {
  EXPECT_EQ(FormatEntryAge(((5 * 24 + 3) * 60 + 27) * kMinute), " 05-03:27");
  EXPECT_EQ(FormatEntryAge(123 * 1440 * kMinute), "123-00:00");
  EXPECT_EQ(FormatEntryAge(1000 * 1440 * kMinute + 59 * kMinute), "1000-00:59");
  EXPECT_EQ(FormatEntryAge(kMinute - 1), " 00-00:00");
  EXPECT_EQ(FormatEntryAge(23 * 60 * kMinute + 59 * kMinute), " 00-23:59");
  EXPECT_EQ(FormatEntryAge(-5 * kMinute), " 00-00:00");  // a clock behind the entry's time
}

TEST(CacheRulesTest, FailedDeletionsByFlavour) {
  EXPECT_EQ(MapDeleteError(0, DeleteFlavour::LocalFile).text, "       deleted - ");
  for (unsigned long code : {5ul, 32ul, 33ul, 1224ul}) {
    EXPECT_EQ(MapDeleteError(code, DeleteFlavour::LocalFile).text, "    Locked URL - ");
    EXPECT_EQ(MapDeleteError(code, DeleteFlavour::Stray).text, "        Locked - ");
    EXPECT_EQ(MapDeleteError(code, DeleteFlavour::Stray).level, 1);
  }
  EXPECT_EQ(MapDeleteError(2, DeleteFlavour::Stray).text, "File not Found - ");
  EXPECT_EQ(MapDeleteError(3, DeleteFlavour::Stray).level, 7);
  EXPECT_EQ(MapDeleteError(145, DeleteFlavour::Stray).text, " Dir Not Empty - ");
  EXPECT_EQ(MapDeleteError(1234, DeleteFlavour::LocalFile).text, " -Error-1234     ");
  EXPECT_EQ(MapDeleteError(87654321, DeleteFlavour::LocalFile).text, " -Error-87654321 ");
  EXPECT_EQ(MapDeleteError(1234, DeleteFlavour::LocalFile).level, 3);
}

TEST(CacheRulesTest, DatedHistoryContainersByTheirPrefix) {
  EXPECT_TRUE(IsDatedHistoryPrefix(":2026120720261208: "));
  EXPECT_TRUE(IsDatedHistoryPrefix(":2026120720261208: x"));
  EXPECT_FALSE(IsDatedHistoryPrefix(":2026120720261208:"));  // exactly 18 characters
  EXPECT_FALSE(IsDatedHistoryPrefix(":2026120720261208:x"));
  EXPECT_FALSE(IsDatedHistoryPrefix("Visited:"));
  EXPECT_FALSE(IsDatedHistoryPrefix(""));
}

TEST(CookieTextTest, EveryCookiesValueLineIsScrambledAndNothingElse) {
  const std::string two =
      "id\nabcXYZ09\nexample.com/\n1024\n1\n2\n3\n4\n*\n"
      "s\nNMnm45\nexample.com/a\n1024\n1\n2\n3\n4\n*\n";
  const std::string up = RandomizeCookieText(two, [](int n) { return n - 1; });
  EXPECT_EQ(up,
            "id\nmnoLMN45\nexample.com/\n1024\n1\n2\n3\n4\n*\n"
            "s\nBYby81\nexample.com/a\n1024\n1\n2\n3\n4\n*\n");
  EXPECT_EQ(RandomizeCookieText(two, [](int) { return 0; }), two);
  // CR LF line ends stay as they are; a value on the last line is not one the rule reaches.
  EXPECT_EQ(RandomizeCookieText("n\r\nabc\r\nh/\r\n", [](int n) { return n - 1; }),
            "n\r\nmno\r\nh/\r\n");
  EXPECT_EQ(RandomizeCookieText("n\nabc", [](int n) { return n - 1; }), "n\nabc");
  EXPECT_EQ(RandomizeCookieText("", [](int n) { return n - 1; }), "");
}

TEST(StrayIndexTest, TheFirstRecordOfAKeyIsTheOneFound) {
  EXPECT_EQ(LocalFileKey("C:\\Cache\\AB12\\page[1].htm."), "C:\\CACHE\\AB12\\PAGE[1].HTM");
  EXPECT_EQ(LocalFileKey("c:\\x.."), "C:\\X.");
  StrayIndex index;
  index.Add("C:\\Cache\\a.htm", "http://one/");
  index.Add("C:\\CACHE\\A.HTM.", "http://twin/");
  index.Add("", "http://nofile/");
  EXPECT_TRUE(index.MarkFound("C:\\CACHE\\A.HTM"));
  EXPECT_TRUE(index.MarkFound("C:\\CACHE\\A.HTM"));
  EXPECT_FALSE(index.MarkFound("C:\\CACHE\\B.HTM"));
  EXPECT_FALSE(index.MarkFound("C:\\cache\\a.htm"));  // the scan hands upper-cased paths
  ASSERT_EQ(index.Size(), 3u);
  EXPECT_TRUE(index.Records()[0].found);
  EXPECT_FALSE(index.Records()[1].found);  // its twin's file is the first record's
  EXPECT_FALSE(index.Records()[2].found);
  EXPECT_EQ(index.Records()[1].url, "http://twin/");
}

TEST(BootListTest, ElevenLinesAndTheFoldersWorthVisiting) {
  BootFolders f{"C:\\IE\\Content.IE5", "C:\\IE\\Cookies", "", "", "", "", "... Not Found ...", "",
                "C:\\Local\\DomStore", ""};
  const std::string text = BootListText("Quorvane", f);
  EXPECT_EQ(text,
            "Quorvane\r\nC:\\IE\\Content.IE5\r\nC:\\IE\\Cookies\r\n\r\n\r\n\r\n\r\n... Not Found "
            "...\r\n\r\nC:\\Local\\DomStore\r\n\r\n");
  EXPECT_EQ(BootListFolders(text), (std::vector<std::string>{"C:\\IE\\Content.IE5", "C:\\IE\\Cookies",
                                                             "C:\\Local\\DomStore"}));
  // The product line, relative or climbing paths, twins and a twelfth line are left out.
  EXPECT_EQ(BootListFolders("C:\\first\nrelative\\x\nC:\\a\\..\\..\\Windows\nc:\\IE\\\n"
                            "C:\\ie\nD:\n\\\\server\\share\nC:\\x\\2\\t\n4\n5\n6\nC:\\twelfth\n"),
            (std::vector<std::string>{"c:\\IE", "C:\\x\\2\\t"}));
  EXPECT_TRUE(BootListFolders("").empty());
  EXPECT_EQ(BootListHistoryFolders("Q\nC:\\c\nC:\\k\nC:\\h\nC:\\pc\nC:\\pk\nC:\\ph\n"),
            (std::vector<std::string>{"C:\\h", "C:\\ph"}));
  for (const char* name : {"MSHist012026120120261208", "mshist01"})
    EXPECT_TRUE(IsDatedHistoryFolderName(name)) << name;
  for (const char* name : {"MSHist", "MSHist01x", "History.IE5", "Low"})
    EXPECT_FALSE(IsDatedHistoryFolderName(name)) << name;
}

TEST(CacheRulesTest, ARecordsLocalFileCountsOnlyInsideItsKindsFolder) {
  const std::string folder = "C:\\Users\\u\\AppData\\Local\\Microsoft\\Windows\\INetCookies";
  struct Case {
    const char* path;
    bool inside;
  } cases[] = {
      {"C:\\Users\\u\\AppData\\Local\\Microsoft\\Windows\\INetCookies\\u@a[1].txt", true},
      {"c:\\users\\U\\appdata\\local\\microsoft\\windows\\inetcookies\\Low\\x.txt", true},
      {"C:\\Users\\u\\Documents\\thesis.doc", false},
      {"C:\\Users\\u\\AppData\\Local\\Microsoft\\Windows\\INetCookiesX\\x.txt", false},
      {"C:\\Users\\u\\AppData\\Local\\Microsoft\\Windows\\INetCookies", false},
      {"C:\\Users\\u\\AppData\\Local\\Microsoft\\Windows\\INetCookies\\", false},
      {"C:\\Users\\u\\AppData\\Local\\Microsoft\\Windows\\INetCookies\\..\\x.txt", false},
      {"C:\\Users\\u\\AppData\\Local\\Microsoft\\Windows\\INetCookies\\a\\.\\x.txt", false},
      {"C:\\Users\\u\\AppData\\Local\\Microsoft\\Windows\\INetCookies\\x.txt:hidden", false},
      {"\\\\.\\CON", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(LocalFileInFolder(c.path, folder), c.inside) << c.path;
  EXPECT_TRUE(LocalFileInFolder(cases[0].path, folder + "\\"));
  EXPECT_FALSE(LocalFileInFolder(cases[0].path, ""));  // a kind without a folder takes no file
}

TEST(CacheRulesTest, PlainEnumerationOnlyForAStubAndItsDocumentedPrefixes) {
  struct Case {
    ExProbe probe;
    bool stub;
  } cases[] = {
      {{true, 0, true}, false},    // an Ex call that works, even under Wine
      {{false, 259, true}, false}, // an empty index
      {{false, 2, true}, true},    // Wine's stub
      {{false, 0, true}, true},
      {{false, 2, false}, false},  // on Windows error 2 is an ordinary answer
      {{false, 0, false}, false},
      {{false, 120, false}, true}, // not implemented
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExEnumerationIsStub(c.probe), c.stub)
        << c.probe.found << " " << c.probe.error << " " << c.probe.underWine;

  EnumerationChoice choice;
  int probes = 0;
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(choice.ExIsStub([&] {
      ++probes;
      return ExProbe{false, static_cast<uint32_t>(i == 0 ? 2 : 259), true};
    }));
  EXPECT_EQ(probes, 1);  // decided once

  for (const char* p : {"Cookie:", "Visited:", "*.*"}) EXPECT_TRUE(PlainEnumerationServes(p)) << p;
  for (const char* p : {"UserData", "DOMstore", "cookie:", ":2026120720261208: ", ""})
    EXPECT_FALSE(PlainEnumerationServes(p)) << p;

  EXPECT_EQ(KeepListBypassLine(2),
            "*** Error - Bypassed Cache processing as existing Protect file could not be opened");
  EXPECT_EQ(KeepListBypassLine(105), "*** Error - Bypassed P-M DOMstore processing as existing "
                                     "Protect file could not be opened");
}
