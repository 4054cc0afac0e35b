#include "chromium/chromium_purge.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <stdexcept>

#include "chromium/chromium_sql.h"
#include "chromium/running_rules.h"
#include "cookies/cookie_decision.h"
#include "cookies/keep_list_files.h"
#include "core/folders.h"
#include "core/report_rules.h"
#include "core/text_util.h"
#include "files/delete_outcome.h"
#include "files/secure_erase.h"
#include "files/temp_folders.h"
#include "files/temp_protect_list.h"
#include "platform/files.h"
#include "platform/processes.h"

namespace {
using ProfileWork = std::function<void(ReportContext&, const ChromiumProfile&)>;

std::string Completed(const std::string& function) {
  return "  Purge \"" + function + "\" Function Completed.";
}

// Runs the work on every profile of every browser found that is not running, then the
// browser's own work (what its user-data folder holds for every profile); the browser and
// profile head their lines.
void ForEachProfile(ReportContext& ctx, const ProfileWork& work,
                    const std::function<void(ReportContext&, const ChromiumBrowser&)>& whole = {}) {
  const std::vector<ChromiumBrowser> browsers = FindChromiumBrowsers();
  if (browsers.empty()) ctx.AddReportLine("    No Chromium browser found.");
  for (const auto& b : browsers) {
    if (ctx.Cancelled()) break;
    for (const auto& note : b.notes) ctx.AddReportLine("    -Note- " + note);
    if (RefusedWhileChromiumRuns(ctx, b)) continue;
    if (b.profiles.empty()) ctx.AddReportLine("    " + b.name + " - no profile found.");
    for (const auto& p : b.profiles) {
      if (ctx.Cancelled()) break;
      ctx.AddReportLine("    " + b.name + " - " + p.name);
      work(ctx, p);
    }
    if (whole && !ctx.Cancelled()) whole(ctx, b);
  }
}

std::set<std::string> Tables(TSQLiteDatabase& db) {
  std::set<std::string> names;
  for (TSQLiteTable t = db.GetTable("SELECT name FROM sqlite_master WHERE type = 'table'");
       !t.Eof(); t.Next())
    names.insert(t.FieldAsString(0));
  return names;
}

// VACUUM when the run's Compact Files is Yes: the file is rewritten without its free pages.
// False when it failed.
bool Compact(ReportContext& ctx, TSQLiteDatabase& db, const std::string& file) {
  if (!ctx.State().compact) return true;
  try {
    // A VACUUM rewrites the whole file and can take a while: let the window repaint first.
    ctx.View().PumpMessages();
    db.ExecSQL("VACUUM");
    ctx.AddReportLine("  Compact " + ExtractFileName(file) + " file completed");
  } catch (const std::exception& e) {
    ctx.AddReportLine("*** Error - Compact " + ExtractFileName(file) + " file failed - " +
                      SqliteFailureReason(e));
    return false;
  }
  return true;
}

// One whole file deleted (or listed in a preview), with its line.
bool PurgeFile(ReportContext& ctx, const std::string& path) {
  return FileExists(path) && PreviewOrDeleteFile(ctx, path, FileLine::DetailOnly);
}

// A database deleted whole, and its journal once the database is gone: a journal left beside a
// database that stays may be what rolls that database back to a sound state. A journal with no
// database left holds only pages of the deleted file.
void PurgeDatabaseFile(ReportContext& ctx, const std::string& path) {
  const bool went = PurgeFile(ctx, path);
  if (went || !FileExists(path)) PurgeFile(ctx, path + "-journal");
}

// Rows deleted in one transaction, or named in a preview; one line either way, which after a
// purge says how many rows went once the transaction committed. `quietWhenMissing`: a file a
// profile need not have is no news.
void PurgeTables(
    ReportContext& ctx, const std::string& file, const std::string& what,
    const std::function<std::vector<std::string>(const std::set<std::string>&)>& statements,
    const std::function<void(TSQLiteDatabase&)>& before = {}, bool quietWhenMissing = false) {
  const std::string name = ExtractFileName(file);
  if (!FileExists(file)) {
    if (!quietWhenMissing) ctx.AddReportLine("    " + name + " file not found.");
    return;
  }
  // A preview leaves the file closed: even a read may roll back a journal the browser left.
  if (ctx.State().preview) {
    ctx.AddReportLine("  " + what + " would be deleted from - " + file);
    return;
  }
  try {
    TSQLiteDatabase db(file, kChromiumDatabase);
    const std::vector<std::string> sql = statements(Tables(db));
    if (before) before(db);
    long long deleted = 0;
    db.InTransaction([&] {
      for (const auto& statement : sql) {
        db.ExecSQL(statement);
        if (StartsWith(statement, "DELETE ")) deleted += db.Changes();
      }
    });
    ctx.AddReportLine("  Deleted entries from  " + what + " - " + file + "   " +
                      CountPhrase(deleted, "Entry", "Entries") + "Deleted.");
    Compact(ctx, db, file);
  } catch (const std::exception& e) {
    ctx.AddReportLine("*** Error - Delete " + what + " failed - " + name + " - " +
                      SqliteFailureReason(e));
    ctx.RaiseLevel(7);
  }
}

// The pages whose icons stay with their bookmarks. False when some bookmarks cannot be read
// (kept only encrypted, or damaged): which icons they need is not known, so every one stays.
bool BookmarkedPages(const std::string& folder, std::vector<std::string>& pages) {
  for (const ChromiumBookmarkStore& store : ChromiumBookmarkStores()) {
    const std::string plain = folder + "\\" + store.plain;
    std::string text;
    if (FileExists(plain)) {
      if (!ReadWholeFile(plain, text) || !ReadBookmarkUrls(text, pages)) return false;
    } else if (std::any_of(store.encrypted.begin(), store.encrypted.end(),
                           [&](const char* name) { return FileExists(folder + "\\" + name); })) {
      return false;
    }
  }
  return true;
}

void HistoryOf(ReportContext& ctx, const ChromiumProfile& p) {
  PurgeTables(ctx, p.folder + "\\History", "History entries", ChromiumHistoryStatements);
  if (ctx.Cancelled()) return;
  std::vector<std::string> kept;
  if (BookmarkedPages(p.folder, kept))
    PurgeTables(
        ctx, p.folder + "\\Favicons", "Favicons of pages removed", ChromiumFaviconStatements,
        [&](TSQLiteDatabase& db) {
          db.ExecSQL("CREATE TEMP TABLE IF NOT EXISTS qv_kept_pages (url TEXT PRIMARY KEY)");
          for (const auto& url : kept)
            db.ExecSQL("INSERT OR IGNORE INTO temp.qv_kept_pages VALUES (?)", {url});
        });
  else
    ctx.AddReportLine("    Favicons kept: the bookmarks cannot be read (encrypted or damaged).");
  for (const auto& name : ChromiumHistoryCopyFiles())
    PurgeDatabaseFile(ctx, p.folder + "\\" + name);
}

// The typed urls go from History; the texts typed for them from the files the address bar
// suggests from.
void TypedUrlsOf(ReportContext& ctx, const ChromiumProfile& p) {
  PurgeTables(ctx, p.folder + "\\History", "Typed URLs", ChromiumTypedUrlStatements);
  for (const ChromiumTypedTextStore& store : ChromiumTypedTextStores()) {
    if (ctx.Cancelled()) return;
    const std::string table = store.table;
    PurgeTables(
        ctx, p.folder + "\\" + store.file, "Typed URLs",
        [&](const std::set<std::string>& tables) {
          return tables.count(table) ? std::vector<std::string>{"DELETE FROM " + table}
                                     : std::vector<std::string>{};
        },
        {}, true);
  }
}

void FormsOf(ReportContext& ctx, const ChromiumProfile& p) {
  PurgeTables(ctx, p.folder + "\\Web Data", "Forms History",
              [](const std::set<std::string>& tables) {
                return tables.count("autofill") ? std::vector<std::string>{"DELETE FROM autofill"}
                                                : std::vector<std::string>{};
              });
}

// The files a folder purge takes below a folder: every file not protected by the temp protect
// list, links to folders and protected folders not entered. The count a cache purge reports,
// which counts files, not the folders they lay in.
long long FilesTaken(const std::string& folder) {
  long long files = 0;
  WIN32_FIND_DATAA fd;
  FindFile find;
  for (bool more = find.First(folder + "\\*", fd); more; more = find.Next(fd)) {
    const std::string name = fd.cFileName;
    const std::string full = UpperCase(folder + "\\" + name);
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      if (MatchTempProtect(full, UpperCase(name)) != 'p') ++files;
    } else if (name != "." && name != ".." &&
               !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
               MatchTempProtect(full + "\\", UpperCase(name)) != 'p') {
      files += FilesTaken(folder + "\\" + name);
    }
  }
  return files;
}

