#pragma once
#include <windows.h>

#include <string>

// The program from start to end; returns the process exit code.
int RunQuorvane(const std::string& commandLine);

// Brings the running instance's main window to the front; false when none was found.
bool ActivateOtherInstance();

// "INIT" and "UNINST": the installer's modes.
void RunInstallerInit();
void RunInstallerUninstall();
