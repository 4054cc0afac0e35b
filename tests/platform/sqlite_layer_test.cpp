#include <gtest/gtest.h>

#include "firefox/firefox_profile.h"
#include "firefox/sqlite_module.h"
#include "platform/files.h"
#include "platform/sqlite_statement.h"
#include "platform/sqlite_wine_io.h"
#include "sqlite3.h"
#include "support/test_support.h"

namespace {
// The layer runs on the module of the installed Firefox, found as start-up finds it.
void LoadFirefoxModule() {
  static const bool loaded = FindFirefoxInstall();
  ASSERT_TRUE(loaded);
  ASSERT_EQ(MissingEntryPoints(), 0);
}

// Writes a database with the test's own SQLite, independent of the layer under test.
void MakeDatabase(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* err = nullptr;
  ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
  sqlite3_close(db);
}

std::string ThrownText(const std::function<void()>& f) {
  try {
    f();
  } catch (const ESQLiteException& e) {
    return e.what();
  }
  return "(nothing thrown)";
}
}  // namespace

struct SqliteLayerTest : testing::Test {
  TempFolder folder;
  std::string path = folder.File("cells.sqlite");
  void SetUp() override {
    LoadFirefoxModule();
    MakeDatabase(path,
                 "CREATE TABLE t (n INTEGER, d REAL, s TEXT, b BLOB, lower boolean, flag BOOLEAN);"
                 "INSERT INTO t VALUES (42, 2.5, 'hello', x'00FF41', 7, 1);"
                 "INSERT INTO t VALUES (NULL, NULL, NULL, NULL, NULL, NULL);");
  }
};

TEST_F(SqliteLayerTest, CellsOfEveryTypeReadAsDeclared) {
  TSQLiteDatabase db(path);
  TSQLiteTable t =
      db.GetTable("SELECT n, d, s, b, lower, flag, n * 2 AS twice FROM t ORDER BY rowid");
  ASSERT_EQ(t.RowCount(), 2);
  EXPECT_EQ(t.FieldIndex("Twice"), 6);
  EXPECT_EQ(t.ColumnType(0), kSqliteInteger);
  // Declared types are compared as written, so a lower-case name is read as text. (SQLite 3.37
  // and later hand back the standard names INTEGER, REAL, TEXT and BLOB upper-cased whatever
  // the table says; "boolean" is not one of them and keeps its case.)
  EXPECT_EQ(t.ColumnType(4), kSqliteText);
  EXPECT_EQ(t.ColumnType(5), kSqliteInteger);
  EXPECT_EQ(t.ColumnType(6), kSqliteInteger);  // no declared type: the value's type
  EXPECT_EQ(t.FieldAsInteger(0), 42);
  EXPECT_EQ(t.Fields(1), "2.5");
  EXPECT_EQ(t.FieldAsInteger(1), 2);
  EXPECT_EQ(t.FieldAsString(2), "hello");
  EXPECT_EQ(t.FieldAsBlobText(3), std::string("\0\xFF"
                                              "A",
                                              3));
  EXPECT_EQ(t.Fields(4), "7");
  EXPECT_EQ(ThrownText([&] { t.FieldAsInteger(4); }), "Not an integer or numeric field");
  EXPECT_EQ(ThrownText([&] { t.FieldAsBlob(0); }), "Not a Blob field");
  EXPECT_EQ(t.FieldAsInteger(6), 84);

  ASSERT_TRUE(t.Next());
  EXPECT_EQ(t.Fields(0), "0");        // an empty numeric cell reads as 0 ...
  EXPECT_EQ(t.FieldAsString(0), "");  // ... but as no text
  EXPECT_EQ(t.FieldAsDouble(1), 0.0);
  EXPECT_EQ(t.FieldAsBlob(3), nullptr);
  EXPECT_EQ(t.FieldAsString(2), "");
  EXPECT_EQ(t.FieldAsString(6), "");

  EXPECT_TRUE(t.Next());
  EXPECT_TRUE(t.Eof());
  EXPECT_FALSE(t.Next());
  EXPECT_EQ(ThrownText([&] { t.Fields(0); }), "Table is at End of File");
  EXPECT_EQ(ThrownText([&] { t.FieldIndex("nope"); }), "Field not found in dataset: nope");
}

TEST_F(SqliteLayerTest, EmptyResultsAndASecondStatementIsRefusedWhole) {
  TSQLiteDatabase db(path);
  EXPECT_EQ(ThrownText([&] { db.ExecSQL("DELETE FROM t WHERE n = 42; DELETE FROM t"); }),
            "Error executing SQL \"DELETE FROM t WHERE n = 42; DELETE FROM t\" : only one "
            "statement can be run at a time");
  EXPECT_EQ(db.GetTable("SELECT COUNT(*) FROM t").FieldAsInteger(0), 2);  // neither ran
  db.ExecSQL("DELETE FROM t WHERE n = 42;");  // a closing semicolon is no second statement
  TSQLiteTable none = db.GetTable("SELECT * FROM t WHERE n = 42");
  EXPECT_EQ(none.RowCount(), 0);
  EXPECT_TRUE(none.Eof());
  EXPECT_EQ(ThrownText([&] { none.FieldIndex("n"); }), "Field n Not found. Empty dataset");
  EXPECT_EQ(ThrownText([&] { db.ExecSQL(""); }), "Could not prepare SQL statement");
}

