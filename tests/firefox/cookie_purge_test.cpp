// The cookie and cache purges on generated profiles and real folders: which rows and files stay,
// what the report says, and that nothing outside what was asked for is touched.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>

#include "core/modal.h"
#include "core/settings.h"
#include "core/text_util.h"
#include "firefox/browser_activity.h"
#include "firefox/cookie_purge.h"
#include "firefox/firefox_profile.h"
#include "platform/files.h"
#include "platform/shell_folders.h"
#include "platform/sqlite_statement.h"
#include "platform/window.h"
#include "profile_generator.h"
#include "resource.h"
#include "sqlite3.h"
#include "support/test_support.h"

namespace {
using Lines = std::vector<std::string>;

struct Cookie {
  std::string host, name, value;
};
std::map<long long, Cookie> ReadCookies(const std::string& file) {
  std::map<long long, Cookie> out;
  TSQLiteDatabase db(file);
  for (TSQLiteTable t = db.GetTable("SELECT rowid, host, name, value FROM moz_cookies"); !t.Eof();
       t.Next())
    out[t.FieldAsInteger(0)] = {t.FieldAsString(1), t.FieldAsString(2), t.FieldAsString(3)};
  return out;
}

void RawExec(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  char* err = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
  sqlite3_close(db);
}

// The value cells as the file holds them, byte for byte, by host.
std::map<std::string, std::string> RawValues(const std::string& file) {
  std::map<std::string, std::string> out;
  sqlite3* db = nullptr;
  sqlite3_stmt* st = nullptr;
  EXPECT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_prepare_v2(db, "SELECT host, value FROM moz_cookies", -1, &st, nullptr),
            SQLITE_OK);
  while (st && sqlite3_step(st) == SQLITE_ROW)
    out[reinterpret_cast<const char*>(sqlite3_column_text(st, 0))] =
        std::string(reinterpret_cast<const char*>(sqlite3_column_blob(st, 1)),
                    sqlite3_column_bytes(st, 1));
  sqlite3_finalize(st);
  sqlite3_close(db);
  return out;
}

std::string Classes(const std::string& value) {
  std::string c;
  for (unsigned char ch : value)
    c += std::isupper(ch) ? 'A' : std::islower(ch) ? 'a' : std::isdigit(ch) ? '9' : char(ch);
  return c;
}

bool Has(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A profile of its own with its cookie store, the keep list in a data folder of its own.
struct CookiePurgeTest : testing::TestWithParam<FirefoxSchema> {
  ScopedDataFolder data;
  TempFolder temp;
  TFFoxProfile saved;
  TestRun run;
  std::string folder;
  void SetUp() override {
    ASSERT_TRUE(FindFirefoxInstall());
    saved = FFoxProfile();
    folder = temp.File("profile");
    ForceDirectories(folder);
    ProfileRecipe recipe;
    recipe.schema = GetParam();
    recipe.places = 50;
    recipe.cookies = 300;
    WriteProfileFiles(folder, recipe);
    TFFoxProfile& p = FFoxProfile();
    p = TFFoxProfile();
    p.DataPath = folder;
    p.CookiesFile = folder + "\\Cookies.sqlite";
    p.CookiesTxtFile = std::string(kFileNotFoundMarker) + "Cookies.txt";
    p.HasCookiesDb = p.IsSqliteProfile = true;
    SetFirefoxActive(false);
    Globals().messages.ffCookieMsgOpt = "Y";  // the warning is tested on its own
  }
  void TearDown() override {
    FFoxProfile() = saved;
    Globals() = GlobalSettings();
    SetModalDriver(nullptr);
  }
  std::map<long long, Cookie> Cookies() { return ReadCookies(FFoxProfile().CookiesFile); }
  // The hosts of the store, most cookies first.
  std::vector<std::string> Hosts() {
    std::map<std::string, int> count;
    for (const auto& [id, c] : Cookies()) ++count[c.host];
    std::vector<std::pair<int, std::string>> byCount;
    for (const auto& [h, n] : count) byCount.push_back({-n, h});
    std::sort(byCount.begin(), byCount.end());
    std::vector<std::string> hosts;
    for (const auto& [n, h] : byCount) hosts.push_back(h);
    return hosts;
  }
  void Keep(const Lines& entries) {
    std::string text;
    for (const auto& e : entries) text += e + "\r\n";
    WriteFileText(data.Path() + "\\Quorvane.Dat", text);
  }
};
}  // namespace

