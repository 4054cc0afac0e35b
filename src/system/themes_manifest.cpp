#include "system/themes_manifest.h"

#include "core/windows_version.h"
#include "platform/files.h"
#include "system/executables.h"

namespace {
ThemesState g_current = kThemesNotAvailable;

// Deleting the name that is to be taken first lets the rename succeed when both exist.
bool MoveManifest(const std::string& from, const std::string& to) {
  DeleteFileA(to.c_str());
  return MoveFileA(from.c_str(), to.c_str()) != FALSE;
}
}  // namespace

std::string ActiveManifestFile() { return ThemedExecutable() + ".ManifesT"; }
std::string ParkedManifestFile() { return ThemedExecutable() + ".ManifesX"; }

ThemesState ReadThemesState() {
  g_current = kThemesNotAvailable;
  if (CurrentWindowsVersion().isNt && !ThemedExecutable().empty()) {
    if (FileExists(ActiveManifestFile()))
      g_current = kThemesOn;
    else if (FileExists(ParkedManifestFile()))
      g_current = kThemesOff;
  }
  return g_current;
}

ThemesState CurrentThemesState() { return g_current; }

void ShowThemesState(HWND box) {
  const bool available = g_current != kThemesNotAvailable;
  ShowWindow(box, available ? SW_SHOW : SW_HIDE);
  EnableWindow(box, available);
  SendMessageA(box, BM_SETCHECK, g_current == kThemesOn ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ApplyThemesState(HWND box) {
  // The box's own style: the page holding it may be hidden while Apply runs.
  const bool shown = GetWindowLongA(box, GWL_STYLE) & WS_VISIBLE;
  ThemesState wanted = !shown                                                ? kThemesNotAvailable
                       : SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? kThemesOn
                                                                             : kThemesOff;
  if (wanted == g_current) return;
  bool moved = false;
  if (wanted == kThemesOff)
    moved = MoveManifest(ActiveManifestFile(), ParkedManifestFile());
  else if (wanted == kThemesOn)
    moved = MoveManifest(ParkedManifestFile(), ActiveManifestFile());
  if (moved) g_current = wanted;
}
