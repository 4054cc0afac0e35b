#pragma once
#include <windows.h>

#include <string>

// The exit code of an unattended start that purged nothing because another copy was running:
// outside the range of levels, so that no script takes it for one.
inline constexpr int kExitRunSkipped = 10;

// The program from start to end; returns the process exit code.
int RunQuorvane(const std::string& commandLine);

// Brings the running instance's main window to the front; false when none was found.
bool ActivateOtherInstance();

// "INIT" and "UNINST": the installer's modes.
void RunInstallerInit();
void RunInstallerUninstall();
