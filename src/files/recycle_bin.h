#pragma once
#include <string>
#include <vector>

#include "core/report_context.h"

// "Shell32.dll" can be loaded and exports SHEmptyRecycleBinA; the library is released at once.
bool RecycleBinAvailable();

// "Recycle Bin": empties the bin of every drive through the shell, without asking, showing
// progress or playing a sound. Bypassed in a Preview.
void EmptyRecycleBin(ReportContext& ctx);

// The folders that hold the bin's files: on Windows each fixed drive's "$Recycle.Bin",
// "RECYCLER" or "RECYCLED"; under Wine the Linux user's XDG trash ($XDG_DATA_HOME/Trash/files).
std::vector<std::string> RecycleBinFolders();

// Removes every link and junction inside a folder tree (the link itself, never what it points
// at) without entering any. True when none is left.
bool RemoveLinksInTree(const std::string& folder);
