#pragma once
#include <windows.h>

// True when the current user is an administrator: on Windows 2000 and later a member of the
// built-in Administrators group whose membership counts (not deny-only, as for a standard user
// under Vista's split token).
bool IsUserAdmin();
// The group-list test behind it, on a given token: a group equal to Administrators, and with
// `enabledOnly` also enabled and not deny-only.
bool TokenHasAdministrators(HANDLE token, bool enabledOnly);
