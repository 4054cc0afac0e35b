#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

// "VaskBoot.dat", the folder list the program hands to VaskIndx.exe for the removal of the
// index files at the next Windows start: the product name, then ten folders, one a line.

// The ten folder lines in file order: cache, cookies, history, protected cache, protected
// cookies, protected history, user data, protected user data, DOM store, protected DOM store.
using BootFolders = std::array<std::string, 10>;

// The file's text: eleven lines, each ended by CR LF.
std::string BootListText(std::string_view product, const BootFolders& folders);

// The folders of lines 2 to 11 worth visiting: full local paths ("X:\..."), without one
// trailing backslash, each once (compared upper-cased). Empty lines, the user data folder's
// "... Not Found ..." text and anything else that is not such a path are left out.
std::vector<std::string> BootListFolders(std::string_view text);

// The history folders among them (lines 4 and 7), by the same rules. Their dated containers
// (daily and weekly history) are sub-folders with index files of their own.
std::vector<std::string> BootListHistoryFolders(std::string_view text);

// A dated history container's folder name: "MSHist" followed by digits only
// ("MSHist012026120120261208"), compared without regard to case.
bool IsDatedHistoryFolderName(std::string_view name);
