#include <gtest/gtest.h>

#include "platform/sqlite_text.h"

TEST(SqliteText, QuotedTextsAreLiteralsNeverColumnNames) {
  EXPECT_EQ(QuoteSqlText("name"), "'name'");
  EXPECT_EQ(QuoteSqlText("it's"), "'it''s'");
  EXPECT_EQ(QuoteSqlText("a\"b"), "'a\"b'");
  EXPECT_EQ(QuoteSqlText(""), "''");
}

TEST(SqliteText, FloatsReadAsTheProgramWritesNumbers) {
  EXPECT_EQ(FloatToText(1e20), "1E20");
  EXPECT_EQ(FloatToText(-1.5e20), "-1.5E20");
  EXPECT_EQ(FloatToText(1e15), "1E15");
  EXPECT_EQ(FloatToText(1e14), "100000000000000");
  EXPECT_EQ(FloatToText(2.5), "2.5");
  EXPECT_EQ(FloatToText(-0.125), "-0.125");
  EXPECT_EQ(FloatToText(0.00001), "0.00001");
  EXPECT_EQ(FloatToText(0.000001), "1E-6");
  EXPECT_EQ(FloatToText(1.25e-7), "1.25E-7");
  EXPECT_EQ(FloatToText(0.1), "0.1");  // 15 digits hide the binary tail
  EXPECT_EQ(FloatToText(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(FloatToText(123456.789), "123456.789");
  EXPECT_EQ(FloatToText(0), "0");
}

TEST(SqliteText, OnlyBlanksAndSemicolonsEndAStatement) {
  EXPECT_TRUE(IsOnlyStatementEnd(""));
  EXPECT_TRUE(IsOnlyStatementEnd(" ;\r\n"));
  EXPECT_FALSE(IsOnlyStatementEnd(" DELETE FROM t"));
}
