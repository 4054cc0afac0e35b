#include <gtest/gtest.h>

#include "firefox/cookie_lines.h"

TEST(CookieLines, FieldsAreTabSeparatedAndReplacedInPlace) {
  const std::string line = MakeCookieLine(".Example.com", true, "/", false, "17", "id", "a\tb");
  EXPECT_EQ(line, ".Example.com\tTRUE\t/\tFALSE\t17\tid\ta\tb");
  EXPECT_EQ(CookieLineHost(line), ".example.com");
  EXPECT_EQ(CookieLineField(line, kCookieName), "id");
  EXPECT_EQ(CookieLineField("short\tline", kCookieValue), "");
  EXPECT_EQ(ReplaceCookieLineField(line, kCookieName, "sid"),
            ".Example.com\tTRUE\t/\tFALSE\t17\tsid\ta\tb");
  EXPECT_EQ(ReplaceCookieLineField("a\tb", kCookieValue, "x"), "a\tb");  // too few fields
  EXPECT_EQ(CookieLineHost("host.com\r\n"), "host.com");
}

TEST(CookieLines, SortedCaseInsensitivelySoAHostsCookiesAreAdjacent) {
  std::vector<CookieLine> lines = {
      {"b.com\tx", 1}, {"A.com\tz", 2}, {"a.com\ty", 3}, {"B.com\tw", 4}};
  SortCookieLines(lines);
  std::vector<int64_t> order;
  for (const auto& l : lines) order.push_back(l.rowid);
  EXPECT_EQ(order, (std::vector<int64_t>{3, 2, 4, 1}));
}

TEST(CookieLines, CookiesTxtHeaderAndRewrite) {
  std::vector<std::string> header;
  std::vector<CookieLine> cookies;
  SplitCookiesTxt({"# Netscape HTTP Cookie File", "", "a.com\tTRUE", "# not header any more"},
                  header, cookies);
  EXPECT_EQ(header, (std::vector<std::string>{"# Netscape HTTP Cookie File", ""}));
  ASSERT_EQ(cookies.size(), 2u);
  EXPECT_EQ(JoinCookiesTxt(header, cookies),
            "# Netscape HTTP Cookie File\n\na.com\tTRUE\n# not header any more\n");
  // The last line is never taken as header, even a comment.
  header.clear();
  cookies.clear();
  SplitCookiesTxt({"# only"}, header, cookies);
  EXPECT_TRUE(header.empty());
  EXPECT_EQ(cookies.size(), 1u);
}

TEST(CookieLines, SummaryCountsHostsWithTheirNouns) {
  EXPECT_EQ(CookieSummaryLines(false, 1, 1),
            (std::vector<std::string>{
                "    1 Cookie Randomized.",
                "  Purge \"FireFox Cookies\" Function Completed.   1 Entry Processed."}));
  EXPECT_EQ(CookieSummaryLines(true, 2, 5),
            (std::vector<std::string>{
                "    2 Cookies to Randomize.",
                "  Purge \"FireFox Cookies\" Function Completed.   5 Entries Processed."}));
  EXPECT_EQ(CookieSummaryLines(false, 0, 0),
            (std::vector<std::string>{"    No Entries found to delete.",
                                      "  Purge \"FireFox Cookies\" Function Completed."}));
}
