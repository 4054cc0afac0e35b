#include "core/program_window.h"

namespace {
HWND g_mainWindow = nullptr;
}

HWND ProgramMainWindow() { return g_mainWindow; }
void SetProgramMainWindow(HWND window) { g_mainWindow = window; }
