// The option page's box area: the window the check-box groups scroll in, under the page's
// heading and above its pinned radio row and buttons.
#include <windows.h>

#include <algorithm>
#include <climits>

#include "app/option_frame.h"

namespace {
constexpr const char* kBoxAreaClass = "QvOptionBoxes";

bool RegisterBoxAreaClass() {
  static const bool registered = [] {
    WNDCLASSEXA wc{sizeof wc};
    wc.lpfnWndProc = Window::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kBoxAreaClass;
    return RegisterClassExA(&wc) != 0;
  }();
  return registered;
}
}  // namespace

// A control parent, so that Tab walks from the page into its boxes and out again.
bool TFFoxOptionsFrame1::BoxArea::Make(HWND parent) {
  return RegisterBoxAreaClass() &&
         Create(WS_EX_CONTROLPARENT, kBoxAreaClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                0, 0, 0, parent, nullptr);
}

LRESULT TFFoxOptionsFrame1::BoxArea::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  return page_.OnBoxAreaMessage(msg, wp, lp);
}

LRESULT TFFoxOptionsFrame1::OnBoxAreaMessage(UINT msg, WPARAM wp, LPARAM lp) {
  const HWND area = boxArea_.Handle();
  switch (msg) {
    case WM_COMMAND:
      // The boxes notify their focus: one reached by Tab while scrolled away comes into view.
      if (HIWORD(wp) == BN_SETFOCUS) ScrollIntoView(reinterpret_cast<HWND>(lp));
      return 0;
    // The yellow marking is the page's.
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: return SendMessageA(window_, msg, wp, lp);
    case WM_PAINT: PaintGroupFrames(area, boxGroups_, layout_.boxGroups, -scroll_); return 0;
    case WM_VSCROLL:
    case WM_MOUSEWHEEL: OnScroll(msg, wp); return 0;
    // A disabled box gets no mouse messages of its own: the area is under the pointer then,
    // and the box it covers shows its hint, which says why it is disabled.
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == area && onHover) {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(area, &pt);
        HWND under = ChildWindowFromPointEx(area, pt, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (under && under != area && !IsWindowEnabled(under)) {
          // Answered here: passed on, the page would show the area's own (empty) hint.
          onHover(under);
          SetCursor(LoadCursorA(nullptr, IDC_ARROW));
          return TRUE;
        }
      }
      break;
  }
  return DefWindowProcA(area, msg, wp, lp);
}

bool TFFoxOptionsFrame1::OnScroll(UINT msg, WPARAM wp) {
  if (msg == WM_MOUSEWHEEL) {
    ScrollTo(scroll_ - GET_WHEEL_DELTA_WPARAM(wp) * 3 * lineStep_ / WHEEL_DELTA);
    return true;
  }
  SCROLLINFO info{sizeof info, SIF_ALL};
  GetScrollInfo(boxArea_.Handle(), SB_VERT, &info);
  const int page = static_cast<int>(info.nPage);
  switch (LOWORD(wp)) {
    case SB_LINEUP: ScrollTo(scroll_ - lineStep_); break;
    case SB_LINEDOWN: ScrollTo(scroll_ + lineStep_); break;
    case SB_PAGEUP: ScrollTo(scroll_ - page); break;
    case SB_PAGEDOWN: ScrollTo(scroll_ + page); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: ScrollTo(info.nTrackPos); break;
    case SB_TOP: ScrollTo(0); break;
    case SB_BOTTOM: ScrollTo(INT_MAX / 2); break;
  }
  return true;
}

void TFFoxOptionsFrame1::ScrollTo(int position) {
  const int areaHeight = layout_.boxArea.bottom - layout_.boxArea.top;
  position = std::clamp(position, 0, std::max(0, layout_.boxesHeight - areaHeight));
  if (position == scroll_) return;
  scroll_ = position;
  SetScrollPos(boxArea_.Handle(), SB_VERT, scroll_, TRUE);
  PlaceControls();
}

// The least move that shows the whole control.
void TFFoxOptionsFrame1::ScrollIntoView(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, boxArea_.Handle(), reinterpret_cast<POINT*>(&r), 2);
  const int areaHeight = layout_.boxArea.bottom - layout_.boxArea.top;
  if (r.top < 0)
    ScrollTo(scroll_ + r.top);
  else if (r.bottom > areaHeight)
    ScrollTo(scroll_ + r.bottom - areaHeight);
}
