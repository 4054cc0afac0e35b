#pragma once
#include <windows.h>

// The warning a cookie purge shows when its keep list is empty: go on and delete every cookie,
// or bypass the cookie pass. A ticked "do not show this message again" is stored as "Y" in the
// browser's message choice.
enum class CookieBrowser { Firefox, Ie };
enum class NoProtectionAnswer { Continue, Bypass };

// True when the browser's stored choice still asks for the warning.
bool NoProtectionWarningWanted(CookieBrowser browser);
NoProtectionAnswer ShowNoProtectionWindow(HWND owner, CookieBrowser browser);
