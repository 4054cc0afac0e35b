#include "core/run_log.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "core/command_line.h"
#include "core/folders.h"
#include "core/run_log_rules.h"
#include "core/settings.h"
#include "platform/files.h"
#include "platform/shared_file.h"

namespace {
// Size check, rotation and append are one step for every copy of the program: without turns
// a record of one copy could land in the file another has just set aside.
constexpr const char* kLogMutex = "Quorvane:RunLog";
constexpr unsigned kMutexWaitMs = 5000;
// A viewer or another copy opening the log without sharing holds it only for a moment.
constexpr unsigned kSharingRetryMs = 1500;

bool failureNoted = false;

// The record the current run began: where its header went, to be completed in place.
struct StartedRecord {
  bool started = false;
  RunLogTime time;
  RunMode mode = RunMode::Standard;
  bool preview = false;
  long long offset = -1;  // where the header went in the log; -1 when it went nowhere
  std::string header;
  // "LOG=": the target, and why it may not be written (empty when it may).
  std::string target, refusal;
  bool HasLogArgument() const { return !target.empty() || !refusal.empty(); }
};
StartedRecord current;

RunLogTime LocalNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string LogPath() { return Folders().dataFolder + "\\" + kRunLogName; }

bool MayKeepLog() { return !Folders().cdMode && !Folders().dataFolder.empty(); }

std::string FailureLine(const std::string& text) {
  if (failureNoted) return {};
  failureNoted = true;
  return text;
}

std::string FirstLineOf(const std::string& path) {
  const std::string head = ReadFileHead(path, 512);
  return head.substr(0, head.find_first_of("\r\n"));
}

// Opens the log, waiting out a moment's sharing violation.
std::unique_ptr<SharedFile> OpenLog(const std::string& path) {
  for (unsigned waited = 0;; waited += 50) {
    auto file = std::make_unique<SharedFile>(path);
    const unsigned long error = file->OpenError();
    if (file->IsOpen() || (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) ||
        waited >= kSharingRetryMs)
      return file;
    Sleep(50);
  }
}

// Opens the log for an addition of `adding` bytes, setting a full log aside first; when the
// rename fails (a viewer holds the file) the record goes on the end all the same rather than
// being lost. A new log begins with its banner, and a record always begins a line, even after
// one a killed copy left torn. Returns the offset where `text` went, or -1.
long long AppendRecord(const std::string& path, const std::string& text,
                       const std::string& firstRecord = {}) {
  auto file = OpenLog(path);
  long long size = file->Size();  // -1 when it did not open
  if (size > 0 && RunLogNeedsRotation(static_cast<std::uint64_t>(size), text.size())) {
    file->Close();
    MoveFileReplacing(path, ExtractFilePath(path) + "\\" + kRunLogOldName);
    file = OpenLog(path);
    size = file->Size();
  }
  if (size < 0) return -1;
  std::string lead;
  if (size == 0) {
    lead = RunLogBanner(LocalNow()) + "\r\n" + firstRecord;
  } else {
    std::string last;
    if (file->ReadAt(size - 1, 1, last) && last != "\n") lead = "\r\n";
  }
  if (!file->WriteAt(size, lead + text)) return -1;
  return size + static_cast<long long>(lead.size());
}

// Completes the record whose header the run's start wrote, when nothing came after it; else
// the whole record goes at the end (another copy wrote meanwhile, or set the log aside).
bool CompleteRecord(const std::string& path, const std::string& record) {
  NamedMutexLock turn(kLogMutex, kMutexWaitMs);
  if (current.offset >= 0) {
    auto file = OpenLog(path);
    std::string there;
    if (file->IsOpen() &&
        file->Size() == current.offset + static_cast<long long>(current.header.size()) &&
        file->ReadAt(current.offset, current.header.size(), there) && there == current.header)
      return file->WriteAt(current.offset, record);
  }
  return AppendRecord(path, record) >= 0;
}

LogTargetFacts FactsOf(const std::string& target) {
  LogTargetFacts facts;
  const DWORD attributes = GetFileAttributesA(target.c_str());
  facts.exists = attributes != INVALID_FILE_ATTRIBUTES;
  facts.isFolder = facts.exists && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (facts.exists && !facts.isFolder) facts.firstLine = FirstLineOf(target);
  return facts;
}

// The "LOG=" target of this run and why it may not be written; both empty without "LOG=".
void JudgeLogTarget(StartedRecord& r) {
  const LogArgument log = LogArgumentOf(ProgramArguments());
  if (!log.present) return;
  const std::string resolved = ResolveLogTarget(log.value, Folders().dataFolder);
  if (resolved.empty()) {
    r.refusal = "-Caution- LOG= needs a full path or a file name: " + log.value;
    return;
  }
  const std::string full = FullPathName(resolved);
  r.target = full.empty() ? resolved : full;
  const std::string why =
      LogTargetRefusal(r.target, FullPathName(Folders().dataFolder),
                       FullPathName(Folders().programFolder), FactsOf(r.target));
  if (!why.empty()) r.refusal = "-Caution- The report was not written to " + r.target + ": " + why;
}
}  // namespace

