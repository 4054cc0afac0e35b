#include <gtest/gtest.h>

#include "firefox/firefox_profile.h"
#include "firefox/sqlite_table.h"
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

TEST_F(SqliteLayerTest, EmptyResultsAndOnlyTheFirstStatement) {
  TSQLiteDatabase db(path);
  db.ExecSQL("DELETE FROM t WHERE n = 42; DELETE FROM t");
  TSQLiteTable rest = db.GetTable("SELECT COUNT(*) FROM t");
  EXPECT_EQ(rest.FieldAsInteger(0), 1);  // the second statement did not run
  TSQLiteTable none = db.GetTable("SELECT * FROM t WHERE n = 42");
  EXPECT_EQ(none.RowCount(), 0);
  EXPECT_TRUE(none.Eof());
  EXPECT_EQ(ThrownText([&] { none.FieldIndex("n"); }), "Field n Not found. Empty dataset");
  EXPECT_EQ(ThrownText([&] { db.ExecSQL(""); }), "Could not prepare SQL statement");
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

TEST(SqliteText, QuotingDoublesInnerQuotes) {
  EXPECT_EQ(QuoteSqlText("a\"b"), "\"a\"\"b\"");
  EXPECT_EQ(QuoteSqlText(""), "\"\"");
}

TEST(SqliteModule, LoadingAgainDoesNothing) {
  LoadFirefoxModule();
  EXPECT_EQ(LoadSqliteModule("other.dll"), 0);
  EXPECT_EQ(SqliteModuleName(), "SQLite3.dll");
}
