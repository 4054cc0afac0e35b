#pragma once
#include <string>
#include <vector>

#include "core/report_context.h"
#include "firefox/cookie_lines.h"
#include "platform/sqlite_statement.h"

// The purge functions "FireFox Cookies" and "FireFox Cache".
void PurgeFirefoxCookies(ReportContext& ctx);
void PurgeFirefoxCache(ReportContext& ctx);

// The default profile's cookies, from Cookies.sqlite or (a profile of the Firefox 1-2 era)
// Cookies.txt, sorted so that the cookies of one host are adjacent. On failure: false, no
// cookies, and `errorLine` says what failed and why. `sharing`: Alone unless Firefox may run.
struct CookieStore {
  std::vector<std::string> header;  // Cookies.txt only: its leading comment lines
  std::vector<CookieLine> cookies;
};
bool LoadCookieLines(CookieStore& store, std::string& errorLine, SqlSharing sharing);

// Rewrites Cookies.txt from the store: Cookies.pg1 written whole, then put in Cookies.txt's
// place in one step with the old file kept as Cookies.pg2, which the deletion routine removes
// (so shredded when Secure Erase is on). False when Cookies.txt was not replaced (it is then
// as it was) or when Cookies.pg2 could not be removed.
bool WriteBackCookiesTxt(ReportContext& ctx, const CookieStore& store);
