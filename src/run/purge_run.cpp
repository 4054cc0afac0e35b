#include "run/purge_run.h"

#include <windows.h>

#include <exception>

#include "core/command_line.h"
#include "core/run_log.h"
#include "core/settings.h"
#include "core/settings_backup.h"
#include "core/report_rules.h"
#include "core/run_mode.h"
#include "core/text_util.h"
#include "files/temp_protect_list.h"
#include "firefox/firefox_profile.h"
#include "run/browser_check.h"
#include "system/shutdown_action.h"
#include "system/user_admin.h"
#include "system/windows_track_rules.h"

namespace {
using F = OptionField;

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
  if ((entry.needs & kNeedsAdmin) && !st.elevated) {
    // Its box is disabled on the pages; an unattended run says why it passes it over.
    const TrackLine line = NeedsAdminLine(InfoOf(entry.option).caption);
    ctx.AddReportLine(line.text);
    ctx.RaiseLevel(line.level);
    ctx.SetAttention();
  } else {
    try {
      entry.body(ctx);
    } catch (...) {
      failed = true;
    }
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
  st.browsers = request.browsers;
  st.tempFolders = request.tempFolders;
  st.elevated = request.elevated;
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
  // A settings file restored from its copy at start-up: the first run's report says so.
  if (const std::string note = TakeSettingsRecoveryNote(); !note.empty()) ctx.View().AddLine(note);
  ctx.View().RunStarting(st.gaugeStep);
  ctx.AddReportLine("");

  for (const auto& e : functions)
    if (request.options[e.option] && e.body) RunFrame(ctx, e);

  AddClosingLines(ctx);
  SaveTempProtectEntries();
  st.errorStatus = st.highestLevel > 0 || ParamSwitch("errors");
  if (st.errorStatus) {
    ctx.AddReportLine(" ");
    ctx.AddReportLine("NOTE - The TroubleShooting section of the Quorvane Help file ");
    ctx.AddReportLine("       contains additonal information for the Error indicators.");
  }
  ctx.View().RunEnded(st.errorStatus);
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

namespace {
// A Purge begun while a browser ran that a ticked purge needs closed: its report opens with a
// caution, and an unattended run shows itself.
void CautionWhenABrowserRan(ReportContext& ctx, const PurgeRequest& request,
                            const PurgeFunctionTable& functions) {
  if (request.preview) return;
  for (const PurgeFunctionEntry& e : functions) {
    if (request.options[e.option] && HinderedByRunningBrowser(e, request.browsers)) {
      ctx.View().ReplaceLine(0, kCautionLine);
      ctx.RaiseLevel(9);
      ctx.SetAttention();
      return;
    }
  }
}

// The finished report goes to the log of runs. A log that cannot be written adds its line but
// raises no level; a "LOG=" report that could not be written raises the run's level, as the
// record it then leaves in the log says.
void RecordRun(ReportContext& ctx, const PurgeRequest& request) {
  const RunLogNote note =
      FinishRunLog({request.mode, request.preview, ctx.State().highestLevel, ctx.View().Lines()});
  if (note.level > 0) {
    ctx.RaiseLevel(note.level);
    ctx.SetAttention();
  }
  if (!note.line.empty()) ctx.View().AddLine(note.line);
}
}  // namespace

bool RunAndRecord(ReportContext& ctx, PurgeRequest request,
                  const PurgeFunctionTable& functions) {
  const RunState& st = ctx.State();
  if (st.busy || st.running) return false;
  request.browsers = FindRunningBrowsers(request.options);
  request.tempFolders = ReadTempFolders(SettingsFile());
  request.elevated = IsUserAdmin();
  BeginRunLog(request.mode, request.preview);
  if (!RunPurge(ctx, request, functions)) return false;
  CautionWhenABrowserRan(ctx, request, functions);
  RecordRun(ctx, request);
  return true;
}
