#include "system/windows_track_rules.h"

#include "core/report_rules.h"

const std::vector<ExplorerList>& ExplorerLists() {
  static const std::vector<ExplorerList> kLists = {
      {"RunMRU", false},
      {"TypedPaths", false},
      {"WordWheelQuery", false},
      {"RecentDocs", true},
      {"ComDlg32\\OpenSavePidlMRU", true},
      {"ComDlg32\\LastVisitedPidlMRU", false},
      {"ComDlg32\\OpenSaveMRU", true},  // Windows XP's, also one sub-key per extension
      {"ComDlg32\\LastVisitedMRU", false},
      {"Map Network Drive MRU", false},
      {"Doc Find Spec MRU", false},
      {"FindComputerMRU", false},
      {"PrnPortsMRU", false},
  };
  return kLists;
}

TrackLine NotAvailableLine(const std::string& caption) {
  return {"  \"" + caption + "\" not available on this system.", 1};
}

ChannelLine EventChannelLine(const std::string& channel, unsigned long error, bool preview) {
  if (preview) return {{"      to clear - " + channel, 0}};
  switch (error) {
    case 0: return {{"       cleared - " + channel, 0}};
    // An analytic or debug log that is enabled cannot be cleared while it is, by design; one
    // the system lists but no longer has is nothing to clear.
    case 15022:  // ERROR_EVT_INVALID_OPERATION_OVER_ENABLED_DIRECT_CHANNEL
    case 15007:  // ERROR_EVT_CHANNEL_NOT_FOUND
      return {{"   not cleared - " + channel, 0}};
    case 5: return {{std::string(result_text::kAccessDenied) + channel, 3}, true};
    default:
      return {
          {ResultColumn(" -Error-" + std::to_string(error) + std::string(17, ' ')) + channel, 3},
          true};
  }
}

TrackLine EventListingLine(bool callsFound, bool listed, unsigned long listError) {
  if (listed) return {};
  // Wine's channel listing is a stub that gives no list and sets no error; "not implemented"
  // says the same.
  if (!callsFound || listError == 0 || listError == 120) return NotAvailableLine("Event Logs");
  return {" -Error- Event Logs:  channels could not be listed - error " + std::to_string(listError),
          3};
}

TrackLine DnsFlushLine(bool callFound, bool underWine, bool preview, bool flushed) {
  if (!callFound || underWine) return NotAvailableLine("DNS Cache");
  if (preview) return {"  \"Flush DNS Cache\" Function bypassed for Preview.", 0};
  if (flushed) return {"  \"Flush DNS Cache\" Function Completed.", 0};
  return {" -Error- DNS Cache:  not flushed - the DNS Client did not answer", 3};
}

TrackLine ClipHistoryLine(bool factoryFound, bool enabled, bool preview, bool callOk,
                          bool cleared) {
  if (!factoryFound) return NotAvailableLine("Clipboard History");
  if (!enabled) return {"    Clipboard history is turned off: nothing to clear.", 0};
  if (preview) return {"  \"Clear Clipboard History\" Function bypassed for Preview.", 0};
  if (callOk && cleared) return {"  \"Clear Clipboard History\" Function Completed.", 0};
  return {" -Error- Clipboard History:  not cleared", 3};
}

TrackLine NeedsAdminLine(const std::string& caption) {
  return {"  \"" + caption + "\" not processed - it needs administrator rights.", 1};
}
