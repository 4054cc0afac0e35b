#pragma once
#include <string>

// A window's stored placement in "Positions": "Default", "2" (maximised), or
// "state top left height width".
struct WindowPlacementValue {
  enum class Kind { Default, Maximised, Normal } kind = Kind::Default;
  int state = 0;  // 0 normal, 1 minimised (read from the first character only)
  int top = 0, left = 0, height = 0, width = 0;
};

WindowPlacementValue ParseWindowPosition(const std::string& value);
std::string FormatWindowPosition(const WindowPlacementValue& v);

// Where the window goes: the stored value checked against the desktop, or the default size.
struct WindowBounds {
  int top = 0, left = 0, width = 0, height = 0;
  bool maximised = false;
};
WindowBounds ResolveWindowBounds(const WindowPlacementValue& v, int desktopWidth, int desktopHeight,
                                 int pixelsPerInch);
