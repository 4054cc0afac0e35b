#pragma once
#include <set>
#include <string>
#include <vector>

#include "core/report_context.h"
#include "winapp2/winapp2_file.h"
#include "winapp2/winapp2_system.h"

// The community cleaning files of the data folder, read and detected: what the window lists
// and the "Community Cleaners" box runs.

std::string Winapp2FilePath();          // data folder + "\Winapp2.ini"
std::string Winapp3FilePath();          // data folder + "\Winapp3.ini", the aggressive entries
std::string Winapp2SelectionFilePath();  // data folder + "\Winapp2.sel"

struct Winapp2Listed {
  const Winapp2Entry* entry = nullptr;
  std::string group;    // Winapp2GroupName, or the aggressive group
  bool covered = false;  // reaches a browser's database: its keys there are left to the browser boxes
};

struct Winapp2Catalog {
  Winapp2Database database;  // both files' entries, the aggressive ones last
  std::vector<Winapp2Listed> detected;  // in file order
  size_t total = 0;                     // entries loaded from both files
  std::string problem;  // the main file is missing or unreadable; empty when it loaded
  // Both files' line problems, "Winapp2.ini line N: ..." / "Winapp3.ini line N: ...".
  std::vector<std::string> problems;
  Winapp2Facts facts;
};
// Reads both files and detects every entry on this system.
Winapp2Catalog LoadWinapp2Catalog();
inline constexpr const char* kWinapp3Group = "Aggressive (Winapp3.ini)";

// The ticked entries' names, as the selection file keeps them (one per line, UTF-8).
std::set<std::string> LoadWinapp2Selection();
// Writes the selection whole or not at all; false when it could not be written.
bool SaveWinapp2Selection(const std::vector<std::string>& names);

// The body of "  Processing \"Community Cleaners\"": every ticked entry that is detected, in
// file order. An entry ticked but no longer detected is skipped quietly.
void RunCommunityCleaners(ReportContext& ctx);