void PurgeCacheFolders(ReportContext& ctx, const std::vector<std::string>& roots,
                       const std::vector<const char*>& subs, long long& files) {
  FolderPurgeOptions options;  // every file, no age filter, the run's temp protect entries
  for (const std::string& root : roots)
    for (const char* sub : subs) {
      const std::string folder = root + "\\" + sub;
      if (ctx.Cancelled() || !DirectoryExists(folder)) continue;
      files += FilesTaken(folder);
      PurgeFolderTree(ctx, folder, options);
    }
}

// Opera keeps a profile's caches under the local folder; the shaders and scripts may lie in the
// profile's own folder as well.
void CacheOf(ReportContext& ctx, const ChromiumProfile& p, long long& files) {
  std::vector<std::string> roots = {p.cacheFolder};
  if (!SameText(p.folder, p.cacheFolder)) roots.push_back(p.folder);
  PurgeCacheFolders(ctx, roots,
                    {"Cache", "Code Cache", "GPUCache", "Service Worker\\ScriptCache",
                     "DawnGraphiteCache", "DawnWebGPUCache"},
                    files);
}

// The shader caches the GPU process keeps once for all profiles, in the user-data folder.
void BrowserCacheOf(ReportContext& ctx, const ChromiumBrowser& b, long long& files) {
  std::vector<std::string> roots = {b.cacheData};
  if (!SameText(b.userData, b.cacheData)) roots.push_back(b.userData);
  PurgeCacheFolders(ctx, roots,
                    {"GrShaderCache", "ShaderCache", "GraphiteDawnCache", "GPUPersistentCache"},
                    files);
}

