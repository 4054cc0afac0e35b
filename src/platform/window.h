#pragma once
#include <windows.h>

#include <string>

// Small forwards over the ANSI window calls, in the style of the controls they serve.
std::string WindowText(HWND window);
void SetWindowTextString(HWND window, const std::string& text);
std::string WindowClass(HWND window);  // at most 255 characters
std::string WindowTitle(HWND window);  // at most 255 characters
inline bool IsChecked(HWND button) {
  return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
inline void SetChecked(HWND button, bool on) {
  SendMessageA(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}
// Index of the checked button among `count` radio buttons with consecutive ids; -1 for none.
int CheckedRadio(HWND dialog, int firstId, int count);
void CheckRadio(HWND dialog, int firstId, int count, int index);
// Runs the window messages that are waiting, without blocking.
void PumpWaitingMessages();
int ScreenPixelsPerInch();
// A solid brush of the colour, made once and kept for the life of the process.
HBRUSH BrushOf(COLORREF colour);
// Answers WM_GETMINMAXINFO (`minMaxInfo` its lParam) so that the window is never made smaller
// than a client area of `client`: every control placed for that size stays in view.
void KeepClientAtLeast(HWND window, SIZE client, LPARAM minMaxInfo);
