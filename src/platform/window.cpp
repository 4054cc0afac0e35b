#include "platform/window.h"

#include <utility>
#include <vector>

std::string WindowText(HWND window) {
  int n = GetWindowTextLengthA(window);
  std::string s(n + 1, '\0');
  n = GetWindowTextA(window, s.data(), n + 1);
  s.resize(n > 0 ? n : 0);
  return s;
}

void SetWindowTextString(HWND window, const std::string& text) {
  SetWindowTextA(window, text.c_str());
}

std::string WindowClass(HWND window) {
  char buf[256];
  int n = GetClassNameA(window, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

std::string WindowTitle(HWND window) {
  char buf[256];
  int n = GetWindowTextA(window, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

int CheckedRadio(HWND dialog, int firstId, int count) {
  for (int i = 0; i < count; ++i)
    if (IsDlgButtonChecked(dialog, firstId + i) == BST_CHECKED) return i;
  return -1;
}

void CheckRadio(HWND dialog, int firstId, int count, int index) {
  for (int i = 0; i < count; ++i)
    CheckDlgButton(dialog, firstId + i, i == index ? BST_CHECKED : BST_UNCHECKED);
}

void PumpWaitingMessages() {
  MSG msg;
  bool quit = false;
  int exitCode = 0;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      exitCode = static_cast<int>(msg.wParam);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (quit) PostQuitMessage(exitCode);  // left for the main loop
}

int ScreenPixelsPerInch() {
  HDC dc = GetDC(nullptr);
  int ppi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return ppi;
}

HBRUSH BrushOf(COLORREF colour) {
  static std::vector<std::pair<COLORREF, HBRUSH>> cache;
  for (auto& [c, b] : cache)
    if (c == colour) return b;
  cache.emplace_back(colour, CreateSolidBrush(colour));
  return cache.back().second;
}

void KeepClientAtLeast(HWND window, SIZE client, LPARAM minMaxInfo) {
  RECT frame{0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&frame, GetWindowLongA(window, GWL_STYLE), FALSE,
                     GetWindowLongA(window, GWL_EXSTYLE));
  reinterpret_cast<MINMAXINFO*>(minMaxInfo)->ptMinTrackSize = {frame.right - frame.left,
                                                               frame.bottom - frame.top};
}
