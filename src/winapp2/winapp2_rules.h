#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "winapp2/winapp2_file.h"

// What a community entry may reach and what it keeps, as pure logic.

// Whether a file name is taken by a mask: the whole name, "*" and "?" as wildcards, without
// regard to case (the caller hands both sides folded the same way, as the system folds them).
// "*" takes every name, exactly as "*.*" does.
bool Winapp2MaskMatch(std::wstring_view name, std::wstring_view mask);
bool Winapp2MaskMatch(std::string_view name, std::string_view mask);
// A mask that takes every file: "*", "*.*" and the like.
bool TakesEveryFile(std::string_view mask);

// The folders a FileKey may not empty, each full, upper-cased, without a trailing backslash:
// `whole` may not be emptied as a whole nor removed (the Windows, system, Program Files, Users
// and profile folders, the data folder); `noWalk` may not be walked down either (the Windows,
// system and Program Files folders). Drive roots are both, always.
struct Winapp2Refusals {
  std::vector<std::string> whole, noWalk;
};

// Whether a folder (upper-cased as the list is) is one of the list's, a trailing backslash aside.
// Called for every folder an entry names: it compares the texts as they are, folding no more
// than ASCII letters.
bool Winapp2FolderListed(std::string_view folder, const std::vector<std::string>& list);

// Why a FileKey must not run on a folder its path pattern names before the folder wildcards are
// expanded: a wildcard among a drive's own folders would reach every one of them.
std::string Winapp2PatternProblem(const std::string& pattern);
// Why the FileKey must not run on one folder its path named (wildcards expanded); empty when
// it may. Single files named in such a folder run; a mask that takes every file, REMOVESELF
// and RECURSE from a drive root or the no-walk folders do not.
std::string Winapp2FolderProblem(const std::string& folder, const Winapp2FileKey& key,
                                 const Winapp2Refusals& refusals);

// Why a RegKey must not run: a hive's root or its Software key deleted whole.
std::string Winapp2RegKeyProblem(const Winapp2RegKey& key);

// A browser's cookie or history database (with its journal files): those go through the
// browser boxes, which honour the keep list and keep bookmarks, never through an entry.
bool IsBrowserDatabaseName(std::string_view name);
// A mask (not one that takes every file) that names such a database: the key is skipped, and
// the window marks its entry as covered by the browser options.
bool MaskReachesBrowserDatabase(std::string_view mask);
bool EntryReachesBrowserDatabase(const Winapp2Entry& entry);

// An exclusion with its folder expanded (File, Path) or its key (Reg).
struct Winapp2Keep {
  Winapp2Exclude::Kind kind = Winapp2Exclude::File;
  std::string folder;  // full, without a trailing backslash
  std::vector<std::string> masks;
  std::string key, value;  // Reg: the key as "HKCU\..." and the value
  bool hasValue = false;
};
// Whether a file (full path, its folder and name) is kept by one of the exclusions.
bool Winapp2FileKept(std::string_view folder, std::string_view name,
                     const std::vector<Winapp2Keep>& keeps);
// Whether a registry key is kept whole (an exclusion names it or a key above it), or one value
// of it (its key is kept whole, or the exclusion names that value).
bool Winapp2KeyKept(std::string_view key, const std::vector<Winapp2Keep>& keeps);
bool Winapp2ValueKept(std::string_view key, std::string_view value,
                      const std::vector<Winapp2Keep>& keeps);
// Whether an exclusion names something inside this key, a sub-key or a value: then the key
// itself stays, and only what is not kept inside it goes.
bool Winapp2KeepsBelow(std::string_view key, const std::vector<Winapp2Keep>& keeps);
