// What the history purges delete must not stay readable in the bytes of the database files,
// whichever SQLite serves the program: the one of the Firefox installation, or its own.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <set>

#include "firefox/history_purge.h"
#include "platform/files.h"
#include "profile_generator.h"
#include "sqlite3.h"
#include "support/child_process.h"
#include "support/test_support.h"

namespace {
const char* const kDatabases[] = {"places.sqlite", "favicons.sqlite", "formhistory.sqlite"};

// Every text of every row of every table, read with the fixtures' own SQLite.
std::set<std::string> TextsOf(const std::string& file) {
  std::set<std::string> texts;
  sqlite3* db = nullptr;
  if (sqlite3_open(file.c_str(), &db) == SQLITE_OK) {
    std::vector<std::string> tables;
    sqlite3_exec(
        db, "SELECT name FROM sqlite_master WHERE type = 'table'",
        [](void* out, int, char** v, char**) {
          static_cast<std::vector<std::string>*>(out)->push_back(v[0]);
          return 0;
        },
        &tables, nullptr);
    for (const std::string& table : tables) {
      sqlite3_stmt* st = nullptr;
      if (sqlite3_prepare_v2(db, ("SELECT * FROM \"" + table + "\"").c_str(), -1, &st,
                             nullptr) != SQLITE_OK)
        continue;
      while (sqlite3_step(st) == SQLITE_ROW)
        for (int i = 0; i < sqlite3_column_count(st); ++i)
          if (sqlite3_column_type(st, i) == SQLITE_TEXT)
            texts.insert(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
      sqlite3_finalize(st);
    }
  }
  sqlite3_close(db);
  return texts;
}

// The file as Firefox leaves it: its own SQLite deletes securely, so no earlier content lies in
// the free space (the generator's updates leave some), and the log is written ahead.
void AsFirefoxLeavesIt(const std::string& file) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, "VACUUM", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}
}  // namespace

// Run only in a process of its own (by the test below): the SQLite binding is process-wide and
// made once. QV_ROWS_SQLITE names the module ("builtin": the program's own), QV_ROWS_PROFILE
// the profile folder.
TEST(DISABLED_DeletedRowsInFreshProcess, PurgeWithCompactNo) {
  const std::string folder = EnvironmentValue("QV_ROWS_PROFILE");
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(BindSqliteNamed(EnvironmentValue("QV_ROWS_SQLITE")));
  PointFirefoxProfileAt(folder);
  TestRun run;
  run.state.compact = false;
  PurgeFirefoxTypedUrls(run.ctx);
  PurgeFirefoxHistory(run.ctx);
  PurgeFirefoxForms(run.ctx);
  EXPECT_EQ(run.view.lines.size(), 3u) << "three success lines";
}

// With secure delete SQLite zeroes every row it deletes. What it does not zero are the copies a
// page merge leaves in the unused middle of a page it rebuilt (rows moved away there and
// deleted later in their new page); only a compaction ("Compact Files" Yes) rewrites those.
// The history purge empties Places and form history nearly whole, freeing their pages (which
// secure delete zeroes); favicons.sqlite keeps the icons of bookmarks on few pages, where such
// copies can stay.
TEST(DeletedRowsTest, RemovedUrlsAndValuesAreGoneFromTheFilesBytes) {
  const std::string fixtures = BinFolder() + "\\fixtures\\";
  for (const std::string& module :
       {fixtures + "Mozilla Firefox\\sqlite3.dll", std::string("builtin")}) {
    SCOPED_TRACE(module);
    TempFolder folder;
    ProfileRecipe recipe;
    recipe.places = 400;
    recipe.formEntries = 150;
    WriteProfileFiles(folder.Path(), recipe);
    std::map<std::string, std::set<std::string>> before;
    for (const char* name : kDatabases) {
      AsFirefoxLeavesIt(folder.File(name));
      before[name] = TextsOf(folder.File(name));
    }

    SetEnvironmentVariableA("QV_ROWS_SQLITE", module.c_str());
    SetEnvironmentVariableA("QV_ROWS_PROFILE", folder.Path().c_str());
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    ChildProcess child(exe, "--gtest_also_run_disabled_tests "
                            "--gtest_filter=DISABLED_DeletedRowsInFreshProcess.*");
    ASSERT_TRUE(child.Started());
    ASSERT_TRUE(child.WaitForExit(60000));
    EXPECT_EQ(child.ExitCode(), 0u);

    int removedInAll = 0;
    for (const char* name : kDatabases) {
      SCOPED_TRACE(name);
      // The bytes first, then what the file still holds.
      std::string bytes;
      for (const char* suffix : {"", "-wal", "-journal"}) {
        std::string b;
        if (ReadWholeFile(folder.File(name) + suffix, b)) bytes += b;
      }
      const std::set<std::string> after = TextsOf(folder.File(name));
      // A removed text counts only when no kept text holds it ("/12" is in "/123").
      int removed = 0, readable = 0;
      for (const std::string& text : before[name]) {
        if (after.count(text) || text.size() < 8) continue;
        bool inKept = false;
        for (const std::string& kept : after) inKept = inKept || kept.find(text) != std::string::npos;
        if (inKept) continue;
        ++removed;
        if (bytes.find(text) != std::string::npos) ++readable;
      }
      removedInAll += removed;
      if (std::string(name) == "favicons.sqlite")
        EXPECT_LE(readable * 10, removed) << readable << " of " << removed << " still readable";
      else
        EXPECT_EQ(readable, 0) << readable << " of " << removed << " removed texts still readable";
    }
    EXPECT_GT(removedInAll, 1000) << "the purges removed URLs and form values";
  }
  SetEnvironmentVariableA("QV_ROWS_SQLITE", nullptr);
  SetEnvironmentVariableA("QV_ROWS_PROFILE", nullptr);
}