TEST_P(CookiePurgeTest, KeptHostsStayRandomizedOnesGetNewValuesAndTheRestGoes) {
  const std::vector<std::string> hosts = Hosts();
  ASSERT_GE(hosts.size(), 4u);
  const std::string kept = hosts[0], scrambled = hosts[1];
  Keep({"p=" + kept, "r=" + scrambled});
  const auto before = Cookies();
  std::set<std::string> gone;
  for (const auto& [id, c] : before)
    if (c.host != kept && c.host != scrambled) gone.insert(LowerCase(c.host));

  PurgeFirefoxCookies(run.ctx);

  const auto after = Cookies();
  for (const auto& [id, c] : before) {
    if (c.host == kept) {
      ASSERT_TRUE(after.count(id));
      EXPECT_EQ(after.at(id).value, c.value);
    } else if (c.host == scrambled) {
      ASSERT_TRUE(after.count(id));
      EXPECT_EQ(Classes(after.at(id).value), Classes(c.value)) << c.value;
    } else {
      EXPECT_FALSE(after.count(id)) << c.host;
    }
  }
  int changed = 0;
  for (const auto& [id, c] : before)
    if (c.host == scrambled && c.value.size() > 3) changed += after.at(id).value != c.value;
  EXPECT_GT(changed, 0);
  const Lines& l = run.view.lines;
  EXPECT_TRUE(Has(l, "    Randomized - " + LowerCase(scrambled)));
  for (const auto& h : gone) EXPECT_TRUE(Has(l, "       deleted - " + h)) << h;
  EXPECT_EQ(l[l.size() - 2], "    1 Cookie Randomized.");
  EXPECT_EQ(l.back(), "  Purge \"FireFox Cookies\" Function Completed.   " +
                          std::to_string(gone.size() + 1) + " Entries Processed.");
  EXPECT_EQ(run.state.processed, static_cast<long long>(gone.size()));
  TSQLiteDatabase db(FFoxProfile().CookiesFile);
  EXPECT_EQ(db.GetTable("PRAGMA integrity_check").FieldAsString(0), "ok");
}

TEST_P(CookiePurgeTest, ValuesOutsideTheCodePageKeepTheirBytes) {
  // "l-stroke euro 日本" in UTF-8: only the euro sign is in code page 1252.
  const std::string odd = "\xC5\x82\xE2\x82\xAC\xE6\x97\xA5\xE6\x9C\xAC";
  RawExec(FFoxProfile().CookiesFile,
          "INSERT INTO moz_cookies (name, value, host, path, expiry, isSecure, isHttpOnly) VALUES "
          "('a', '" + odd + "=ab12', 'kept.example', '/', 1, 0, 0), "
          "('b', 'Zy9" + odd + "Mn0', 'random.example', '/', 1, 0, 0)");
  Keep({"p=kept.example", "r=random.example"});
  const auto before = RawValues(FFoxProfile().CookiesFile);
  PurgeFirefoxCookies(run.ctx);
  const auto after = RawValues(FFoxProfile().CookiesFile);
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after.at("kept.example"), before.at("kept.example"));
  // Only ASCII letters and digits move, each within its class: every other byte stays, so the
  // value keeps its characters' count and stays UTF-8.
  EXPECT_EQ(Classes(after.at("random.example")), Classes(before.at("random.example")));
  EXPECT_NE(after.at("random.example").find(odd), std::string::npos);
}

TEST_P(CookiePurgeTest, HostsThatLookLikeColumnsOrWildcardsMatchOnlyThemselves) {
  RawExec(FFoxProfile().CookiesFile,
          "INSERT INTO moz_cookies (name, value, host, path, expiry, isSecure, isHttpOnly) VALUES "
          "('a', 'v1', 'host', '/', 1, 0, 0), ('b', 'v2', 'abc', '/', 1, 0, 0), "
          "('c', 'v3', 'a_c', '/', 1, 0, 0), ('d', 'v4', '%', '/', 1, 0, 0)");
  std::set<std::string> everyHost;
  for (const auto& [id, c] : Cookies()) everyHost.insert(c.host);
  Lines entries;
  for (const auto& h : everyHost)
    if (h != "host" && h != "a_c" && h != "%") entries.push_back("p=" + h);
  Keep(entries);
  PurgeFirefoxCookies(run.ctx);
  std::set<std::string> left;
  for (const auto& [id, c] : Cookies()) left.insert(c.host);
  EXPECT_FALSE(left.count("host"));
  EXPECT_FALSE(left.count("a_c"));
  EXPECT_FALSE(left.count("%"));
  EXPECT_TRUE(left.count("abc"));
  EXPECT_EQ(left.size(), everyHost.size() - 3);
}

