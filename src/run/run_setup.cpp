#include "run/run_setup.h"

#include <cstdlib>
#include <ctime>
#include <stdexcept>

#include "core/command_line.h"
#include "core/folders.h"
#include "core/os_flags.h"
#include "core/run_mode.h"
#include "core/settings.h"
#include "core/version.h"
#include "core/window_placement.h"
#include "core/windows_version.h"
#include "firefox/firefox_profile.h"
#include "ie/ie_hooks.h"
#include "plugins/plugin_hooks.h"
#include "system/shutdown_action.h"
#include "system/themes_manifest.h"

bool PrepareForRuns() {
  // Dates and times are formatted by the program itself ("MM/dd/yyyy", "HH:mm:ss").
  srand(static_cast<unsigned>(time(nullptr)));
  if (ParamSwitch("AbortC1")) throw std::runtime_error("Exception Test - FFoxMain - FormCreate -1");
  DetectIeVersion();
  SetCurrentOsFlags(ComputeOsFlags(CurrentWindowsVersion(), ProgramArguments()));
  DiscoverIeFolders();
  ReadThemesState();
  // Firefox and its SQLite module.
  const bool moduleLoaded = FindFirefoxInstall();
  ReadFirefoxProductVersion();
  const bool usable = CheckFirefoxInstall(moduleLoaded);
  EnsurePluginFolder();
  LoadPluginSelectionList();
  PrepareSettingsFile();
  LoadMainWindowChoices();
  LoadRunSettings();
  NoteShutdownAction(ReadDisplayPolicy(SettingsFile(), "ShutOptions").shutType);
  return usable;
}

void LoadRunSettings() {
  ProfileFile file = SettingsFile();
  GlobalSettings& g = Globals();
  g.shred = ReadShredSettings(file);
  g.keepRunLog = ReadRunLogOption(file);
  g.logEachItem = ReadLogEachItemOption(file);
}

std::string MainCaption() {
  std::string caption = DisplayName() + kCaptionTail;
  if (!ParamSwitch("NOVER")) caption += std::string(" -  Version ") + kVersion;
  return caption;
}
