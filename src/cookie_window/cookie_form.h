#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "core/option_set.h"

// The cookie window (TCookieForm, "Quorvane - Select Cookies to Keep"): the cookies Firefox and
// Internet Explorer hold, their keep-list marks and the browsers' own per-site settings, with
// the commands that change them. Modal; the keep lists load when it opens and are saved when
// it closes or its tab changes. Deletions follow the option set's Secure Erase choice.
void ShowCookieForm(HWND owner, const OptionSet& options, const ShredSettings& shred);

// The splitter's rule: the details list's new height is taken when it is 20 % to 60 % of the
// area of both lists and leaves the main list 40 pixels plus the window's height above 375.
bool AcceptDetailsHeight(int height, int listArea, int windowHeight);

// The keep-status mark of one address (caption lower-cased), "Protect", "Random" or empty, as
// the window shows it: exact entries and the IE part-of-host forms, a later entry winning.
std::string KeepStatusMark(const std::vector<std::string>& entries, const std::string& caption);
