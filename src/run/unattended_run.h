#pragma once
#include "core/report_context.h"
#include "core/run_mode.h"

// The option set a run of `mode` takes when no page shows it: the one Configure saved, read
// as its page would hold it, without what this machine cannot do.
OptionSet SavedRunOptions(RunMode mode);

// An AUTO, BOOT or SHUT run from its options to its record, with no window.
void RunUnattended(ReportContext& ctx, RunMode mode);
