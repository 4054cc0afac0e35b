#pragma once
#include <string>
#include <vector>

#include "core/report_lines.h"
#include "core/run_mode.h"

// One finished run as the results list shows it.
struct RunRecord {
  RunMode mode = RunMode::Standard;
  bool preview = false;
  int highestLevel = 0;
  const ReportLines& lines;
};

// Where a run's record goes: "LOG=FILE" replaces FILE with the whole report; else, unless in CD
// mode or with "Keep a log of runs" off, it goes to Quorvane.log in the data folder, without its
// item lines unless "Log each item" is ticked. The log is renamed to Quorvane.log.1 when it has
// reached 1 MiB. Copies of the program running at once take turns (a named mutex).

// At the start of a run: a "LOG=" target is removed, so that a report that cannot be written
// leaves no earlier one behind; the log gets the record's header with "running", which the end
// of the run completes, so that a run that never finished is still seen.
void BeginRunLog(RunMode mode, bool preview);

// What the end of a run adds to its report: a caution line, and the level it raises the run to.
struct RunLogNote {
  std::string line;  // empty when there is nothing to add
  int level = 0;
};
// Writes the finished run's record. A "LOG=" target that may not or could not be written is a
// report lost: the caution line joins the record, which goes to Quorvane.log instead, and the
// run's level is raised to 1. A log of runs that cannot be written never fails the run: its
// caution is given only the first time in the process, and raises nothing.
RunLogNote FinishRunLog(const RunRecord& run);

// A fault that ends the program in the middle of a run (an access violation inside a database
// module, say) still completes the run's record, at level 9: `lines` is the report so far and
// `what` the error line saying what happened. False when no run was under way.
bool FinishRunLogAfterAFault(const ReportLines& lines, const std::string& what);

// A run that did not take place because another copy of the program was running: its record
// says so, in the log or at the "LOG=" target.
void WriteSkippedRunLog(RunMode mode, const std::string& why);

// The log files an earlier version wrote: they hold every item of their runs. Empty in CD mode.
std::vector<std::string> RunLogFilesOfAnEarlierVersion();
// After those were erased: the new log begins with a record saying so.
void BeginRunLogAfterErasing();

// Tests: lets the next failure report its line again.
void ResetRunLogFailureNote();
