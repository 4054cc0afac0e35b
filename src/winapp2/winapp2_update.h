#pragma once
#include <string>
#include <vector>

// Replacing Winapp2.ini of the data folder with the current file from the winapp2 project.

struct Winapp2UpdateResult {
  bool replaced = false;            // the new file is in place
  std::string message;              // what the user reads: why it failed, or what changed
  std::vector<std::string> added, removed;  // entry names
};

// The address the update reads: "UpdateAddress" of the settings file's "Winapp2" section, or
// the winapp2 project's raw file on its public repository.
std::string Winapp2UpdateAddress();
inline constexpr const char* kWinapp2DefaultAddress =
    "https://raw.githubusercontent.com/MoscaDotTo/Winapp2/master/Winapp2.ini";

// Downloads the file (only when the user asks), and replaces Winapp2FilePath() with it whole
// when it parses; says what changed. A failed download, an HTTP error status, or a file that
// does not parse leaves the old file untouched.
Winapp2UpdateResult UpdateWinapp2File(const std::string& address);
