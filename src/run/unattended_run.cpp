#include "run/unattended_run.h"

#include "core/settings.h"
#include "files/recycle_bin.h"
#include "run/purge_run.h"

OptionSet SavedRunOptions(RunMode mode) {
  OptionSet set = NormalisedOptionSet(ReadOptionSet(SettingsFile(), InfoOf(mode).section));
  // Windows cannot empty the bin here: the box cannot be ticked on any page.
  if (!RecycleBinAvailable()) set[OptionField::RecycleBin] = 0;
  return set;
}

void RunUnattended(ReportContext& ctx, RunMode mode) {
  PurgeRequest request;
  request.options = SavedRunOptions(mode);
  request.shred = Globals().shred;
  request.mode = mode;
  RunAndRecord(ctx, request);
}
