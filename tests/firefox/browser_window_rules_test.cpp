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
