#include <gtest/gtest.h>

#include <algorithm>

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

namespace {
PeModuleFacts Facts(unsigned machine, std::vector<std::string> exports) {
  PeModuleFacts f;
  f.valid = true;
  f.machine = machine;
  f.exports = SqliteEntryPointsCalled();
  f.exports.insert(f.exports.end(), exports.begin(), exports.end());
  std::sort(f.exports.begin(), f.exports.end());
  return f;
}
}  // namespace

TEST(ProfileRules, SqliteModuleChoiceFollowsTheOrderAndSkipsWhatCannotServe) {
  const PeModuleFacts good = Facts(kMachineI386, {"NSS_Init"});
  const PeModuleFacts x64 = Facts(kMachineAmd64, {});
  PeModuleFacts lacking = good;
  lacking.exports.erase(std::find(lacking.exports.begin(), lacking.exports.end(), "sqlite3_step"));
  EXPECT_EQ(SqliteModuleUnusable(good), "");
  EXPECT_EQ(SqliteModuleUnusable(x64), "not a 32-bit module");
  EXPECT_EQ(SqliteModuleUnusable(lacking), "does not export sqlite3_step");
  // A file that is no PE image is the loader's to judge, as it always was.
  EXPECT_EQ(SqliteModuleUnusable(PeModuleFacts{}), "");

  std::vector<SqliteModuleOption> o{
      {"MozSQLite3.dll", false, {}}, {"SQLite3.dll", false, {}}, {"nss3.dll", true, good}};
  EXPECT_EQ(ChooseSqliteModuleOption(o), 2);  // Firefox 57 and later
  o[1] = {"SQLite3.dll", true, good};
  EXPECT_EQ(ChooseSqliteModuleOption(o), 1);  // the older module comes first
  o[0] = {"MozSQLite3.dll", true, lacking};
  EXPECT_EQ(ChooseSqliteModuleOption(o), 1);
  o[1].present = false;
  o[2].facts = x64;
  EXPECT_EQ(ChooseSqliteModuleOption(o), -1);  // nothing can serve: the built-in SQLite
  EXPECT_EQ(ChooseSqliteModuleOption({}), -1);
}

TEST(ProfileRules, PeFactsOfDamagedImagesAreNotValid) {
  EXPECT_FALSE(ReadPeModuleFacts("").valid);
  EXPECT_FALSE(ReadPeModuleFacts(std::string(200, 'M')).valid);
  std::string image(512, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  image[0x3d] = 0x10;  // the "PE" header would lie past the end
  EXPECT_FALSE(ReadPeModuleFacts(image).valid);
  image[0x3d] = 0;
  image[0x3c] = 0x40;  // there, but not a PE header
  EXPECT_FALSE(ReadPeModuleFacts(image).valid);
}
