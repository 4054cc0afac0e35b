#pragma once
#include <string>
#include <vector>

// Rules of the purges of Windows' own tracks (Explorer's lists, event logs, the DNS cache, the
// clipboard history) that need no system: what the calls' answers become in the report.

// A line of the report and the level it raises the run to (0: unchanged).
struct TrackLine {
  std::string text;
  int level = 0;
};

// The lists Explorer and the common file dialogs keep under HKCU\<kExplorerKey>: every value
// of the key goes; `subkeys`: its sub-keys go too (RecentDocs keeps one per file type, the Pidl
// dialogs' list one per extension).
inline constexpr const char* kExplorerKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
struct ExplorerList {
  const char* key;  // below kExplorerKey
  bool subkeys;
};
const std::vector<ExplorerList>& ExplorerLists();
// UserAssist keeps its counts in the "Count" key of each of its {GUID} sub-keys.
inline constexpr const char* kUserAssistKey = "UserAssist";

// "not available" line of a purge whose system call this Windows (or Wine) lacks: level 1, the
// user ticked something that could not be done here.
TrackLine NotAvailableLine(const std::string& caption);

// The line of one event-log channel that EvtClearLog answered `error` for (0: cleared), and
// whether it belongs in a Summary report too.
struct ChannelLine {
  TrackLine line;
  bool always = false;
};
ChannelLine EventChannelLine(const std::string& channel, unsigned long error, bool preview);
// What became of the channel listing: `callsFound` wevtapi and its four calls were there,
// `listed` EvtOpenChannelEnum gave a list, else `listError` its error. Empty text: go on.
TrackLine EventListingLine(bool callsFound, bool listed, unsigned long listError);

// The flush of the resolver cache. Wine keeps no resolver cache: its flush call answers success
// having done nothing, so there it is "not available" too.
TrackLine DnsFlushLine(bool callFound, bool underWine, bool preview, bool flushed);

// The clearing of the clipboard history: `factoryFound` the system could give the clipboard's
// history calls (Windows 10 1809 and later), `enabled` the user keeps a history,
// `callOk` ClearHistory answered without error, `cleared` what it answered.
TrackLine ClipHistoryLine(bool factoryFound, bool enabled, bool preview, bool callOk, bool cleared);

// A purge that needs administrator rights, ticked in a run without them.
TrackLine NeedsAdminLine(const std::string& caption);