// The sessions and tabs that reopen, the apps' windows too, and the encrypted copies of them
// that releases write beside the plain ones.
void SessionOf(ReportContext& ctx, const ChromiumProfile& p, long long& files) {
  for (const char* folder : {"Sessions", "Sessions_Encrypted"})
    for (const char* prefix : {"Session_", "Tabs_", "Apps_"})
      for (const auto& path : FilePathsIn(p.folder + "\\" + folder, std::string(prefix) + "*"))
        if (PurgeFile(ctx, path)) ++files;
  for (const char* name : {"Current Session", "Last Session", "Current Tabs", "Last Tabs"})
    if (PurgeFile(ctx, p.folder + "\\" + name)) ++files;
}

// A random plain value for an "r=" cookie: the browser's own value is encrypted, so it cannot
// be scrambled in place; a plain value with an empty encrypted value is read as the cookie's.
std::string RandomCookieValue() {
  static std::mt19937 rng(
      static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string value(24, ' ');
  for (char& c : value) c = kChars[std::uniform_int_distribution<int>(0, 61)(rng)];
  return value;
}

struct CookieTally {
  long long processed = 0, randomized = 0, deleted = 0;
  bool failed = false;  // an error line was written: "nothing found" would not be true
};

void CookiesOf(ReportContext& ctx, const ChromiumProfile& p, const KeepList& keep,
               CookieTally& tally) {
  const std::string file = ChromiumCookiesFile(p);
  if (file.empty()) {
    ctx.AddReportLine("    Cookie File not found..");
    return;
  }
  const RunState& st = ctx.State();
  std::vector<std::string> lines;
  CookieTally mine;
  std::unique_ptr<TSQLiteDatabase> opened;
  try {
    opened = std::make_unique<TSQLiteDatabase>(file, kChromiumDatabase);
    TSQLiteDatabase& db = *opened;
    TSQLiteTable rows = db.GetTable("SELECT rowid, host_key FROM cookies ORDER BY host_key, rowid");
    if (!st.preview) {
      db.ExecSQL("BEGIN IMMEDIATE");
      db.ExecSQL("CREATE TEMP TABLE IF NOT EXISTS qv_gone_cookies (id INTEGER PRIMARY KEY)");
      db.ExecSQL("DELETE FROM temp.qv_gone_cookies");
    }
    try {
      std::string previous;
      for (; !rows.Eof(); rows.Next()) {
        if (ctx.Cancelled()) throw std::runtime_error("*** Cancelled by operator.");
        const int64_t rowid = rows.FieldAsInteger(0);
        const std::string host = rows.FieldAsString(1);
        const CookieAction action = DecideCookieHost(keep, host);
        const bool newHost = host != previous;
        previous = host;
        if (action == CookieAction::Keep || action == CookieAction::Bypass) continue;
        if (action == CookieAction::Randomize) {
          if (!st.preview)
            db.ExecSQL("UPDATE cookies SET value = ?, encrypted_value = X'' WHERE rowid = ?",
                       {RandomCookieValue(), rowid});
          if (newHost) {
            if (st.detail)
              lines.push_back((st.preview ? result_text::kToRandomize : result_text::kRandomized) +
                              host);
            ++mine.randomized;
            ++mine.processed;
          }
          continue;
        }
        if (!st.preview)
          db.ExecSQL("INSERT OR IGNORE INTO temp.qv_gone_cookies VALUES (?)", {rowid});
        if (newHost) {
          if (st.detail)
            lines.push_back((st.preview ? result_text::kToDelete : result_text::kDeleted) + host);
          ++mine.processed;
          ++mine.deleted;
        }
      }
      if (!st.preview) {
        db.ExecSQL("DELETE FROM cookies WHERE rowid IN (SELECT id FROM temp.qv_gone_cookies)");
        db.ExecSQL("COMMIT");
      }
    } catch (...) {
      if (!st.preview) try {
          db.ExecSQL("ROLLBACK");
        } catch (...) {
        }
      throw;
    }
  } catch (const std::exception& e) {
    // Nothing changed: the transaction went back, and no host is claimed.
    tally.failed = true;
    if (StartsWith(e.what(), "***")) {
      ctx.AddReportLine(e.what());
      return;
    }
    ctx.AddReportLine("*** Error - Delete Entry from Cookies file failed - " + file + " - " +
                      SqliteFailureReason(e));
    ctx.RaiseLevel(7);
    return;
  }
  // Counted once the rows are gone (or, in a preview, once every host was looked at).
  for (long long i = 0; i < mine.deleted; ++i) ctx.CountItem();
  for (const auto& line : lines) ctx.AddReportLine(line);
  if (!st.preview && !Compact(ctx, *opened, file)) tally.failed = true;
  tally.processed += mine.processed;
  tally.randomized += mine.randomized;
}
}  // namespace

