#pragma once
#include <string>

#include "core/report_context.h"
#include "core/run_mode.h"
#include "run/purge_table.h"

// What a run is handed: the option set, the mode, and the facts found when it was asked for.
struct PurgeRequest {
  OptionSet options;
  bool preview = false;
  ShredSettings shred;
  RunMode mode = RunMode::Standard;
  RunningBrowsers browsers;
  TempFolderSelection tempFolders;
  bool elevated = true;  // administrator rights
};

// Runs one purge (or preview) through the frame. Ignored while busy or while an earlier run
// is still returning; false then.
bool RunPurge(ReportContext& ctx, const PurgeRequest& request,
              const PurgeFunctionTable& functions = PurgeFunctions());

// A Preview or Purge as a user or a schedule asks for it: the facts found, the run's record
// begun in the log, the run, a Purge begun while a browser it needs closed ran cautioned, the
// record completed. False, with nothing done, while a run is under way.
bool RunAndRecord(ReportContext& ctx, PurgeRequest request,
                  const PurgeFunctionTable& functions = PurgeFunctions());

// The temp protect list is read as a run starts and written back as it ends; the Firefox
// profile's paths are looked at again, as Firefox may have made or moved its files meanwhile.
void LoadTempProtectEntries();
void SaveTempProtectEntries();
void RefreshFirefoxProfilePaths();

inline constexpr const char* kCautionLine =
    "-Caution- Some functions may not complete as a Browser was executing.";
