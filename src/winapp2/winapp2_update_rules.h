#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "winapp2/winapp2_file.h"

// What an update of the community cleaning database may take and what it changed, as pure
// logic.

// The entries a newer file adds and the ones it no longer has, by name, each list in its file's
// order. Names are compared exactly: the selection file keeps a tick by its exact name, so an
// entry whose name changed only in case loses its tick and shows as removed and added.
struct Winapp2Changes {
  std::vector<std::string> added, removed;
};
Winapp2Changes CompareWinapp2(const Winapp2Database& before, const Winapp2Database& after);

// Why downloaded bytes must not replace the file (a web page, an empty or a mostly unreadable
// file, one without entries); empty when they may.
std::string Winapp2DownloadProblem(std::string_view bytes, const Winapp2Database& parsed);

// Whether an address is one the update downloads from (http:// or https://).
bool IsWinapp2UpdateAddress(std::string_view address);

// What the user reads once the new file is in place. `hadFile`: a file was there before.
std::string Winapp2ChangeText(const Winapp2Database& before, bool hadFile,
                              const Winapp2Database& after, const Winapp2Changes& changes);
