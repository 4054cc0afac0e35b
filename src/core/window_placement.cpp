#include "core/window_placement.h"

#include <algorithm>

#include "core/command_line.h"
#include "core/folders.h"
#include "core/run_mode.h"
#include "core/settings.h"
#include "core/text_util.h"
#include "core/window_position.h"
#include "platform/window.h"

namespace {
constexpr const char* kMaximisedProp = "Quorvane.Maximised";
}

bool OpensMaximised(HWND window) { return GetPropA(window, kMaximisedProp) != nullptr; }

// "ANYPOS" leaves the design position alone, but the fonts and message choices are still read:
// the main window writes them back when it closes.
void LoadMainWindowChoices() {
  ProfileFile file = SettingsFile();
  DWORD attributes = GetFileAttributesA(file.Path().c_str());
  if (!ParamSwitch("ANYPOS") && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(file.Path().c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  FontSettings stored = ReadFonts(file);
  if (!stored.main.name.empty() && stored.main.size != 0) Globals().fonts.main = stored.main;
  // The cookie window's font rides on the main window's entry too: read here, so that the
  // font dialog opens on it and the write at exit keeps it.
  if (!stored.cookies.name.empty() && stored.cookies.size != 0)
    Globals().fonts.cookies = stored.cookies;
  Globals().messages = ReadMessageChoices(file);
}

namespace {
// The position a window is given at start from its stored value.
std::string PositionToApply(const std::string& stored) {
  return stored.empty() || ResetPositionsRequested() ? "Default" : stored;
}

// The main window's entry brings its message choices and fonts: eleven keys, one write.
void WritePosition(const std::string& name, const WindowPlacementValue& v) {
  SettingsChanges changes;
  changes.Set("Positions", name, FormatWindowPosition(v));
  if (name == "FFoxForm") {
    WriteMessageChoices(changes, Globals().messages);
    WriteFonts(changes, Globals().fonts);
  }
  changes.Commit();
}
}  // namespace

void LoadWindowPosition(HWND window, const std::string& name) {
  if (ParamSwitch("ANYPOS")) return;
  ProfileFile file = SettingsFile();
  const std::string stored = file.ReadString("Positions", name, "");
  // No entry at all: the window keeps its design size and centred place.
  if (stored.empty() && !ResetPositionsRequested()) return;
  WindowBounds b = ResolveWindowBounds(ParseWindowPosition(PositionToApply(stored)),
                                       GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                       ScreenPixelsPerInch());
  WINDOWPLACEMENT wp{sizeof wp};
  GetWindowPlacement(window, &wp);
  wp.rcNormalPosition = {b.left, b.top, b.left + b.width, b.top + b.height};
  wp.showCmd = IsWindowVisible(window) ? (b.maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL) : SW_HIDE;
  SetWindowPlacement(window, &wp);
  SetPropA(window, kMaximisedProp, reinterpret_cast<HANDLE>(b.maximised ? 1 : 0));
}

void SaveWindowPosition(HWND window, const std::string& name) {
  if (Folders().cdMode) return;
  WINDOWPLACEMENT wp{sizeof wp};
  GetWindowPlacement(window, &wp);
  WindowPlacementValue v;
  // A window that was never shown (an unattended run that stayed hidden) keeps the maximised
  // state it was given at start.
  const bool maximised = IsWindowVisible(window)
                             ? wp.showCmd == SW_SHOWMAXIMIZED || IsZoomed(window)
                             : OpensMaximised(window);
  if (maximised) {
    v.kind = WindowPlacementValue::Kind::Maximised;
  } else {
    const RECT& r = wp.rcNormalPosition;
    v.kind = WindowPlacementValue::Kind::Normal;
    v.state = IsIconic(window) ? 1 : 0;
    v.top = r.top;
    v.left = r.left;
    v.height = r.bottom - r.top;
    v.width = r.right - r.left;
  }
  WritePosition(name, v);
}

// Where a window that is not made would stand is where it was stored; "ANYPOS" would have left
// it at its design place. Checking it against the desktop waits for the next window made.
void SaveUnmadeMainWindowPosition() {
  if (Folders().cdMode) return;
  WritePosition("FFoxForm", ParamSwitch("ANYPOS")
                                ? WindowPlacementValue{}
                                : ParseWindowPosition(PositionToApply(
                                      SettingsFile().ReadString("Positions", "FFoxForm", ""))));
}

CookieFormLayout ReadCookieFormLayout() {
  CookieFormLayout l;
  if (ParamSwitch("ANYPOS") || ResetPositionsRequested()) {
    l.stored = false;
    return l;
  }
  ProfileFile file = SettingsFile();
  auto read = [&](const std::string& key) {
    return std::max(0, ParseIntOr(file.ReadString("Positions", key, ""), 0));
  };
  for (int i = 0; i < 4; ++i) l.mainColumns[i] = read("Lv1C" + std::to_string(i));
  for (int i = 0; i < 3; ++i) l.detailColumns[i] = read("Lv2C" + std::to_string(i));
  l.detailsHeight = read("LV2Ht");
  return l;
}

void WriteCookieFormLayout(const CookieFormLayout& l) {
  if (Folders().cdMode) return;
  SettingsChanges changes;
  for (int i = 0; i < 4; ++i)
    changes.SetInt("Positions", "Lv1C" + std::to_string(i), l.mainColumns[i]);
  for (int i = 0; i < 3; ++i)
    changes.SetInt("Positions", "Lv2C" + std::to_string(i), l.detailColumns[i]);
  changes.SetInt("Positions", "LV2Ht", l.detailsHeight);
  changes.Commit();
}
