#pragma once
#include <string>

// The executable names that shortcuts point at and that the themes manifest is named after,
// noted once at start-up: program folder + "\Quorvane.exe" and the running program's own file.
void NoteShortcutExecutables(const std::string& mainExe, const std::string& themedExe);
const std::string& ShortcutExecutable();
const std::string& ThemedExecutable();
