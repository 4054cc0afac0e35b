#pragma once
#include <windows.h>

// "Community Cleaners": the entries of Winapp2.ini (and Winapp3.ini) detected here, grouped,
// with a tick each (the selection the "Community Cleaners" box runs), a filter, the keys of the
// selected entry, its Preview, the update of the file, Apply and Close.
class TWinapp2Form {
 public:
  static void ShowModal(HWND owner);
};
