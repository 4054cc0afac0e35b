#pragma once
#include <string>

#include "files/temp_protect.h"

// The process-wide temp protect list: loaded at the start of every purge run (and by the
// plugin selection window), saved and freed at its end.
TempProtectList& TempProtectEntries();
std::string TempProtectFile();  // data folder + "\quorvane.pit"

// Reads the file into the list; a missing file is an empty list. A file that exists but cannot
// be read leaves the list empty and marked `unreadable` (false).
bool LoadTempProtectList(TempProtectList& list = TempProtectEntries());
// Writes the list when it was modified (clearing the file's read-only attribute first) and
// empties it; false when the write failed or was refused because the list is unreadable.
bool SaveTempProtectList(TempProtectList& list = TempProtectEntries());

// The code of the process-wide list for a path and bare name ('p', 'i' or ' '), with the
// system's path wildcard match (PathMatchSpecA).
char MatchTempProtect(const std::string& fullPath, const std::string& bareName);
bool SystemWildcardMatch(const std::string& text, const std::string& pattern);
