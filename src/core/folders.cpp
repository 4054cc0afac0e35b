#include "core/folders.h"

#include <windows.h>

#include "core/command_line.h"
#include "platform/files.h"
#include "platform/shell_folders.h"

namespace {
AppFolders g_folders;
}

const AppFolders& Folders() { return g_folders; }
AppFolders& MutableFolders() { return g_folders; }

// "data" names a folder below the per-user folder; a value that climbs out of it or names
// another drive or root is not taken (the program deletes its own files there on uninstall).
bool IsPlainSubFolderName(const std::string& name) {
  if (name.empty() || name.find(':') != std::string::npos || name[0] == '\\' || name[0] == '/')
    return false;
  for (size_t at = name.find(".."); at != std::string::npos; at = name.find("..", at + 1)) {
    bool startsPart = at == 0 || name[at - 1] == '\\' || name[at - 1] == '/';
    bool endsPart = at + 2 == name.size() || name[at + 2] == '\\' || name[at + 2] == '/';
    if (startsPart && endsPart) return false;
  }
  return true;
}

void ResolveDataFolder(const std::string& exePath) {
  AppFolders f;
  f.programFolder = ExtractFilePath(exePath);
  f.ffDatExe = ParamSwitch("FFdatExe");
  unsigned drive = DriveTypeOf(exePath);
  f.cdMode = ParamSwitch("CDEXEC") || drive == DRIVE_CDROM;
  if (drive == DRIVE_REMOVABLE) {
    f.dataFolder = f.programFolder;
    f.ffDatExe = false;
  } else if (drive == DRIVE_CDROM) {
    f.dataFolder = f.programFolder + "\\Quorvane";
    f.ffDatExe = false;
  } else {
    SpecialFolder appData = GetSpecialFolder(kCsidlAppData);
    // Without a per-user folder the program folder keeps the data, rather than a bare root.
    std::string base = appData.ok ? appData.text : f.programFolder;
    std::string sub = ParamValue("data");
    if (!IsPlainSubFolderName(sub)) sub.clear();
    f.dataFolder = base + "\\" + (sub.empty() ? std::string("Quorvane") : sub);
    ForceDirectories(f.dataFolder);
  }
  f.settingsFile = f.dataFolder + "\\Quorvane.ini";
  g_folders = f;
}

// An older installation kept its settings beside the executable: carry them over once.
void PrepareSettingsFile() {
  if (g_folders.cdMode) return;
  const std::string old = g_folders.programFolder + "\\Quorvane.ini";
  if (FileExists(old) && !FileExists(g_folders.settingsFile)) {
    std::string bytes;
    if (ReadWholeFile(old, bytes)) WriteWholeFile(g_folders.settingsFile, bytes);
  }
  if (!FileExists(g_folders.settingsFile)) WriteWholeFile(g_folders.settingsFile, {});
}

std::string FirefoxKeepListFile() {
  return (g_folders.ffDatExe ? g_folders.programFolder : g_folders.dataFolder) + "\\Quorvane.Dat";
}

std::string IeKeepListFile() { return g_folders.dataFolder + "\\IEcookie.dat"; }
