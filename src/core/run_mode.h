#pragma once
#include <string>
#include <vector>

// How the program was started; fixed for the run.
enum class RunMode { Standard, PurgeNow, Startup, Shutdown };

struct RunModeInfo {
  const char* shortName;    // "Stnd", "Auto", "Boot", "Shut"
  const char* section;      // settings section of the option set (and display policy)
  const char* pageCaption;  // tab caption of the option page
  const char* pageName;     // quoted page name of the status panel
  const char* heading;      // heading above the option frame
};

const RunModeInfo& InfoOf(RunMode mode);
constexpr RunMode kAllModes[] = {RunMode::Standard, RunMode::PurgeNow, RunMode::Startup,
                                 RunMode::Shutdown};
inline int ModeIndex(RunMode m) { return static_cast<int>(m); }
inline bool IsAutomatic(RunMode m) { return m != RunMode::Standard; }

RunMode RunModeFromArgs(const std::vector<std::string>& args);
// Process-wide run mode, chosen from the program's arguments; also remembers "RESET".
void SelectRunMode();
RunMode CurrentRunMode();
bool ResetPositionsRequested();

// Threshold of the LEVEL switches (0 when none) and the starting level of the ERROR switches.
int LevelThresholdFromArgs(const std::vector<std::string>& args);
int ErrorSwitchLevelFromArgs(const std::vector<std::string>& args);

// After an automatic purge: is the main window shown?
bool ShouldShowMainWindow(int mainWinOpt, bool attention, int highestLevel, int threshold);

// The program name used in captions: "Quorvane", or the executable's own name when renamed.
std::string DisplayNameFor(const std::string& exeFileName);
const std::string& DisplayName();
void SetDisplayName(std::string name);
