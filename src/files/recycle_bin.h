#pragma once
#include <string>
#include <vector>

#include "core/report_context.h"

// "Shell32.dll" can be loaded and exports SHEmptyRecycleBinA; the library is released at once.
bool RecycleBinAvailable();

// "Recycle Bin": empties the bin of every drive through the shell, without asking, showing
// progress or playing a sound. Bypassed in a Preview. Completed when the bin is empty
// afterwards (an already empty bin too); an error line when anything is left.
void EmptyRecycleBin(ReportContext& ctx);

// The current user's own bin folders: on Windows the folder named by the user's SID in each
// fixed drive's "$Recycle.Bin" or "RECYCLER"; under Wine also the Linux user's XDG trash
// ($XDG_DATA_HOME/Trash/files).
std::vector<std::string> RecycleBinFolders();

// Removes every link and junction inside a folder tree (the link itself, never what it points
// at) without entering any. True when none is left.
bool RemoveLinksInTree(const std::string& folder);
