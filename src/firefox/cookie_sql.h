#pragma once
#include <set>
#include <string>
#include <vector>

#include "firefox/cookie_lines.h"
#include "platform/sqlite_statement.h"

// The SQL of Cookies.sqlite (moz_cookies) that the cookie purge and the cookie window share.
// Cookie texts stay the file's UTF-8 bytes: a value written back is the value read. Failures
// throw ESQLiteException, with LastSqliteError set.

// Every cookie of the file as a Cookies.txt line with its row, in the table's order.
// `sharing`: Alone unless Firefox may run.
std::vector<CookieLine> ReadFirefoxCookieRows(const std::string& file, SqlSharing sharing);

// Deletes every cookie of the hosts (given lower-cased; a row's host compared lower-cased, as
// CookieLineHost reads it) in one transaction. Firefox is not running.
void DeleteFirefoxCookieHosts(const std::string& file, const std::set<std::string>& hosts);
