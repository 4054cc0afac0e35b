#pragma once
#include <windows.h>

// "Wipe Free Space" of the Tools menu: choose a drive, start, watch the bytes written and the
// time left, cancel. Modal; the wipe runs on this thread and lets the window's messages run.
void ShowWipeWindow(HWND owner);
