#pragma once
#include <string>

// One shortcut: what it starts, with which arguments and icon, under which name, where.
struct ShortcutDefinition {
  std::string target;
  std::string arguments;  // may be empty
  std::string iconFile;   // a file name in the target's folder
  std::string name;       // without ".lnk"
  int location = 0;       // ShortcutLocation
};

enum ShortcutLocation { kDesktop, kQuickLaunch, kSendTo, kStartMenu, kStartUp };

// The folder of a location as the current user's shell-folder values in the registry name it;
// empty when the value is missing.
std::string ShortcutLocationFolder(int location);

// Writes location folder + "\" + name + ".lnk" through the shell-link object; false without a
// location folder or when saving fails. Throws when the shell-link object cannot be created.
bool CreateShortcut(const ShortcutDefinition& shortcut);

// The three shortcuts of the "  General  " page: 0 "Quorvane", 1 "Quorvane Now",
// 2 "Quorvane & Shutdown", all on the desktop and starting the noted main executable.
ShortcutDefinition DesktopShortcut(int which);
