#pragma once
#include <string>

// Which top-level windows belong to a browser, by class name and title alone.
// Class and title are compared upper-cased; `ieCustomTitle` is already upper case.
bool IsFirefoxClassAndTitle(const std::string& className, const std::string& title);
// `listing`: the hidden-window listing also holds "IEFrame" windows to the title rules.
bool IsIeClassAndTitle(const std::string& className, const std::string& title,
                       const std::string& ieCustomTitle, bool listing);
bool IsMsnClass(const std::string& className);
bool IsMsnBrowserChildTitle(const std::string& title);
