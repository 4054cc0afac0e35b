#include "core/option_set.h"

#include <string>

#include "core/text_util.h"

namespace {
using F = OptionField;
using G = OptionGroup;
constexpr std::array<OptionFieldInfo, kOptionFieldCount> kFields = {{
    {F::Cache, "CacheOption", "CacheOptionCheckBox", "FireFox Cache",
     "Select to Delete Cache Files", false, nullptr, nullptr, G::Firefox},
    {F::Cookies, "CookiesOption", "CookiesOptionCheckBox", "FireFox Cookies",
     "Select to Delete the unprotected Cookies", false, nullptr, nullptr, G::Firefox},
    {F::History, "HistoryOption", "HistoryOptionCheckBox", "FireFox History File",
     "Select to Delete History File", false, nullptr, nullptr, G::Firefox},
    {F::FFTypedUrls, "FFtypedURLs", "FFTypedURLsOptionCheckBox", "FireFox Typed URLs",
     "Select to Delete Typed URLs", false, nullptr, nullptr, G::Firefox,
     "For FireFox 3, and higher"},
    {F::Forms, "FormsOption", "FormsOptionCheckBox", "FireFox Forms History",
     "Select to Delete Forms History File and Search Bar History", false, nullptr, nullptr,
     G::Firefox},
    {F::Temp, "TempOption", "TempOptionCheckBox", "Temp Folders",
     "Select to Delete all files in Specified Temp Folders", false, nullptr, nullptr, G::Windows},
    {F::Visited, "VisitedOption", "VisitedCheckBox", "I.E. Visited URLs",
     "Select to Delete I.E. Visited URLs and Windows file History", false, nullptr, nullptr,
     G::InternetExplorer},
    {F::RecentLnks, "RecentLNKsOption", "RecentLNKsCheckBox", "Recent LNKs",
     "Select to Delete Recent Links (to documents)", false, nullptr, nullptr, G::Windows},
    {F::RecycleBin, "RecycleBinOption", "RecycleBinCheckBox", "Recycle Bin",
     "Select to Empty the Recycle Bin", false, nullptr, nullptr, G::Windows},
    {F::ClipBoard, "ClipBoardOption", "ClipBoardOptionCheckBox", "ClipBoard",
     "Select to Empty the Windows ClipBoard", false, nullptr, nullptr, G::Windows},
    {F::Plugins, "PluginsOption", "PluginsOptionCheckBox", "Run Plugins",
     "Select to Process selected Plugins", false, nullptr, nullptr, G::Other},
    {F::SecureDelete, "SecureDeleteOption", "SecureEraseRG1", "Secure Erase",
     "Select Secure Erase of deleted files", true, "No", "Yes", G::Other},
    {F::CompactSql, "CompactSqlOption", "CompactSqlRG2", "Compact Files",
     "Select to Compact the FireFox database files", true, "No", "Yes", G::Other},
    {F::Report, "ReportOpt", "ReportsRG1", "Reports", "Select Detail or Summary Reports", true,
     "Detail", "Summary", G::Other},
    {F::IECache, "IECacheOption", "IECacheOptionCheckBox", "I.E. Cache",
     "Select to Delete I.E. Cache Files", false, nullptr, nullptr, G::InternetExplorer},
    {F::IECookies, "IECookiesOption", "IECookiesOptionCheckBox", "I.E. Cookies",
     "Select to Delete the unprotected I.E. Cookies", false, nullptr, nullptr, G::InternetExplorer},
    {F::IEHistory, "IEHistoryOption", "IEHistoryOptionCheckBox", "I.E. History Folders",
     "Select to Delete I.E. History Folders", false, nullptr, nullptr, G::InternetExplorer},
    {F::IEUserData, "IEUserDataOption", "IEUserDataOptionCheckBox", "I.E. UserData",
     "Select to Clear the I.E. UserData Folder data", false, nullptr, nullptr, G::InternetExplorer},
    {F::IESearches, "IESearchesOption", "IESearchesOptionCheckBox", "I.E. Searches",
     "Select to Clear I.E. Previous Search data", false, nullptr, nullptr, G::InternetExplorer},
    {F::IETypedUrls, "IETypedURLsOption", "IETypedURLsOptionCheckBox", "I.E. Typed URLs",
     "Select to Clear I.E. Typed URLs", false, nullptr, nullptr, G::InternetExplorer},
    {F::IEStrays, "IEStraysOption", "IEStraysOptionCheckBox", "I.E. Strays",
     "Select to Delete I.E. Stray Cache and Cookie Files", false, nullptr, nullptr,
     G::InternetExplorer},
    {F::IEDomStore, "IEDOMstoreOption", "IEDOMstoreOptionCheckBox", "I.E. DOMstore",
     "Select to Delete I.E. DOM Store Files", false, nullptr, nullptr, G::InternetExplorer},
    {F::WipeFreeSpace, "WipeFreeOption", "WipeFreeSpaceCheckBox", "Wipe Free Space",
     "Select to Wipe the free space of the Temp folder's drive", false, nullptr, nullptr,
     G::Windows},
    {F::ChromiumHistory, "ChromiumHistoryOption", "ChromiumHistoryCheckBox", "Chromium History",
     "Select to Delete Chrome, Edge, Brave, Vivaldi and Opera History", false, nullptr, nullptr,
     G::Chromium},
    {F::ChromiumTypedUrls, "ChromiumTypedURLsOption", "ChromiumTypedURLsCheckBox",
     "Chromium Typed URLs", "Select to Delete Typed URLs of the Chromium browsers", false, nullptr,
     nullptr, G::Chromium},
    {F::ChromiumForms, "ChromiumFormsOption", "ChromiumFormsCheckBox", "Chromium Forms",
     "Select to Delete Forms History of the Chromium browsers", false, nullptr, nullptr,
     G::Chromium},
    {F::ChromiumCookies, "ChromiumCookiesOption", "ChromiumCookiesCheckBox", "Chromium Cookies",
     "Select to Delete the unprotected Cookies of the Chromium browsers", false, nullptr, nullptr,
     G::Chromium},
    {F::ChromiumCache, "ChromiumCacheOption", "ChromiumCacheCheckBox", "Chromium Cache",
     "Select to Delete Cache Files of the Chromium browsers", false, nullptr, nullptr, G::Chromium},
    {F::ChromiumSession, "ChromiumSessionOption", "ChromiumSessionCheckBox", "Chromium Session",
     "Select to Delete the saved Sessions and Tabs of the Chromium browsers", false, nullptr,
     nullptr, G::Chromium},
    {F::FFSession, "FFSessionOption", "FFSessionCheckBox", "FireFox Session",
     "Select to Delete the FireFox Session Restore files", false, nullptr, nullptr, G::Firefox},
    {F::Winapp2, "Winapp2Option", "Winapp2OptionCheckBox", "Community Cleaners",
     "Select to Run the Community Cleaners ticked in Tools, Community Cleaners", false, nullptr,
     nullptr, G::Other},
    {F::ExplorerMru, "ExplorerMruOption", "ExplorerMruCheckBox", "Explorer MRU Lists",
     "Select to Clear Explorer's Run, Search, Typed Path and File Dialog histories", false, nullptr,
     nullptr, G::Windows},
    {F::ThumbCache, "ThumbCacheOption", "ThumbCacheCheckBox", "Thumbnail Cache",
     "Select to Delete Explorer's Thumbnail and Icon Caches", false, nullptr, nullptr, G::Windows},
    {F::ErrorReports, "ErrorReportsOption", "ErrorReportsCheckBox", "Error Reports",
     "Select to Delete Windows Error Reports and Crash Dumps", false, nullptr, nullptr, G::Windows},
    {F::EventLogs, "EventLogsOption", "EventLogsCheckBox", "Event Logs",
     "Select to Clear every Windows Event Log (needs administrator rights)", false, nullptr,
     nullptr, G::Windows},
    {F::DnsCache, "DnsCacheOption", "DnsCacheCheckBox", "DNS Cache",
     "Select to Flush the DNS Resolver Cache", false, nullptr, nullptr, G::Windows},
    {F::ClipHistory, "ClipHistoryOption", "ClipHistoryCheckBox", "Clipboard History",
     "Select to Clear the Clipboard History (Windows 10 and later)", false, nullptr, nullptr,
     G::Windows},
}};

// A row left out would be read as a second "FireFox Cache" with no settings key.
constexpr bool EveryOptionHasItsRowInOrder() {
  for (int i = 0; i < kOptionFieldCount; ++i)
    if (static_cast<int>(kFields[i].field) != i || kFields[i].key == nullptr) return false;
  return true;
}
static_assert(EveryOptionHasItsRowInOrder(), "one row per OptionField, in its order");
}  // namespace