std::string ChromiumCookiesFile(const ChromiumProfile& profile) {
  for (const char* name : {"\\Network\\Cookies", "\\Cookies"})
    if (FileExists(profile.folder + name)) return profile.folder + name;
  return {};
}

namespace {
// The processes of the machine, taken once for every browser asked about.
struct ProcessList {
  std::vector<RunningProcess> all = RunningProcesses();
  unsigned long session = CurrentSessionId();
};

BrowserRunning RunningState(const ChromiumBrowser& browser, const ProcessList& processes) {
  // The browser holds its lock file without sharing while it runs; Opera keeps it in the
  // profile folder, the others in the user-data folder.
  std::vector<std::string> locks = {browser.userData + "\\lockfile"};
  for (const auto& p : browser.profiles) locks.push_back(p.folder + "\\lockfile");
  for (const auto& lock : locks)
    if (FileHeldByAnother(lock)) return BrowserRunning::LockHeld;
  if (BrowserProcessRuns(processes.all, processes.session, browser.processName))
    return BrowserRunning::Process;
  return BrowserRunning::No;
}
}  // namespace

BrowserRunning ChromiumBrowserRunning(const ChromiumBrowser& browser) {
  return RunningState(browser, ProcessList());
}

bool AnyChromiumBrowserRunning() { return !RunningChromiumBrowsers().empty(); }

