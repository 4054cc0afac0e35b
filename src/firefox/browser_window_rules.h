#pragma once
#include <string>

// Which top-level windows belong to a browser, by class name and title alone.
// Class and title are compared upper-cased; `ieCustomTitle` is already upper case.
bool IsFirefoxClassAndTitle(const std::string& className, const std::string& title);
// `listing`: the hidden-window listing also holds "IEFrame" windows to the title rules.
bool IsIeClassAndTitle(const std::string& className, const std::string& title,
                       const std::string& ieCustomTitle, bool listing);
bool IsMsnClass(const std::string& className);

// The classes the rules above accept (compared without regard to case): a window of any
// other class belongs to no browser.
inline constexpr const char* kFirefoxWindowClasses[] = {"MozillaWindowClass",
                                                        "MozillaUIWindowClass"};
inline constexpr const char* kIeWindowClasses[] = {"IEFrame", "CabinetWClass"};
inline constexpr const char* kMsnWindowClasses[] = {"MSN6 Window", "MSN9 Window"};
bool IsMsnBrowserChildTitle(const std::string& title);
