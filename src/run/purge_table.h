#pragma once
#include <vector>

#include "core/report_context.h"
#include "core/running_browsers.h"

// What a purge needs to do its work. A ticked purge whose browser runs is marked on the option
// page, and a Purge begun then opens its report with a caution.
enum PurgeNeed : unsigned {
  kNeedsNothing = 0,
  kNeedsFirefoxClosed = 1u << 0,
  kNeedsIeClosed = 1u << 1,
  kNeedsChromiumClosed = 1u << 2,
  // Administrator rights: the box is disabled without them, and a run passes the purge over.
  kNeedsAdmin = 1u << 3,
};

// One purge of the run: the option that selects it (its settings key, caption, hint and the
// box's control come from the option table), its frame title, its body and what it needs.
// A body left empty (nullptr) is skipped and never reported as done.
using PurgeFunctionBody = void (*)(ReportContext&);
struct PurgeFunctionEntry {
  OptionField option;
  const char* title;
  PurgeFunctionBody body;
  unsigned needs = kNeedsNothing;
};
using PurgeFunctionTable = std::vector<PurgeFunctionEntry>;

// Every purge, in the fixed order in which a run calls the selected ones.
const PurgeFunctionTable& PurgeFunctions();

// Whether the purge cannot do all its work now: a browser it needs closed runs.
bool HinderedByRunningBrowser(const PurgeFunctionEntry& entry, const RunningBrowsers& running);

// The boxes whose purge needs administrator rights.
std::vector<OptionField> AdminOptions();

// "Recent LNKs": the shortcut files of the recent-documents folder found at start-up.
void PurgeRecentLinks(ReportContext& ctx);
