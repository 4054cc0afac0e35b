#pragma once
#include <string>
#include <vector>

#include "core/run_mode.h"

// One finished run as the results list shows it.
struct RunRecord {
  RunMode mode = RunMode::Standard;
  bool preview = false;
  int highestLevel = 0;
  std::vector<std::string> lines;
};

// Writes the run's record where the command line and the settings send it: "LOG=FILE" replaces
// FILE with it; else, unless in CD mode or with "Keep a log of runs" off, it is appended to
// Quorvane.log in the data folder, which is first renamed to Quorvane.log.1 when it would pass
// 1 MiB. A log that cannot be written never fails the run: the answer is then one line for the
// report, given only the first time in the process; otherwise it is empty.
std::string WriteRunLog(const RunRecord& run);

// Tests: lets the next failure report its line again.
void ResetRunLogFailureNote();
