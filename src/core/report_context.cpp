#include "core/report_context.h"

#include <windows.h>

#include "core/report_rules.h"
#include "core/text_util.h"

void ReportContext::AddReportLine(const std::string& text) {
  // An error line is never part of a clean run, whether or not its writer raised a level.
  if (const int level = ErrorLineLevel(text, state_.preview); level > 0) {
    RaiseLevel(level);
    SetAttention();
  }
  try {
    view_.AddLine(text);
  } catch (...) {
    // A line that cannot be added is lost; the run goes on.
  }
}

void ReportContext::RaiseLevel(int level) {
  if (level > state_.highestLevel) state_.highestLevel = level;
}

void ReportContext::SetAttention() { state_.attention = true; }

void ReportContext::ShowProcessed() {
  view_.ShowStatus(state_.statusTitle +
                   "  -  Total processed = " + std::to_string(state_.processed));
}

void ReportContext::CountItem() {
  ++state_.processed;
  ShowProcessed();
  if (state_.processed % 10 == 0) view_.PumpMessages();
}

void ReportContext::BeginFunction(const std::string& title) {
  AddReportLine(Trim(title));
  state_.statusTitle = title + state_.shredSuffix;
  ShowProcessed();
  view_.PumpMessages();
  if (view_.Watched()) Sleep(100);
}

std::string ReportContext::MapFileError(unsigned long code) {
  MappedError m = MapDeleteErrorCode(code);
  RaiseLevel(m.level);
  // Reported as locked: the run closes with its note on files in use. (A caller that ignores
  // the error, as a temp "i=" entry does, never maps it and so never marks it.)
  if (m.text == result_text::kLocked) state_.lockedFile = true;
  return m.text;
}

void CountingReportView::AddLine(const std::string& line) {
  ++lines;
  if (onLine) onLine(line);
}

void CountingReportView::PumpMessages() {
  if (!pumpsMessages) return;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

const ReportLines& ReportView::Lines() const {
  static const ReportLines none;
  return none;
}

void KeptReportView::ReplaceLine(size_t index, const std::string& line) {
  if (index < lines_.size()) lines_.Replace(index, line);
}
