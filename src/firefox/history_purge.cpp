#include "firefox/history_purge.h"

#include <windows.h>

#include <memory>
#include <set>

#include "core/report_rules.h"
#include "core/text_util.h"
#include "files/secure_erase.h"
#include "firefox/browser_activity.h"
#include "firefox/firefox_profile.h"
#include "firefox/history_sql.h"
#include "platform/files.h"
#include "platform/sqlite_rules.h"
#include "platform/sqlite_statement.h"

namespace {
constexpr const char* kNoDeletesLine = "  No Deletes are done for a \"Preview Purge\".";
constexpr const char* kNoPlacesLine =
    "*** Error - Unable to find FireFox History file - Places.SQLite";

std::set<std::string> TableNames(TSQLiteDatabase& db, const std::string& schema) {
  std::set<std::string> names;
  TSQLiteTable t = db.GetTable(TableNamesSql(schema));
  for (; !t.Eof(); t.Next()) names.insert(t.FieldAsString(0));
  return names;
}

void AddColumns(TSQLiteDatabase& db, const SchemaTable& table, PlacesSchema& schema) {
  const std::string prefix =
      std::string(table.schema) == "main" ? std::string() : std::string(table.schema) + ".";
  if (!schema.Has(prefix + table.table)) return;
  TSQLiteTable t = db.GetTable(ColumnNamesSql(table.schema, table.table));
  if (t.RowCount() == 0) return;
  const int name = t.FieldIndex("name");
  for (; !t.Eof(); t.Next())
    schema.columns.insert(prefix + table.table + "." + LowerCase(t.FieldAsString(name)));
}

// Reads what the Places file holds, attaching favicons.sqlite beside it on a profile whose
// icons live there (Firefox 55 and later); moz_favicons marks the earlier layout.
PlacesSchema ReadPlacesSchema(TSQLiteDatabase& db, const std::string& placesFile) {
  PlacesSchema s;
  s.tables = TableNames(db, "main");
  for (TSQLiteTable t = db.GetTable(TriggeredTablesSql()); !t.Eof(); t.Next())
    s.triggered.insert(t.FieldAsString(0));
  const std::string icons = ExtractFilePath(placesFile) + "\\" + kIconsFileName;
  if (!s.Has("moz_favicons") && FileExists(icons)) {
    db.Attach(icons, kIconsSchema);
    for (const auto& name : TableNames(db, kIconsSchema))
      s.tables.insert(std::string(kIconsSchema) + "." + name);
  }
  for (const auto& table : TablesWithColumnsOfInterest()) AddColumns(db, table, s);
  return s;
}

// One transaction: a failure leaves the file as it was.
void RunInTransaction(TSQLiteDatabase& db, const std::vector<std::string>& statements) {
  db.ExecSQL(kPurgeCacheSql);
  db.ExecSQL(kBeginSql);
  try {
    for (const auto& sql : statements) db.ExecSQL(sql);
    db.ExecSQL(kCommitSql);
  } catch (...) {
    const SqliteError failure = LastSqliteError();
    try {
      db.ExecSQL(kRollbackSql);
    } catch (const ESQLiteException&) {
      // A failed COMMIT may already have ended the transaction.
    }
    LastSqliteError() = failure;
    throw;
  }
}

struct CompactTexts {
  const char* completed;
  const char* failed;
};
CompactTexts TextsOf(CompactKind kind) {
  switch (kind) {
    case CompactKind::History:
      return {"  Compact History file completed", "*** Error - Compact History file failed - "};
    case CompactKind::FormHistory:
      return {"  Compact Form History file completed",
              "*** Error - Compact Form History file failed - "};
    case CompactKind::Cookie:
      return {"  Compact Cookie file completed", "*** Error - Compact Cookie file failed - "};
  }
  return {"", ""};
}
}  // namespace

bool DatabaseStillThere(bool found, const std::string& path) { return found && FileExists(path); }

// Firefox keeps its files open and locked while it runs: the profile is left alone then.
bool RefusedWhileFirefoxRuns(ReportContext& ctx) {
  if (!ctx.State().browsers.firefox) return false;
  ctx.AddReportLine(" -Error- not Processed as FireFox browser is active.");
  if (!ctx.State().preview) ctx.RaiseLevel(7);
  return true;
}

bool CompactDatabase(ReportContext& ctx, TSQLiteDatabase& db, CompactKind kind,
                     const std::vector<std::string>& attached) {
  if (!ctx.State().compact) return true;
  const CompactTexts texts = TextsOf(kind);
  LastSqliteError() = {};  // the reason of this failure, not of an earlier one
  try {
    db.ExecSQL(kCompactPrepareSql);
    // A VACUUM rewrites the whole file and can take a while: let the window repaint first.
    ctx.View().PumpMessages();
    db.ExecSQL(kVacuumSql);
    for (const auto& schema : attached) db.ExecSQL(std::string(kVacuumSql) + " " + schema);
  } catch (...) {
    const std::string words = SqliteFailureWords(LastSqliteError().code, LastSqliteError().message);
    ctx.AddReportLine(texts.failed + (words.empty() ? std::string("exception") : words));
    return false;
  }
  ctx.AddReportLine(texts.completed);
  return true;
}

