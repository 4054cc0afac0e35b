#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "core/option_set.h"
#include "core/report_context.h"
#include "files/temp_folder_rules.h"
#include "files/temp_protect.h"

// The "Temp Folders" purge: the candidate folders of the "  Temp Folders  " page and the
// recursive folder purge that the Firefox cache purge and plugin commands share.

// Validates the four candidates (and the system's temp path as a fallback) from the
// environment and the Windows folder; run at start-up and after the page's Apply.
void DiscoverTempFolders();
// The four candidates in page order: System, Windows, Old, BootDisk.
const std::array<TempCandidate, 4>& TempFolderCandidates();
const TempCandidate& FallbackTempFolder();

// The page's rows: each box's name, label text and whether the box can be used.
struct TempFolderLabel {
  std::string name;
  std::string text;
  bool enabled = true;
};
std::vector<TempFolderLabel> TempFolderLabels();

// The folders a run purges for the page's selection, duplicates removed.
std::vector<SelectedTempFolder> SelectTempFolders(const TempFolderSelection& selection);

// The body of "  Processing \"Temp Folders\"".
void PurgeTempFolders(ReportContext& ctx);

// The age filter of the "TempFolders" settings.
struct AgeFilter {
  bool on = false;
  int hours = 0;
};

// The result column texts a folder purge writes besides "deleted" and "to delete" (see
// DeleteResultText); the temp purge's by default.
struct FolderPurgeTexts {
  std::string protectedItem = "     Protected - ";
  std::string ignoreErrors = " Ignore Errors - ";
  std::string ignoreDirError = "Ignore Dir Err - ";
  std::string dirNotEmpty = " Dir Not Empty - ";
  // A file named as a shred names it before deletion: one that did not end (see shred_names.h).
  std::string shredFinished = "Shred finished - ";
};

// What one folder purge works on besides its root.
struct FolderPurgeOptions {
  std::string mask = "*.*";
  bool applyAgeFilter = false;  // spare files younger than the filter's hours (when it is on)
  AgeFilter age;
  const TempProtectList* protect = nullptr;  // null: the process-wide temp protect list
  FolderPurgeTexts texts;
};

// True when the protect list a folder purge would consult exists but could not be read: then
// nothing may be purged as if nothing were protected. Writes the one bypass line for `what`
// ("*** Error - Bypassed " + what + " processing as ...") and raises the level to 7.
bool BypassedForUnreadableProtectList(ReportContext& ctx, const FolderPurgeOptions& options,
                                      const std::string& what);

// Empties `folder` (the folder itself stays): files through DeleteDataFile, sub-folders
// depth first, protect and ignore entries honoured, links removed without being followed. A
// shred's leftover is taken whatever its age.
// Returns the number of items processed (also counted in the run). An unreadable protect
// list purges nothing (see above); callers that purge several folders check it once first.
long long PurgeFolderTree(ReportContext& ctx, const std::string& folder,
                          const FolderPurgeOptions& options);

// The age filter for one file's last-write time.
bool FileIsOldEnough(const FILETIME& lastWrite, bool apply, const AgeFilter& age);
