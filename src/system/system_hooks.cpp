#include "system/system_hooks.h"

#include <windows.h>

#include "platform/registry.h"

bool ThemesManifestPresent() { return false; }
void ApplyThemesChoice(bool) {}
bool IsRunKeyEntryPresent() { return false; }
void SetRunKeyEntry(bool) {}
void StartShutdownAction(int) {}
void NoteShortcutExecutables(const char*, const char*) {}

void RemoveRunKeyEntry() {
  RegKey run;
  if (run.Create(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run") ==
      ERROR_SUCCESS)
    run.DeleteValue("Quorvane");
}
