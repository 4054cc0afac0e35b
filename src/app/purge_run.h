#pragma once
#include <array>
#include <string>

#include "core/report_context.h"

// One purge function: the option that selects it, its frame title, and its body.
// A body left empty (nullptr) is not built yet: it is skipped and never reported as done.
using PurgeFunctionBody = void (*)(ReportContext&);
struct PurgeFunctionEntry {
  OptionField option;
  const char* title;
  PurgeFunctionBody body;
};
constexpr int kPurgeFunctionCount = 27;
using PurgeFunctionTable = std::array<PurgeFunctionEntry, kPurgeFunctionCount>;

// The fixed order in which a run calls the selected functions.
const PurgeFunctionTable& PurgeFunctions();

// Options and settings a run takes; gathered by the caller from the shown option page.
struct PurgeRequest {
  OptionSet options;
  bool preview = false;
  ShredSettings shred;
};

// Runs one purge (or preview) through the frame. Ignored while busy or while an earlier run
// is still returning; false then.
bool RunPurge(ReportContext& ctx, const PurgeRequest& request,
              const PurgeFunctionTable& functions = PurgeFunctions());

// "Recent LNKs": the shortcut files of the recent-documents folder found at start-up.
void PurgeRecentLinks(ReportContext& ctx);

// Steps of the run that belong to later parts of the program; empty until those land.
void LoadTempProtectEntries();
void SaveTempProtectEntries();
void RefreshFirefoxProfilePaths();

inline constexpr const char* kCautionLine =
    "-Caution- Some functions may not complete as a Browser was executing.";
