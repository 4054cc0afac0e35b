// Settings-file text changed as the system's own writes change it; pure, also run natively.
#include <gtest/gtest.h>

#include "core/profile_text.h"

TEST(ProfileText, ValuesLandWhereTheSystemWouldPutThem) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<ProfileValue> values;
    std::string expected;
  };
  const Case cases[] = {
      {"an empty file gets the section",
       "",
       {{"S", "A", "1"}, {"S", "B", "2"}},
       "[S]\r\nA=1\r\nB=2\r\n"},
      {"the first key of the first section of the name, either in any case, keeps its break",
       "[s]\nx=0\na = 1\nA=9\n[S]\nA=8\n",
       {{"S", "A", "5"}},
       "[s]\nx=0\nA=5\nA=9\n[S]\nA=8\n"},
      {"a new key follows the section's last line, before blank lines and the next section",
       "[S]\r\nA=1\r\n\r\n[T]\r\nB=2",
       {{"S", "C", "3"}, {"T", "D", "4"}},
       "[S]\r\nA=1\r\nC=3\r\n\r\n[T]\r\nB=2\r\nD=4\r\n"},
      {"a line without '=' names its key; a line break ends a value",
       "[S]\r\nA\r\n",
       {{"S", "A", "1\r\n[T]"}},
       "[S]\r\nA=1\r\n"},
      {"the mark of UTF-8 text before the first section",
       "\xEF\xBB\xBF[S]\r\nA=1\r\n",
       {{"S", "A", "2"}},
       "\xEF\xBB\xBF[S]\r\nA=2\r\n"},
      {"a text without a last break, a new section",
       "[S]\r\nA=1",
       {{"T", "B", "2"}},
       "[S]\r\nA=1\r\n[T]\r\nB=2\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(WithProfileValues(c.text, c.values), c.expected) << c.what;
}

TEST(ProfileText, OnlyATextOpeningASectionHoldsSettings) {
  for (const char* text : {"[S]", "  [Positions]  \r\n", "\xEF\xBB\xBF[S]\r\n", "A=1\r\n[S]\r\n"})
    EXPECT_TRUE(HoldsProfileSection(text)) << text;
  for (const std::string& text : {std::string(), std::string(4096, '\0'), std::string("A=1\r\n"),
                                  std::string("[S\r\n"), std::string("x[S]\r\n")})
    EXPECT_FALSE(HoldsProfileSection(text)) << text;
}
