#include <gtest/gtest.h>

#include "firefox/profile_rules.h"

TEST(ProfileRules, VersionsCompareByNumberNotText) {
  EXPECT_TRUE(CompareVersions("10.0.2", "3.6.28"));
  EXPECT_FALSE(CompareVersions("3.6.28", "10.0.2"));
  EXPECT_FALSE(CompareVersions("10.0", "10.0.0"));  // equal is not greater
  EXPECT_TRUE(CompareVersions("1.9.2.x", "1.9.1.9"));
  EXPECT_TRUE(CompareVersions("00.00.00.01", "00.00.00.00"));
}

TEST(ProfileRules, DefaultSectionAndFolders) {
  std::vector<ProfilesIniSection> s{{"General"},
                                    {"Profile0", "Profiles/abc.default", "1", "0"},
                                    {"Profile1", "D:\\FF\\p1", "0", "1"}};
  EXPECT_EQ(DefaultProfileIndex(s), 2);
  EXPECT_EQ(ProfileFolder(s[2], "C:\\AD\\Mozilla\\Firefox"), "D:\\FF\\p1");
  s[2].isDefault = "0";
  EXPECT_EQ(DefaultProfileIndex(s), 1);  // the first profile section
  EXPECT_EQ(ProfileFolder(s[1], "C:\\AD\\Mozilla\\Firefox"),
            "C:\\AD\\Mozilla\\Firefox\\Profiles\\abc.default");
  EXPECT_TRUE(IsProfileSection("PROFILE-X"));
  EXPECT_TRUE(IsProfileSection("Profiles"));
  EXPECT_FALSE(IsProfileSection("Profil"));
  // Firefox 67+: the install section names the profile in use, over an old Default=1.
  std::vector<ProfilesIniSection> modern{
      {"Install308046B0AF4A39CB", "", "", "Profiles/new.default-release"},
      {"Profile1", "Profiles/old.default", "1", "1"},
      {"Profile0", "Profiles/new.default-release", "1", "0"}};
  EXPECT_EQ(DefaultProfileIndex(modern), 2);
}

TEST(ProfileRules, CacheDirectoryPreference) {
  EXPECT_EQ(
      ParseCacheDirPref({"user_pref(\"a\", 1);",
                         "user_pref(\"browser.cache.disk.parent_directory\", \"E:\\\\cache\");"}),
      "E:\\cache");
  EXPECT_EQ(ParseCacheDirPref({"user_pref(\"browser.cache.disk.parent_directory\", \"\");"}), "");
  EXPECT_EQ(ParseCacheDirPref({"browser.cache.disk.parent_directory"}), "");  // unquoted key
}
