#include "cookie_window/cookie_help_form.h"

#include <richedit.h>

#include <algorithm>

#include "core/folders.h"
#include "platform/files.h"
#include "platform/window.h"
#include "platform/window_procedure.h"
#include "resource.h"

namespace {
constexpr const char* kHelpFile = "QvrnCook.rtf";

DWORD CALLBACK StreamText(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  auto* rest = reinterpret_cast<std::string*>(cookie);
  LONG n = std::min<LONG>(size, static_cast<LONG>(rest->size()));
  memcpy(buffer, rest->data(), n);
  rest->erase(0, n);
  *done = n;
  return 0;
}

class CookieHelpForm : public Dialog {
 private:
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool OnInit() override;
  bool OnSize() override {
    Layout();
    return true;
  }
  bool OnCommand(int id, int) override {
    if (id == IDC_CH_CLOSE || id == IDCANCEL) ShowWindow(window_, SW_HIDE);
    return true;
  }
  bool OnClose() override {
    ShowWindow(window_, SW_HIDE);
    return true;
  }
  void LoadText();
  void Layout();

  HBRUSH panel_ = nullptr;
};

// One help window for the process: the cookie window is modal, so there is never a second.
CookieHelpForm& Help() {
  static CookieHelpForm help;
  return help;
}

INT_PTR CookieHelpForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(panel_);
  }
  return Dialog::OnMessage(msg, wp, lp);
}

bool CookieHelpForm::OnInit() {
  // Deeper displays get the help window's own panel colour.
  HDC screen = GetDC(nullptr);
  const bool deep = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES) > 8;
  ReleaseDC(nullptr, screen);
  panel_ = deep ? BrushOf(RGB(192, 192, 160)) : GetSysColorBrush(COLOR_BTNFACE);
  LoadText();
  Layout();
  return true;
}

void CookieHelpForm::LoadText() {
  HWND edit = Item(IDC_CH_TEXT);
  std::string rtf;
  if (ReadWholeFile(Folders().programFolder + "\\" + kHelpFile, rtf)) {
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&rtf), 0, StreamText};
    SendMessageA(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
  } else {
    const std::string text =
        std::string("\r\n...Unable to locate the text file to display.\r\n\r\n") +
        "...The file - " + kHelpFile + " must be in the " + "Quorvane execution folder.";
    SetWindowTextA(edit, text.c_str());
  }
  SendMessageA(edit, EM_SETSEL, 0, 0);
}

void CookieHelpForm::Layout() {
  RECT c;
  GetClientRect(window_, &c);
  HWND close = Item(IDC_CH_CLOSE);
  RECT b;
  GetWindowRect(close, &b);
  const int bw = b.right - b.left, bh = b.bottom - b.top;
  MoveWindow(Item(IDC_CH_TEXT), 6, 6, c.right - 12, c.bottom - bh - 18, TRUE);
  MoveWindow(close, c.right - bw - 6, c.bottom - bh - 6, bw, bh, TRUE);
}
}  // namespace

RECT PlaceCookieHelp(const RECT& help, const RECT& cookieWindow, const RECT& workArea) {
  const int r = workArea.right, b = workArea.bottom;
  int width = help.right - help.left, height = help.bottom - help.top;
  if (width > r / 2) width = std::max(r / 2, std::min(width, 360));
  if (height > b / 2) height = std::max(b / 2, std::min(height, 240));
  const int left = std::max(0L, std::min<LONG>(r - width, cookieWindow.right));
  const int top = std::max(0L, std::min<LONG>(b - height, cookieWindow.bottom));
  return {left, top, left + width, top + height};
}

HWND ShowCookieHelp(HWND cookieWindow) {
  HWND help = Help().Handle();
  if (!help) {
    static const bool richEditLoaded = LoadLibraryA("riched20.dll") != nullptr;  // "RichEdit20A"
    if (!richEditLoaded) return nullptr;
    help = Help().CreateModeless(IDD_COOKIE_HELP, cookieWindow);
    if (!help) return nullptr;
  }
  RECT at, cookie, work;
  GetWindowRect(help, &at);
  GetWindowRect(cookieWindow, &cookie);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  at = PlaceCookieHelp(at, cookie, work);
  SetWindowPos(help, HWND_TOP, at.left, at.top, at.right - at.left, at.bottom - at.top,
               SWP_SHOWWINDOW);
  return help;
}

void HideCookieHelp() {
  if (HWND help = Help().Handle()) ShowWindow(help, SW_HIDE);
}

HWND CookieHelpWindow() { return Help().Handle(); }
