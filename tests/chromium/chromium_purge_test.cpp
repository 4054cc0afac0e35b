// The Chromium purges on a real profile written by Debian's chromium (tests/chromium/
// make_fixture.sh), placed where Google Chrome keeps it on Windows: what goes, what stays,
// and that the files are sound databases afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "chromium/chromium_purge.h"
#include "chromium/chromium_sql.h"
#include "chromium_test_support.h"
#include "core/folders.h"
#include "core/text_util.h"
#include "firefox/firefox_profile.h"
#include "firefox/session_purge.h"
#include "platform/files.h"
#include "platform/sqlite_builtin.h"
#include "platform/sqlite_wine_io.h"
#include "sqlite3.h"
#include "support/child_process.h"
#include "support/test_support.h"

namespace {
using Lines = std::vector<std::string>;

bool Has(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string Joined(const Lines& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\n";
  return s;
}

// The files a browser can hardly be left with: sound pages, no dangling keys.
void ExpectSound(const std::string& file) {
  EXPECT_EQ(Scalar(file, "PRAGMA integrity_check"), "ok") << file;
  EXPECT_TRUE(Rows(file, "PRAGMA foreign_key_check").empty()) << file;
}

class RealChromiumProfile : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(FixtureUserData() + "\\Default\\History"))
        << "the chromium_profile set-up step makes " << FixtureUserData();
    CopyTree(FixtureUserData(), chrome_.Path());
    // Windows releases keep cookies in the Network folder.
    ForceDirectories(profile_ + "\\Network");
    ASSERT_TRUE(MoveFileA((profile_ + "\\Cookies").c_str(), cookies_.c_str()));
    DeleteFileA((profile_ + "\\Cookies-journal").c_str());
    WriteFileText(FirefoxKeepListFile(), "p=kept.example\r\nr=rand.example\r\n");
  }
  Lines Run(void (*purge)(ReportContext&), bool preview = false) {
    TestRun run;
    run.state.preview = preview;
    run.state.detail = true;
    run.state.compact = compact_;
    purge(run.ctx);
    level_ = run.state.highestLevel;
    processed_ = run.state.processed;
    return run.view.lines;
  }
  ScopedDataFolder data_;
  ScopedBrowserFolder chrome_{"Google\\Chrome\\User Data"};
  const std::string profile_ = chrome_.Path() + "\\Default";
  const std::string history_ = profile_ + "\\History";
  const std::string cookies_ = profile_ + "\\Network\\Cookies";
  const std::string webData_ = profile_ + "\\Web Data";
  const std::string favicons_ = profile_ + "\\Favicons";
  int level_ = 0;
  long long processed_ = 0;
  bool compact_ = false;
};

// Rows of every table the history purge empties, as the line after the purge counts them.
std::string HistoryRows(const std::string& history) {
  std::string sql = "SELECT 0";
  for (const auto& table : ChromiumHistoryTables())
    if (Scalar(history, "SELECT count(*) FROM sqlite_master WHERE name = '" + table + "'") == "1")
      sql += " + (SELECT count(*) FROM " + table + ")";
  return Scalar(history, sql);
}

TEST_F(RealChromiumProfile, HistoryGoesBookmarksStay) {
  ASSERT_NE(Scalar(history_, "SELECT count(*) FROM visits"), "0");
  const std::string rows = HistoryRows(history_);
  const std::string bookmarks = ReadFileText(profile_ + "\\Bookmarks");
  const Lines lines = Run(PurgeChromiumHistory);
  for (const char* table :
       {"urls", "visits", "visit_source", "keyword_search_terms", "segments", "segment_usage",
        "downloads", "downloads_url_chains", "content_annotations", "context_annotations",
        "clusters", "visited_links"})
    EXPECT_EQ(Scalar(history_, std::string("SELECT count(*) FROM ") + table), "0") << table;
  EXPECT_EQ(ReadFileText(profile_ + "\\Bookmarks"), bookmarks);
  for (const auto& name : ChromiumHistoryCopyFiles()) {
    EXPECT_FALSE(FileExists(profile_ + "\\" + name)) << name;
    EXPECT_FALSE(FileExists(profile_ + "\\" + name + "-journal")) << name;
  }
  ExpectSound(history_);
  ExpectSound(favicons_);
  EXPECT_TRUE(Has(lines, "  Deleted entries from  History entries - " + history_ + "   " + rows +
                             " Entries Deleted."))
      << rows << "\n"
      << Joined(lines);
  EXPECT_TRUE(Has(lines, "       deleted - " + profile_ + "\\Top Sites")) << Joined(lines);
  EXPECT_EQ(lines.back(), "  Purge \"Chromium History\" Function Completed.");
  // The SQLite compiled in, which serves these files, reads and writes them through the
  // layer Wine needs.
  using FindFn = sqlite3_vfs* (*)(const char*);
  auto find = reinterpret_cast<FindFn>(QvBuiltinSqliteEntry("sqlite3_vfs_find"));
  ASSERT_NE(find, nullptr);
  EXPECT_STREQ(find(nullptr)->zName, WineFileIoName());
}

