// Finding the Chromium-family browsers and their profiles in the prefix's folders, and reading
// the profiles a Local State names.
#include <gtest/gtest.h>

#include <algorithm>

#include "chromium/chromium_browsers.h"
#include "chromium_test_support.h"
#include "platform/files.h"
#include "support/test_support.h"

namespace {
using Names = std::vector<std::string>;

void MakeProfile(const std::string& folder) {
  ForceDirectories(folder);
  WriteFileText(folder + "\\Preferences", "{}");
}

const ChromiumBrowser* Named(const std::vector<ChromiumBrowser>& all, const std::string& name) {
  auto it = std::find_if(all.begin(), all.end(), [&](const auto& b) { return b.name == name; });
  return it == all.end() ? nullptr : &*it;
}

Names ProfileNames(const ChromiumBrowser& b) {
  Names n;
  for (const auto& p : b.profiles) n.push_back(p.name);
  return n;
}

TEST(ChromiumBrowsersTest, LocalStateNamesTheProfilesThatHoldPreferences) {
  ScopedBrowserFolder chrome("Google\\Chrome\\User Data");
  WriteFileText(chrome.Path() + "\\Local State",
                R"({"profile":{"info_cache":{"Default":{},"Profile 1":{},"Profile 9":{}}}})");
  MakeProfile(chrome.Path() + "\\Default");
  MakeProfile(chrome.Path() + "\\Profile 1");
  MakeProfile(chrome.Path() + "\\Not Named");  // not in Local State: not a profile
  const auto all = FindChromiumBrowsers();
  const ChromiumBrowser* b = Named(all, "Google Chrome");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(ProfileNames(*b), (Names{"Default", "Profile 1"}));
  EXPECT_TRUE(b->notes.empty());
  EXPECT_EQ(b->profiles[0].cacheFolder, b->profiles[0].folder);
  EXPECT_EQ(Named(all, "Brave"), nullptr);
}

TEST(ChromiumBrowsersTest, DamagedLocalStateFallsBackToFoldersWithALine) {
  ScopedBrowserFolder edge("Microsoft\\Edge\\User Data");
  WriteFileText(edge.Path() + "\\Local State", R"({"profile":{"info_cache":{"Def)");
  MakeProfile(edge.Path() + "\\Default");
  MakeProfile(edge.Path() + "\\Profile 2");
  ForceDirectories(edge.Path() + "\\Crashpad");
  const auto all = FindChromiumBrowsers();
  const ChromiumBrowser* b = Named(all, "Microsoft Edge");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(ProfileNames(*b), (Names{"Default", "Profile 2"}));
  const Names lines = ChromiumFolderLines(all);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "    -Note- Local State of Microsoft Edge could not be read: profiles are "
                      "the folders holding Preferences"),
            lines.end());
}

TEST(ChromiumBrowsersTest, OperaProfileInDefaultOrInItsOwnFolderWithLocalCache) {
  {
    ScopedBrowserFolder opera("Opera Software\\Opera Stable", true);
    MakeProfile(opera.Path() + "\\Default");
    const auto all = FindChromiumBrowsers();
    const ChromiumBrowser* b = Named(all, "Opera");
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(ProfileNames(*b), (Names{"Default"}));
    EXPECT_EQ(b->profiles[0].cacheFolder,
              LocalAppData() + "\\Opera Software\\Opera Stable\\Default");
  }
  ScopedBrowserFolder old("Opera Software\\Opera GX Stable", true);
  MakeProfile(old.Path());
  const auto all = FindChromiumBrowsers();
  const ChromiumBrowser* b = Named(all, "Opera GX");
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(ProfileNames(*b), (Names{"Opera GX Stable"}));
  EXPECT_EQ(b->profiles[0].folder, old.Path());
  EXPECT_EQ(b->profiles[0].cacheFolder, LocalAppData() + "\\Opera Software\\Opera GX Stable");
}

// The channels users run beside the stable releases, each at the user-data folder its
// installer makes (Canary's "SxS"; Opera Beta's "Opera Next"), Opera's below the roaming folder
// with its cache below the local one.
TEST(ChromiumBrowsersTest, EveryChannelIsFoundAtItsOwnFolder) {
  const struct {
    const char* folder;
    bool roaming;
    const char* name;
  } channels[] = {
      {"Google\\Chrome Beta\\User Data", false, "Google Chrome Beta"},
      {"Google\\Chrome Dev\\User Data", false, "Google Chrome Dev"},
      {"Google\\Chrome SxS\\User Data", false, "Google Chrome Canary"},
      {"Microsoft\\Edge Beta\\User Data", false, "Microsoft Edge Beta"},
      {"Microsoft\\Edge Dev\\User Data", false, "Microsoft Edge Dev"},
      {"Microsoft\\Edge SxS\\User Data", false, "Microsoft Edge Canary"},
      {"BraveSoftware\\Brave-Browser-Beta\\User Data", false, "Brave Beta"},
      {"BraveSoftware\\Brave-Browser-Nightly\\User Data", false, "Brave Nightly"},
      {"Opera Software\\Opera Next", true, "Opera Beta"},
      {"Opera Software\\Opera Developer", true, "Opera Developer"},
  };
  for (const auto& c : channels) {
    ScopedBrowserFolder folder(c.folder, c.roaming);
    MakeProfile(folder.Path() + "\\Default");
    const auto all = FindChromiumBrowsers();
    const ChromiumBrowser* b = Named(all, c.name);
    ASSERT_NE(b, nullptr) << c.name;
    EXPECT_EQ(b->userData, folder.Path()) << c.name;
    ASSERT_EQ(ProfileNames(*b), (Names{"Default"})) << c.name;
    EXPECT_EQ(b->profiles[0].cacheFolder,
              (c.roaming ? LocalAppData() + "\\" + c.folder : folder.Path()) + "\\Default")
        << c.name;
  }
}

TEST(ChromiumBrowsersTest, FolderReportNamesEachBrowserProfileAndTheBuiltInSqlite) {
  ScopedBrowserFolder chrome("Google\\Chrome\\User Data");
  MakeProfile(chrome.Path() + "\\Default");
  ScopedBrowserFolder edge("Microsoft\\Edge\\User Data");
  MakeProfile(edge.Path() + "\\Default");
  const Names lines = ChromiumFolderLines(FindChromiumBrowsers());
  const Names expected = {
      "      Google Chrome - " + chrome.Path(),
      "            Profile - " + chrome.Path() + "\\Default",
      "     Microsoft Edge - " + edge.Path(),
      "            Profile - " + edge.Path() + "\\Default",
  };
  ASSERT_GE(lines.size(), expected.size() + 1);
  EXPECT_EQ(Names(lines.begin(), lines.begin() + 4), expected);
  EXPECT_EQ(lines.back().rfind("      SQLite Module - Quorvane's own SQLite 3.", 0), 0u)
      << lines.back();
}
}  // namespace