void ResetRunLogFailureNote() { failureNoted = false; }

void BeginRunLog(RunMode mode, bool preview) {
  current = StartedRecord{};
  current.started = true;
  current.time = LocalNow();
  current.mode = mode;
  current.preview = preview;
  JudgeLogTarget(current);
  if (current.HasLogArgument()) {
    // A report left from an earlier run must not pass for this one's.
    if (current.refusal.empty()) DeleteFileA(current.target.c_str());
    return;
  }
  if (!MayKeepLog() || !Globals().keepRunLog) return;
  current.header = RunLogRunningHeader(current.time, InfoOf(mode).shortName, preview);
  NamedMutexLock turn(kLogMutex, kMutexWaitMs);
  current.offset = AppendRecord(LogPath(), current.header + "\r\n");
  if (current.offset >= 0) current.header += "\r\n";
}

RunLogNote FinishRunLog(const RunRecord& run) {
  if (!current.started) {
    current.time = LocalNow();
    JudgeLogTarget(current);
  }
  const RunLogTime time = current.time;
  const std::string modeName = InfoOf(run.mode).shortName;
  RunLogNote note;
  bool toLog = MayKeepLog() && Globals().keepRunLog;
  if (current.HasLogArgument()) {
    if (current.refusal.empty()) {
      const std::string header =
          RunLogHeader(time, modeName, run.preview, run.highestLevel, run.lines.size());
      if (WriteWholeFile(current.target, RunLogRecord(header, run.lines))) {
        current = StartedRecord{};
        return note;
      }
      current.refusal = "-Caution- The report could not be written to " + current.target;
    }
    // The report the user asked for is lost: the run is not clean, and the log keeps it.
    note = {current.refusal, 1};
    toLog = MayKeepLog();
  }
  if (toLog) {
    ReportLines lines = RunLogLines(run.lines, Globals().logEachItem);
    if (!note.line.empty()) lines.Add(note.line);
    const int level = std::max(run.highestLevel, note.level);
    const std::string record =
        RunLogRecord(RunLogHeader(time, modeName, run.preview, level, lines.size()), lines);
    if (!CompleteRecord(LogPath(), record) && note.line.empty())
      note.line = FailureLine("-Caution- The log of runs could not be written to " + LogPath());
  }
  current = StartedRecord{};
  return note;
}

bool FinishRunLogAfterAFault(const ReportLines& lines, const std::string& what) {
  if (!current.started) return false;
  ReportLines report = lines;
  report.Add(what);
  FinishRunLog({current.mode, current.preview, 9, report});
  return true;
}

void WriteSkippedRunLog(RunMode mode, const std::string& why) {
  StartedRecord r;
  r.time = LocalNow();
  JudgeLogTarget(r);
  const std::string record = RunLogRecord(
      RunLogSkippedHeader(r.time, InfoOf(mode).shortName, false), {"-Caution- " + why});
  if (r.HasLogArgument()) {
    // A target that may not or could not be written leaves the record to the log, as a run's.
    if (r.refusal.empty() && WriteWholeFile(r.target, record)) return;
  } else if (!ReadRunLogOption(SettingsFile())) {
    return;
  }
  if (!MayKeepLog()) return;
  NamedMutexLock turn(kLogMutex, kMutexWaitMs);
  AppendRecord(LogPath(), record);
}

std::vector<std::string> RunLogFilesOfAnEarlierVersion() {
  std::vector<std::string> found;
  if (!MayKeepLog()) return found;
  for (const char* name : {kRunLogName, kRunLogOldName}) {
    const std::string path = Folders().dataFolder + "\\" + name;
    if (FileSizeOf(path) > 0 && !IsRunLogBanner(FirstLineOf(path))) found.push_back(path);
  }
  return found;
}

void BeginRunLogAfterErasing() {
  if (!MayKeepLog() || !Globals().keepRunLog) return;
  NamedMutexLock turn(kLogMutex, kMutexWaitMs);
  const std::string path = LogPath();
  if (FileSizeOf(path) > 0) return;  // not erased after all: the next start tries again
  AppendRecord(path, "",
               "  The log of an earlier version was erased: it listed the items its runs "
               "removed.\r\n");
}
