#pragma once
#include <string>

// Where the program lives and keeps its data; resolved once before any window exists.
struct AppFolders {
  std::string programFolder;  // no trailing backslash
  std::string dataFolder;
  std::string settingsFile;  // data folder + "\Quorvane.ini"
  bool cdMode = false;       // read-only media: no settings file is created or migrated
  bool ffDatExe = false;     // keep lists and plugin list in the program folder
};

const AppFolders& Folders();
AppFolders& MutableFolders();  // start-up and tests only

// Runs the folder resolution for the given executable path and the program's arguments.
void ResolveDataFolder(const std::string& exePath);
void PrepareSettingsFile();
bool IsPlainSubFolderName(const std::string& name);

std::string FirefoxKeepListFile();  // "Quorvane.Dat"
std::string IeKeepListFile();       // "IEcookie.dat"
