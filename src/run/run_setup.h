#pragma once
#include <string>

// What every run needs before the first, made once at start-up without a window: the Windows
// and Internet Explorer facts, Firefox and its SQLite module, the plugins, the settings. False
// when Firefox's installation cannot serve a run (the boxes saying why were shown).
bool PrepareForRuns();

// The settings every run reads besides its option set: the shred method, the log options.
void LoadRunSettings();

// The main window's caption, which also names the program to the URL server before any
// window is made.
std::string MainCaption();
