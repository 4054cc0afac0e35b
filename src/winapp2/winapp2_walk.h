#pragma once
#include <string>
#include <vector>

// The folders and files a community entry's path names on this system.

// The existing folders a path pattern (UTF-8, variables expanded; wildcards in any level)
// names, as ANSI paths the file calls take. A wildcard level expands to the folders that exist;
// links and junctions are never walked into. `unreachable` gets what a wildcard matched but no
// ANSI name reaches.
std::vector<std::string> Winapp2Folders(const std::string& pattern,
                                        std::vector<std::string>* unreachable = nullptr);

// Whether the path (its last level may hold wildcards too, and may be a file or a folder)
// names something that exists: what DetectFile asks.
bool Winapp2PathExists(const std::string& pattern);

// The first level of an ANSI path below its root that is a link or junction; empty when none.
// What lies behind it is outside what the entry names.
std::string Winapp2LinkAlong(const std::string& folder);

// The masks of a key as the wide listing compares them: upper-cased as the system does.
std::vector<std::wstring> Winapp2WideMasks(const std::vector<std::string>& masks);
bool Winapp2WideMatch(const std::wstring& upperName, const std::vector<std::wstring>& upperMasks);