// The icons of the pages of both bookmark files stay (the fixture bookmarks kept.example in
// Bookmarks and other.example in AccountBookmarks); bookmarks kept only encrypted (the browser
// wrote EncryptedBookmarks2 beside Bookmarks) cannot say which pages they hold, so every icon
// stays.
TEST_F(RealChromiumProfile, IconsOfBookmarkedPagesStayAndAllWhenBookmarksAreEncrypted) {
  const Lines mapped = Rows(favicons_, "SELECT page_url FROM icon_mapping ORDER BY page_url");
  ASSERT_EQ(mapped.size(), 3u);
  const struct {
    std::vector<const char*> removed;
    Lines stay;
    bool unreadable;  // the line that says why every icon stayed
  } cases[] = {
      {{}, {"http://kept.example/", "http://other.example/"}, false},
      {{"Bookmarks"}, mapped, true},
      {{"Bookmarks", "EncryptedBookmarks2", "AccountBookmarks", "EncryptedAccountBookmarks2"},
       {},
       false},
  };
  const std::string from = FixtureUserData() + "\\Default\\";
  for (const auto& c : cases) {
    for (const char* name : {"Favicons", "Bookmarks", "EncryptedBookmarks2", "AccountBookmarks"})
      ASSERT_TRUE(CopyFileA((from + name).c_str(), (profile_ + "\\" + name).c_str(), FALSE))
          << name;
    for (const char* name : c.removed) {
      DeleteFileA((profile_ + "\\" + name).c_str());
      ASSERT_FALSE(FileExists(profile_ + "\\" + name)) << name;
    }
    const Lines lines = Run(PurgeChromiumHistory);
    const std::string what = c.removed.empty() ? "none removed" : c.removed[0];
    EXPECT_EQ(Rows(favicons_, "SELECT page_url FROM icon_mapping ORDER BY page_url"), c.stay)
        << what;
    EXPECT_EQ(Scalar(favicons_, "SELECT count(*) FROM favicons"), std::to_string(c.stay.size()))
        << what;
    EXPECT_EQ(Has(lines, "    Favicons kept: the bookmarks cannot be read (encrypted or damaged)."),
              c.unreadable)
        << what << "\n"
        << Joined(lines);
    ExpectSound(favicons_);
  }
}

