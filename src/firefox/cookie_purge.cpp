#include "firefox/cookie_purge.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

#include "cookies/cookie_decision.h"
#include "cookies/keep_list_files.h"
#include "cookies/no_protection_window.h"
#include "core/folders.h"
#include "core/report_rules.h"
#include "core/text_util.h"
#include "files/secure_erase.h"
#include "files/temp_folders.h"
#include "firefox/cookie_sql.h"
#include "firefox/firefox_profile.h"
#include "firefox/history_purge.h"
#include "platform/files.h"
#include "platform/sqlite_statement.h"

namespace {
constexpr const char* kCompleted = "  Purge \"FireFox Cookies\" Function Completed.";
constexpr const char* kNoCookiesDb =
    "*** Error - Unable to find FireFox Cookies file - Cookies.SQLite";

// Letters and digits of a value move at random within their class.
std::string Scrambled(const std::string& value) {
  static std::mt19937 rng(
      static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
  return ScrambleCookieValue(value, [](int n) {
    return static_cast<int>(std::uniform_int_distribution<int>(0, n - 1)(rng));
  });
}

// Whether the rows of moz_cookies can be set aside and put back unchanged: no trigger would
// run, and the rowid is the table's own id column, which SELECT * carries along.
bool CanRefillCookieTable(TSQLiteDatabase& db) {
  if (db.GetTable("SELECT 1 FROM main.sqlite_master WHERE type = 'trigger' AND LOWER(tbl_name) = "
                  "'moz_cookies'")
          .RowCount() > 0)
    return false;
  TSQLiteTable t = db.GetTable("PRAGMA main.table_info(moz_cookies)");
  if (t.RowCount() == 0) return false;
  const int type = t.FieldIndex("type"), pk = t.FieldIndex("pk");
  int keys = 0;
  bool integerKey = false;
  for (; !t.Eof(); t.Next())
    if (t.FieldAsInteger(pk) > 0) {
      ++keys;
      integerKey = UpperCase(t.FieldAsString(type)) == "INTEGER";
    }
  return keys == 1 && integerKey;
}

// The changes of one pass on Cookies.sqlite: one transaction, statements prepared once. Either
// every change is made or none, so the report never claims one that did not happen. The rows
// to delete are gathered first and go together: one pass over the table and its index instead
// of one search per cookie.
class CookieChanges {
 public:
  // `rows`: the rowid of every row read.
  CookieChanges(TSQLiteDatabase& db, std::vector<int64_t> rows)
      : db_(db),
        rows_(std::move(rows)),
        update_(begin(db), "UPDATE moz_cookies SET value = ? WHERE rowid = ?") {}
  ~CookieChanges() {
    if (open_) try {
        db_.ExecSQL("ROLLBACK");
      } catch (...) {
      }
  }
  void Delete(int64_t rowid) { gone_.push_back(rowid); }
  void Update(int64_t rowid, const std::string& value) { update_.Run({value, rowid}); }
  void Commit() {
    // Deleting most rows one by one updates every index for every row. When what stays is
    // the smaller part, setting it aside, emptying the table (SQLite then frees whole pages,
    // zeroed as every deleted row is) and putting it back with the same ids is far faster.
    // Either way the smaller list of ids goes to SQLite.
    std::sort(gone_.begin(), gone_.end());
    const bool refill = gone_.size() * 2 > rows_.size() && CanRefillCookieTable(db_);
    db_.ExecSQL("CREATE TEMP TABLE qv_cookie_ids (id INTEGER PRIMARY KEY)");
    {
      TSQLiteStatement add(db_, "INSERT OR IGNORE INTO temp.qv_cookie_ids VALUES (?)");
      if (refill) {
        for (int64_t id : rows_)
          if (!std::binary_search(gone_.begin(), gone_.end(), id)) add.Run({id});
      } else {
        for (int64_t id : gone_) add.Run({id});
      }
    }
    if (refill) {
      db_.ExecSQL(
          "CREATE TEMP TABLE qv_kept_cookies AS SELECT * FROM main.moz_cookies WHERE rowid IN "
          "(SELECT id FROM temp.qv_cookie_ids)");
      db_.ExecSQL("DELETE FROM main.moz_cookies");
      db_.ExecSQL("INSERT INTO main.moz_cookies SELECT * FROM temp.qv_kept_cookies");
      db_.ExecSQL("DROP TABLE temp.qv_kept_cookies");
    } else {
      db_.ExecSQL("DELETE FROM moz_cookies WHERE rowid IN (SELECT id FROM temp.qv_cookie_ids)");
    }
    db_.ExecSQL("COMMIT");
    open_ = false;
  }

 private:
  TSQLiteDatabase& begin(TSQLiteDatabase& db) {
    db.ExecSQL("BEGIN");
    open_ = true;
    return db;
  }
  TSQLiteDatabase& db_;
  std::vector<int64_t> rows_, gone_;
  bool open_ = false;
  TSQLiteStatement update_;
};
}  // namespace

bool LoadCookieLines(CookieStore& store, std::string& errorLine, SqlSharing sharing) {
  store = CookieStore();
  const TFFoxProfile& p = FFoxProfile();
  if (p.IsSqliteProfile) {
    if (!DatabaseStillThere(p.HasCookiesDb, p.CookiesFile)) {
      errorLine = kNoCookiesDb;
      return false;
    }
    LastSqliteError() = {};
    try {
      store.cookies = ReadFirefoxCookieRows(p.CookiesFile, sharing);
    } catch (...) {
      store.cookies.clear();
      errorLine =
          "*** Error - Load FireFox Cookies File failed - Cookies.SQLite" + LastSqliteErrorSuffix();
      return false;
    }
  } else {
    std::string text;
    if (!ReadWholeFile(p.CookiesTxtFile, text)) {
      errorLine = "*** Error - Load FireFox Cookies File failed - Cookies.txt";
      return false;
    }
    SplitCookiesTxt(SplitLines(text), store.header, store.cookies);
  }
  SortCookieLines(store.cookies);
  return true;
}

bool WriteBackCookiesTxt(ReportContext& ctx, const CookieStore& store) {
  const TFFoxProfile& p = FFoxProfile();
  if (!WriteWholeFile(p.CookiesPg1File, JoinCookiesTxt(store.header, store.cookies))) return false;
  DeleteFileA(p.CookiesPg2File.c_str());
  // Cookies.txt is replaced in one step, so the browser never finds it missing or half
  // written; the old file lives on as Cookies.pg2 only to be erased as any data file is.
  // Another program holding Cookies.txt open keeps it from being replaced: it stays as it was,
  // and the new copy goes rather than lie beside it.
  if (!ReplaceFileA(p.CookiesTxtFile.c_str(), p.CookiesPg1File.c_str(), p.CookiesPg2File.c_str(),
                    REPLACEFILE_WRITE_THROUGH, nullptr, nullptr)) {
    // This failure leaves the old file under the backup name: it goes back where it was.
    if (GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
      MoveFileExA(p.CookiesPg2File.c_str(), p.CookiesTxtFile.c_str(), MOVEFILE_WRITE_THROUGH);
    DeleteFileA(p.CookiesPg1File.c_str());
    return false;
  }
  // The old copy that could not be removed is left as Cookies.pg2, never put back: a secure
  // erase may have overwritten part of it already. Nothing is then reported as deleted.
  return DeleteDataFile(ctx, p.CookiesPg2File).deleted;
}

void PurgeFirefoxCookies(ReportContext& ctx) {
  if (RefusedWhileFirefoxRuns(ctx)) return;
  const TFFoxProfile& p = FFoxProfile();
  const RunState& st = ctx.State();
  const bool sqlite = p.IsSqliteProfile;
  if (StartsWith(sqlite ? p.CookiesFile : p.CookiesTxtFile, kFileNotFoundMarker)) {
    ctx.AddReportLine("    Cookie File not found..");
    ctx.AddReportLine(kCompleted);
    return;
  }
  CookieStore store;
  std::string loadError;
  if (!LoadCookieLines(store, loadError, SqlSharing::Alone)) {
    if (!loadError.empty()) ctx.AddReportLine(loadError);
    // A Cookies.txt that could not be read must not be written back from what was read
    // (nothing): that would delete every cookie, kept ones too. Cookies.sqlite is changed
    // only for the rows that were read: none, so there is nothing more to say.
    if (!sqlite) {
      ctx.RaiseLevel(7);
      ctx.SetAttention();
    }
    return;
  }
  KeepList keep(FirefoxKeepListFile());
  LoadKeepList(keep);
  std::unique_ptr<TSQLiteDatabase> db;
  if (sqlite) {
    if (!DatabaseStillThere(p.HasCookiesDb, p.CookiesFile)) {
      ctx.AddReportLine(kNoCookiesDb);
    } else {
      try {
        db = std::make_unique<TSQLiteDatabase>(p.CookiesFile, SqlText::Utf8, SqlSharing::Alone);
      } catch (...) {
        ctx.AddReportLine("*** Error - Open FireFox Cookies file failed - Cookies.SQLite" +
                          LastSqliteErrorSuffix());
      }
    }
  }
  if (!keep.loaded) {
    ctx.AddReportLine(
        "*** Error - Bypassed Cookie procesing as existing Protect file could not be opened");
    ctx.RaiseLevel(7);
    return;
  }
  if (keep.Count() == 0 && !st.preview && NoProtectionWarningWanted(CookieBrowser::Firefox) &&
      ShowNoProtectionWindow(GetActiveWindow(), CookieBrowser::Firefox) ==
          NoProtectionAnswer::Bypass) {
    ctx.AddReportLine("  Purge \"FireFox Cookies\" Function Bypassed.");
    return;
  }
  // Without the database there is nothing the pass could change: it claims nothing.
  if (sqlite && !db && !st.preview) return;

  std::unique_ptr<CookieChanges> changes;
  std::vector<std::string> lines;  // written once the changes are made
  long long processed = 0, randomized = 0;
  std::string previous;
  std::vector<CookieLine> kept;
  try {
    if (db && !st.preview) {
      std::vector<int64_t> rows;
      rows.reserve(store.cookies.size());
      for (const CookieLine& c : store.cookies) rows.push_back(c.rowid);
      changes = std::make_unique<CookieChanges>(*db, std::move(rows));
    }
    for (CookieLine& cookie : store.cookies) {
      if (ctx.Cancelled()) {
        ctx.AddReportLine("*** Cancelled by operator.");
        return;  // nothing changed: the transaction is rolled back
      }
      const std::string host = StartsWith(cookie.text, "#") ? "" : CookieLineHost(cookie.text);
      // A line without a host (a comment of Cookies.txt) is no cookie the list speaks of: kept.
      // The list was read (an unreadable one stopped the function above): no host is bypassed.
      const CookieAction action = host.empty() ? CookieAction::Keep : DecideCookieHost(keep, host);
      const bool newHost = !host.empty() && host != previous;
      if (action == CookieAction::Randomize) {
        if (!st.preview) {
          const std::string value = Scrambled(CookieLineField(cookie.text, kCookieValue));
          cookie.text = ReplaceCookieLineField(cookie.text, kCookieValue, value);
          if (changes) {
            try {
              changes->Update(cookie.rowid, value);
            } catch (const ESQLiteException&) {
              ctx.AddReportLine(
                  "*** Error - Replace Entry in Cookies file failed - Cookies.SQLite" +
                  LastSqliteErrorSuffix());
              return;
            }
          }
        }
        if (newHost) {
          if (st.detail)
            lines.push_back((st.preview ? result_text::kToRandomize : result_text::kRandomized) +
                            host);
          ++randomized;
          ++processed;
        }
      } else if (action == CookieAction::Delete) {
        if (changes) {
          try {
            changes->Delete(cookie.rowid);
          } catch (const ESQLiteException&) {
            lines.push_back(
                "*** Error - Delete Entry from FireFox Cookies file failed - Cookies.SQLite");
            kept.push_back(cookie);
            continue;
          }
        }
        if (newHost) {
          if (st.detail)
            lines.push_back((st.preview ? result_text::kToDelete : result_text::kDeleted) + host);
          ++processed;
          ctx.CountItem();
        }
        if (st.preview) kept.push_back(cookie);
        previous = host.empty() ? previous : host;
        continue;
      }
      if (!host.empty()) previous = host;
      kept.push_back(cookie);
    }
    if (changes) changes->Commit();
  } catch (const ESQLiteException&) {
    ctx.AddReportLine("*** Error - Delete Entry from FireFox Cookies file failed - Cookies.SQLite" +
                      LastSqliteErrorSuffix());
    return;
  }
  store.cookies = std::move(kept);
  // The hosts of a Cookies.txt are gone only once the file is replaced.
  if (!st.preview && !sqlite && !WriteBackCookiesTxt(ctx, store)) {
    ctx.AddReportLine("*** Error - Replace FireFox Cookies file failed - Cookies.txt");
    ctx.RaiseLevel(7);
    ctx.SetAttention();
    return;
  }
  for (const auto& line : lines) ctx.AddReportLine(line);
  const bool compacted = !db || st.preview || CompactDatabase(ctx, *db, CompactKind::Cookie);
  // A failed compaction's error is not followed by a line saying there was nothing to do.
  for (const auto& line : CookieSummaryLines(st.preview, randomized, processed))
    if (compacted || line != kNoCookieEntriesLine) ctx.AddReportLine(line);
}

// Every file of the profile's cache folders goes, sub-folders too; the temp protect entries
// apply, the age filter does not.
void PurgeFirefoxCache(ReportContext& ctx) {
  if (RefusedWhileFirefoxRuns(ctx)) return;
  const TFFoxProfile& p = FFoxProfile();
  const std::string completed = "  Purge \"FireFox Cache\" Function Completed.";
  long long files = 0;
  FolderPurgeOptions options;  // "*.*", no age filter, the run's temp protect entries
  if (BypassedForUnreadableProtectList(ctx, options, "FireFox Cache")) return;
  // The old cache, the local one, and the cache2 folder of Firefox 32 and later.
  for (const std::string* folder : {&p.ProfileCacheFolder, &p.LocalCacheFolder, &p.Cache2Folder}) {
    if (folder->empty() || StartsWith(*folder, kFolderNotFound)) continue;
    if (ctx.Cancelled()) break;
    files += PurgeFolderTree(ctx, *folder, options);
  }
  // The XUL cache sits in the local profile folder whether or not an old Cache folder does.
  if (!ctx.Cancelled() && !p.LocalProfileFolder.empty() &&
      FileExists(p.LocalProfileFolder + "\\XUL.MFL") &&
      PurgeDataFile(ctx, p.LocalProfileFolder + "\\XUL.MFL"))
    ++files;
  if (files == 0) {
    ctx.AddReportLine("    No Cache Data Files found to delete.");
    ctx.AddReportLine(completed);
  } else {
    ctx.AddReportLine(
        completed + "   " + std::to_string(files) +
        (files == 1 ? " Cache Data File Processed." : " Cache Data Files Processed."));
  }
}
