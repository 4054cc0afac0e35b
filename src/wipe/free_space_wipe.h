#pragma once
#include <cstdint>
#include <string>

#include "core/report_context.h"
#include "wipe/wipe_rules.h"

// Wiping a drive's free space: a folder of the wipe's own at the drive's root is filled with
// files of zeros until the disk refuses more, then everything in it is removed again. What was
// deleted before (by a browser, a user, a plain purge) is overwritten where it still lay.

// "C:\" for the letter C.
std::string DriveRoot(char letter);
// The drive of the Temp folder ("C:\"); empty when it has no drive letter.
std::string TempFolderDrive();
// Why the drive may not be wiped, from another wipe running on it, its type and free space;
// empty when it may.
std::string WipeRefusalOf(const std::string& root);

// Wipes the free space of the drive (root "C:\") unless it is refused. One wipe of a drive runs at
// a time: another, in this process or another, is refused.
WipeSummary WipeFreeSpace(const std::string& root, const WipeOptions& options = {});
// The fill and its removal in the wipe folder under `parent`, with no drive checks; refused, as
// above, while another wipe of `parent` runs.
WipeSummary FillAndRemove(const std::string& parent, const WipeOptions& options);

// Removes the wipe folder under `parent` (a drive's root), as a wipe that was cut off left it:
// its fill files, then the folder. Anything else in it, and a folder that is a link, is left
// alone. True when no wipe folder is left.
bool RemoveWipeFolder(const std::string& parent);
// At start-up: the same on every local fixed drive, but for a drive a wipe is running on.
void RemoveLeftoverWipeFolders();

// "Wipe Free Space" of a run: the drive of the Temp folder, after every other function.
void WipeTempDriveFreeSpace(ReportContext& ctx);
