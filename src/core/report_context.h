#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/option_set.h"
#include "core/report_lines.h"
#include "core/running_browsers.h"

// Where a run's report goes: the main window's results list, or a test's vector of lines.
class ReportView {
 public:
  virtual ~ReportView() = default;
  virtual void ClearLines() = 0;
  virtual void AddLine(const std::string& line) = 0;
  virtual void ReplaceLine(size_t index, const std::string& line) = 0;
  virtual size_t LineCount() const = 0;
  // The report so far, for the log of runs; a view that keeps no lines has none to give.
  virtual const ReportLines& Lines() const;
  virtual void ShowStatus(const std::string& text) = 0;  // the status line during a run
  virtual void PumpMessages() = 0;                       // let pending window messages run
  // Whether someone can watch the run as it goes: the short pauses that let a status be read
  // are made only then (an automatic run's window is hidden until the run ends).
  virtual bool Watched() const { return false; }
  // Window furniture around a run; a test view may ignore it.
  virtual void RunStarting(int gaugeStep) {}
  virtual void FunctionFinished() {}
  virtual void RunEnded(bool errorStatus) {}
};

// A report nobody reads as it grows: it counts its lines and can hand each to a callback. For
// the benchmarks, and for deletions a window makes outside a run.
class CountingReportView : public ReportView {
 public:
  size_t lines = 0;
  std::function<void(const std::string&)> onLine;  // may be empty
  bool pumpsMessages = false;                      // let window messages run when the work asks
  void ClearLines() override { lines = 0; }
  void AddLine(const std::string& line) override;
  void ReplaceLine(size_t, const std::string&) override {}
  size_t LineCount() const override { return lines; }
  void ShowStatus(const std::string&) override {}
  void PumpMessages() override;
};

// The report of a run that no window shows as it goes: an unattended run keeps its lines, to
// log them and to hand them to the window when its policy says to show it.
class KeptReportView : public ReportView {
 public:
  void ClearLines() override { lines_.clear(); }
  void AddLine(const std::string& line) override { lines_.Add(line); }
  void ReplaceLine(size_t index, const std::string& line) override;
  size_t LineCount() const override { return lines_.size(); }
  const ReportLines& Lines() const override { return lines_; }
  // The lines handed on whole (to the window that shows them), leaving none behind.
  ReportLines TakeLines() { return std::move(lines_); }
  void ShowStatus(const std::string&) override {}
  void PumpMessages() override {}

 private:
  ReportLines lines_;
};

// The state of one purge run: reset at its start, read by every purge function.
struct RunState {
  bool busy = false;     // a run or modal action is in progress: Purge, Preview, Cookies, Exit wait
  bool running = false;  // a run has not yet returned (stays set while a cancelled run unwinds)
  bool preview = false;
  bool cancel = false;
  bool detail = true;
  bool secureErase = false;
  bool compact = false;
  bool keepFiles = false;  // "KeepFiles": a real purge that keeps every file
  ShredSettings shred;  // how a secure erase overwrites, when secureErase is set
  OptionSet options;
  // Facts the run found at its start and hands to every purge; no purge asks a window or
  // reads the settings file for them.
  RunningBrowsers browsers;
  TempFolderSelection tempFolders;  // what "Temp Folders" takes, as Configure saved it
  bool elevated = true;             // the program runs with administrator rights
  int highestLevel = 0;
  int threshold = 0;
  bool attention = false;
  bool someFunctionRan = false;
  bool errorStatus = false;  // the run ended with an error line or at a level above 0
  bool lockedFile = false;
  long long processed = 0;
  std::string statusTitle;
  std::string shredSuffix;
  int gaugeStep = 0;
};

// The report operations every purge function calls.
class ReportContext {
 public:
  ReportContext(RunState& state, ReportView& view) : state_(state), view_(view) {}
  RunState& State() { return state_; }
  ReportView& View() { return view_; }

  void AddReportLine(const std::string& text);
  void RaiseLevel(int level);
  void SetAttention();
  void CountItem();
  void BeginFunction(const std::string& title);
  // Result text of a failed deletion's error code, raising the level as the code warrants.
  std::string MapFileError(unsigned long code);
  // Per-item lines appear only in Detail reports.
  void AddDetailLine(const std::string& text) {
    if (state_.detail) AddReportLine(text);
  }
  bool Cancelled() const { return state_.cancel; }

 private:
  void ShowProcessed();
  RunState& state_;
  ReportView& view_;
};
