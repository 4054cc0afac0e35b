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

// True when `path`, the entry `name` of a folder whose resolved path (FinalPathOf) is
// `folderFinal`, resolves elsewhere than to that folder's entry of that name: a link that shows
// no reparse point, as a link to a file does under Wine. False when either side is unknown.
bool ResolvesElsewhere(const std::string& path, const std::string& folderFinal,
                       const std::string& name);

// True when the file is a link: a name-surrogate reparse point, or under Wine (where a link to a
// file shows no reparse attribute) a file that resolves elsewhere than where it lies. With
// `attributes` as the caller read them; without, a file that cannot be reached is no link.
bool IsLinkToFile(const std::string& path, unsigned long attributes);
bool IsLinkToFile(const std::string& path);

// The links to files anywhere below a folder a purge walks. Under Wine such a link looks like a
// plain file, and deleting it deletes what it points at: they come from one scan of the folder,
// or, when the scan cannot be made, from each file's resolved path. Elsewhere, and in a
// Preview, which deletes nothing, nothing is looked for: a reparse point tells.
class FileLinksBelow {
 public:
  FileLinksBelow(const std::string& root, bool purging);
  // What Has needs of a folder of the walk: its resolved path when each file is checked, else
  // nothing.
  std::string FolderFinal(const std::string& folder) const;
  // True when the file at `path` (`relative` below the root; `name` in its folder, whose
  // FolderFinal is `folderFinal`) is such a link.
  bool Has(const std::string& relative, const std::string& path, const std::string& name,
           const std::string& folderFinal) const;

 private:
  bool known_ = false, checkEach_ = false;
  std::set<std::string> links_;
};

// Removes the link itself, never its target. Returns 0 or the Windows error code.
unsigned long RemoveLinkItself(const std::string& path, bool isFolder);
