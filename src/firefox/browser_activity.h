#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Is a browser running? Decided from the desktop's top-level windows, never a process list.
bool IsFirefoxWindow(HWND window);
bool IsIeWindow(HWND window, bool listing = false);
bool IsMsnWindow(HWND window);

// A visible Firefox window, or the default profile's parent.lock held by another process.
bool TisFireFoxActive();
bool IsProfileLockHeld(const std::string& profileFolder);
bool TisIEorMSNactive();  // also sets BrowserState

// 0 none, 1 visible IE, 2 hidden IE, 3 visible MSN, 4 hidden MSN: from the last check.
int BrowserState();
// Set by the activity poll, read by every Firefox purge function.
bool FirefoxActive();
void SetFirefoxActive(bool active);

// The upper-cased IE "Window Title" setting, read once per process.
const std::string& IeCustomTitle();

// Lines of the "Display Hidden Browser Windows" listing.
void ListHiddenBrowserWindows(const std::function<void(const std::string&)>& addLine);