TEST_F(SqliteLayerTest, QuotedTextsMatchValuesNotColumns) {
  MakeDatabase(path, "INSERT INTO t (n, s) VALUES (3, 's'), (4, 'x');");
  TSQLiteDatabase db(path);
  // A value spelled like a column is still a value: only the row holding it goes.
  db.ExecSQL("DELETE FROM t WHERE s = " + QuoteSqlText("s"));
  EXPECT_EQ(db.GetTable("SELECT COUNT(*) FROM t").FieldAsInteger(0), 3);
  db.ExecSQL("DELETE FROM t WHERE s = " + QuoteSqlText("it's") + " OR s = " + QuoteSqlText("x"));
  EXPECT_EQ(db.GetTable("SELECT COUNT(*) FROM t").FieldAsInteger(0), 2);
}

TEST_F(SqliteLayerTest, AnsiTextIsUtf8InTheFileAndAnsiAgainWhenRead) {
  MakeDatabase(path, "INSERT INTO t (n, s) VALUES (5, 'caf\xC3\xA9');");  // written by Firefox
  TSQLiteDatabase db(path);
  TSQLiteTable t = db.GetTable("SELECT n, s FROM t WHERE s = 'caf\xE9'");  // "café" in 1252
  ASSERT_EQ(t.RowCount(), 1);
  EXPECT_EQ(t.FieldAsString(1), "caf\xE9");
  db.ExecSQL("UPDATE t SET s = 'na\xEFve' WHERE n = 5");
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(raw, "SELECT s FROM t WHERE n = 5", -1, &stmt, nullptr);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "na\xC3\xAFve");
  sqlite3_finalize(stmt);
  sqlite3_close(raw);
}

TEST_F(SqliteLayerTest, FloatCellsReadInTheProgramsNumberForm) {
  MakeDatabase(path, "INSERT INTO t (n, d) VALUES (6, 1e20), (7, 0.000001);");
  TSQLiteDatabase db(path);
  TSQLiteTable t = db.GetTable("SELECT d FROM t WHERE n >= 6 ORDER BY n");
  EXPECT_EQ(t.Fields(0), "1E20");
  t.Next();
  EXPECT_EQ(t.Fields(0), "1E-6");
}

TEST_F(SqliteLayerTest, ErrorsCarrySqlitesOwnMessages) {
  TSQLiteDatabase db(path);
  EXPECT_EQ(ThrownText([&] { db.ExecSQL("DELETE FROM nosuch"); }),
            "Error executing SQL \"DELETE FROM nosuch\" : no such table: nosuch");
  EXPECT_EQ(LastSqliteError().message, "no such table: nosuch");
  EXPECT_EQ(ThrownText([] {
              TSQLiteDatabase bad("Z:\\no\\such\\folder\\x.sqlite");
            }).rfind("Failed to open database \"Z:\\no\\such\\folder\\x.sqlite\" : ", 0),
            0u);

  // Another program holds a write lock, as a running Firefox would.
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_EQ(ThrownText([&] { db.ExecSQL("DELETE FROM t"); }),
            "Error executing SQL statement \"DELETE FROM t\" : database is locked");
  EXPECT_EQ(LastSqliteError().code, SQLITE_BUSY);

  // A busy query reports its own detail, not the unrelated error before it.
  EXPECT_THROW(db.ExecSQL("DELETE FROM nosuch"), ESQLiteException);
  EXPECT_EQ(ThrownText([&] { db.GetTable("SELECT * FROM t"); }), "Could not prepare SQL statement");
  EXPECT_EQ(LastSqliteError().code, SQLITE_BUSY);
  EXPECT_EQ(LastSqliteError().message, "database is locked");
  sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(holder);
}

TEST_F(SqliteLayerTest, AnsiFileNamesReachTheModuleAsUtf8) {
  const std::string name = folder.File("caf\xE9.sqlite");  // "café" in code page 1252
  {
    TSQLiteDatabase db(name);
    db.ExecSQL("CREATE TABLE x (a)");
  }
  EXPECT_EQ(GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES, true);
}

// Opened alone, a file in WAL mode keeps its index in memory, with no "-shm" file beside it,
// and a file in rollback mode keeps normal locking, its journal gone at each commit: whichever
// of the two the main file and an attached one are.
TEST_F(SqliteLayerTest, OpenedAloneAWalFileHasNoIndexFileAndARollbackFileNoJournalLeft) {
  const struct { bool mainWal, attachedWal; } rows[] = {{true, true}, {false, true}, {true, false}};
  for (const auto& r : rows) {
    SCOPED_TRACE(std::to_string(r.mainWal) + std::to_string(r.attachedWal));
    TempFolder files;
    const std::string main = files.File("main.sqlite"), other = files.File("other.sqlite");
    for (const auto& [file, wal] : {std::pair{main, r.mainWal}, {other, r.attachedWal}})
      MakeDatabase(file,
                   wal ? "PRAGMA journal_mode=WAL; CREATE TABLE t (x)" : "CREATE TABLE t (x)");
    TSQLiteDatabase db(main, SqlText::Ansi, SqlSharing::Alone);
    db.Attach(other, "other");
    db.ExecSQL("INSERT INTO main.t VALUES (1)");
    db.ExecSQL("INSERT INTO other.t VALUES (1)");
    for (const std::string& file : {main, other}) {
      EXPECT_FALSE(FileExists(file + "-shm")) << file;
      EXPECT_FALSE(FileExists(file + "-journal")) << file;
    }
  }
}

