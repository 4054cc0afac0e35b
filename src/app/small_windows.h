#pragma once
#include <windows.h>

// The fonts window, about box, Quick Start window and splash.
void ShowFontsWindow(HWND owner);
void ShowAboutBox(HWND owner);
// Shows the Quick Start window (made on first use, not modal); returns it.
HWND ShowQuickStart(HWND owner, HWND existing);
// The splash of the automatic modes, scaled for the screen's resolution; hidden at first.
HWND CreateSplash();