TEST_P(CookiePurgeTest, PreviewChangesNoByteAndNeverAsks) {
  Globals().messages.ffCookieMsgOpt = "N";
  Keep({});
  SetModalDriver([](HWND) { ADD_FAILURE() << "no question in a preview"; });
  run.state.preview = true;
  const std::string before = ReadFileText(FFoxProfile().CookiesFile);
  PurgeFirefoxCookies(run.ctx);
  EXPECT_EQ(ReadFileText(FFoxProfile().CookiesFile), before);
  EXPECT_TRUE(Has(run.view.lines, "     to delete - " + LowerCase(Hosts()[0])));
  run.view.lines.clear();
  run.state.detail = false;
  PurgeFirefoxCookies(run.ctx);
  ASSERT_EQ(run.view.lines.size(), 1u);  // Summary: only the count
  EXPECT_EQ(run.view.lines[0].rfind("  Purge \"FireFox Cookies\" Function Completed.   ", 0), 0u);
}

TEST_P(CookiePurgeTest, AnEmptyKeepListAsksFirstBypassKeepsEverything) {
  Globals().messages.ffCookieMsgOpt = "N";
  Keep({});
  std::string caption;
  SetModalDriver([&](HWND dialog) {
    caption = WindowText(dialog);
    SendMessageA(GetDlgItem(dialog, IDC_NOPROT_BYPASS), BM_CLICK, 0, 0);
  });
  const size_t count = Cookies().size();
  PurgeFirefoxCookies(run.ctx);
  EXPECT_EQ(caption, "Quorvane - Warning - No FireFox Cookies are protected");
  EXPECT_EQ(run.view.lines, Lines{"  Purge \"FireFox Cookies\" Function Bypassed."});
  EXPECT_EQ(Cookies().size(), count);
  EXPECT_EQ(Globals().messages.ffCookieMsgOpt, "N");

  // Continue with "do not show this message again": every cookie goes, and it is not asked again.
  SetModalDriver([](HWND dialog) {
    SendMessageA(GetDlgItem(dialog, IDC_NOPROT_NOSHOW), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(dialog, IDC_NOPROT_CONTINUE), BM_CLICK, 0, 0);
  });
  run.view.lines.clear();
  PurgeFirefoxCookies(run.ctx);
  EXPECT_TRUE(Cookies().empty());
  EXPECT_EQ(Globals().messages.ffCookieMsgOpt, "Y");
}

