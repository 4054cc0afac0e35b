#pragma once
#include <string>

#include "cookies/keep_list.h"

// The keep-list files: Quorvane.Dat (Firefox; beside the executable with "FFdatExe") and
// IEcookie.dat (Internet Explorer, both the normal and the protected-mode stores).

// At start-up, outside CD mode: both files exist afterwards (empty when new). Errors are
// swallowed.
void EnsureKeepListFiles();
// Folds an old separate protected-mode list, IEprMode.dat, into IEcookie.dat and deletes it.
// Paths come from FirefoxKeepListFile() and IeKeepListFile() (app/folders.h).
void MergeLegacyIeKeepList(const std::string& dataFolder);

// Reads the list's file. A missing file is an empty list; a file that cannot be read leaves
// the list empty with loaded = false (false returned), so that it is never written back.
bool LoadKeepList(KeepList& list);
// Writes a modified list that loaded, clearing a read-only attribute when the first write
// fails; a second failure shows a message. The list is unmodified afterwards in every case.
void SaveKeepList(KeepList& list);
