// What the system calls of Windows' own tracks answer, as the report says it.
#include "system/windows_track_rules.h"

#include <gtest/gtest.h>

TEST(WindowsTrackRulesTest, EachChannelsAnswerBecomesItsLine) {
  const struct {
    unsigned long error;
    bool preview;
    const char* text;
    int level;
    bool always;
  } cases[] = {{0, false, "       cleared - System", 0, false},
               {5, true, "      to clear - System", 0, false},
               {5, false, " Access Denied - System", 3, true},
               {15022, false, "   not cleared - System", 0, false},  // an enabled debug log
               {1234, false, " -Error-1234     System", 3, true}};
  for (const auto& c : cases) {
    const ChannelLine line = EventChannelLine("System", c.error, c.preview);
    EXPECT_EQ(line.line.text, c.text);
    EXPECT_EQ(line.line.level, c.level) << c.text;
    EXPECT_EQ(line.always, c.always) << c.text;
  }
}

// A call that is missing, or Wine's stand-in for it, is "not available" at level 1; a call that
// is there and fails is an error.
TEST(WindowsTrackRulesTest, AMissingOrStubCallIsNotAvailable) {
  const struct {
    TrackLine line;
    int level;
    bool notAvailable;
  } cases[] = {{EventListingLine(false, false, 0), 1, true},
               {EventListingLine(true, false, 0), 1, true},  // Wine: no list and no error
               {EventListingLine(true, false, 120), 1, true},
               {EventListingLine(true, false, 1722), 3, false},
               {DnsFlushLine(false, false, false, false), 1, true},
               {DnsFlushLine(true, true, false, true), 1, true},  // Wine's success does nothing
               {DnsFlushLine(true, false, false, false), 3, false},
               {DnsFlushLine(true, false, false, true), 0, false},
               {ClipHistoryLine(false, true, false, true, true), 1, true},
               {ClipHistoryLine(true, false, false, false, false), 0, false},  // history off
               {ClipHistoryLine(true, true, false, true, false), 3, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.line.level, c.level) << c.line.text;
    EXPECT_EQ(c.line.text.ends_with("not available on this system."), c.notAvailable)
        << c.line.text;
  }
  EXPECT_TRUE(EventListingLine(true, true, 0).text.empty());
}