// A database deleted whole takes its journal with it, but a journal beside a database that
// could not go stays: it may be what brings that database back to a sound state.
TEST_F(RealChromiumProfile, AJournalGoesOnlyWithItsDatabase) {
  for (const char* name : {"Top Sites", "Shortcuts", "Network Action Predictor"})
    ASSERT_TRUE(FileExists(profile_ + "\\" + name + "-journal")) << name;
  HANDLE held = CreateFileA((profile_ + "\\Top Sites").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Run(PurgeChromiumHistory);
  CloseHandle(held);
  EXPECT_TRUE(FileExists(profile_ + "\\Top Sites"));
  EXPECT_TRUE(FileExists(profile_ + "\\Top Sites-journal"));
  for (const char* name : {"Shortcuts", "Network Action Predictor"}) {
    EXPECT_FALSE(FileExists(profile_ + "\\" + name)) << name;
    EXPECT_FALSE(FileExists(profile_ + "\\" + name + "-journal")) << name;
  }
}

// Typed pages go with their visits, their rows of the visited links and what was typed for
// them in the files the address bar suggests from; pages reached by links stay.
TEST_F(RealChromiumProfile, TypedUrlsGoWithTheirVisitsTheRestStays) {
  const Lines untyped = Rows(history_, "SELECT url FROM urls WHERE typed_count = 0 ORDER BY id");
  ASSERT_GE(untyped.size(), 3u);  // two pages reached by links, the form's answer
  const std::string untypedVisits = Scalar(
      history_,
      "SELECT count(*) FROM visits WHERE url IN (SELECT id FROM urls WHERE typed_count = 0)");
  ASSERT_NE(Scalar(history_,
                   "SELECT count(*) FROM visited_links WHERE link_url_id IN "
                   "(SELECT id FROM urls WHERE typed_count > 0)"),
            "0");
  const Lines untypedLinks = Rows(history_,
                                  "SELECT v.id FROM visited_links v JOIN urls u ON "
                                  "u.id = v.link_url_id WHERE u.typed_count = 0 ORDER BY v.id");
  ASSERT_FALSE(untypedLinks.empty());
  const std::string shortcuts = profile_ + "\\Shortcuts",
                    predictor = profile_ + "\\Network Action Predictor";
  ASSERT_EQ(Scalar(shortcuts, "SELECT text FROM omni_box_shortcuts"), "typ");
  ASSERT_EQ(Scalar(predictor, "SELECT user_text FROM network_action_predictor"), "typ");
  const Lines meta = Rows(shortcuts, "SELECT * FROM meta ORDER BY key");
  const Lines lines = Run(PurgeChromiumTypedUrls);
  EXPECT_EQ(Rows(history_, "SELECT url FROM urls ORDER BY id"), untyped);
  EXPECT_EQ(Scalar(history_, "SELECT count(*) FROM visits"), untypedVisits);
  EXPECT_EQ(Scalar(history_, "SELECT count(*) FROM visits WHERE url NOT IN (SELECT id FROM urls)"),
            "0");
  EXPECT_EQ(Rows(history_, "SELECT id FROM visited_links ORDER BY id"), untypedLinks);
  EXPECT_EQ(Scalar(shortcuts, "SELECT count(*) FROM omni_box_shortcuts"), "0");
  EXPECT_EQ(Scalar(predictor, "SELECT count(*) FROM network_action_predictor"), "0");
  EXPECT_EQ(Rows(shortcuts, "SELECT * FROM meta ORDER BY key"), meta);
  for (const auto& file : {history_, shortcuts, predictor}) ExpectSound(file);
  for (const auto& file : {shortcuts, predictor})
    EXPECT_TRUE(Has(lines, "  Deleted entries from  Typed URLs - " + file + "   1 Entry Deleted."))
        << Joined(lines);
}

TEST_F(RealChromiumProfile, FormsEmptyTheAutofillTableOnly) {
  ASSERT_EQ(Rows(webData_, "SELECT value FROM autofill"), (Lines{"quorvane-form-entry"}));
  const Lines meta = Rows(webData_, "SELECT * FROM meta ORDER BY key");
  const Lines lines = Run(PurgeChromiumForms);
  EXPECT_EQ(Scalar(webData_, "SELECT count(*) FROM autofill"), "0");
  EXPECT_EQ(Rows(webData_, "SELECT * FROM meta ORDER BY key"), meta);
  ExpectSound(webData_);
  EXPECT_EQ(lines.back(), "  Purge \"Chromium Forms\" Function Completed.");
}

TEST_F(RealChromiumProfile, CompactFilesRewritesTheDatabasesWhenChosen) {
  const Lines plain = Run(PurgeChromiumForms);
  compact_ = true;
  const Lines cookies = Run(PurgeChromiumCookies);
  const Lines history = Run(PurgeChromiumHistory);
  for (const auto& line : plain) EXPECT_FALSE(StartsWith(line, "  Compact ")) << line;
  EXPECT_TRUE(Has(cookies, "  Compact Cookies file completed")) << Joined(cookies);
  EXPECT_TRUE(Has(history, "  Compact History file completed")) << Joined(history);
  EXPECT_TRUE(Has(history, "  Compact Favicons file completed")) << Joined(history);
  for (const auto& file : {history_, cookies_, favicons_}) {
    EXPECT_EQ(Scalar(file, "PRAGMA freelist_count"), "0") << file;
    ExpectSound(file);
  }
}

// "p=kept.example" keeps the site's cookies of both forms, its host's and its domain's
// (".kept.example", where logins usually live); "r=rand.example" randomizes both.
TEST_F(RealChromiumProfile, CookiesKeptRandomizedAndDeletedByTheKeepList) {
  const std::string keptBlobs = Joined(Rows(
      cookies_, "SELECT hex(encrypted_value) FROM cookies WHERE host_key LIKE '%kept.example'"));
  ASSERT_EQ(Scalar(cookies_, "SELECT count(*) FROM cookies WHERE host_key = '.kept.example'"), "1");
  const Lines lines = Run(PurgeChromiumCookies);
  EXPECT_EQ(Rows(cookies_, "SELECT host_key FROM cookies ORDER BY host_key"),
            (Lines{".kept.example", ".rand.example", "kept.example", "rand.example"}));
  EXPECT_EQ(Joined(Rows(cookies_,
                        "SELECT hex(encrypted_value) FROM cookies WHERE host_key LIKE "
                        "'%kept.example'")),
            keptBlobs);
  for (const std::string host : {"rand.example", ".rand.example"}) {
    const std::string sql =
        "SELECT value || '|' || length(encrypted_value) FROM cookies WHERE host_key = '" + host +
        "'";
    const std::string randomized = Scalar(cookies_, sql);
    EXPECT_EQ(randomized.size(), 24u + 2u) << randomized;
    EXPECT_TRUE(EndsWith(randomized, "|0")) << randomized;
    EXPECT_TRUE(Has(lines, "    Randomized - " + host)) << Joined(lines);
  }
  ExpectSound(cookies_);
  const Lines gone = {"form.example",  "gone.example",  "other.example",
                      "start.example", "typed.example", "www.example.com"};
  for (const std::string& host : gone)
    for (const std::string& form : {host, "." + host})
      EXPECT_TRUE(Has(lines, "       deleted - " + form)) << form << Joined(lines);
  EXPECT_FALSE(Has(lines, "       deleted - kept.example"));
  EXPECT_FALSE(Has(lines, "       deleted - .kept.example"));
  EXPECT_EQ(lines[lines.size() - 2], "    2 Cookies Randomized.");
  EXPECT_EQ(lines.back(), "  Purge \"Chromium Cookies\" Function Completed.   " +
                              std::to_string(2 * gone.size() + 2) + " Entries Processed.");
  EXPECT_EQ(processed_, static_cast<long long>(2 * gone.size()));
}

TEST_F(RealChromiumProfile, PreviewChangesNothing) {
  const std::string history = ReadFileText(history_), cookies = ReadFileText(cookies_);
  const int cache = FilesBelow(profile_ + "\\Cache");
  ASSERT_GT(cache, 0);
  Lines lines;
  for (auto purge : {PurgeChromiumHistory, PurgeChromiumTypedUrls, PurgeChromiumCookies,
                     PurgeChromiumCache, PurgeChromiumSession})
    for (const auto& l : Run(purge, true)) lines.push_back(l);
  EXPECT_EQ(ReadFileText(history_), history);
  EXPECT_EQ(ReadFileText(cookies_), cookies);
  EXPECT_EQ(FilesBelow(profile_ + "\\Cache"), cache);
  EXPECT_TRUE(Has(lines, "     to delete - gone.example")) << Joined(lines);
  EXPECT_TRUE(Has(lines, "  to Randomize - rand.example")) << Joined(lines);
}

// Every cache of the profile (Opera's below the local folder) and of the user-data folder, the
// sessions and tabs with their encrypted copies and the apps' windows; the report counts files.
TEST_F(RealChromiumProfile, CacheAndSessionFilesGo) {
  const std::string userData = chrome_.Path();
  // Headless Chromium without a GPU writes no shader caches: one file each stands for them.
  for (const char* sub : {"GrShaderCache", "ShaderCache", "GraphiteDawnCache"}) {
    ForceDirectories(userData + "\\" + sub + "\\sub");
    WriteFileText(userData + "\\" + sub + "\\sub\\data_0", "shader");
  }
  for (const char* folder : {"\\Sessions\\", "\\Sessions_Encrypted\\"})
    WriteFileText(profile_ + folder + "Apps_13400000000000000", "app window");
  Lines caches;
  for (const char* sub : {"Cache", "Code Cache", "GPUCache", "Service Worker\\ScriptCache",
                          "DawnGraphiteCache", "DawnWebGPUCache"})
    caches.push_back(profile_ + "\\" + sub);
  for (const char* sub :
       {"GrShaderCache", "ShaderCache", "GraphiteDawnCache", "GPUPersistentCache"})
    caches.push_back(userData + "\\" + sub);
  int files = 0;
  for (const auto& folder : caches) {
    ASSERT_GT(FilesBelow(folder), 0) << folder;
    files += FilesBelow(folder);
  }
  for (const char* folder : {"Sessions", "Sessions_Encrypted"})
    for (const char* prefix : {"Session_", "Tabs_", "Apps_"})
      ASSERT_FALSE(FilePathsIn(profile_ + "\\" + folder, std::string(prefix) + "*").empty())
          << folder << prefix;
  const std::string counted = "  Purge \"Chromium Cache\" Function Completed.   " +
                              std::to_string(files) + " Cache Data Files Processed.";
  EXPECT_EQ(Run(PurgeChromiumCache, true).back(), counted);
  EXPECT_EQ(Run(PurgeChromiumCache).back(), counted);
  Run(PurgeChromiumSession);
  for (const auto& folder : caches) EXPECT_EQ(FilesBelow(folder), 0) << folder;
  for (const char* folder : {"Sessions", "Sessions_Encrypted"})
    EXPECT_EQ(FilesBelow(profile_ + "\\" + folder), 0) << folder;
}

// A file that is not a database gets an error line and stays as it was; the other files of the
// profile are still purged.
TEST_F(RealChromiumProfile, ADamagedDatabaseIsReportedAndLeftAlone) {
  const std::string damaged = "not a database, whatever the name says";
  WriteFileText(cookies_, damaged);
  const Lines cookies = Run(PurgeChromiumCookies);
  EXPECT_EQ(level_, 7);
  const Lines history = Run(PurgeChromiumHistory);
  EXPECT_EQ(ReadFileText(cookies_), damaged);
  EXPECT_TRUE(Has(cookies, "*** Error - Delete Entry from Cookies file failed - " + cookies_ +
                               " - the file is not a database"))
      << Joined(cookies);
  EXPECT_FALSE(Has(cookies, "    No Entries found to delete.")) << Joined(cookies);
  EXPECT_EQ(cookies.back(), "  Purge \"Chromium Cookies\" Function Completed.");
  EXPECT_EQ(Scalar(history_, "SELECT count(*) FROM urls"), "0");
}

TEST_F(RealChromiumProfile, RefusedWhileTheBrowserHoldsItsLockFile) {
  const std::string lock = chrome_.Path() + "\\lockfile";
  // As the browser holds it: written, shared for reading only, gone when closed.
  HANDLE held = CreateFileA(lock.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::string cookies = ReadFileText(cookies_), history = ReadFileText(history_);
  const Lines lines = Run(PurgeChromiumCookies);
  const int level = level_;
  Run(PurgeChromiumHistory);
  CloseHandle(held);
  EXPECT_TRUE(Has(lines, " -Error- not Processed as Google Chrome browser is active."))
      << Joined(lines);
  EXPECT_EQ(level, 7);
  EXPECT_EQ(ReadFileText(cookies_), cookies);
  EXPECT_EQ(ReadFileText(history_), history);
}

// Every purge on, as a user ticks them; the result goes where a real Chromium opens it next
// (the chromium_reopen step), with the cookie file back at this platform's place.
TEST_F(RealChromiumProfile, WholePurgeLeavesAProfileChromiumOpens) {
  for (auto purge : {PurgeChromiumCache, PurgeChromiumCookies, PurgeChromiumTypedUrls,
                     PurgeChromiumHistory, PurgeChromiumForms, PurgeChromiumSession})
    Run(purge);
  EXPECT_EQ(level_, 0);
  const std::string out = PurgedUserData();
  RemoveTree(out);
  CopyTree(chrome_.Path(), out);
  ASSERT_TRUE(MoveFileA((out + "\\Default\\Network\\Cookies").c_str(),
                        (out + "\\Default\\Cookies").c_str()));
  std::string randomized;
  for (const std::string& row : Rows(cookies_,
                                     "SELECT host_key || ' ' || value FROM cookies "
                                     "WHERE host_key LIKE '%rand.example'"))
    randomized += row + "\n";
  WriteFileText(out + "\\rand-value.txt", randomized);
}

TEST(FirefoxSessionTest, SessionStoreAndItsBackupsGo) {
  ScopedDataFolder data;
  DiscoverProfile();
  RefreshProfileStatus();
  const std::string folder = FFoxProfile().DataPath;
  ASSERT_TRUE(DirectoryExists(folder)) << folder;
  const Lines files = {folder + "\\sessionstore.jsonlz4",
                       folder + "\\sessionstore-backups\\recovery.jsonlz4",
                       folder + "\\sessionstore-backups\\recovery.baklz4",
                       folder + "\\sessionstore-backups\\upgrade.jsonlz4-20240101"};
  ForceDirectories(folder + "\\sessionstore-backups");
  for (const auto& f : files) WriteFileText(f, "mozLz40");
  WriteFileText(folder + "\\places-keep.txt", "not a session file");
  TestRun run;
  PurgeFirefoxSession(run.ctx);
  for (const auto& f : files) {
    EXPECT_FALSE(FileExists(f)) << f;
    EXPECT_TRUE(Has(run.view.lines, "       deleted - " + f)) << Joined(run.view.lines);
  }
  EXPECT_TRUE(FileExists(folder + "\\places-keep.txt"));
  DeleteFileA((folder + "\\places-keep.txt").c_str());
  EXPECT_EQ(run.view.lines.back(),
            "  Purge \"FireFox Session\" Function Completed.   4 Session Files Processed.");
}
}  // namespace

namespace {
// A process of a browser's executable refuses it: Edge with start-up boost keeps msedge.exe
// alive with no window and no lock held (the line says so). Every Opera runs opera.exe, so its
// lock file alone tells which one runs.
TEST(ChromiumRunningTest, AProcessOfTheBrowserRefusesItOperaGoesByItsLock) {
  ScopedDataFolder data;
  ScopedBrowserFolder edge("Microsoft\\Edge\\User Data"),
      opera("Opera Software\\Opera Stable", true), gx("Opera Software\\Opera GX Stable", true);
  for (const auto* folder : {&edge, &opera, &gx}) {
    ForceDirectories(folder->Path() + "\\Default");
    WriteFileText(folder->Path() + "\\Default\\Preferences", "{}");
  }
  const std::string operaLock = opera.Path() + "\\Default\\lockfile";
  const struct {
    const char* exe;
    bool holdOperaLock;
    Lines refused;
  } cases[] = {
      {"msedge.exe",
       false,
       {" -Error- not Processed as Microsoft Edge browser is active. (Start-up boost keeps "
        "msedge.exe running after its windows close.)"}},
      {"opera.exe", false, {}},
      {"opera.exe", true, {" -Error- not Processed as Opera browser is active."}},
  };
  for (const auto& c : cases) {
    TempFolder bin;
    const std::string exe = bin.File(c.exe);
    ASSERT_TRUE(CopyFileA((BinFolder() + "\\fixtures\\Mozilla Firefox\\firefox.exe").c_str(),
                          exe.c_str(), FALSE));
    const std::string event = "QvBrowserRuns" + std::to_string(GetCurrentProcessId());
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    HANDLE lock = c.holdOperaLock
                      ? CreateFileA(operaLock.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr)
                      : INVALID_HANDLE_VALUE;
    Lines refused;
    int level = 0;
    {
      ChildProcess running(exe, "hold \"" + bin.File("held") + "\" " + event);
      ASSERT_TRUE(running.Started());
      TestRun run;
      PurgeChromiumSession(run.ctx);
      for (const auto& line : run.view.lines)
        if (StartsWith(line, " -Error- not Processed")) refused.push_back(line);
      level = run.state.highestLevel;
      SetEvent(release);
      running.WaitForExit(10000);
    }
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
    CloseHandle(release);
    EXPECT_EQ(refused, c.refused) << c.exe;
    EXPECT_EQ(level, c.refused.empty() ? 0 : 7) << c.exe;
  }
  TestRun after;
  PurgeChromiumSession(after.ctx);
  for (const auto& line : after.view.lines)
    EXPECT_FALSE(StartsWith(line, " -Error- not Processed")) << line;
}
}  // namespace
