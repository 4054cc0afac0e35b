#pragma once
#include <windows.h>

// The editor of the temp protect entries ("Edit Protect Entries for "Temp" Files" in the
// main window's Tools menu). Opens without blocking, or comes forward when already open; its
// entries are loaded when it opens and written back, when changed, when it closes.
class TProtTempForm {
 public:
  static HWND Show(HWND owner);
  static HWND Handle();  // null while closed
};
