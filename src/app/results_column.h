#pragma once
#include <windows.h>

#include <string_view>

#include "core/report_lines.h"

// The width the results list's one column needs for its lines, as the list view's own sizing to
// contents gives it, keeping the widest line measured: a report of a large purge has hundreds
// of thousands of lines, and the column is sized again at every change of the window's size.
class ResultsColumn {
 public:
  // A new report, or another font: nothing is measured yet.
  void Forget();
  // Measures the lines not measured before, in the list's font.
  int ContentsWidth(HWND list, const ReportLines& lines);
  // A measured line has another text; the one that was widest may be narrower now.
  void LineReplaced(HWND list, size_t index, std::string_view text);

 private:
  void Consider(HDC dc, size_t index, std::string_view text);
  size_t measured_ = 0;
  size_t widestIndex_ = 0;
  int widest_ = 0;
};
