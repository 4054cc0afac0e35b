#pragma once
#include "core/os_flags.h"

// The Windows version as read at start-up (registry numbers over the reported ones); all zero
// before start-up read it.
const WindowsVersion& CurrentWindowsVersion();
// Reads the version now and makes it the current one.
void LoadCurrentWindowsVersion();
WindowsVersion ReadWindowsVersion();
