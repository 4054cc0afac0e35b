#include <gtest/gtest.h>

#include "platform/reparse_rules.h"

TEST(ReparseRules, OnlyNameSurrogatesAndWhatIsNoTagAreLinks) {
  constexpr unsigned long kReparse = 0x400, kDirectory = 0x10;
  const struct {
    unsigned long attributes, tag;
    bool link;
    const char* what;
  } cases[] = {
      {kReparse, 0xA000000C, true, "symbolic link"},
      {kReparse | kDirectory, 0xA0000003, true, "junction or mount point"},
      {kReparse | kDirectory, 0, true, "tag unknown"},
      {kReparse | kDirectory, 0x00B40000, true, "no tag (Wine's Unix links)"},
      {kReparse, 0x0000701A, true, "not a Microsoft tag"},
      {kReparse | kDirectory, 0x9000701A, false, "OneDrive cloud folder"},
      {kReparse, 0x9000001A, false, "cloud file"},
      {kReparse, 0x80000013, false, "deduplicated file"},
      {kReparse | kDirectory, 0x90001018, false, "container overlay (WCI)"},
      {kDirectory, 0xA000000C, false, "no reparse attribute"},
  };
  for (const auto& c : cases) EXPECT_EQ(IsLinkReparse(c.attributes, c.tag), c.link) << c.what;
}
