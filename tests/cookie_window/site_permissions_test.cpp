// The Firefox permission store of a legacy profile, hostperm.1, as the cookie window uses it.
#include <gtest/gtest.h>

#include "cookie_window/site_permissions.h"
#include "firefox/firefox_profile.h"
#include "support/test_support.h"

// Another program holds hostperm.1 so that it cannot be read: a change made in the window must
// not write the file back with that one rule alone.
TEST(SitePermissionsTest, AHostpermFileThatCannotBeReadIsNeverWrittenBack) {
  MessageBoxRecorder boxes;
  TempFolder temp;
  const TFFoxProfile saved = FFoxProfile();
  TFFoxProfile& p = FFoxProfile();
  p = TFFoxProfile();
  p.HostpermFile = temp.File("hostperm.1");
  const std::string text = "# Permission File\nhost\tcookie\t2\tads.example\n";
  WriteFileText(p.HostpermFile, text);
  HANDLE held = CreateFileA(p.HostpermFile.c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(LoadFirefoxPermissions());
  CloseHandle(held);
  EXPECT_FALSE(SetFirefoxPermission("shop.example", 'A'));
  CloseFirefoxPermissions();
  EXPECT_EQ(ReadFileText(p.HostpermFile), text);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text,
            "Load FireFox Permissions File failed... \r\nExecution will continue...");

  // Readable again: the change goes in beside the other site's rule.
  EXPECT_TRUE(LoadFirefoxPermissions());
  EXPECT_TRUE(SetFirefoxPermission("shop.example", 'A'));
  CloseFirefoxPermissions();
  EXPECT_EQ(ReadFileText(p.HostpermFile),
            "# Permission File\nhost\tcookie\t2\tads.example\nhost\tcookie\t1\tshop.example\n");
  FFoxProfile() = saved;
}
