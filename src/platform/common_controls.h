#pragma once
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

// The common controls (comctl32) and common dialogs (comdlg32), loaded the first time a window
// needs them rather than with the program. Loading comctl32 starts the window system's display
// side (under Wine its display driver and the connection to the screen), which an unattended
// run that never makes a window does not need.

// Loads comctl32 and registers every class of common control the program's windows and
// dialog templates use. Call before making such a window; later calls cost nothing.
void EnsureCommonControls();

HIMAGELIST CreateImageList(int cx, int cy, UINT flags, int initial, int grow);
int AddMaskedImage(HIMAGELIST list, HBITMAP bitmap, COLORREF mask);
void DestroyImageList(HIMAGELIST list);
// ChooseFontA; false when cancelled or when comdlg32 cannot be loaded.
bool ChooseFontBox(CHOOSEFONTA& choice);
