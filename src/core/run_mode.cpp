#include "core/run_mode.h"

#include "core/command_line.h"
#include "core/text_util.h"

namespace {
const RunModeInfo kInfo[] = {
    {"Stnd", "StndOptions", "  Standard Options  ", "\"Standard Options\"",
     "Select Options for Standard Execution"},
    {"Auto", "PnowOptions", "  Purge Now Options  ", "\"Purge Now Options\"",
     "Select Options for 'Purge Now' Execution"},
    {"Boot", "BootOptions", "  Startup Options  ", "\"Startup Options\"",
     "Select Options for Execution at Startup"},
    {"Shut", "ShutOptions", "  ShutDown Options  ", "\"Shutdown Options\"",
     "Select Options for 'Purge && Shutdown' Execution"},
};
RunMode g_mode = RunMode::Standard;
bool g_reset = false;
std::string g_displayName = "Quorvane";
}  // namespace

const RunModeInfo& InfoOf(RunMode mode) { return kInfo[ModeIndex(mode)]; }

RunMode RunModeFromArgs(const std::vector<std::string>& args) {
  if (HasSwitch(args, "AUTO")) return RunMode::PurgeNow;
  if (HasSwitch(args, "BOOT")) return RunMode::Startup;
  if (HasSwitch(args, "SHUT")) return RunMode::Shutdown;
  return RunMode::Standard;
}

void SelectRunMode() {
  g_mode = RunModeFromArgs(ProgramArguments());
  g_reset = ParamSwitch("RESET");
}

RunMode CurrentRunMode() { return g_mode; }
bool ResetPositionsRequested() { return g_reset; }

int LevelThresholdFromArgs(const std::vector<std::string>& args) {
  static const char* const kNames[] = {"LEVEL1", "LEVEL2", "LEVEL3", "LEVEL4",
                                       "LEVEL5", "LEVEL6", "LEVEL7"};
  for (int i = 0; i < 7; ++i)
    if (HasSwitch(args, kNames[i])) return i + 1;
  return HasSwitch(args, "LEVEL9") ? 9 : 0;
}

int ErrorSwitchLevelFromArgs(const std::vector<std::string>& args) {
  if (HasSwitch(args, "ERROR1")) return 1;
  if (HasSwitch(args, "ERROR5")) return 5;
  if (HasSwitch(args, "ERROR9")) return 9;
  return 0;
}

bool ShouldShowMainWindow(int mainWinOpt, bool attention, int highestLevel, int threshold) {
  if (mainWinOpt == 0) return true;
  if (mainWinOpt == 3) return false;
  if (attention && threshold > 0 && highestLevel >= threshold) return true;
  if (mainWinOpt == 1) return attention && highestLevel > 0;
  if (mainWinOpt == 2) return attention && highestLevel > 8;
  return false;
}

std::string DisplayNameFor(const std::string& exeFileName) {
  return LowerCase(exeFileName) == "quorvane.exe" ? "Quorvane" : exeFileName;
}

const std::string& DisplayName() { return g_displayName; }
void SetDisplayName(std::string name) { g_displayName = std::move(name); }
