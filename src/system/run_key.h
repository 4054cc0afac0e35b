#pragma once
#include <string>

// The value "Quorvane" under the current user's Run key starts the program in Startup mode at
// log-on.
inline constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValueName = "Quorvane";

// The value's data for an executable: its short path (the long one when Windows gives none),
// quoted, followed by " Boot", all upper-cased.
std::string RunKeyData(const std::string& exePath);
// The value exists as text and ends in ".EXE BOOT" or "EXE\" BOOT".
bool IsRunKeySet();
// Write or delete the value for the running executable; an unopenable key shows the registry
// error box and gives false.
bool SetRunKey();
bool RemoveRunKey();
