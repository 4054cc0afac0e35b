#pragma once
#include <windows.h>

#include <string>

// "Positions" entries of the settings file applied to and taken from real windows.
// For "FFoxForm" the fonts and message choices ride along: read by LoadMainWindowChoices (the
// run needs them with or without a window), written with the position.
void LoadWindowPosition(HWND window, const std::string& name);
void SaveWindowPosition(HWND window, const std::string& name);
// The settings file made writable again (unless "ANYPOS"), the fonts and the message choices.
void LoadMainWindowChoices();
// The close of a main window never made (an unattended run that stayed hidden): its stored
// position is written back as it stands ("Default" when none applies), with the fonts and
// message choices, as the window would have saved it.
void SaveUnmadeMainWindowPosition();
// Whether the loaded position asks for the window to open maximised when it is shown.
bool OpensMaximised(HWND window);

// The cookie window's column widths and details-list height ("Lv1C0".."Lv1C3", "Lv2C0".."Lv2C2",
// "LV2Ht" in "Positions"); 0 where nothing is stored. Under "RESET" or "ANYPOS" nothing stored
// applies: `stored` is false and the window keeps its design widths, height and font.
struct CookieFormLayout {
  int mainColumns[4] = {};
  int detailColumns[3] = {};
  int detailsHeight = 0;
  bool stored = true;
};
CookieFormLayout ReadCookieFormLayout();
void WriteCookieFormLayout(const CookieFormLayout& layout);
