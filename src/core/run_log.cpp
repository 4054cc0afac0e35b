#include "core/run_log.h"

#include <windows.h>

#include "core/command_line.h"
#include "core/folders.h"
#include "core/run_log_rules.h"
#include "core/settings.h"
#include "platform/files.h"

namespace {
bool failureNoted = false;

RunLogTime LocalNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

// A full log is set aside whole (the older one goes), so that the log never grows without end.
bool AppendToRunLog(const std::string& path, const std::string& record) {
  const long long size = FileSizeOf(path);
  if (size > 0 && RunLogNeedsRotation(static_cast<std::uint64_t>(size), record.size()) &&
      !MoveFileReplacing(path, ExtractFilePath(path) + "\\" + kRunLogOldName))
    return false;
  return AppendToFile(path, record);
}

std::string FailureLine(const std::string& text) {
  if (failureNoted) return {};
  failureNoted = true;
  return text;
}
}  // namespace

void ResetRunLogFailureNote() { failureNoted = false; }

std::string WriteRunLog(const RunRecord& run) {
  const std::string header = RunLogHeader(LocalNow(), InfoOf(run.mode).shortName, run.preview,
                                          run.highestLevel, run.lines.size());
  const std::string record = RunLogRecord(header, run.lines);
  const LogArgument log = LogArgumentOf(ProgramArguments());
  if (log.present) {
    // For a script that collects this run's report: the file holds it alone, and is never
    // seen half written.
    const std::string target = ResolveLogTarget(log.value, Folders().dataFolder);
    if (target.empty())
      return FailureLine("-Caution- LOG= needs a full path or a file name: " + log.value);
    if (!WriteWholeFile(target, record))
      return FailureLine("-Caution- The report could not be written to " + target);
    return {};
  }
  if (Folders().cdMode || !Globals().keepRunLog || Folders().dataFolder.empty()) return {};
  const std::string path = Folders().dataFolder + "\\" + kRunLogName;
  if (!AppendToRunLog(path, record))
    return FailureLine("-Caution- The log of runs could not be written to " + path);
  return {};
}