TEST(SqliteModule, LoadingAgainDoesNothing) {
  LoadFirefoxModule();
  EXPECT_EQ(LoadSqliteModule("other.dll"), 0);
  // Loaded by its full path inside the installation, never by a bare name.
  EXPECT_EQ(SqliteModuleName(), FFoxProfile().ExecPath + "\\SQLite3.dll");
}

TEST_F(SqliteLayerTest, BoundValuesAreValuesWhateverTheyHold) {
  MakeDatabase(path, "INSERT INTO t (n, s) VALUES (10, 's'), (11, 'a_c'), (12, 'abc'), (13, 'x');");
  TSQLiteDatabase db(path);
  // Column names, quotes, wildcards and SQL in a value match only that exact value.
  db.ExecSQL("DELETE FROM t WHERE s = ?", {std::string("s")});
  EXPECT_EQ(db.Changes(), 1);
  db.ExecSQL("DELETE FROM t WHERE s = ?", {std::string("a_c")});
  EXPECT_EQ(db.GetTable("SELECT COUNT(*) FROM t WHERE s = 'abc'").FieldAsInteger(0), 1);
  db.ExecSQL("DELETE FROM t WHERE s = ?", {std::string("x' OR '1'='1")});
  EXPECT_EQ(db.Changes(), 0);
  TSQLiteTable t = db.GetTable("SELECT COUNT(*) FROM t WHERE n >= ? AND s = ?",
                               {int64_t{12}, std::string("abc")});
  EXPECT_EQ(t.FieldAsInteger(0), 1);

  // One statement, many runs, one transaction: the values land as text in UTF-8.
  db.ExecSQL("BEGIN");
  {
    TSQLiteStatement insert(db, "INSERT INTO t (n, d, s) VALUES (?, ?, ?)");
    for (int i = 0; i < 3; ++i)
      insert.Run({int64_t{20 + i}, 0.5 * i, std::string("caf\xE9") + std::to_string(i)});
    insert.Run({int64_t{30}, SqlValue{}, SqlValue{}});
  }
  db.ExecSQL("COMMIT");
  TSQLiteTable rows = db.GetTable("SELECT s, d FROM t WHERE n BETWEEN 20 AND 30 ORDER BY n");
  ASSERT_EQ(rows.RowCount(), 4);
  EXPECT_EQ(rows.FieldAsString(0),
            "caf\xE9"
            "0");
  rows.Next();
  rows.Next();
  EXPECT_EQ(rows.Fields(1), "1");
  rows.Next();
  EXPECT_EQ(rows.FieldAsString(0), "");  // NULL
}

// Under Wine the module's files are read and written through the layer that moves the file
// pointer. A cache of ten pages makes SQLite write pages out and read them back in the middle
// of a transaction, and a rollback reads the journal back: the files must come out whole.
TEST_F(SqliteLayerTest, UnderWineTheModuleSeeksAndItsFilesStayWhole) {
  using FindFn = sqlite3_vfs* (*)(const char*);
  auto find = reinterpret_cast<FindFn>(
      GetProcAddress(GetModuleHandleA(SqliteModuleInUse().c_str()), "sqlite3_vfs_find"));
  ASSERT_NE(find, nullptr);
  EXPECT_STREQ(find(nullptr)->zName, WineFileIoName());
  {
    TSQLiteDatabase db(path);
    db.ExecSQL("PRAGMA cache_size = 10");
    for (const char* end : {"ROLLBACK", "COMMIT"}) {
      db.ExecSQL("BEGIN");
      db.ExecSQL("DELETE FROM t WHERE n IS NULL");
      db.ExecSQL("CREATE TABLE big (v TEXT)");
      db.ExecSQL(
          "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 3000) "
          "INSERT INTO big SELECT printf('%0300d', i) FROM c");
      db.ExecSQL(end);
    }
  }
  // Read back by the test's own SQLite.
  sqlite3* own = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &own), SQLITE_OK);
  auto single = [&](const char* sql) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(own, sql, -1, &st, nullptr);
    std::string value = sqlite3_step(st) == SQLITE_ROW
                            ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0))
                            : "(no row)";
    sqlite3_finalize(st);
    return value;
  };
  EXPECT_EQ(single("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(single("SELECT COUNT(*) || ' ' || SUM(CAST(v AS INTEGER)) FROM big"), "3000 4501500");
  EXPECT_EQ(single("SELECT COUNT(*) FROM t"), "1");
  sqlite3_close(own);
}
