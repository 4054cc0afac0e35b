// The option page's boxes and radio groups, made from the option table and placed by measure:
// a caption is as wide as the page's font draws it, so none is cut at any text size, and a box
// area that cannot hold its groups scrolls.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "app/option_frame.h"
#include "resource.h"

namespace {
constexpr int kPageButtons[] = {IDC_SAVEOPT, IDC_OPTON, IDC_OPTOFF, IDC_OPTRESET};

// In the page's font, on the page or in its box area.
HWND MakeControl(HWND page, HWND parent, const char* type, const char* text, DWORD style, int id) {
  HWND control = CreateWindowExA(0, type, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
  SendMessageA(control, WM_SETFONT, SendMessageA(page, WM_GETFONT, 0, 0), FALSE);
  return control;
}

// Measures in the page's own font.
class PageFont {
 public:
  explicit PageFont(HWND page) : page_(page), dc_(GetDC(page)) {
    old_ = SelectObject(dc_, reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0)));
    GetTextMetricsA(dc_, &metrics_);
    // The check mark scales with the screen's text size; the system's figure may not.
    glyph_ =
        std::max(GetSystemMetrics(SM_CXMENUCHECK), MulDiv(13, GetDeviceCaps(dc_, LOGPIXELSX), 96));
  }
  ~PageFont() {
    SelectObject(dc_, old_);
    ReleaseDC(page_, dc_);
  }
  int TextWidth(const char* text) const {
    SIZE size{};
    GetTextExtentPoint32A(dc_, text, static_cast<int>(strlen(text)), &size);
    return size.cx;
  }
  int Line() const { return metrics_.tmHeight; }
  int Unit() const { return metrics_.tmAveCharWidth; }
  // Where a check box's or radio button's caption starts: its mark and the gap after it.
  int MarkWidth() const { return glyph_ + metrics_.tmAveCharWidth + 2; }
  int RowHeight() const { return std::max<int>(metrics_.tmHeight, glyph_) + metrics_.tmHeight / 4; }
  SIZE Marked(const char* caption) const { return {MarkWidth() + TextWidth(caption), RowHeight()}; }

 private:
  HWND page_;
  HDC dc_;
  HGDIOBJ old_;
  TEXTMETRICA metrics_{};
  int glyph_ = 0;
};
}  // namespace

