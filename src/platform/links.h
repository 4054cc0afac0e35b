#pragma once
#include <set>
#include <string>

// Symbolic links and junctions met while emptying a folder: they are removed themselves and
// never followed, so that nothing outside the folder being purged is touched.

// True when the process runs under Wine (ntdll exports wine_get_version).
bool RunningUnderWine();

// The path a handle on the file or folder resolves to (GetFinalPathNameByHandleA, loaded at
// run time: Windows XP lacks it); empty when unknown.
std::string FinalPathOf(const std::string& path);

// Under Wine, the symbolic links anywhere below a folder, as paths relative to it (backslash
// separated, names as the folder holds them), found in one pass by the system's "find" program;
// false when the scan could not be made. Wine shows a link to a file as a plain file, so this is
// how a folder purge knows it without opening every file.
bool ListLinksBelowUnderWine(const std::string& folder, std::set<std::string>& links);

// The reparse tag of a file or folder (from its directory entry); 0 when it has none or it cannot
// be read.
unsigned long ReparseTagOf(const std::string& path);

// The reparse tag of what an open handle names (GetFileInformationByHandleEx, loaded at run
// time: Windows XP lacks it); 0 when it has none or it cannot be read.
unsigned long ReparseTagOfHandle(void* handle);

// True when a file or folder with these attributes is a link by its reparse point (see
// IsLinkReparse); its tag is read only when the reparse attribute is set.
bool IsLinkByReparse(const std::string& path, unsigned long attributes);

// True when the file is a link: a name-surrogate reparse point, or under Wine (where a link to a
// file shows no reparse attribute) a file that resolves elsewhere than where it lies.
bool IsLinkToFile(const std::string& path);

// Removes the link itself, never its target. Returns 0 or the Windows error code.
unsigned long RemoveLinkItself(const std::string& path, bool isFolder);
