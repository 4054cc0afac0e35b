#include "app/results_column.h"

#include <algorithm>

namespace {
// The list view shows, and sizes to, at most this many characters of a line.
constexpr size_t kShownCharacters = 259;
// What the list view adds behind the widest text when it sizes a column to its contents.
constexpr int kTrailingPadding = 12;

// A device context of the list with the list's font in it.
class ListDc {
 public:
  explicit ListDc(HWND list) : list_(list), dc_(GetDC(list)) {
    if (auto font = reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)))
      old_ = SelectObject(dc_, font);
  }
  ~ListDc() {
    if (old_) SelectObject(dc_, old_);
    ReleaseDC(list_, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HWND list_;
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};
}  // namespace

void ResultsColumn::Forget() {
  measured_ = 0;
  widestIndex_ = 0;
  widest_ = 0;
}

void ResultsColumn::Consider(HDC dc, size_t index, std::string_view text) {
  SIZE size{};
  const size_t shown = std::min(text.size(), kShownCharacters);
  if (shown > 0 && GetTextExtentPoint32A(dc, text.data(), static_cast<int>(shown), &size) &&
      size.cx > widest_) {
    widest_ = size.cx;
    widestIndex_ = index;
  }
}

int ResultsColumn::ContentsWidth(HWND list, const ReportLines& lines) {
  if (measured_ > lines.size()) Forget();
  if (measured_ < lines.size()) {
    ListDc dc(list);
    for (; measured_ < lines.size(); ++measured_) Consider(dc.Get(), measured_, lines[measured_]);
  }
  return widest_ + kTrailingPadding;
}

void ResultsColumn::LineReplaced(HWND list, size_t index, std::string_view text) {
  if (index >= measured_) return;  // measured when the column is next sized
  if (index == widestIndex_) {
    Forget();
    return;
  }
  ListDc dc(list);
  Consider(dc.Get(), index, text);
}
