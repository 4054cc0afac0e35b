#include <gtest/gtest.h>

#include "firefox/browser_activity.h"
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
