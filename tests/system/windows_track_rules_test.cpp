// What the system calls of Windows' own tracks answer, as the report says it.
#include "system/windows_track_rules.h"

#include <gtest/gtest.h>

namespace {
void ExpectLine(const TrackLine& got, const std::string& text, int level) {
  EXPECT_EQ(got.text, text);
  EXPECT_EQ(got.level, level) << text;
}
}  // namespace

TEST(WindowsTrackRulesTest, EachChannelsAnswerBecomesItsLine) {
  const struct {
    unsigned long error;
    bool preview;
    const char* text;
    int level;
    bool always;
  } cases[] = {
      {0, false, "       cleared - System", 0, false},
      {5, true, "      to clear - System", 0, false},
      {5, false, " Access Denied - System", 3, true},
      {15022, false, "   not cleared - System", 0, false},
      {15007, false, "   not cleared - System", 0, false},
      {1234, false, " -Error-1234     System", 3, true},
  };
  for (const auto& c : cases) {
    const ChannelLine line = EventChannelLine("System", c.error, c.preview);
    ExpectLine(line.line, c.text, c.level);
    EXPECT_EQ(line.always, c.always) << c.text;
  }
}

TEST(WindowsTrackRulesTest, AMissingOrStubCallIsNotAvailableAtLevelOne) {
  const std::string logsNotAvailable = "  \"Event Logs\" not available on this system.";
  ExpectLine(EventListingLine(false, false, 0), logsNotAvailable, 1);
  ExpectLine(EventListingLine(true, false, 0), logsNotAvailable, 1);  // Wine's stub
  ExpectLine(EventListingLine(true, false, 120), logsNotAvailable, 1);
  ExpectLine(EventListingLine(true, true, 0), "", 0);
  ExpectLine(EventListingLine(true, false, 1722),
             " -Error- Event Logs:  channels could not be listed - error 1722", 3);

  const std::string dnsNotAvailable = "  \"DNS Cache\" not available on this system.";
  ExpectLine(DnsFlushLine(false, false, false, false), dnsNotAvailable, 1);
  ExpectLine(DnsFlushLine(true, true, false, true), dnsNotAvailable, 1);  // Wine's stub
  ExpectLine(DnsFlushLine(true, false, true, false),
             "  \"Flush DNS Cache\" Function bypassed for Preview.", 0);
  ExpectLine(DnsFlushLine(true, false, false, true), "  \"Flush DNS Cache\" Function Completed.", 0);
  ExpectLine(DnsFlushLine(true, false, false, false),
             " -Error- DNS Cache:  not flushed - the DNS Client did not answer", 3);

  ExpectLine(ClipHistoryLine(false, true, false, true, true),
             "  \"Clipboard History\" not available on this system.", 1);
  ExpectLine(ClipHistoryLine(true, false, false, false, false),
             "    Clipboard history is turned off: nothing to clear.", 0);
  ExpectLine(ClipHistoryLine(true, true, true, false, false),
             "  \"Clear Clipboard History\" Function bypassed for Preview.", 0);
  ExpectLine(ClipHistoryLine(true, true, false, true, true),
             "  \"Clear Clipboard History\" Function Completed.", 0);
  ExpectLine(ClipHistoryLine(true, true, false, true, false),
             " -Error- Clipboard History:  not cleared", 3);
}
