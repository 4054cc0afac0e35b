#include <gtest/gtest.h>

#include "firefox/browser_activity.h"
#include "firefox/cookie_purge.h"
#include "firefox/firefox_profile.h"
#include "firefox/history_purge.h"
#include "firefox_install.h"
#include "platform/files.h"
#include "support/test_support.h"

TEST(BrowserActivity, VisibleFirefoxCountsHiddenDoesNot) {
  {
    FakeTopWindow hidden("MozillaWindowClass", "Hidden - Mozilla Firefox", false);
    EXPECT_FALSE(TisFireFoxActive());
    std::vector<std::string> lines;
    ListHiddenBrowserWindows([&](const std::string& l) { lines.push_back(l); });
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Hidden FireFox Window - Title = Hidden - Mozilla Firefox"),
              lines.end());
    EXPECT_EQ(lines.back(), "1 - Browser Window Found");
  }
  {
    // A title too short to hold "Mozilla Firefox" is not Firefox, even in Firefox's class.
    FakeTopWindow tooShort("MozillaWindowClass", "Firefox", true);
    EXPECT_FALSE(TisFireFoxActive());
  }
  FakeTopWindow shown("MozillaWindowClass", "Mozilla Firefox Start Page", true);
  EXPECT_TRUE(TisFireFoxActive());
}

TEST(BrowserActivity, NoHiddenBrowsersListsZero) {
  std::vector<std::string> lines;
  ListHiddenBrowserWindows([&](const std::string& l) { lines.push_back(l); });
  EXPECT_EQ(lines, (std::vector<std::string>{"Display Hidden Browser Windows ", " ",
                                             "   0 - Browser Windows Found"}));
}

TEST(BrowserActivity, IeAndMsnStates) {
  EXPECT_FALSE(TisIEorMSNactive());
  EXPECT_EQ(BrowserState(), 0);
  {
    FakeTopWindow folder("CabinetWClass", "C:\\Temp", true);
    EXPECT_FALSE(TisIEorMSNactive());
  }
  {
    FakeTopWindow msn("MSN9 Window", "MSN", true);
    EXPECT_FALSE(TisIEorMSNactive());  // no "Browser" child
    msn.AddChild("Browser");
    EXPECT_TRUE(TisIEorMSNactive());
    EXPECT_EQ(BrowserState(), 3);
  }
  {
    FakeTopWindow ie("IEFrame", "Blank Page - Windows Internet Explorer", false);
    EXPECT_TRUE(TisIEorMSNactive());
    EXPECT_EQ(BrowserState(), 2);
  }
}

TEST(BrowserActivity, AbortSwitchesKeepTheAnswer) {
  ScopedArguments args({"AbortFFA", "AbortIEA"});
  FakeTopWindow shown("MozillaWindowClass", "x - Mozilla Firefox", true);
  EXPECT_TRUE(TisFireFoxActive());
  EXPECT_FALSE(TisIEorMSNactive());
}

TEST(BrowserActivity, TodaysFirefoxWindowsCount) {
  for (const char* title :
       {"News \x97 Mozilla Firefox Private Browsing", "Docs \x97 Firefox Developer Edition",
        "New Tab \x97 Firefox Nightly"}) {
    FakeTopWindow shown("MozillaWindowClass", title, true);
    EXPECT_TRUE(TisFireFoxActive()) << title;
  }
  EXPECT_FALSE(TisFireFoxActive());
}

namespace {
// A new Wine process can take seconds to start.
bool BecomesActive(bool wanted) {
  for (int i = 0; i < 1200; ++i, Sleep(25))
    if (TisFireFoxActive() == wanted) return true;
  return false;
}
}  // namespace

TEST(BrowserActivity, ParentLockHeldByAnotherProcessMeansFirefoxRuns) {
  TempFolder profile;
  const TFFoxProfile saved = FFoxProfile();
  FFoxProfile().DataPath = profile.Path();
  const std::string lock = profile.File("parent.lock");
  EXPECT_FALSE(IsProfileLockHeld(profile.Path()));  // no lock file at all
  WriteFileText(lock, "");
  EXPECT_FALSE(TisFireFoxActive());  // left behind by a Firefox that ended
  {
    FirefoxFileHolder holder(BinFolder() + "\\fixtures", lock);
    ASSERT_TRUE(holder.Started());
    ASSERT_TRUE(BecomesActive(true));
    // Every Firefox purge refuses, and nothing of the profile is touched.
    TestRun run;
    run.state.browsers.firefox = TisFireFoxActive();
    PurgeFirefoxCache(run.ctx);
    PurgeFirefoxCookies(run.ctx);
    PurgeFirefoxTypedUrls(run.ctx);
    PurgeFirefoxHistory(run.ctx);
    PurgeFirefoxForms(run.ctx);
    const std::string refusal = " -Error- not Processed as FireFox browser is active.";
    EXPECT_EQ(run.view.lines, std::vector<std::string>(5, refusal));
    EXPECT_EQ(run.state.highestLevel, 7);
    holder.Release();
  }
  EXPECT_TRUE(BecomesActive(false));
  EXPECT_TRUE(FileExists(lock));
  SetFirefoxActive(false);
  FFoxProfile() = saved;
}
