// Runs in its own process: the module binding is process-wide and happens once.
#include <gtest/gtest.h>

#include "firefox/sqlite_module.h"
#include "platform/sqlite_statement.h"
#include "support/test_support.h"

TEST(SqliteModuleLoading, MissingModuleThenPartialModule) {
  {
    MessageBoxRecorder boxes;
    EXPECT_EQ(LoadSqliteModule("nosuchsqlite.dll"), 999);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "SQLite3VEK -  Error Message");
    EXPECT_EQ(boxes.boxes[0].text,
              "The specified Dll module was not found -\r\n\r\n   "
              "nosuchsqlite.dll\r\n\r\nExecution will terminate...");
    EXPECT_FALSE(SqliteModuleLoaded());
  }
  MessageBoxRecorder boxes;
  SetDllDirectoryA((BinFolder() + "\\fixtures\\Partial").c_str());
  EXPECT_EQ(LoadSqliteModule("partialsqlite.dll"), 34);
  ASSERT_EQ(boxes.boxes.size(), 34u);
  EXPECT_EQ(boxes.boxes[0].text,
            "The specified Dll function was not found -\r\n\r\n   sqlite3_exec\r\n\r\nExecution "
            "may fail...");
  // An operation whose entry point is missing fails in order instead of calling nowhere.
  try {
    TSQLiteDatabase db("Z:\\tmp\\never-created.sqlite");
    FAIL() << "ran a statement that can never be finalized";
  } catch (const ESQLiteException& e) {
    EXPECT_STREQ(e.what(), "SQLite function not available: sqlite3_finalize");
  }
}
