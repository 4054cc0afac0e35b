#pragma once
#include <set>
#include <string>

#include "chromium/chromium_browsers.h"
#include "core/report_context.h"
#include "platform/sqlite_statement.h"

// The purge functions of the Chromium-family browsers, each over every profile of every
// browser found: "Chromium History", "Chromium Typed URLs", "Chromium Forms", "Chromium
// Cookies", "Chromium Cache" and "Chromium Session". A browser that runs is left alone with a
// refusal line. Each writes only its body lines; the run's frame writes the header and footer.
void PurgeChromiumHistory(ReportContext& ctx);
void PurgeChromiumTypedUrls(ReportContext& ctx);
void PurgeChromiumForms(ReportContext& ctx);
void PurgeChromiumCookies(ReportContext& ctx);
void PurgeChromiumCache(ReportContext& ctx);
void PurgeChromiumSession(ReportContext& ctx);

// Why a browser counts as running: its lock file held, or one of its processes alive.
enum class BrowserRunning { No, LockHeld, Process };
BrowserRunning ChromiumBrowserRunning(const ChromiumBrowser& browser);
// True while any browser found runs (the main window marks the ticked Chromium boxes).
bool AnyChromiumBrowserRunning();
// The names of the browsers found that run.
std::set<std::string> RunningChromiumBrowsers();
// The refusal line (and level 7 outside a preview) while the browser runs; true when refused.
bool RefusedWhileChromiumRuns(ReportContext& ctx, const ChromiumBrowser& browser);

// The cookie database of a profile: Network\Cookies, or Cookies of older releases; "" if none.
std::string ChromiumCookiesFile(const ChromiumProfile& profile);

// How every database of a Chromium-family profile is opened. These browsers ship no SQLite a
// program could borrow (it is linked into the browser), so the SQLite compiled into Quorvane
// serves, whichever module serves Firefox. Texts travel as the file's own UTF-8 bytes. The
// browser is not running (its purges and the cookie window refuse to work while it runs), so a
// file in WAL mode is opened alone. Only an existing file is opened, never made, and its schema
// is read at once, proving it a database. Failures throw ESQLiteException; SqliteFailureReason
// puts them in words.
inline constexpr SqlOpen kChromiumDatabase{.text = SqlText::Utf8,
                                           .sharing = SqlSharing::Alone,
                                           .engine = SqliteEngine::Builtin,
                                           .existing = true,
                                           .relaxed = false,
                                           .readSchema = true};
