#pragma once
#include <array>
#include <string>

// The fields of one run mode's option set, in the order they are written to the file.
enum class OptionField {
  Cache,
  Cookies,
  History,
  FFTypedUrls,
  Forms,
  Temp,
  Visited,
  RecentLnks,
  RecycleBin,
  ClipBoard,
  Plugins,
  SecureDelete,
  CompactSql,
  Report,
  IECache,
  IECookies,
  IEHistory,
  IEUserData,
  IESearches,
  IETypedUrls,
  IEStrays,
  IEDomStore,
  WipeFreeSpace,
  ChromiumHistory,
  ChromiumTypedUrls,
  ChromiumForms,
  ChromiumCookies,
  ChromiumCache,
  ChromiumSession,
  FFSession,
  Winapp2,
  ExplorerMru,
  ThumbCache,
  ErrorReports,
  EventLogs,
  DnsCache,
  ClipHistory,
  Count,  // not an option: how many there are
};
constexpr int kOptionFieldCount = static_cast<int>(OptionField::Count);

// The labelled box a check box sits in on the option page; radio groups sit in a row of their
// own below, whatever their group says.
enum class OptionGroup { Firefox, Chromium, InternetExplorer, Windows, Other };
constexpr int kOptionGroupCount = 5;
const char* GroupCaption(OptionGroup g);

struct OptionFieldInfo {
  OptionField field;
  const char* key;      // settings key
  const char* control;  // control name on the option frame
  const char* caption;  // what the user reads
  const char* hint;     // status-bar hint
  bool isRadio;         // radio group (int 0/1) rather than a check box (bool)
  const char* choice0;  // radio captions, index 0 and 1
  const char* choice1;
  OptionGroup group;
  const char* note = nullptr;  // a line shown under the box
};

const std::array<OptionFieldInfo, kOptionFieldCount>& OptionFields();
const OptionFieldInfo& InfoOf(OptionField f);

// One run mode's selection: check boxes are 0/1, radio groups hold the chosen index.
struct OptionSet {
  std::array<int, kOptionFieldCount> values{};
  int& operator[](OptionField f) { return values[static_cast<int>(f)]; }
  int operator[](OptionField f) const { return values[static_cast<int>(f)]; }
  bool operator==(const OptionSet&) const = default;
};

// The set as an option page holds it: a box ticked or not, a radio group on its second choice
// or not.
OptionSet NormalisedOptionSet(const OptionSet& set);

// Display policy of an automatic mode.
struct DisplayPolicy {
  int splashOpt = 0;   // 0 Enable, 1 Disable
  int mainWinOpt = 0;  // 0 Enable, 1 on any error, 2 on severe error, 3 Disable
  int shutType = 0;    // ShutOptions only: 0 Logoff .. 5 Hibernate
};

// Secure-erase settings, global to all modes.
struct ShredSettings {
  std::string thoroughness = "0";  // only the first character counts
  int repeats = 1;                 // 1..99
  char Method() const { return thoroughness.empty() ? '\0' : thoroughness[0]; }
};
int ClampRepeats(long long repeats);

// Which temp folders the Temp Folders purge takes, and its age filter.
struct TempFolderSelection {
  bool tmpDir = false;  // "System Temp"
  bool dosDir = false;  // "Windows Temp"
  bool winDir = false;  // "Old Temp"
  bool volDir = false;  // "BootDisk Temp"
  bool ageTemp = true;
  std::string ageHours = "8";
};
// The age in hours as the purge uses it: the text as an integer, 0 for anything else.
int AgeHoursValue(const std::string& text);
// The text as the hours edit shows it: unchanged when it is a number of 0 or more, else "0".
std::string NormalizeAgeHours(const std::string& text);

// The four one-letter message choices of "ShowOption".
struct MessageChoices {
  std::string cookieMsgOpt = "N";
  std::string ffCookieMsgOpt = "N";
  std::string quickStartOpt = "S";
  std::string win8WarningOpt = "S";
};

struct FontSetting {
  std::string name;
  int size = 0;
  int style = 0;  // bold 1, italic 2, underline 4, strike-out 8
};
struct FontSettings {
  FontSetting main{"Courier New", 9, 0};
  FontSetting cookies{"MS Sans Serif", 10, 0};
};

// Shred suffix of the status title during a run.
std::string ShredSuffix(bool preview, bool secureErase, const ShredSettings& shred);