const std::array<OptionFieldInfo, kOptionFieldCount>& OptionFields() { return kFields; }
const OptionFieldInfo& InfoOf(OptionField f) { return kFields[static_cast<int>(f)]; }

OptionSet NormalisedOptionSet(const OptionSet& set) {
  OptionSet normal;
  for (const auto& info : OptionFields())
    normal[info.field] = info.isRadio ? (set[info.field] == 1 ? 1 : 0) : (set[info.field] != 0);
  return normal;
}

const char* GroupCaption(OptionGroup g) {
  static const char* const kCaptions[kOptionGroupCount] = {"Firefox", "Chromium",
                                                           "Internet Explorer", "Windows", "Other"};
  return kCaptions[static_cast<int>(g)];
}

int ClampRepeats(long long repeats) {
  if (repeats < 1) return 1;
  if (repeats > 99) return 99;
  return static_cast<int>(repeats);
}

int AgeHoursValue(const std::string& text) {
  long long v;
  if (!TryParseInt(text, v) || v < 0) return 0;
  return v > INT32_MAX ? INT32_MAX : static_cast<int>(v);
}

std::string NormalizeAgeHours(const std::string& text) {
  long long v;
  return TryParseInt(text, v) && v >= 0 ? text : "0";
}

std::string ShredSuffix(bool preview, bool secureErase, const ShredSettings& shred) {
  if (preview || !secureErase) return {};
  switch (shred.Method()) {
    case '0': return " with Quick Shred";
    case '1': return " with " + std::to_string(shred.repeats) + " Shred Operations";
    case '2': return " with " + std::to_string(shred.repeats + 1) + " Shred Operations";
    default: return {};
  }
}
