#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Rules of the "Temp Folders" purge that need no system: which candidate folders are safe,
// which are purged, and what a failed deletion reports.

enum TempFolderStatus { kTempValid = 0, kTempNotFound = 1, kTempUnsafe = 2 };

// One candidate folder of the "  Temp Folders  " page.
struct TempCandidate {
  std::string name;   // "System Temp", ...
  std::string path;   // upper case, long form, no trailing backslash; empty when none
  std::string shown;  // what the page shows in place of the path ("... Not Found ...")
  int status = kTempNotFound;
  std::string reason;
  bool enabled = true;  // its check box can be used
  char drive = 'C';
};

// A folder may be emptied only when its name says it is a temp folder: at least 4
// characters, a ':' and a backslash, and the last five characters "\TEMP" (waived by
// ANYTEMP). The path is upper case.
bool IsSafeTempPath(std::string_view path, bool anyTemp);
// Upper case, without a trailing backslash.
std::string NormalizeTempPath(std::string_view path);
// Status and reason of a normalised path: empty, unsafe, missing or valid.
void ClassifyTempCandidate(TempCandidate& c, bool exists, bool anyTemp);
// Windows Temp and what follows from it. BootDisk Temp is the drive of Windows Temp + ":\temp"
// (made a candidate by `validate`), offered only when Windows Temp was found valid; otherwise
// not found, shown as "... Path Not Found ...". Only then, on Vista and later, a Windows Temp
// the user cannot list (no elevation) is lowered to not found and disabled: that refusal is
// about Windows Temp alone and must not take BootDisk Temp with it.
void SettleWindowsTemp(TempCandidate& windowsTemp, TempCandidate& bootDisk, bool vista,
                       bool windowsTempListable,
                       const std::function<TempCandidate(const std::string&)>& validate);
// The page's label: the path (or its stand-in), then "  [" + reason + "]" when there is one.
std::string TempCandidateLabel(const TempCandidate& c);

struct SelectedTempFolder {
  std::string name;
  std::string path;
};
// System, Windows, Old, BootDisk in that order: each valid, selected candidate once (a path
// already taken is skipped); when none, the valid fallback alone, named "System Temp".
std::vector<SelectedTempFolder> SelectTempFolders(const std::array<TempCandidate, 4>& candidates,
                                                  const std::array<bool, 4>& selected,
                                                  const TempCandidate& fallback);

// What a failed deletion in the temp purge reports: the 17-character result text, the level
// it raises (0: none), and whether it marks a locked file.
struct TempDeleteResult {
  std::string text;
  int level = 0;
  bool locked = false;
};
TempDeleteResult TempDeleteError(unsigned long code, bool ignoreErrors);

// Whole hours from a file time to now (both in 100-ns units), fraction dropped.
int64_t WholeHoursBetween(uint64_t fileTime, uint64_t now);
// The age filter: a file is old enough when the filter does not apply, or when it is at
// least `hours` old; a zero (invalid) time counts as old enough.
bool OldEnough(uint64_t fileTime, uint64_t now, bool apply, bool filterOn, int hours);