void TFFoxOptionsFrame1::MakeControls() {
  const PageFont font(window_);
  const HWND area = boxArea_.Handle();
  for (int g = 0; g < kOptionGroupCount; ++g) {
    const auto group = static_cast<OptionGroup>(g);
    PageGroup controls{GroupCaption(group), {}, {}};
    GroupToPlace sizes{font.TextWidth(GroupCaption(group)), {}};
    for (const auto& info : OptionFields()) {
      if (info.isRadio || info.group != group) continue;
      // BS_NOTIFY: the box area hears of the focus, to bring the box into view.
      controls.controls.push_back(MakeControl(window_, area, "BUTTON", info.caption,
                                              BS_AUTOCHECKBOX | BS_NOTIFY | WS_TABSTOP,
                                              OptionControlId(info.field, 0)));
      controls.indents.push_back(0);
      sizes.items.push_back(font.Marked(info.caption));
      if (!info.note) continue;
      controls.controls.push_back(MakeControl(window_, area, "STATIC", info.note,
                                              SS_LEFT | SS_NOPREFIX,
                                              OptionControlId(info.field, kNotePart)));
      controls.indents.push_back(font.MarkWidth());
      sizes.items.push_back({font.MarkWidth() + font.TextWidth(info.note), font.Line()});
    }
    if (controls.controls.empty()) continue;
    boxGroups_.push_back(std::move(controls));
    boxSizes_.push_back(std::move(sizes));
  }
  for (const auto& info : OptionFields()) {
    if (!info.isRadio) continue;
    PageGroup controls{info.caption, {}, {0, 0}};
    GroupToPlace sizes{font.TextWidth(info.caption), {}};
    int choice = 0;
    for (const char* caption : {info.choice0, info.choice1}) {
      const DWORD first = choice == 0 ? WS_GROUP | WS_TABSTOP : 0;
      controls.controls.push_back(MakeControl(window_, window_, "BUTTON", caption,
                                              BS_AUTORADIOBUTTON | first,
                                              OptionControlId(info.field, choice++)));
      sizes.items.push_back(font.Marked(caption));
    }
    radioGroups_.push_back(std::move(controls));
    radioSizes_.push_back(std::move(sizes));
  }
  // The box area comes first in the tab order, after the heading; the buttons keep their place
  // last, after the radio groups made here.
  SetWindowPos(area, GetDlgItem(window_, IDC_OPTION_HEADING), 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (int id : kPageButtons) {
    HWND button = GetDlgItem(window_, id);
    char caption[64] = {};
    GetWindowTextA(button, caption, sizeof caption);
    // The caption with room for the button's edges and focus mark.
    buttonSizes_.push_back({font.TextWidth(caption) + 2 * font.Unit(), 0});
    SetWindowPos(button, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  RECT button{0, 0, 76, 14};  // the designed button, in dialog units
  MapDialogRect(window_, &button);
  measures_.line = font.Line();
  measures_.unit = font.Unit();
  measures_.scrollBar = GetSystemMetrics(SM_CXVSCROLL);
  measures_.button = {button.right, button.bottom};
  lineStep_ = font.RowHeight();
  LayOut();
}

// Lays the page out for its size: the box area scrolls when its groups need more height than
// it has.
void TFFoxOptionsFrame1::LayOut() {
  if (!window_ || layingOut_ || boxGroups_.empty()) return;
  layingOut_ = true;
  RECT client;
  GetClientRect(window_, &client);
  PageMeasures m = measures_;
  m.width = client.right;
  m.visibleHeight = client.bottom;
  layout_ = LayOutOptionPage(m, boxSizes_, radioSizes_, buttonSizes_);
  const RECT& area = layout_.boxArea;
  const int areaHeight = area.bottom - area.top;
  SetWindowPos(boxArea_.Handle(), nullptr, area.left, area.top, area.right - area.left, areaHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
  scroll_ = std::clamp(scroll_, 0, std::max(0, layout_.boxesHeight - areaHeight));
  SCROLLINFO info{sizeof info,
                  SIF_RANGE | SIF_PAGE | SIF_POS,
                  0,
                  layout_.boxesHeight - 1,
                  static_cast<UINT>(std::max(0, areaHeight)),
                  scroll_};
  SetScrollInfo(boxArea_.Handle(), SB_VERT, &info, TRUE);
  PlaceControls();
  layingOut_ = false;
}

void TFFoxOptionsFrame1::PlaceControls() {
  auto place = [](HWND control, RECT r, int indent, int dy) {
    SetWindowPos(control, nullptr, r.left + indent, r.top + dy, r.right - r.left - indent,
                 r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(GetDlgItem(window_, IDC_OPTION_HEADING), layout_.heading, 0, 0);
  auto placeGroups = [&](const std::vector<PageGroup>& groups,
                         const std::vector<PlacedGroup>& placed, int dy) {
    for (size_t g = 0; g < groups.size(); ++g)
      for (size_t i = 0; i < groups[g].controls.size(); ++i)
        place(groups[g].controls[i], placed[g].items[i], groups[g].indents[i], dy);
  };
  placeGroups(boxGroups_, layout_.boxGroups, -scroll_);
  placeGroups(radioGroups_, layout_.radioGroups, 0);
  for (size_t i = 0; i < std::size(kPageButtons); ++i)
    place(GetDlgItem(window_, kPageButtons[i]), layout_.buttons[i], 0, 0);
  // The group frames move with the controls.
  InvalidateRect(window_, nullptr, TRUE);
  InvalidateRect(boxArea_.Handle(), nullptr, TRUE);
}

// The groups' labelled frames are drawn, not controls: a frame control would lie under the
// boxes it holds, and no control of the page shares pixels with another.
void TFFoxOptionsFrame1::PaintGroupFrames(HWND window, const std::vector<PageGroup>& groups,
                                          const std::vector<PlacedGroup>& placed, int dy) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(window_, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  auto frame = [&](RECT r, const char* label) {
    OffsetRect(&r, 0, dy);
    const int middle = r.top + measures_.line / 2, textLeft = r.left + measures_.unit;
    SIZE text{};
    GetTextExtentPoint32A(dc, label, static_cast<int>(strlen(label)), &text);
    RECT sides{r.left, middle, r.right, r.bottom};
    DrawEdge(dc, &sides, EDGE_ETCHED, BF_LEFT | BF_RIGHT | BF_BOTTOM);
    RECT before{r.left, middle, textLeft - 2, r.bottom},
        after{textLeft + text.cx + 2, middle, r.right, r.bottom};
    DrawEdge(dc, &before, EDGE_ETCHED, BF_TOP);
    DrawEdge(dc, &after, EDGE_ETCHED, BF_TOP);
    TextOutA(dc, textLeft, r.top, label, static_cast<int>(strlen(label)));
  };
  for (size_t g = 0; g < groups.size() && g < placed.size(); ++g)
    frame(placed[g].frame, groups[g].label);
  SelectObject(dc, old);
  EndPaint(window, &paint);
}
