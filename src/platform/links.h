#pragma once
#include <string>

// Symbolic links and junctions met while emptying a folder: they are removed themselves and
// never followed, so that nothing outside the folder being purged is touched.

// True when the process runs under Wine (ntdll exports wine_get_version).
bool RunningUnderWine();

// The path a handle on the file or folder resolves to (GetFinalPathNameByHandleA, loaded at
// run time: Windows XP lacks it); empty when unknown.
std::string FinalPathOf(const std::string& path);

// Removes the link itself, never its target. Returns 0 or the Windows error code.
unsigned long RemoveLinkItself(const std::string& path, bool isFolder);
