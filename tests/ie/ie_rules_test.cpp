// Text rules of the Internet Explorer discovery and typed-URL purge.
#include <gtest/gtest.h>

#include "ie/ie_rules.h"

TEST(IeRulesTest, VersionMajorIsTheNumberBeforeTheFirstFullStop) {
  EXPECT_EQ(VersionMajor("11.0.9600.1    "), 11);
  EXPECT_EQ(VersionMajor("6.00.2900.5512    "), 6);
  EXPECT_EQ(VersionMajor("11    "), 0);  // no full stop
  EXPECT_EQ(VersionMajor("x1.0"), 0);
  EXPECT_EQ(VersionMajor(".5"), 0);
  EXPECT_EQ(VersionMajor("99999999999999.1"), 0);  // not a number we can hold
}

TEST(IeRulesTest, FoundFoldersMustBeFullPaths) {
  EXPECT_EQ(CheckedFolderPath("C:\\Cache\\"), "C:\\Cache");
  EXPECT_EQ(CheckedFolderPath("C:\\x"), "C:\\x");
  EXPECT_FALSE(CheckedFolderPath("C:").has_value());
  EXPECT_FALSE(CheckedFolderPath("C:\\").has_value());  // "C:" once the backslash is gone
  EXPECT_FALSE(CheckedFolderPath("\\\\server\\share").has_value());
  EXPECT_FALSE(CheckedFolderPath("C:folder").has_value());
  EXPECT_EQ(DropTrailingBackslash("\\"), "\\");
}

TEST(IeRulesTest, ProtectedFormsOfFolders) {
  EXPECT_EQ(InsertLowFolder("C:\\U\\INetCache\\Content.IE5", "\\Content.IE5"),
            "C:\\U\\INetCache\\Low\\Content.IE5");
  EXPECT_EQ(InsertLowFolder("C:\\U\\History", "\\History.IE5"), "");
  EXPECT_EQ(LocalLowFolder("C:\\Users\\u\\AppData\\Local"), "C:\\Users\\u\\AppData\\LocalLow");
  EXPECT_EQ(LocalLowFolder("C:\\Users\\u\\AppData\\local"), "C:\\Users\\u\\AppData\\localLow");
  EXPECT_EQ(LocalLowFolder("C:\\Documents and Settings\\u\\Local Settings\\Application Data"), "");
}

TEST(IeRulesTest, WhichTypedUrlValuesAreCleared) {
  EXPECT_TRUE(IsTypedUrlName("url10"));
  EXPECT_TRUE(IsTypedUrlName("URL1"));
  EXPECT_FALSE(IsTypedUrlName("MRUList"));
  EXPECT_FALSE(IsTypedUrlName("ur"));
  EXPECT_FALSE(IsMsn6TypedUrlName("MRUList"));
  EXPECT_TRUE(IsMsn6TypedUrlName("first"));
}
