// The browsers' databases in WAL mode on a full disk: each purge fails with its reason and no
// line saying there was nothing to do, the program lives on, and every file is as it was.
// Under Wine the "-shm" file SQLite maps for a WAL file grows sparse, and on a full disk the
// first write into it faults inside SQLite: no purge may have one mapped, whichever SQLite
// serves Firefox.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "chromium/chromium_purge.h"
#include "chromium/chromium_test_support.h"
#include "core/settings.h"
#include "core/text_util.h"
#include "firefox/cookie_purge.h"
#include "firefox/history_purge.h"
#include "platform/files.h"
#include "platform/links.h"
#include "profile_generator.h"
#include "reliability/database_support.h"
#include "sqlite3.h"
#include "support/child_process.h"
#include "support/scratch_volume.h"
#include "support/test_support.h"

namespace {
// In WAL mode, with frames left in the WAL as a browser that did not end cleanly leaves them:
// whoever opens the file next rebuilds the WAL index from them.
void ToWalWithFrames(const std::string& file) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK) << file;
  sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  EXPECT_EQ(sqlite3_exec(db, "PRAGMA journal_mode=WAL; CREATE TABLE qv_gone(x); DROP TABLE qv_gone",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
}

// One file takes all of the volume but its last free page: the rebuilt index needs more.
void FillAllButOnePage(const std::string& file) {
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD put = 0;
  for (const DWORD size : {65536u, 4096u}) {
    const std::string block(size, 'x');
    while (WriteFile(h, block.data(), size, &put, nullptr) && put == size) {
    }
  }
  LARGE_INTEGER back;
  back.QuadPart = -4096;
  SetFilePointerEx(h, back, nullptr, FILE_END);
  SetEndOfFile(h);
  CloseHandle(h);
}
}  // namespace

// Run only in a process of its own (by the test below), which a fault ends: the SQLite binding
// is made once per process. QV_FULL_SQLITE names Firefox's module ("builtin": the program's
// own), QV_FULL_PROFILE the Firefox profile folder, QV_FULL_REPORT the file for the lines.
TEST(DISABLED_DiskFullInFreshProcess, Purges) {
  ASSERT_TRUE(BindSqliteNamed(EnvironmentValue("QV_FULL_SQLITE")));
  ScopedDataFolder data;                    // no keep list: every cookie would go
  Globals().messages.ffCookieMsgOpt = "Y";  // without a question about it
  PointFirefoxProfileAt(EnvironmentValue("QV_FULL_PROFILE"));
  TestRun run;
  for (auto purge : {PurgeFirefoxHistory, PurgeFirefoxCookies, PurgeChromiumCookies})
    purge(run.ctx);
  std::string text;
  for (const auto& line : run.view.lines) text += line + "\n";
  WriteFileText(EnvironmentValue("QV_FULL_REPORT"), text);
}

TEST(DiskFullTest, PurgesFailWithTheReasonAndLeaveTheDatabasesWhole) {
  ASSERT_TRUE(FileExists(FixtureUserData() + "\\Default\\Cookies"))
      << "the chromium_profile set-up step makes " << FixtureUserData();
  ScratchVolume volume(8);
  if (!volume.Ready()) GTEST_SKIP() << "mounting a tmpfs needs root";
  // The databases as they go onto the volume for each run: a Firefox profile, and the
  // cookies of Chrome's profile, whose Network folder is on the volume.
  TempFolder pristine;
  ForceDirectories(pristine.File("firefox"));
  ForceDirectories(pristine.File("network"));
  ProfileRecipe recipe;
  recipe.places = recipe.cookies = 40;
  recipe.formEntries = recipe.permissions = recipe.cacheFiles = 0;
  WriteProfileFiles(pristine.File("firefox"), recipe);
  ScopedBrowserFolder chrome{"Google\\Chrome\\User Data"};
  CopyTree(FixtureUserData(), chrome.Path());
  ASSERT_TRUE(CopyFileA((chrome.Path() + "\\Default\\Cookies").c_str(),
                        pristine.File("network\\Cookies").c_str(), FALSE));
  const std::string profileNetwork = chrome.Path() + "\\Default\\Network";
  RemoveTree(profileNetwork);
  ForceDirectories(volume.Root() + "network");
  ASSERT_TRUE(MakeUnixLink(volume.Root() + "network", profileNetwork));

  const std::string databases[] = {"firefox\\places.sqlite", "firefox\\favicons.sqlite",
                                   "firefox\\cookies.sqlite", "network\\Cookies"};
  std::map<std::string, std::string> before;
  for (const auto& name : databases) {
    ToWalWithFrames(pristine.File(name));
    before[name] = DumpDatabase(pristine.File(name));
    DeleteFileA((pristine.File(name) + "-shm").c_str());  // the index goes with the process
  }
  const std::string errors[] = {
      "*** Error - Delete entries from History failed - Places.SQLite - the disk is full",
      "*** Error - Delete Entry from FireFox Cookies file failed - Cookies.SQLite - the disk is "
      "full",
      "*** Error - Delete Entry from Cookies file failed - " + profileNetwork +
          "\\Cookies - the disk is full"};

  TempFolder reports;
  const std::string filler = volume.Root() + "filler", report = reports.File("report.txt");
  for (const std::string& sqlite :
       {BinFolder() + "\\fixtures\\Mozilla Firefox\\sqlite3.dll", std::string("builtin")}) {
    SCOPED_TRACE(sqlite);
    for (const char* folder : {"firefox", "network"}) RemoveTree(volume.Root() + folder);
    CopyTree(pristine.Path(), volume.Root());
    FillAllButOnePage(filler);
    ASSERT_EQ(FreeBytes(volume.Root()), 4096u);
    SetEnvironmentVariableA("QV_FULL_SQLITE", sqlite.c_str());
    SetEnvironmentVariableA("QV_FULL_PROFILE", (volume.Root() + "firefox").c_str());
    SetEnvironmentVariableA("QV_FULL_REPORT", report.c_str());
    DeleteFileA(report.c_str());
    ChildProcess child(ModuleFileName(),
                       "--gtest_also_run_disabled_tests "
                       "--gtest_filter=DISABLED_DiskFullInFreshProcess.*");
    ASSERT_TRUE(child.Started());
    EXPECT_TRUE(child.WaitForExit(60000));
    EXPECT_EQ(child.ExitCode(), 0u);  // a fault would have ended it
    const std::string text = ReadFileText(report);
    const std::vector<std::string> lines = SplitLines(text);
    for (const auto& error : errors)
      EXPECT_NE(std::find(lines.begin(), lines.end(), error), lines.end()) << error << "\n" << text;
    // Every purge failed: none may say it found nothing to do.
    EXPECT_EQ(text.find("found to delete"), std::string::npos) << text;
    DeleteFileA(filler.c_str());
    for (const auto& name : databases) {
      const std::string file = volume.Root() + name;
      EXPECT_FALSE(FileExists(file + "-shm")) << file;
      EXPECT_EQ(IntegrityCheck(file), "ok") << file;
      EXPECT_EQ(DumpDatabase(file), before[name]) << file;
    }
  }
  RemoveLinkItself(profileNetwork, true);
}
