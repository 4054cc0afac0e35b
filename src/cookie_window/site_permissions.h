#pragma once
#include <string>

// The browsers' own per-site cookie settings, shown and set by the cookie window.
//
// Firefox: permissions.sqlite (moz_perms of current Firefox, keyed by origin; moz_hosts of the
// Firefox 3-41 era; its SQL is firefox/permission_sql.h) or, for a profile that keeps cookies
// in Cookies.txt, hostperm.1. The store is loaded by LoadFirefoxPermissions and kept until
// CloseFirefoxPermissions; the database is opened for each change.
// Internet Explorer: the per-site privacy decisions under HKCU, one key per site domain.

// True when the store loaded; messages tell the user when it did not.
bool LoadFirefoxPermissions();
// Writes hostperm.1 when it changed; closes the database. False when hostperm.1 was not
// written.
bool CloseFirefoxPermissions();
// "Allow", "Block", "Session", "unknown" (hostperm.1 only) or empty.
std::string GetFirefoxPermission(const std::string& host);
// Action 'A' allow, 'B' block, 'S' allow for the session, 'R' remove; true when done.
bool SetFirefoxPermission(const std::string& host, char action);

// "Allow", "Block", "Other - " + value, or empty.
std::string GetIePermission(const std::string& address);
// Action 'A', 'B' or 'R'; true when done.
bool SetIePermission(const std::string& address, char action);

// The registry key of a site domain's decision, below HKEY_CURRENT_USER.
std::string IePermissionKey(const std::string& domain);
