#pragma once
#include <windows.h>

#include <string>

// The help file "Quorvane.chm" beside the program, shown by HTML Help (hhctrl.ocx, loaded when
// first needed). Its contents page is "index.html".
inline constexpr const char* kHelpFileName = "Quorvane.chm";
inline constexpr const char* kHelpContentsTopic = "index.html";

// Opens (or brings forward) the help viewer at a topic of the file; the viewer's window, or
// null when HTML Help is missing or refuses the file.
HWND OpenHelpTopic(HWND owner, const std::string& helpFile, const std::string& topic);
// Closes every help window the program opened.
void CloseHelp();