bool DeleteTypedUrls(ReportContext& ctx) {
  const TFFoxProfile& p = FFoxProfile();
  if (!DatabaseStillThere(p.HasPlacesDb, p.PlacesFile)) {
    ctx.AddReportLine(kNoPlacesLine);
    return false;
  }
  LastSqliteError() = {};
  try {
    TSQLiteDatabase db(p.PlacesFile, SqlText::Ansi, SqlSharing::Alone);
    const PlacesSchema schema = ReadPlacesSchema(db, p.PlacesFile);
    // With the history purge next in this run, both are done here at once: alone, this one
    // would spend most of its time counting again the visits of places that one removes. The
    // history purge then finds nothing left to do. Should the history's part fail, the typed
    // URLs still go on their own.
    if (ctx.State().options[OptionField::History]) {
      try {
        RunInTransaction(db, TypedUrlAndHistoryStatements(schema));
        return true;
      } catch (...) {
      }
    }
    RunInTransaction(db, TypedUrlStatements(schema));
    return true;
  } catch (...) {
    ctx.AddReportLine("*** Error - Delete Typed URL entries failed - Places.SQLite" +
                      LastSqliteErrorSuffix());
    return false;
  }
}

bool DeleteHistory(ReportContext& ctx) {
  const TFFoxProfile& p = FFoxProfile();
  if (!DatabaseStillThere(p.HasPlacesDb, p.PlacesFile)) {
    ctx.AddReportLine(kNoPlacesLine);
    return false;
  }
  std::unique_ptr<TSQLiteDatabase> db;
  std::vector<std::string> attached;
  LastSqliteError() = {};
  try {
    db = std::make_unique<TSQLiteDatabase>(p.PlacesFile, SqlText::Ansi, SqlSharing::Alone);
    const PlacesSchema schema = ReadPlacesSchema(*db, p.PlacesFile);
    if (schema.Has(std::string(kIconsSchema) + ".moz_icons")) attached.push_back(kIconsSchema);
    RunInTransaction(*db, HistoryStatements(schema));
  } catch (...) {
    ctx.AddReportLine("*** Error - Delete entries from History failed - Places.SQLite" +
                      LastSqliteErrorSuffix());
    return false;
  }
  return CompactDatabase(ctx, *db, CompactKind::History, attached);
}

bool DeleteFormHistory(ReportContext& ctx) {
  const TFFoxProfile& p = FFoxProfile();
  if (!DatabaseStillThere(p.HasFormHistoryDb, p.FormHistoryFile)) {
    ctx.AddReportLine("*-* Error - Unable to find FireFox Form History file - FormHistory.SQLite");
    return false;
  }
  std::unique_ptr<TSQLiteDatabase> db;
  LastSqliteError() = {};
  try {
    db = std::make_unique<TSQLiteDatabase>(p.FormHistoryFile, SqlText::Ansi, SqlSharing::Alone);
    RunInTransaction(*db, FormHistoryStatements(TableNames(*db, "main")));
  } catch (...) {
    ctx.AddReportLine("*** Error - Delete entries from Form History failed - FormHistory.SQLite" +
                      LastSqliteErrorSuffix());
    return false;
  }
  return CompactDatabase(ctx, *db, CompactKind::FormHistory);
}

bool PurgeDataFile(ReportContext& ctx, const std::string& path) {
  if (StartsWith(path, kFileNotFoundMarker)) {
    ctx.AddReportLine("    This file is not currently defined...");
    return false;
  }
  if (!FileExists(path)) {
    ctx.AddReportLine(result_text::kFileNotFound + path);
    return false;
  }
  return PreviewOrDeleteFile(ctx, path, FileLine::Always);
}

void PurgeFirefoxTypedUrls(ReportContext& ctx) {
  if (RefusedWhileFirefoxRuns(ctx)) return;
  if (ctx.State().preview) {
    ctx.AddReportLine(kNoDeletesLine);
    return;
  }
  if (FFoxProfile().IsSqliteProfile && DeleteTypedUrls(ctx))
    ctx.AddReportLine("  Deleted entries from  FireFox Typed URLs - Places.SQLite");
}

void PurgeFirefoxHistory(ReportContext& ctx) {
  if (RefusedWhileFirefoxRuns(ctx)) return;
  const TFFoxProfile& p = FFoxProfile();
  if (!p.IsSqliteProfile) PurgeDataFile(ctx, p.HistoryDatFile);
  if (ctx.State().preview) {
    ctx.AddReportLine(kNoDeletesLine);
    return;
  }
  if (p.IsSqliteProfile && DeleteHistory(ctx))
    ctx.AddReportLine("  Deleted entries from  FireFox History file - Places.SQLite");
}

void PurgeFirefoxForms(ReportContext& ctx) {
  if (RefusedWhileFirefoxRuns(ctx)) return;
  const TFFoxProfile& p = FFoxProfile();
  if (!p.IsSqliteProfile) PurgeDataFile(ctx, p.FormHistoryDatFile);
  if (ctx.State().preview) {
    ctx.AddReportLine(kNoDeletesLine);
    return;
  }
  if (p.IsSqliteProfile && DeleteFormHistory(ctx))
    ctx.AddReportLine("  Deleted entries from FireFox Form History file - FormHistory.SQLite");
}
