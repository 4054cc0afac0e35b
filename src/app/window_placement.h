#pragma once
#include <windows.h>

#include <string>

// "Positions" entries of the settings file applied to and taken from real windows.
// For "FFoxForm" the fonts and message choices ride along.
void LoadWindowPosition(HWND window, const std::string& name);
void SaveWindowPosition(HWND window, const std::string& name);
// Whether the loaded position asks for the window to open maximised when it is shown.
bool OpensMaximised(HWND window);
