#include <gtest/gtest.h>

#include "firefox/browser_window_rules.h"

TEST(BrowserWindowRules, ClassAndTitle) {
  EXPECT_TRUE(IsFirefoxClassAndTitle("MozillaWindowClass", "Mozilla Firefox Start Page"));
  EXPECT_TRUE(IsFirefoxClassAndTitle("MozillaUIWindowClass", "News - Mozilla Firefox"));
  EXPECT_FALSE(IsFirefoxClassAndTitle("MozillaWindowClass", "Firefox"));
  EXPECT_FALSE(IsFirefoxClassAndTitle("MozillaWindowClass", "A page about Mozilla Firefox today"));
  EXPECT_FALSE(IsFirefoxClassAndTitle("Notepad", "x - Mozilla Firefox"));
  EXPECT_TRUE(IsIeClassAndTitle("IEFrame", "anything", "", false));
  EXPECT_FALSE(IsIeClassAndTitle("IEFrame", "anything", "", true));  // listing holds it to titles
  EXPECT_FALSE(IsIeClassAndTitle("CabinetWClass", "C:\\Temp", "", false));
  EXPECT_TRUE(IsIeClassAndTitle("CabinetWClass", "news - windows internet explorer", "", false));
  EXPECT_TRUE(IsIeClassAndTitle("CabinetWClass", "news - My Browser", "MY BROWSER", false));
  EXPECT_FALSE(IsIeClassAndTitle("CabinetWClass", "Browser", "MY BROWSER", false));
}

TEST(BrowserWindowRules, TodaysFirefoxTitles) {
  // Private windows, Developer Edition and Nightly, each also private.
  for (const char* title :
       {"News \x97 Mozilla Firefox Private Browsing", "Mozilla Firefox Private Browsing",
        "Docs \x97 Firefox Developer Edition",
        "Docs \x97 Firefox Developer Edition Private Browsing", "New Tab \x97 Firefox Nightly",
        "firefox nightly private browsing"})
    EXPECT_TRUE(IsFirefoxClassAndTitle("MozillaWindowClass", title)) << title;
  // The product must end the title; other classes never count; short titles never count.
  EXPECT_FALSE(IsFirefoxClassAndTitle("MozillaWindowClass", "Firefox Nightly builds explained"));
  EXPECT_FALSE(IsFirefoxClassAndTitle("MozillaWindowClass", "Private Browsing"));
  EXPECT_FALSE(IsFirefoxClassAndTitle("Chrome_WidgetWin_1", "News - Firefox Nightly"));
  EXPECT_FALSE(IsFirefoxClassAndTitle("MozillaWindowClass", "My Private Browsing"));
}
