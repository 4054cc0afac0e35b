#pragma once
// System actions the shell calls at fixed places; they come to life with the system actions.
bool ThemesManifestPresent();            // "Support XP Themes?" state at start-up
void ApplyThemesChoice(bool themesOn);   // General page "Apply Changes"
bool IsRunKeyEntryPresent();             // "Execute Quorvane at System Startup"
void SetRunKeyEntry(bool present);       // Startup page "Apply Changes"
void StartShutdownAction(int shutType);  // Shutdown mode, when the main window closes
void RemoveRunKeyEntry();                // "UNINST"
void NoteShortcutExecutables(const char* mainExe, const char* themedExe);
