#pragma once
#include <windows.h>

#include <string>

#include "core/os_flags.h"

// The program from start to end; returns the process exit code.
int RunQuorvane(const std::string& commandLine);

// The Windows version as read at start-up (registry numbers over the reported ones).
const WindowsVersion& CurrentWindowsVersion();
WindowsVersion ReadWindowsVersion();

// Brings the running instance's main window to the front; false when none was found.
bool ActivateOtherInstance();

// The program-wide handler for failures no other code caught: box, busy cleared, window closed.
void HandleProgramFailure(const std::string& message, const void* address);

// "INIT" and "UNINST": the installer's modes.
void RunInstallerInit();
void RunInstallerUninstall();
