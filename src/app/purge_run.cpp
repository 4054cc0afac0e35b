#include "app/purge_run.h"

#include <windows.h>

#include <exception>

#include "core/command_line.h"
#include "core/report_rules.h"
#include "core/run_mode.h"
#include "core/text_util.h"
#include "chromium/chromium_purge.h"
#include "files/clipboard_clear.h"
#include "files/recent_links.h"
#include "files/recycle_bin.h"
#include "files/temp_folders.h"
#include "files/temp_protect_list.h"
#include "firefox/cookie_purge.h"
#include "firefox/firefox_profile.h"
#include "firefox/history_purge.h"
#include "firefox/session_purge.h"
#include "ie/cache_purge.h"
#include "ie/ie_strays.h"
#include "ie/ie_typed_urls.h"
#include "plugins/plugin_engine.h"
#include "system/shutdown_action.h"
#include "wipe/free_space_wipe.h"

// "Recent LNKs" on the recent-documents folder that start-up found with the Firefox profile.
void PurgeRecentLinks(ReportContext& ctx) { PurgeRecentLinksIn(ctx, FFoxProfile().RecentFolder); }

namespace {
using F = OptionField;
// The bodies are filled in as the purge functions are built.
const PurgeFunctionTable kFunctions = {{
    {F::Cache, "  Processing \"FireFox Cache\"", PurgeFirefoxCache},
    {F::Cookies, "  Processing \"FireFox Cookies\"", PurgeFirefoxCookies},
    {F::FFTypedUrls, "  Processing \"FireFox Typed URLs\"", PurgeFirefoxTypedUrls},
    {F::History, "  Processing \"FireFox History File\"", PurgeFirefoxHistory},
    {F::Forms, "  Processing \"FireFox Forms History\"", PurgeFirefoxForms},
    {F::FFSession, "  Processing \"FireFox Session\"", PurgeFirefoxSession},
    {F::ChromiumCache, "  Processing \"Chromium Cache\"", PurgeChromiumCache},
    {F::ChromiumCookies, "  Processing \"Chromium Cookies\"", PurgeChromiumCookies},
    {F::ChromiumTypedUrls, "  Processing \"Chromium Typed URLs\"", PurgeChromiumTypedUrls},
    {F::ChromiumHistory, "  Processing \"Chromium History\"", PurgeChromiumHistory},
    {F::ChromiumForms, "  Processing \"Chromium Forms\"", PurgeChromiumForms},
    {F::ChromiumSession, "  Processing \"Chromium Session\"", PurgeChromiumSession},
    {F::Temp, "  Processing \"Temp Folders\"", PurgeTempFolders},
    {F::Visited, "  Processing \"I.E. Visited URLs\"", PurgeIeVisited},
    {F::IECache, "  Processing \"I.E. Cache\"", PurgeIeCache},
    {F::IECookies, "  Processing \"I.E. Cookies\"", PurgeIeCookies},
    {F::IEHistory, "  Processing \"I.E. History Folders\"", ClearIeHistoryFolders},
    {F::IEUserData, "  Processing \"I.E. UserData\"", PurgeIeUserData},
    {F::IEDomStore, "  Processing \"I.E. DOMstore\"", PurgeIeDomStore},
    {F::IESearches, "  Processing \"I.E. Searches\"", ClearSearches},
    {F::IETypedUrls, "  Processing \"I.E. Typed URLs\"", ClearTypedUrls},
    {F::IEStrays, "  Processing \"I.E. Strays\"", PurgeIeStrays},
    {F::RecentLnks, "  Processing \"Recent LNKs\"", PurgeRecentLinks},
    {F::RecycleBin, "  Processing \"Recycle Bin\"", EmptyRecycleBin},
    {F::ClipBoard, "  Clearing Windows ClipBoard", ClearClipboard},
    {F::Plugins, "  Processing \"Plugins\"", RunSelectedPlugins},
    // Last: the files the other functions deleted are then free space too.
    {F::WipeFreeSpace, "  Processing \"Wipe Free Space\"", WipeTempDriveFreeSpace},
}};

// Tests make a function fault as a database module's access violation would, to see the run
// still recorded: the variable names the function's title.
void FaultWhenATestAsks(const char* title) {
  char wanted[128];
  const DWORD n = GetEnvironmentVariableA("QUORVANE_TEST_FAULT", wanted, sizeof wanted);
  if (n > 0 && n < sizeof wanted && Trim(title) == wanted)
    RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}

void RunFrame(ReportContext& ctx, const PurgeFunctionEntry& entry) {
  RunState& st = ctx.State();
  if (st.cancel) return;
  ctx.BeginFunction(entry.title);
  FaultWhenATestAsks(entry.title);
  bool failed = false;
  try {
    entry.body(ctx);
  } catch (...) {
    failed = true;
  }
  if (failed) {
    // A function that failed as a whole is severe: an unattended run must show itself.
    ctx.RaiseLevel(9);
    ctx.SetAttention();
  }
  ctx.View().FunctionFinished();
  st.someFunctionRan = true;
  ctx.AddReportLine(kSeparatorLine);
  if (failed) {
    ctx.AddReportLine("*** Error occurred in above function ***");
    ctx.AddReportLine(kSeparatorLine);
  }
}

void AddClosingLines(ReportContext& ctx) {
  RunState& st = ctx.State();
  if (st.cancel) {
    ctx.AddReportLine("  Purge Functions Cancelled by Operator.");
  } else if (st.someFunctionRan) {
    ctx.AddReportLine("  Purge Functions Completed.");
  } else {
    ctx.AddReportLine(" -Error- No Purge Options were Selected.");
    ctx.SetAttention();
    ctx.RaiseLevel(9);
  }
  if (st.lockedFile) {
    ctx.AddReportLine(" ");
    ctx.AddReportLine("NOTE - A \"Locked\" file has been encountered.");
    ctx.AddReportLine("       This indicates that the file is in use by another");
    ctx.AddReportLine("       program or system function and can not safely be deleted.");
  }
  // A Shutdown run that will only record its action must not let the user think it shuts down.
  if (CurrentRunMode() == RunMode::Shutdown) {
    if (const std::string note = ShutdownRecordLine(); !note.empty()) {
      ctx.AddReportLine(" ");
      ctx.AddReportLine(note);
    }
  }
}

// The run from its header lines to its error status.
void RunSteps(ReportContext& ctx, const PurgeRequest& request,
              const PurgeFunctionTable& functions) {
  RunState& st = ctx.State();
  LoadTempProtectEntries();
  st.lockedFile = false;
  ctx.View().ClearLines();
  if (request.preview) {
    ctx.AddReportLine("This List is from a \"Preview Purge\".");
    ctx.AddReportLine("  No Deletes are done for a \"Preview Purge\".");
    ctx.AddReportLine("  The following list is for illustration purposes only.");
  } else {
    ctx.AddReportLine("Results of \"Purge\" function...");
  }
  RefreshFirefoxProfilePaths();

  st.preview = request.preview;
  st.options = request.options;
  st.detail = request.options[F::Report] == 0;
  st.secureErase = request.options[F::SecureDelete] == 1;
  st.compact = request.options[F::CompactSql] == 1;
  st.keepFiles = ParamSwitch("KeepFiles");
  st.shred = request.shred;
  st.cancel = false;
  st.processed = 0;
  st.statusTitle.clear();
  st.shredSuffix = ShredSuffix(st.preview, st.secureErase, request.shred);
  st.someFunctionRan = false;
  st.attention = false;
  st.highestLevel = ErrorSwitchLevelFromArgs(ProgramArguments());
  if (st.highestLevel > 0) st.attention = true;
  st.threshold = LevelThresholdFromArgs(ProgramArguments());

  int selected = 0;
  for (const auto& e : functions)
    if (request.options[e.option]) ++selected;
  st.gaugeStep = 200 / (1 + selected);
  st.busy = true;
  ctx.View().RunStarting(st.gaugeStep);
  ctx.AddReportLine("");

  for (const auto& e : functions)
    if (request.options[e.option] && e.body) RunFrame(ctx, e);

  AddClosingLines(ctx);
  SaveTempProtectEntries();
  bool errorStatus = st.highestLevel > 0 || ParamSwitch("errors");
  if (errorStatus) {
    ctx.AddReportLine(" ");
    ctx.AddReportLine("NOTE - The TroubleShooting section of the Quorvane Help file ");
    ctx.AddReportLine("       contains additonal information for the Error indicators.");
  }
  ctx.View().RunEnded(errorStatus);
}

// A failure outside every function's frame still ends the run in order, with its level and
// attention set, so that an unattended run decides to show its window as after any error.
void FailWholeRun(ReportContext& ctx, const std::string& what) {
  ctx.RaiseLevel(9);
  ctx.SetAttention();
  ctx.AddReportLine(" -Error- The Purge run failed - " + what);
  try {
    ctx.View().RunEnded(true);
  } catch (...) {
  }
}
}  // namespace

const PurgeFunctionTable& PurgeFunctions() { return kFunctions; }

void LoadTempProtectEntries() { LoadTempProtectList(); }
void SaveTempProtectEntries() { SaveTempProtectList(); }
void RefreshFirefoxProfilePaths() { RefreshProfileStatus(); }

bool RunPurge(ReportContext& ctx, const PurgeRequest& request,
              const PurgeFunctionTable& functions) {
  RunState& st = ctx.State();
  if (st.busy || st.running) return false;
  st.running = true;
  // Whatever happens below, the run is over when this returns.
  struct EndOfRun {
    RunState& st;
    ~EndOfRun() { st.busy = st.running = false; }
  } endOfRun{st};

  try {
    RunSteps(ctx, request, functions);
  } catch (const std::exception& e) {
    FailWholeRun(ctx, e.what());
  } catch (...) {
    FailWholeRun(ctx, "unknown error");
  }
  return true;
}