std::set<std::string> RunningChromiumBrowsers() {
  const ProcessList processes;
  std::set<std::string> names;
  for (const auto& b : FindChromiumBrowsers())
    if (RunningState(b, processes) != BrowserRunning::No) names.insert(b.name);
  return names;
}

bool RefusedWhileChromiumRuns(ReportContext& ctx, const ChromiumBrowser& browser) {
  const BrowserRunning running = ChromiumBrowserRunning(browser);
  if (running == BrowserRunning::No) return false;
  std::string line = " -Error- not Processed as " + browser.name + " browser is active.";
  if (running == BrowserRunning::Process && browser.processName == "msedge.exe")
    line += " (Start-up boost keeps msedge.exe running after its windows close.)";
  ctx.AddReportLine(line);
  if (!ctx.State().preview) ctx.RaiseLevel(7);
  return true;
}

void PurgeChromiumHistory(ReportContext& ctx) {
  ForEachProfile(ctx, HistoryOf);
  ctx.AddReportLine(Completed("Chromium History"));
}

void PurgeChromiumTypedUrls(ReportContext& ctx) {
  ForEachProfile(ctx, TypedUrlsOf);
  ctx.AddReportLine(Completed("Chromium Typed URLs"));
}

void PurgeChromiumForms(ReportContext& ctx) {
  ForEachProfile(ctx, FormsOf);
  ctx.AddReportLine(Completed("Chromium Forms"));
}

void PurgeChromiumCookies(ReportContext& ctx) {
  KeepList keep(FirefoxKeepListFile());
  LoadKeepList(keep);
  if (!keep.loaded) {
    ctx.AddReportLine(
        "*** Error - Bypassed Cookie processing as existing Protect file could not be opened");
    ctx.RaiseLevel(7);
    return;
  }
  CookieTally tally;
  ForEachProfile(ctx,
                 [&](ReportContext& c, const ChromiumProfile& p) { CookiesOf(c, p, keep, tally); });
  const std::string completed = Completed("Chromium Cookies");
  if (tally.randomized > 0)
    ctx.AddReportLine("    " + std::to_string(tally.randomized) +
                      (tally.randomized == 1 ? " Cookie" : " Cookies") +
                      (ctx.State().preview ? " to Randomize." : " Randomized."));
  if (tally.processed > 0) {
    ctx.AddReportLine(completed + "   " + std::to_string(tally.processed) +
                      (tally.processed == 1 ? " Entry Processed." : " Entries Processed."));
  } else {
    if (!tally.failed) ctx.AddReportLine("    No Entries found to delete.");
    ctx.AddReportLine(completed);
  }
}

void PurgeChromiumCache(ReportContext& ctx) {
  FolderPurgeOptions options;
  if (BypassedForUnreadableProtectList(ctx, options, "Chromium Cache")) return;
  long long files = 0;
  ForEachProfile(
      ctx, [&](ReportContext& c, const ChromiumProfile& p) { CacheOf(c, p, files); },
      [&](ReportContext& c, const ChromiumBrowser& b) { BrowserCacheOf(c, b, files); });
  if (files == 0) {
    ctx.AddReportLine("    No Cache Data Files found to delete.");
    ctx.AddReportLine(Completed("Chromium Cache"));
  } else {
    ctx.AddReportLine(
        Completed("Chromium Cache") + "   " + std::to_string(files) +
        (files == 1 ? " Cache Data File Processed." : " Cache Data Files Processed."));
  }
}

void PurgeChromiumSession(ReportContext& ctx) {
  long long files = 0;
  ForEachProfile(ctx, [&](ReportContext& c, const ChromiumProfile& p) { SessionOf(c, p, files); });
  if (files == 0) ctx.AddReportLine("    No Session Files found to delete.");
  ctx.AddReportLine(Completed("Chromium Session"));
}
