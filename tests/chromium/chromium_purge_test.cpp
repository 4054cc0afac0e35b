// The Chromium purges on a real profile written by Debian's chromium (tests/chromium/
// make_fixture.sh), placed where Google Chrome keeps it on Windows: what goes, what stays,
// and that the files are sound databases afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "chromium/chromium_purge.h"
#include "chromium_test_support.h"
#include "core/folders.h"
#include "core/text_util.h"
#include "firefox/firefox_profile.h"
#include "firefox/session_purge.h"
#include "platform/files.h"
#include "platform/sqlite_wine_io.h"
#include "sqlite3.h"
#include "support/child_process.h"
#include "support/test_support.h"

extern "C" void* QvBuiltinSqliteEntry(const char* name);

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
  bool compact_ = false;
};

TEST_F(RealChromiumProfile, HistoryGoesBookmarksAndTheirIconsStay) {
  ASSERT_NE(Scalar(history_, "SELECT count(*) FROM visits"), "0");
  const std::string bookmarks = ReadFileText(profile_ + "\\Bookmarks");
  const Lines lines = Run(PurgeChromiumHistory);
  for (const char* table : {"urls", "visits", "visit_source", "keyword_search_terms", "segments",
                            "segment_usage", "downloads", "downloads_url_chains",
                            "content_annotations", "context_annotations", "clusters"})
    EXPECT_EQ(Scalar(history_, std::string("SELECT count(*) FROM ") + table), "0") << table;
  EXPECT_EQ(Rows(favicons_, "SELECT page_url, icon_id FROM icon_mapping"),
            (Lines{"http://kept.example/|1"}));
  EXPECT_EQ(Rows(favicons_, "SELECT id FROM favicons"), (Lines{"1"}));
  EXPECT_EQ(Rows(favicons_, "SELECT icon_id FROM favicon_bitmaps"), (Lines{"1"}));
  EXPECT_EQ(ReadFileText(profile_ + "\\Bookmarks"), bookmarks);
  EXPECT_FALSE(FileExists(profile_ + "\\Top Sites"));
  ExpectSound(history_);
  ExpectSound(favicons_);
  EXPECT_TRUE(Has(lines, "  Deleted entries from  History entries - " + history_)) << Joined(lines);
  EXPECT_TRUE(Has(lines, "       deleted - " + profile_ + "\\Top Sites")) << Joined(lines);
  EXPECT_EQ(lines.back(), "  Purge \"Chromium History\" Function Completed.");
  // The SQLite compiled in, which serves these files, reads and writes them through the
  // layer Wine needs.
  using FindFn = sqlite3_vfs* (*)(const char*);
  auto find = reinterpret_cast<FindFn>(QvBuiltinSqliteEntry("sqlite3_vfs_find"));
  ASSERT_NE(find, nullptr);
  EXPECT_STREQ(find(nullptr)->zName, WineFileIoName());
}

