#include "run/purge_table.h"

#include "chromium/chromium_purge.h"
#include "files/clipboard_clear.h"
#include "files/recent_links.h"
#include "files/recycle_bin.h"
#include "files/temp_folders.h"
#include "files/windows_caches.h"
#include "firefox/cookie_purge.h"
#include "firefox/firefox_profile.h"
#include "firefox/history_purge.h"
#include "firefox/session_purge.h"
#include "ie/cache_purge.h"
#include "ie/ie_strays.h"
#include "ie/ie_typed_urls.h"
#include "plugins/plugin_engine.h"
#include "system/explorer_mru.h"
#include "system/system_tracks.h"
#include "winapp2/winapp2_catalog.h"
#include "wipe/free_space_wipe.h"

void PurgeRecentLinks(ReportContext& ctx) { PurgeRecentLinksIn(ctx, FFoxProfile().RecentFolder); }

namespace {
using F = OptionField;
constexpr unsigned kFirefox = kNeedsFirefoxClosed, kIe = kNeedsIeClosed,
                   kChromium = kNeedsChromiumClosed;
// A new purge is one row here, its function and its test: the option page, the settings file,
// the browser marks and the run all read this table and the option table.
const PurgeFunctionTable kFunctions = {
    {F::Cache, "  Processing \"FireFox Cache\"", PurgeFirefoxCache, kFirefox},
    {F::Cookies, "  Processing \"FireFox Cookies\"", PurgeFirefoxCookies, kFirefox},
    {F::FFTypedUrls, "  Processing \"FireFox Typed URLs\"", PurgeFirefoxTypedUrls, kFirefox},
    {F::History, "  Processing \"FireFox History File\"", PurgeFirefoxHistory, kFirefox},
    {F::Forms, "  Processing \"FireFox Forms History\"", PurgeFirefoxForms, kFirefox},
    {F::FFSession, "  Processing \"FireFox Session\"", PurgeFirefoxSession, kFirefox},
    {F::ChromiumCache, "  Processing \"Chromium Cache\"", PurgeChromiumCache, kChromium},
    {F::ChromiumCookies, "  Processing \"Chromium Cookies\"", PurgeChromiumCookies, kChromium},
    {F::ChromiumTypedUrls, "  Processing \"Chromium Typed URLs\"", PurgeChromiumTypedUrls,
     kChromium},
    {F::ChromiumHistory, "  Processing \"Chromium History\"", PurgeChromiumHistory, kChromium},
    {F::ChromiumForms, "  Processing \"Chromium Forms\"", PurgeChromiumForms, kChromium},
    {F::ChromiumSession, "  Processing \"Chromium Session\"", PurgeChromiumSession, kChromium},
    {F::Temp, "  Processing \"Temp Folders\"", PurgeTempFolders},
    {F::Visited, "  Processing \"I.E. Visited URLs\"", PurgeIeVisited, kIe},
    {F::IECache, "  Processing \"I.E. Cache\"", PurgeIeCache, kIe},
    {F::IECookies, "  Processing \"I.E. Cookies\"", PurgeIeCookies, kIe},
    {F::IEHistory, "  Processing \"I.E. History Folders\"", ClearIeHistoryFolders, kIe},
    {F::IEUserData, "  Processing \"I.E. UserData\"", PurgeIeUserData, kIe},
    {F::IEDomStore, "  Processing \"I.E. DOMstore\"", PurgeIeDomStore, kIe},
    {F::IESearches, "  Processing \"I.E. Searches\"", ClearSearches, kIe},
    {F::IETypedUrls, "  Processing \"I.E. Typed URLs\"", ClearTypedUrls, kIe},
    {F::IEStrays, "  Processing \"I.E. Strays\"", PurgeIeStrays, kIe},
    {F::RecentLnks, "  Processing \"Recent LNKs\"", PurgeRecentLinks},
    {F::RecycleBin, "  Processing \"Recycle Bin\"", EmptyRecycleBin},
    {F::ClipBoard, "  Clearing Windows ClipBoard", ClearClipboard},
    {F::ExplorerMru, "  Processing \"Explorer MRU Lists\"", PurgeExplorerMru},
    {F::ThumbCache, "  Processing \"Thumbnail Cache\"", PurgeThumbnailCache},
    {F::ErrorReports, "  Processing \"Error Reports\"", PurgeErrorReports},
    {F::EventLogs, "  Processing \"Event Logs\"", ClearEventLogs, kNeedsAdmin},
    {F::DnsCache, "  Processing \"DNS Cache\"", FlushDnsCache},
    {F::ClipHistory, "  Processing \"Clipboard History\"", ClearClipboardHistory},
    {F::Plugins, "  Processing \"Plugins\"", RunSelectedPlugins},
    {F::Winapp2, "  Processing \"Community Cleaners\"", RunCommunityCleaners},
    // Last: the files the other functions deleted are then free space too.
    {F::WipeFreeSpace, "  Processing \"Wipe Free Space\"", WipeTempDriveFreeSpace},
};
}  // namespace

const PurgeFunctionTable& PurgeFunctions() { return kFunctions; }

std::vector<OptionField> AdminOptions() {
  std::vector<OptionField> fields;
  for (const PurgeFunctionEntry& e : kFunctions)
    if (e.needs & kNeedsAdmin) fields.push_back(e.option);
  return fields;
}

bool HinderedByRunningBrowser(const PurgeFunctionEntry& entry, const RunningBrowsers& running) {
  return ((entry.needs & kNeedsFirefoxClosed) && running.firefox) ||
         ((entry.needs & kNeedsIeClosed) && running.ieOrMsn) ||
         ((entry.needs & kNeedsChromiumClosed) && running.chromium);
}
