#pragma once
#include <windows.h>

// The fills of the program's owner-drawn tabs, chosen once from the screen's colour depth
// (planes x bits per pixel). The main window's selected main tab is the program's highlight:
// the cookie window fills its selected tab with the same colour.
struct TabColours {
  COLORREF mainSelected = 0, mainOther = 0, subSelected = 0, subOther = 0;
};
TabColours TabColoursForDepth(int colourDepth);
TabColours ScreenTabColours();
