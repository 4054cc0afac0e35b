#include "cookie_window/cookie_help_form.h"

#include <richedit.h>

#include <algorithm>

#include "core/folders.h"
#include "platform/files.h"
#include "resource.h"

namespace {
HWND g_help = nullptr;
HBRUSH g_panel = nullptr;
constexpr const char* kHelpFile = "QvrnCook.rtf";

DWORD CALLBACK StreamText(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  auto* rest = reinterpret_cast<std::string*>(cookie);
  LONG n = std::min<LONG>(size, static_cast<LONG>(rest->size()));
  memcpy(buffer, rest->data(), n);
  rest->erase(0, n);
  *done = n;
  return 0;
}

void LoadText(HWND dialog) {
  HWND edit = GetDlgItem(dialog, IDC_CH_TEXT);
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

void Layout(HWND dialog) {
  RECT c;
  GetClientRect(dialog, &c);
  HWND close = GetDlgItem(dialog, IDC_CH_CLOSE);
  RECT b;
  GetWindowRect(close, &b);
  const int bw = b.right - b.left, bh = b.bottom - b.top;
  MoveWindow(GetDlgItem(dialog, IDC_CH_TEXT), 6, 6, c.right - 12, c.bottom - bh - 18, TRUE);
  MoveWindow(close, c.right - bw - 6, c.bottom - bh - 6, bw, bh, TRUE);
}

INT_PTR CALLBACK HelpProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      LoadText(dialog);
      Layout(dialog);
      return TRUE;
    case WM_SIZE: Layout(dialog); return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      // Deeper displays get the help window's own panel colour.
      if (!g_panel) {
        HDC screen = GetDC(nullptr);
        const bool deep = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES) > 8;
        ReleaseDC(nullptr, screen);
        g_panel = deep ? CreateSolidBrush(RGB(192, 192, 160)) : GetSysColorBrush(COLOR_BTNFACE);
      }
      SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(g_panel);
    case WM_COMMAND:
      if (LOWORD(wp) == IDC_CH_CLOSE || LOWORD(wp) == IDCANCEL) ShowWindow(dialog, SW_HIDE);
      return TRUE;
    case WM_CLOSE: ShowWindow(dialog, SW_HIDE); return TRUE;
    case WM_DESTROY: g_help = nullptr; return FALSE;
  }
  return FALSE;
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
  if (!g_help) {
    static const bool richEditLoaded = LoadLibraryA("riched20.dll") != nullptr;  // "RichEdit20A"
    if (!richEditLoaded) return nullptr;
    g_help = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_COOKIE_HELP),
                                cookieWindow, HelpProc, 0);
    if (!g_help) return nullptr;
  }
  RECT help, cookie, work;
  GetWindowRect(g_help, &help);
  GetWindowRect(cookieWindow, &cookie);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const RECT at = PlaceCookieHelp(help, cookie, work);
  SetWindowPos(g_help, HWND_TOP, at.left, at.top, at.right - at.left, at.bottom - at.top,
               SWP_SHOWWINDOW);
  return g_help;
}

void HideCookieHelp() {
  if (g_help) ShowWindow(g_help, SW_HIDE);
}

HWND CookieHelpWindow() { return g_help; }
