#include "system/executables.h"

namespace {
std::string g_mainExe, g_themedExe;
}

void NoteShortcutExecutables(const std::string& mainExe, const std::string& themedExe) {
  g_mainExe = mainExe;
  g_themedExe = themedExe;
}
const std::string& ShortcutExecutable() { return g_mainExe; }
const std::string& ThemedExecutable() { return g_themedExe; }