TEST_F(RealChromiumProfile, TypedUrlsGoWithTheirVisitsTheRestStays) {
  const Lines untyped = Rows(history_, "SELECT url FROM urls WHERE typed_count = 0 ORDER BY id");
  ASSERT_FALSE(untyped.empty());
  const std::string untypedVisits = Scalar(
      history_,
      "SELECT count(*) FROM visits WHERE url IN (SELECT id FROM urls WHERE typed_count = 0)");
  Run(PurgeChromiumTypedUrls);
  EXPECT_EQ(Rows(history_, "SELECT url FROM urls ORDER BY id"), untyped);
  EXPECT_EQ(Scalar(history_, "SELECT count(*) FROM visits"), untypedVisits);
  EXPECT_EQ(Scalar(history_, "SELECT count(*) FROM visits WHERE url NOT IN (SELECT id FROM urls)"),
            "0");
  ExpectSound(history_);
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

TEST_F(RealChromiumProfile, CookiesKeptRandomizedAndDeletedByTheKeepList) {
  const std::string keptBlob =
      Scalar(cookies_, "SELECT hex(encrypted_value) FROM cookies WHERE host_key = 'kept.example'");
  ASSERT_FALSE(keptBlob.empty());
  const Lines lines = Run(PurgeChromiumCookies);
  EXPECT_EQ(Rows(cookies_, "SELECT host_key FROM cookies ORDER BY host_key"),
            (Lines{"kept.example", "rand.example"}));
  EXPECT_EQ(
      Scalar(cookies_, "SELECT hex(encrypted_value) FROM cookies WHERE host_key = 'kept.example'"),
      keptBlob);
  const std::string randomized =
      Scalar(cookies_,
             "SELECT value || '|' || length(encrypted_value) FROM cookies WHERE "
             "host_key = 'rand.example'");
  EXPECT_EQ(randomized.size(), 24u + 2u) << randomized;
  EXPECT_TRUE(EndsWith(randomized, "|0")) << randomized;
  ExpectSound(cookies_);
  for (const char* host :
       {"form.example", "gone.example", "other.example", "start.example", "typed.example"})
    EXPECT_TRUE(Has(lines, std::string("       deleted - ") + host)) << host << Joined(lines);
  EXPECT_TRUE(Has(lines, "    Randomized - rand.example")) << Joined(lines);
  EXPECT_FALSE(Has(lines, "       deleted - kept.example"));
  EXPECT_EQ(lines.back(),
            "  Purge \"Chromium Cookies\" Function Completed.   6 Entries Processed.");
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

TEST_F(RealChromiumProfile, CacheAndSessionFilesGo) {
  ASSERT_GT(FilesBelow(profile_ + "\\Sessions"), 0);
  for (const char* sub : {"Cache", "Code Cache", "GPUCache"})
    ASSERT_GT(FilesBelow(profile_ + "\\" + sub), 0) << sub;
  Run(PurgeChromiumCache);
  const Lines session = Run(PurgeChromiumSession);
  for (const char* sub : {"Cache", "Code Cache", "GPUCache", "Sessions"})
    EXPECT_EQ(FilesBelow(profile_ + "\\" + sub), 0) << sub;
  EXPECT_EQ(session.back(), "  Purge \"Chromium Session\" Function Completed.");
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
  WriteFileText(out + "\\rand-value.txt",
                Scalar(cookies_, "SELECT value FROM cookies WHERE host_key = 'rand.example'"));
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
// Edge with start-up boost keeps msedge.exe alive with no window and no lock held: a process
// of that name alone refuses the browser, and the line says why.
TEST(ChromiumRunningTest, AProcessOfTheBrowserRefusesItAndEdgeNamesStartUpBoost) {
  ScopedDataFolder data;
  ScopedBrowserFolder edge("Microsoft\\Edge\\User Data");
  ForceDirectories(edge.Path() + "\\Default");
  WriteFileText(edge.Path() + "\\Default\\Preferences", "{}");
  TempFolder bin;
  const std::string exe = bin.File("msedge.exe");
  ASSERT_TRUE(CopyFileA((BinFolder() + "\\fixtures\\Mozilla Firefox\\firefox.exe").c_str(),
                        exe.c_str(), FALSE));
  const std::string event = "QvEdgeBoost" + std::to_string(GetCurrentProcessId());
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
  Lines lines;
  {
    ChildProcess boost(exe, "hold \"" + bin.File("held") + "\" " + event);
    ASSERT_TRUE(boost.Started());
    TestRun run;
    PurgeChromiumSession(run.ctx);
    lines = run.view.lines;
    EXPECT_EQ(run.state.highestLevel, 7);
    SetEvent(release);
    boost.WaitForExit(10000);
  }
  CloseHandle(release);
  EXPECT_TRUE(Has(lines,
                  " -Error- not Processed as Microsoft Edge browser is active. (Start-up boost "
                  "keeps msedge.exe running after its windows close.)"))
      << Joined(lines);
  TestRun after;
  PurgeChromiumSession(after.ctx);
  for (const auto& line : after.view.lines)
    EXPECT_FALSE(StartsWith(line, " -Error- not Processed")) << line;
}
}  // namespace
