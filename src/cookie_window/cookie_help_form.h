#pragma once
#include <windows.h>

#include <string>

// The cookie window's help (TCHform): QvrnCook.rtf from the program's folder in a read-only
// rich edit, placed beside the cookie window within the desktop's work area each time it shows.
// Made on first use and kept (hidden) until the cookie window closes.
HWND ShowCookieHelp(HWND cookieWindow);
void HideCookieHelp();
HWND CookieHelpWindow();  // null before the first show

// Where the help window goes: its size cut to half the work area (never below 360 by 240) and
// its top-left corner at the cookie window's bottom-right, pulled back inside the work area.
RECT PlaceCookieHelp(const RECT& help, const RECT& cookieWindow, const RECT& workArea);