TEST_P(CookiePurgeTest, AKeepListThatCannotBeReadBypassesThePass) {
  Keep({"p=" + Hosts()[0]});
  HANDLE held = CreateFileA((data.Path() + "\\Quorvane.Dat").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const size_t count = Cookies().size();
  PurgeFirefoxCookies(run.ctx);
  CloseHandle(held);
  EXPECT_EQ(run.view.lines, Lines{"*** Error - Bypassed Cookie procesing as existing Protect file "
                                  "could not be opened"});
  EXPECT_EQ(run.state.highestLevel, 7);
  EXPECT_EQ(Cookies().size(), count);
}

TEST_P(CookiePurgeTest, ALockedDatabaseIsLeftWholeAndNoDeletionIsClaimed) {
  Keep({"p=" + Hosts()[0]});
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(FFoxProfile().CookiesFile.c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  PurgeFirefoxCookies(run.ctx);
  sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(holder);
  EXPECT_EQ(run.view.lines,
            Lines{"*** Error - Load FireFox Cookies File failed - Cookies.SQLite - the database is "
                  "locked"});
}

// A trigger on the table (another program's, say) sees only the deletions asked for: no row
// is taken out and put back, whether few rows go or most.
TEST_P(CookiePurgeTest, ATriggerSeesOnlyTheRowsThatGoWhetherMostGoOrMostStay) {
  const std::vector<std::string> hosts = Hosts();
  for (const bool mostGo : {false, true}) {
    SCOPED_TRACE(mostGo ? "most go" : "most stay");
    const std::string file = FFoxProfile().CookiesFile;
    RawExec(file,
            "CREATE TABLE IF NOT EXISTS seen (what TEXT, id INTEGER); DELETE FROM seen; "
            "CREATE TRIGGER IF NOT EXISTS qv_in AFTER INSERT ON moz_cookies BEGIN INSERT INTO "
            "seen VALUES ('insert', new.rowid); END; CREATE TRIGGER IF NOT EXISTS qv_out AFTER "
            "DELETE ON moz_cookies BEGIN INSERT INTO seen VALUES ('delete', old.rowid); END");
    const auto before = Cookies();
    Lines keep;
    if (mostGo)
      keep = {"p=" + hosts[0]};
    else
      for (size_t i = 0; i + 1 < hosts.size(); ++i) keep.push_back("p=" + hosts[i]);
    Keep(keep);
    PurgeFirefoxCookies(run.ctx);
    const auto after = Cookies();
    std::set<long long> gone;
    for (const auto& [id, c] : before)
      if (!after.count(id)) gone.insert(id);
    ASSERT_FALSE(gone.empty());
    std::set<long long> seenGone;
    TSQLiteDatabase db(file);
    for (TSQLiteTable t = db.GetTable("SELECT what, id FROM seen"); !t.Eof(); t.Next()) {
      EXPECT_EQ(t.FieldAsString(0), "delete");
      seenGone.insert(t.FieldAsInteger(1));
    }
    EXPECT_EQ(seenGone, gone);
  }
}

TEST_P(CookiePurgeTest, CompactYesShrinksTheCookieFile) {
  Keep({"p=" + Hosts()[0]});
  run.state.compact = true;
  const std::string file = FFoxProfile().CookiesFile;
  const size_t before = ReadFileText(file).size();
  PurgeFirefoxCookies(run.ctx);
  EXPECT_TRUE(Has(run.view.lines, "  Compact Cookie file completed"));
  EXPECT_LT(ReadFileText(file).size(), before);
}

INSTANTIATE_TEST_SUITE_P(BothEras, CookiePurgeTest,
                         testing::Values(FirefoxSchema::Current, FirefoxSchema::Legacy),
                         [](const auto& info) {
                           return info.param == FirefoxSchema::Current ? "Current" : "Legacy";
                         });

// A profile of the Firefox 3 era whose cookies live in Cookies.txt, restored afterwards.
class CookiesTxtPurge : public testing::Test {
 protected:
  void SetUp() override {
    p = TFFoxProfile();
    p.CookiesTxtFile = temp.File("Cookies.txt");
    p.CookiesPg1File = temp.File("Cookies.pg1");
    p.CookiesPg2File = temp.File("Cookies.pg2");
    p.CookiesFile = std::string(kFileNotFoundMarker) + "Cookies.sqlite";
    SetFirefoxActive(false);
  }
  void TearDown() override { FFoxProfile() = saved; }

  ScopedDataFolder data;
  TempFolder temp;
  const TFFoxProfile saved = FFoxProfile();
  TFFoxProfile& p = FFoxProfile();
};

TEST_F(CookiesTxtPurge, TheFileIsRewrittenWithItsHeaderAndTheSurvivorsSorted) {
  WriteFileText(p.CookiesTxtFile,
                "# HTTP Cookie File\r\n# kept as it is\r\n\r\n"
                ".zeta.com\tTRUE\t/\tFALSE\t2000000000\tz\tlast\r\n"
                ".gone.com\tTRUE\t/\tFALSE\t2000000000\tg\tbye\r\n"
                ".Alpha.com\tTRUE\t/\tFALSE\t2000000000\ta\tfirst\r\n");
  WriteFileText(data.Path() + "\\Quorvane.Dat", "p=.zeta.com\r\np=.alpha.com\r\n");
  TestRun run;
  PurgeFirefoxCookies(run.ctx);
  EXPECT_EQ(ReadFileText(p.CookiesTxtFile),
            "# HTTP Cookie File\n# kept as it is\n\n"
            ".Alpha.com\tTRUE\t/\tFALSE\t2000000000\ta\tfirst\n"
            ".zeta.com\tTRUE\t/\tFALSE\t2000000000\tz\tlast\n");
  EXPECT_FALSE(FileExists(p.CookiesPg1File));
  EXPECT_FALSE(FileExists(p.CookiesPg2File));
  EXPECT_EQ(run.view.lines, (Lines{"       deleted - .gone.com",
                                   "  Purge \"FireFox Cookies\" Function Completed.   1 Entry "
                                   "Processed."}));
}

// Another program holds Cookies.txt open so that it cannot be read (but could be renamed and
// deleted): the pass stops with its error line and the file keeps every cookie.
TEST_F(CookiesTxtPurge, AFileThatCannotBeReadIsNeverWrittenBack) {
  const std::string text = "# HTTP Cookie File\r\n.kept.com\tTRUE\t/\tFALSE\t2000000000\tk\tv\r\n";
  WriteFileText(p.CookiesTxtFile, text);
  WriteFileText(data.Path() + "\\Quorvane.Dat", "p=.kept.com\r\n");
  HANDLE held = CreateFileA(p.CookiesTxtFile.c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  TestRun run;
  PurgeFirefoxCookies(run.ctx);
  CloseHandle(held);
  EXPECT_EQ(run.view.lines, Lines{"*** Error - Load FireFox Cookies File failed - Cookies.txt"});
  EXPECT_EQ(run.state.highestLevel, 7);
  EXPECT_EQ(ReadFileText(p.CookiesTxtFile), text);
  EXPECT_FALSE(FileExists(p.CookiesPg1File));
  EXPECT_FALSE(FileExists(p.CookiesPg2File));
}

namespace {
// A profile's cache folders, with the local profile folder beside them.
struct CachePurgeTest : testing::Test {
  TempFolder temp;
  TFFoxProfile saved = FFoxProfile();
  TestRun run;
  void SetUp() override {
    TFFoxProfile& p = FFoxProfile();
    p = TFFoxProfile();
    p.ProfileCacheFolder = p.LocalCacheFolder = p.Cache2Folder = kFolderNotFound;
    SetFirefoxActive(false);
  }
  void TearDown() override { FFoxProfile() = saved; }
  void Files(const std::string& folder, int n) {
    ForceDirectories(folder);
    for (int i = 0; i < n; ++i) WriteFileText(folder + "\\entry" + std::to_string(i), "data");
  }
};
}  // namespace

TEST_F(CachePurgeTest, EveryCacheFolderIsEmptiedAndCounted) {
  TFFoxProfile& p = FFoxProfile();
  p.LocalProfileFolder = temp.File("local");
  p.LocalCacheFolder = temp.File("local\\Cache");
  p.Cache2Folder = temp.File("local\\cache2");
  Files(p.LocalCacheFolder, 2);
  Files(p.Cache2Folder + "\\entries", 3);
  WriteFileText(p.LocalProfileFolder + "\\XUL.MFL", "x");
  WriteFileText(p.LocalProfileFolder + "\\places.sqlite", "not cache");
  run.state.detail = false;
  PurgeFirefoxCache(run.ctx);
  EXPECT_TRUE(DirectoryExists(p.LocalCacheFolder));
  EXPECT_FALSE(FileExists(p.LocalCacheFolder + "\\entry0"));
  EXPECT_FALSE(FileExists(p.Cache2Folder + "\\entries\\entry2"));
  EXPECT_FALSE(FileExists(p.LocalProfileFolder + "\\XUL.MFL"));
  EXPECT_TRUE(FileExists(p.LocalProfileFolder + "\\places.sqlite"));
  ASSERT_FALSE(run.view.lines.empty());
  // Two files, the entries folder with three, and XUL.MFL: the run counts each item it took.
  EXPECT_EQ(run.view.lines.back().rfind("  Purge \"FireFox Cache\" Function Completed.   ", 0), 0u);
  EXPECT_NE(run.view.lines.back().find(" Cache Data Files Processed."), std::string::npos);

  run.view.lines.clear();
  PurgeFirefoxCache(run.ctx);
  EXPECT_EQ(run.view.lines, (Lines{"    No Cache Data Files found to delete.",
                                   "  Purge \"FireFox Cache\" Function Completed."}));
}

TEST_F(CachePurgeTest, ACachePreferenceOfAWholeFolderEmptiesOnlyTheCacheFoldersInIt) {
  // A user pointed browser.cache.disk.parent_directory at a folder of documents.
  const std::string parent = temp.File("Documents");
  Files(parent + "\\Cache", 2);
  Files(parent + "\\cache2\\entries", 2);
  WriteFileText(parent + "\\thesis.doc", "years of work");
  const std::string profile = temp.File("profile");
  ForceDirectories(profile);
  WriteFileText(profile + "\\Prefs.js", "user_pref(\"browser.cache.disk.parent_directory\", \"" +
                                            ReplaceAll(parent, "\\", "\\\\") + "\");\r\n");
  TFFoxProfile& p = FFoxProfile();
  p = TFFoxProfile();
  // Discovery of this profile as start-up does it, then the run's refresh.
  const std::string appData = GetSpecialFolder(kCsidlAppData).text;
  const std::string ini = appData + "\\Mozilla\\Firefox\\profiles.ini";
  ScopedFileRestore restore(ini);
  WriteFileText(ini, "[Profile0]\r\nIsRelative=0\r\nPath=" + profile + "\r\n");
  RefreshProfileStatus();
  ASSERT_EQ(p.ProfileCacheFolder, parent + "\\Cache");
  ASSERT_EQ(p.Cache2Folder, parent + "\\cache2");
  PurgeFirefoxCache(run.ctx);
  EXPECT_EQ(ReadFileText(parent + "\\thesis.doc"), "years of work");
  EXPECT_FALSE(FileExists(parent + "\\Cache\\entry0"));
  EXPECT_FALSE(FileExists(parent + "\\cache2\\entries\\entry1"));
}

TEST_F(CachePurgeTest, TheCacheOfAProfileIsFoundWhereverTheProfileIsKept) {
  const std::string appData = GetSpecialFolder(kCsidlAppData).text;
  const std::string localAppData = GetSpecialFolder(kCsidlLocalAppData).text;
  const std::string relative = "Mozilla\\Firefox\\Profiles\\qvcache.default";
  struct Case {
    const char* layout;
    std::string profile, local;  // local: where cache2 and XUL.MFL are
    std::string ini;
  };
  const Case cases[] = {
      // Kept outside the roaming folder: its cache2 and XUL.MFL are in the profile itself.
      {"outside AppData", temp.File("portable"), temp.File("portable"), ""},
      // The usual layout with a local profile folder but no old Cache folder in it.
      {"in AppData, no Cache", appData + "\\" + relative, localAppData + "\\" + relative,
       "IsRelative=1\r\nPath=Profiles/qvcache.default\r\n"},
  };
  const std::string ini = appData + "\\Mozilla\\Firefox\\profiles.ini";
  ScopedFileRestore restore(ini);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout);
    Files(c.local + "\\cache2\\entries", 2);
    ForceDirectories(c.profile);
    WriteFileText(c.local + "\\XUL.MFL", "x");
    WriteFileText(c.profile + "\\places.sqlite", "not cache");
    WriteFileText(ini, "[Profile0]\r\n" + (c.ini.empty() ? "IsRelative=0\r\nPath=" + c.profile + "\r\n" : c.ini));
    FFoxProfile() = TFFoxProfile();
    RefreshProfileStatus();
    run.view.lines.clear();
    PurgeFirefoxCache(run.ctx);
    EXPECT_FALSE(FileExists(c.local + "\\cache2\\entries\\entry1"));
    EXPECT_FALSE(FileExists(c.local + "\\XUL.MFL"));
    EXPECT_TRUE(FileExists(c.profile + "\\places.sqlite"));
    ASSERT_FALSE(run.view.lines.empty());
    EXPECT_NE(run.view.lines.back().find(" Cache Data Files Processed."), std::string::npos);
    RemoveTree(c.profile);
    RemoveTree(c.local);
  }
}

TEST_F(CachePurgeTest, WhileFirefoxRunsNothingIsTouched) {
  TFFoxProfile& p = FFoxProfile();
  p.LocalCacheFolder = temp.File("Cache");
  Files(p.LocalCacheFolder, 1);
  run.state.browsers.firefox = true;
  PurgeFirefoxCache(run.ctx);
  EXPECT_EQ(run.view.lines, Lines{" -Error- not Processed as FireFox browser is active."});
  EXPECT_EQ(run.state.highestLevel, 7);
  EXPECT_TRUE(FileExists(p.LocalCacheFolder + "\\entry0"));
}
