#include <gtest/gtest.h>

#include "platform/sqlite_rules.h"

TEST(SqliteRules, ResultCodesInWords) {
  const struct {
    int code;
    const char* message;
    const char* words;
  } rows[] = {
      {0, "not an error", ""},
      {13, "database or disk is full", "the disk is full"},
      {5, "database is locked", "the database is locked"},
      {261, "database is locked", "the database is locked"},  // SQLITE_BUSY_RECOVERY
      {6, "database table is locked", "the database is locked"},
      {26, "file is not a database", "the file is not a database"},
      {11, "database disk image is malformed", "the database is damaged"},
      {778, "disk I/O error", "the file could not be read or written"},  // SQLITE_IOERR_WRITE
      {14, "unable to open database file", "the file could not be opened"},
      {8, "attempt to write a readonly database", "the file is read-only"},
      {3, "access permission denied", "access to the file was denied"},
      {23, "authorization denied", "access to the file was denied"},
      {7, "out of memory", "there was not enough memory"},
      {1, "no such table: moz_places", "no such table: moz_places"},
      {19, "", "SQLite error 19"},
  };
  for (const auto& r : rows) EXPECT_EQ(SqliteFailureWords(r.code, r.message), r.words) << r.code;
}

TEST(SqliteRules, WalModeFromTheFileHeader) {
  // The magic text, the page size, then the write and read versions: 1 rollback, 2 WAL.
  const auto header = [](char write, char read) {
    return std::string("SQLite format 3\0", 16) + std::string{'\x10', '\0', write, read};
  };
  const struct {
    std::string header;
    bool wal;
  } rows[] = {
      {header(2, 2), true},
      {header(1, 1), false},
      {header(2, 2).substr(0, 19), false},
      {"not a database at all", false},
  };
  for (const auto& r : rows) EXPECT_EQ(IsWalDatabaseHeader(r.header), r.wal) << r.header;
}
