// The real program on the Firefox people run today: SQLite inside nss3.dll, the installation
// registered in the 64-bit view, a profile of the current schema named by an [Install...]
// section. Start-up, the folder report and a whole Purge, checked row by row.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/text_util.h"
#include "firefox_install.h"
#include "platform/files.h"
#include "platform/shell_folders.h"
#include "platform/window.h"
#include "profile_generator.h"
#include "resource.h"
#include "sqlite3.h"
#include "support/child_process.h"
#include "support/registry_stash.h"
#include "support/test_support.h"

namespace {
using Row = std::vector<std::string>;

// Read with the fixtures' own SQLite, not with the program's.
std::vector<Row> Query(const std::string& file, const std::string& sql) {
  std::vector<Row> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << "cannot open " << file;
    sqlite3_close(db);
    return rows;
  }
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
    ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
  while (st && sqlite3_step(st) == SQLITE_ROW) {
    Row row;
    for (int i = 0; i < sqlite3_column_count(st); ++i) {
      const unsigned char* t = sqlite3_column_text(st, i);
      row.push_back(t ? reinterpret_cast<const char*>(t) : "");
    }
    rows.push_back(row);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

std::set<std::string> Column(const std::vector<Row>& rows) {
  std::set<std::string> out;
  for (const Row& r : rows) out.insert(r[0]);
  return out;
}

std::string ReportOf(HWND main, UINT command) {
  DWORD_PTR ignored;
  if (command) SendMessageTimeoutA(main, WM_COMMAND, command, 0, SMTO_NORMAL, 20000, &ignored);
  SendMessageTimeoutA(main, WM_COMMAND, IDM_COPY_REPORT, 0, SMTO_NORMAL, 20000, &ignored);
  return ClipboardText();
}

// A machine with only today's Firefox: its installation, and a profile of its own that the
// user's profiles.ini names through the installation's [Install...] section.
struct TodaysFirefox : testing::Test {
  RegistryStash machine{HKEY_LOCAL_MACHINE, "Software\\Mozilla"};
  RegistryStash user{HKEY_CURRENT_USER, "Software\\Mozilla"};
  std::string appData = GetSpecialFolder(kCsidlAppData).text;
  std::string firefoxFolder = appData + "\\Mozilla\\Firefox";
  ScopedFileRestore ini{firefoxFolder + "\\profiles.ini"};
  std::string relative = "Profiles\\qvtoday.default-release";
  std::string profile = firefoxFolder + "\\" + relative;
  std::string older = firefoxFolder + "\\Profiles\\qvolder.default";
  std::string cache2 =
      GetSpecialFolder(kCsidlLocalAppData).text + "\\Mozilla\\Firefox\\" + relative + "\\cache2";
  TempFolder install;
  std::string name = "QVTODAY" + std::to_string(GetCurrentProcessId());
  std::string data = appData + "\\" + name;
  std::string hostKept, hostRandomized;

  void SetUp() override {
    ASSERT_TRUE(InstallMozillaProduct(kCurrentFirefox, BinFolder() + "\\fixtures",
                                      install.File("Mozilla Firefox"), HKEY_LOCAL_MACHINE,
                                      KEY_WOW64_64KEY));
    ForceDirectories(profile);
    ForceDirectories(older);
    ProfileRecipe recipe;
    recipe.places = 300;
    recipe.cookies = 200;
    recipe.formEntries = 60;
    WriteProfileFiles(profile, recipe);
    for (int i = 0; i < 6; ++i)
      WriteFileText(cache2 + "\\entries\\" + std::to_string(1000 + i) + "ABCDEF", "cached page");
    ForceDirectories(cache2 + "\\doomed");
    // The [Profile1] Default=1 is an older profile the installation no longer uses.
    WriteFileText(firefoxFolder + "\\profiles.ini",
                  "[Install308046B0AF4A39CB]\r\nDefault=Profiles/qvtoday.default-release\r\n"
                  "Locked=1\r\n\r\n[Profile1]\r\nName=default\r\nIsRelative=1\r\n"
                  "Path=Profiles/qvolder.default\r\nDefault=1\r\n\r\n[Profile0]\r\n"
                  "Name=default-release\r\nIsRelative=1\r\n"
                  "Path=Profiles/qvtoday.default-release\r\n\r\n[General]\r\n"
                  "StartWithLastProfile=1\r\nVersion=2\r\n");
    const auto hosts = Query(cookies(),
                             "SELECT host FROM moz_cookies GROUP BY host HAVING COUNT(*) > 1 "
                             "ORDER BY host LIMIT 2");
    ASSERT_EQ(hosts.size(), 2u);
    hostKept = hosts[0][0];
    hostRandomized = hosts[1][0];
    ForceDirectories(data);
    WriteFileText(data + "\\Quorvane.Dat", "p=" + hostKept + "\r\nr=" + hostRandomized + "\r\n");
    WriteFileText(data + "\\Quorvane.ini",
                  "[ShowOption]\r\nQuickStartOpt=N\r\n[PnowOptions]\r\nSplashOpt=1\r\n"
                  "MainWinOpt=0\r\nCacheOption=1\r\nCookiesOption=1\r\nHistoryOption=1\r\n"
                  "FFtypedURLs=1\r\nFormsOption=1\r\n");
  }
  void TearDown() override {
    RemoveTree(data);
    RemoveTree(profile);
    RemoveTree(older);
    RemoveTree(ExtractFilePath(cache2));
  }
  std::string places() const { return profile + "\\places.sqlite"; }
  std::string cookies() const { return profile + "\\cookies.sqlite"; }
  std::string forms() const { return profile + "\\formhistory.sqlite"; }
};
}  // namespace

TEST_F(TodaysFirefox, StartsWithoutABoxNamesItsModuleAndPurgesRowByRow) {
  // What must stay, from the rows before: places that bookmarks, keywords or other tables
  // hold, and every cookie of the kept host; the randomized host's cookies stay, changed.
  const std::string held =
      "SELECT id FROM moz_places WHERE foreign_count > 0 OR url LIKE 'place:%' OR id IN "
      "(SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL) OR id IN "
      "(SELECT place_id FROM moz_keywords)";
  const std::set<std::string> heldPlaces = Column(Query(places(), held));
  ASSERT_FALSE(heldPlaces.empty());
  // With every visit gone, only the never-expiring annotations of the held places stay.
  const std::set<std::string> keptAnnos = Column(Query(
      places(), "SELECT id FROM moz_annos WHERE expiration = 4 AND place_id IN (" + held + ")"));
  ASSERT_LT(keptAnnos.size(), Query(places(), "SELECT id FROM moz_annos").size());
  const std::string cookieColumns =
      "SELECT host, name, path, expiry, isSecure, isHttpOnly, value FROM moz_cookies ";
  const auto keptBefore =
      Query(cookies(), cookieColumns + "WHERE host = '" + hostKept + "' ORDER BY name, path");
  const auto randomizedBefore =
      Query(cookies(), cookieColumns + "WHERE host = '" + hostRandomized + "' ORDER BY name, path");
  ASSERT_GT(Query(cookies(), "SELECT COUNT(*) FROM moz_cookies")[0][0], "0");

  ChildProcess q(QuorvanePath(), "data=" + name + " AUTO");
  HWND main = q.WaitForWindow("TFFoxForm", 60000);
  ASSERT_TRUE(main);
  for (const SeenBox& b : q.boxes) ADD_FAILURE() << b.caption << ": " << b.text;
  const std::string run = ReportOf(main, 0);
  const std::string folders = ReportOf(main, IDM_FOLDERS);
  PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(q.WaitForExit(20000));

  EXPECT_NE(run.find("  Deleted entries from  FireFox Typed URLs - Places.SQLite\r\n"),
            std::string::npos)
      << run;
  EXPECT_NE(run.find("  Deleted entries from  FireFox History file - Places.SQLite\r\n"),
            std::string::npos);
  EXPECT_NE(run.find("  Deleted entries from FireFox Form History file - FormHistory.SQLite\r\n"),
            std::string::npos);
  EXPECT_NE(run.find("    1 Cookie Randomized.\r\n"), std::string::npos);
  EXPECT_EQ(run.find("-Error-"), std::string::npos);
  EXPECT_EQ(run.find("*** Error"), std::string::npos);
  EXPECT_NE(LowerCase(folders).find(LowerCase("      SQLite Module - " +
                                              install.File("Mozilla Firefox") + "\\nss3.dll\r\n")),
            std::string::npos)
      << folders;
  EXPECT_NE(folders.find("  FireFox Data Path - " + profile + "\r\n"), std::string::npos);

  // History, typed URLs and forms: no visit, no input history, no form entry remains, and of
  // the places exactly those held by something else.
  EXPECT_EQ(Query(places(), "SELECT COUNT(*) FROM moz_historyvisits")[0][0], "0");
  EXPECT_EQ(Query(places(), "SELECT COUNT(*) FROM moz_inputhistory")[0][0], "0");
  EXPECT_EQ(Column(Query(places(), "SELECT id FROM moz_places")), heldPlaces);
  EXPECT_EQ(Column(Query(places(), "SELECT id FROM moz_annos")), keptAnnos);
  EXPECT_EQ(Query(forms(), "SELECT COUNT(*) FROM moz_formhistory")[0][0], "0");
  EXPECT_EQ(Query(places(), "PRAGMA integrity_check")[0][0], "ok");
  // Cookies: the kept host's rows unchanged, the randomized host's rows with new values of the
  // same length, nothing else.
  EXPECT_EQ(Query(cookies(), cookieColumns + "WHERE host = '" + hostKept + "' ORDER BY name, path"),
            keptBefore);
  const auto randomizedAfter =
      Query(cookies(), cookieColumns + "WHERE host = '" + hostRandomized + "' ORDER BY name, path");
  ASSERT_EQ(randomizedAfter.size(), randomizedBefore.size());
  bool anyChanged = false;
  for (size_t i = 0; i < randomizedAfter.size(); ++i) {
    EXPECT_EQ(Row(randomizedAfter[i].begin(), randomizedAfter[i].end() - 1),
              Row(randomizedBefore[i].begin(), randomizedBefore[i].end() - 1));
    EXPECT_EQ(randomizedAfter[i].back().size(), randomizedBefore[i].back().size());
    anyChanged |= randomizedAfter[i].back() != randomizedBefore[i].back();
  }
  EXPECT_TRUE(anyChanged);
  EXPECT_EQ(Column(Query(cookies(), "SELECT host FROM moz_cookies")),
            (std::set<std::string>{hostKept, hostRandomized}));
  // Cache: every file of cache2 is gone.
  EXPECT_EQ(FilesBelow(cache2), 0);
}

TEST_F(TodaysFirefox, A64BitInstallationIsCleanedWithTheBuiltInSqlite) {
  ASSERT_TRUE(MarkModuleAs64Bit(install.File("Mozilla Firefox") + "\\nss3.dll"));
  ChildProcess q(QuorvanePath(), "data=" + name + " AUTO");
  HWND main = q.WaitForWindow("TFFoxForm", 60000);
  ASSERT_TRUE(main);
  for (const SeenBox& b : q.boxes) ADD_FAILURE() << b.caption << ": " << b.text;
  const std::string folders = ReportOf(main, IDM_FOLDERS);
  // The About box says the same.
  PostMessageA(main, WM_COMMAND, IDM_ABOUT, 0);
  HWND about = nullptr;
  for (int i = 0; i < 400 && !about; ++i, Sleep(25))
    if (HWND w = FindProcessWindow(q.Id(), "#32770", true); w && WindowText(w) == "About Quorvane")
      about = w;
  ASSERT_TRUE(about);
  char line[256] = {};
  GetDlgItemTextA(about, IDC_ABOUT_SQLITE, line, sizeof line);
  EXPECT_EQ(std::string(line), "Databases opened with Quorvane's own SQLite " SQLITE_VERSION);
  PostMessageA(about, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 400 && IsWindow(about) && IsWindowVisible(about); ++i) Sleep(25);
  PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(q.WaitForExit(20000));
  EXPECT_NE(folders.find("      SQLite Module - Quorvane's own SQLite " SQLITE_VERSION
                         " (nss3.dll not a 32-bit module)\r\n"),
            std::string::npos)
      << folders;
  EXPECT_EQ(Query(places(), "SELECT COUNT(*) FROM moz_historyvisits")[0][0], "0");
  EXPECT_EQ(Query(forms(), "SELECT COUNT(*) FROM moz_formhistory")[0][0], "0");
  EXPECT_EQ(Column(Query(cookies(), "SELECT host FROM moz_cookies")),
            (std::set<std::string>{hostKept, hostRandomized}));
  EXPECT_EQ(Query(places(), "PRAGMA integrity_check")[0][0], "ok");
}

TEST_F(TodaysFirefox, WhileFirefoxHoldsTheProfileLockEveryPurgeRefuses) {
  // Firefox running with no window the title rules know: only the lock tells.
  WriteFileText(profile + "\\parent.lock", "");
  std::string before;
  for (const std::string& f : {places(), cookies(), forms()}) before += ReadFileText(f);
  const int cached = FilesBelow(cache2);
  FirefoxFileHolder firefox(BinFolder() + "\\fixtures", profile + "\\parent.lock");
  ASSERT_TRUE(firefox.Started());
  // A new Wine process can take seconds to start: wait until the lock is really held.
  bool held = false;
  for (int i = 0; i < 1200 && !held; ++i, Sleep(25)) {
    HANDLE h = CreateFileA((profile + "\\parent.lock").c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    held = h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  ASSERT_TRUE(held);
  ChildProcess q(QuorvanePath(), "data=" + name + " AUTO");
  HWND main = q.WaitForWindow("TFFoxForm", 60000);
  ASSERT_TRUE(main);
  const std::string run = ReportOf(main, 0);
  PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(q.WaitForExit(20000));
  const std::string refusal = " -Error- not Processed as FireFox browser is active.\r\n";
  int refusals = 0;
  for (size_t at = run.find(refusal); at != std::string::npos; at = run.find(refusal, at + 1))
    ++refusals;
  EXPECT_EQ(refusals, 5) << run;
  // The poll before the run saw Firefox: the run opens with the caution line.
  EXPECT_EQ(run.rfind("-Caution- Some functions may not complete as a Browser was executing.", 0),
            0u);
  for (const char* header : {"FireFox Cache", "FireFox Cookies", "FireFox Typed URLs",
                             "FireFox History File", "FireFox Forms History"})
    EXPECT_NE(run.find("Processing \"" + std::string(header) + "\"\r\n" + refusal),
              std::string::npos)
        << header;
  firefox.Release();
  std::string after;
  for (const std::string& f : {places(), cookies(), forms()}) after += ReadFileText(f);
  EXPECT_TRUE(after == before);  // not a byte changed
  EXPECT_EQ(FilesBelow(cache2), cached);
}
