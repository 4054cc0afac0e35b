#pragma once
#include <windows.h>

// The main window's handle, for code below the window that owns a box or a dialog by it; null
// before the window exists and after it is destroyed.
HWND ProgramMainWindow();
void SetProgramMainWindow(HWND window);
