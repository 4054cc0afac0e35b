// Whether the report tells the truth. For each purge function a real environment (generated
// profile databases, real files, registry values, the prefix's WinINet cache, the clipboard) is
// read before and after a Purge, and the items and totals the report claims must be exactly
// what is gone: nothing claimed that stayed, nothing gone that was not claimed. Then a Preview
// of every option through the real main window must leave every byte as it was.
#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <regex>
#include <set>

#include "app/main_window.h"
#include "run/purge_run.h"
#include "core/folders.h"
#include "core/modal.h"
#include "core/os_flags.h"
#include "core/run_mode.h"
#include "core/settings.h"
#include "core/text_util.h"
#include "files/clipboard_clear.h"
#include "files/recent_links.h"
#include "files/recycle_bin.h"
#include "files/temp_folders.h"
#include "files/temp_protect_list.h"
#include "firefox/browser_activity.h"
#include "firefox/cookie_purge.h"
#include "firefox/firefox_profile.h"
#include "firefox/history_purge.h"
#include "ie/cache_purge.h"
#include "ie/ie_discovery.h"
#include "ie/ie_strays.h"
#include "ie/ie_typed_urls.h"
#include "ie/url_server_link.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/sqlite_statement.h"
#include "platform/window.h"
#include "plugins/plugin_engine.h"
#include "plugins/plugin_selection.h"
#include "profile_generator.h"
#include "resource.h"
#include "sqlite3.h"
#include "support/registry_stash.h"
#include "support/test_support.h"
#include "support/url_cache_fill.h"

namespace {
using Lines = std::vector<std::string>;
using Names = std::set<std::string>;

// What follows `prefix` on every line that begins with it.
Names Claimed(const Lines& lines, const std::string& prefix) {
  Names out;
  for (const auto& l : lines)
    if (StartsWith(l, prefix)) out.insert(l.substr(prefix.size()));
  return out;
}

// The number a totals line gives after `lead`, -1 when no line has it.
long long TotalAfter(const Lines& lines, const std::string& lead, const std::string& words) {
  const std::regex shape(std::regex_replace(lead, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") +
                         R"( *([0-9]+) )" + words);
  std::smatch m;
  for (const auto& l : lines)
    if (std::regex_match(l, m, shape)) return std::stoll(m[1]);
  return -1;
}

bool Has(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// ---- files --------------------------------------------------------------------------------

std::string Digest(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<unreadable " + std::to_string(GetLastError()) + ">";
  unsigned long long hash = 1469598103934665603ull, size = 0;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) {
    for (DWORD i = 0; i < got; ++i) hash = (hash ^ static_cast<unsigned char>(buf[i])) * 1099511628211ull;
    size += got;
  }
  CloseHandle(h);
  char text[64];
  snprintf(text, sizeof text, "%llu:%016llx", size, hash);
  return text;
}

// Every file (size and content hash) and folder under `root`, by upper-case path. Links are
// listed but never entered.
using Tree = std::map<std::string, std::string>;
void Walk(const std::string& dir, Tree& out) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = dir + "\\" + name;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out[UpperCase(path)] = "<folder>";
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) Walk(path, out);
    } else {
      out[UpperCase(path)] = Digest(path);
    }
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}
Tree ReadTree(const std::string& root) {
  Tree t;
  Walk(root, t);
  return t;
}
Names Gone(const Tree& before, const Tree& after, bool foldersToo = true) {
  Names out;
  for (const auto& [path, what] : before)
    if (!after.count(path) && (foldersToo || what != "<folder>")) out.insert(path);
  return out;
}
// Paths of `tree` that changed or appeared since `before`, with what they were and are.
Lines Changed(const Tree& before, const Tree& after) {
  Lines out;
  for (const auto& [path, what] : after) {
    auto b = before.find(path);
    if (b == before.end()) out.push_back("new: " + path);
    else if (b->second != what) out.push_back("changed: " + path + " " + b->second + " -> " + what);
  }
  for (const auto& [path, what] : before)
    if (!after.count(path)) out.push_back("gone: " + path);
  return out;
}

void MakeFile(const std::string& path, double ageHours = 48) {
  MakeAgedFile(path, "data of " + path, ageHours);
}

std::string Env(const char* name) {
  char buf[MAX_PATH] = {};
  GetEnvironmentVariableA(name, buf, sizeof buf);
  return buf;
}

// The XDG trash Wine's Recycle Bin is: only ever the one inside the build folder.
std::string BuildTrash() {
  const std::string xdg = Env("XDG_DATA_HOME");
  if (xdg.empty()) return "";
  std::string dos = "Z:" + xdg;
  std::replace(dos.begin(), dos.end(), '/', '\\');
  const std::string build = UpperCase(ExtractFilePath(BinFolder()));
  if (UpperCase(dos).rfind(build + "\\", 0) != 0) return "";
  return dos + "\\Trash";
}
void PutInTrash(const std::string& trash, const std::string& name) {
  ForceDirectories(trash + "\\files");
  ForceDirectories(trash + "\\info");
  WriteFileText(trash + "\\files\\" + name, "binned " + name);
  WriteFileText(trash + "\\info\\" + name + ".trashinfo",
                "[Trash Info]\nPath=/tmp/" + name + "\nDeletionDate=2026-01-02T03:04:05\n");
}

// ---- registry -------------------------------------------------------------------------------

// Every value under a key of the current user, by key path and name: type and bytes.
void WalkKey(HKEY root, const std::string& path, std::map<std::string, std::string>& out) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  for (DWORD i = 0;; ++i) {
    char name[16384];
    DWORD nameLen = sizeof name, type = 0, dataLen = 0;
    if (RegEnumValueA(key, i, name, &nameLen, nullptr, &type, nullptr, &dataLen) != ERROR_SUCCESS)
      break;
    std::string data(dataLen, '\0');
    nameLen = sizeof name;
    RegEnumValueA(key, i, name, &nameLen, nullptr, &type,
                  reinterpret_cast<BYTE*>(data.data()), &dataLen);
    out[UpperCase(path) + "|" + name] = std::to_string(type) + ":" + data.substr(0, dataLen);
  }
  std::vector<std::string> subs;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD len = sizeof name;
    if (RegEnumKeyExA(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    subs.push_back(name);
  }
  RegCloseKey(key);
  for (const auto& s : subs) {
    out[UpperCase(path + "\\" + s)] = "<key>";
    WalkKey(root, path + "\\" + s, out);
  }
}

void SetString(const std::string& path, const std::string& name, const std::string& value) {
  RegKey key;
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, path), ERROR_SUCCESS);
  ASSERT_EQ(key.WriteString(name, value), ERROR_SUCCESS);
}

constexpr const char* kIeTyped = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr const char* kMsn = "Software\\Microsoft\\MSN";
constexpr const char* kSearch = "Software\\Microsoft\\Internet Explorer\\Search\\SearchProperties";
constexpr const char* kMediaPlayer = "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList";
constexpr const char* kP3p =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\P3P\\History";

// ---- the clipboard ---------------------------------------------------------------------------

// A window owning the clipboard text while the test runs: without an owner Wine drops it.
struct ClipboardOwner {
  FakeTopWindow window{"QvHonestyClip", "clipboard owner", false};
  explicit ClipboardOwner(const std::string& text) {
    EXPECT_TRUE(OpenClipboard(window.Handle()));
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
    GlobalUnlock(mem);
    SetClipboardData(CF_TEXT, mem);
    CloseClipboard();
  }
};

// ---- Firefox -------------------------------------------------------------------------------

// A generated profile of the current schema, with its caches, that the profile record points
// at for the test; the record is put back afterwards.
struct GeneratedProfile {
  TempFolder temp;
  TFFoxProfile saved;
  std::string folder = temp.File("profile"), local = temp.File("local");
  GeneratedProfile() {
    EXPECT_TRUE(FindFirefoxInstall());
    saved = FFoxProfile();
    ForceDirectories(folder);
    ForceDirectories(local);
    ProfileRecipe recipe;
    recipe.places = 150;
    recipe.cookies = 300;
    recipe.formEntries = 80;
    WriteProfileFiles(folder, recipe);
    TFFoxProfile& p = FFoxProfile();
    p = TFFoxProfile();
    p.DataPath = folder;
    p.CookiesFile = folder + "\\cookies.sqlite";
    p.PlacesFile = folder + "\\places.sqlite";
    p.FormHistoryFile = folder + "\\formhistory.sqlite";
    p.CookiesTxtFile = std::string(kFileNotFoundMarker) + "Cookies.txt";
    p.HistoryDatFile = std::string(kFileNotFoundMarker) + "History.dat";
    p.FormHistoryDatFile = std::string(kFileNotFoundMarker) + "FormHistory.dat";
    p.HasCookiesDb = p.HasPlacesDb = p.HasFormHistoryDb = p.IsSqliteProfile = true;
    p.LocalProfileFolder = local;
    p.ProfileCacheFolder = kFolderNotFound;
    p.LocalCacheFolder = local + "\\Cache";
    p.Cache2Folder = local + "\\cache2";
    SetFirefoxActive(false);
  }
  ~GeneratedProfile() { FFoxProfile() = saved; }
};

long long Count(const std::string& file, const std::string& sql) {
  TSQLiteDatabase db(file);
  TSQLiteTable t = db.GetTable(sql);
  return t.Eof() ? 0 : t.FieldAsInteger(0);
}

std::map<std::string, long long> CookieHosts(const std::string& file) {
  std::map<std::string, long long> out;
  TSQLiteDatabase db(file);
  for (TSQLiteTable t = db.GetTable("SELECT host, COUNT(*) FROM moz_cookies GROUP BY host");
       !t.Eof(); t.Next())
    out[LowerCase(t.FieldAsString(0))] += t.FieldAsInteger(1);
  return out;
}

struct FirefoxHonestyTest : testing::Test {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  GeneratedProfile profile;
  TestRun run;
  std::string savedChoice = Globals().messages.ffCookieMsgOpt;
  FirefoxHonestyTest() {
    run.state.detail = true;
    Globals().messages.ffCookieMsgOpt = "Y";  // the no-protection window is not the subject
  }
  ~FirefoxHonestyTest() override {
    Globals().messages.ffCookieMsgOpt = savedChoice;
    SetModalDriver(nullptr);
  }
};
}  // namespace

TEST_F(FirefoxHonestyTest, CookieHostsReportedDeletedAreExactlyTheHostsGone) {
  const auto before = CookieHosts(FFoxProfile().CookiesFile);
  ASSERT_GE(before.size(), 4u);
  // Keep the host with most cookies and one more; randomize a third.
  std::vector<std::pair<long long, std::string>> byCount;
  for (const auto& [h, n] : before) byCount.push_back({-n, h});
  std::sort(byCount.begin(), byCount.end());
  const std::string kept = byCount[0].second, kept2 = byCount[3].second,
                    scrambled = byCount[1].second;
  WriteFileText(data.Path() + "\\Quorvane.Dat",
                "p=" + kept + "\r\np=" + kept2 + "\r\nr=" + scrambled + "\r\n");

  PurgeFirefoxCookies(run.ctx);

  const auto after = CookieHosts(FFoxProfile().CookiesFile);
  Names gone;
  for (const auto& [h, n] : before) {
    auto a = after.find(h);
    if (a == after.end()) {
      gone.insert(h);
    } else {
      EXPECT_EQ(a->second, n) << h << ": some of its cookies went, some stayed";
    }
  }
  const Lines& l = run.view.lines;
  EXPECT_EQ(Claimed(l, "       deleted - "), gone);
  EXPECT_EQ(Claimed(l, "    Randomized - "), Names{scrambled});
  EXPECT_TRUE(after.count(kept) && after.count(kept2) && after.count(scrambled));
  // The total counts the hosts processed: the deleted ones and the randomized one.
  EXPECT_EQ(TotalAfter(l, "  Purge \"FireFox Cookies\" Function Completed.", "Entries Processed."),
            static_cast<long long>(gone.size()) + 1);
  EXPECT_EQ(run.state.processed, static_cast<long long>(gone.size()));
  EXPECT_EQ(run.state.highestLevel, 0);
}

// Another program in the middle of writing Cookies.sqlite (it holds the write lock): the purge
// can change nothing, and must claim nothing.
TEST_F(FirefoxHonestyTest, ALockedCookieDatabaseLosesNothingAndClaimsNothing) {
  WriteFileText(data.Path() + "\\Quorvane.Dat", "p=.nothing-kept.example\r\n");
  const auto before = CookieHosts(FFoxProfile().CookiesFile);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(FFoxProfile().CookiesFile.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

  PurgeFirefoxCookies(run.ctx);

  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_EQ(CookieHosts(FFoxProfile().CookiesFile), before);
  EXPECT_EQ(Claimed(run.view.lines, "       deleted - "), Names{});
  EXPECT_EQ(TotalAfter(run.view.lines, "  Purge \"FireFox Cookies\" Function Completed.",
                       "Entries Processed."),
            -1);
  EXPECT_TRUE(std::any_of(run.view.lines.begin(), run.view.lines.end(),
                          [](const std::string& l) { return StartsWith(l, "*** Error"); }));
}

TEST_F(FirefoxHonestyTest, CacheFilesReportedDeletedAreExactlyTheFilesGone) {
  const std::string& local = profile.local;
  for (int i = 0; i < 6; ++i) MakeFile(local + "\\Cache\\" + std::to_string(i) + "\\F" + std::to_string(i));
  for (int i = 0; i < 9; ++i) MakeFile(local + "\\cache2\\entries\\E" + std::to_string(i));
  MakeFile(local + "\\cache2\\doomed\\gone.bin");
  MakeFile(local + "\\cache2\\index");
  MakeFile(local + "\\Cache\\page.keep");  // protected by the temp protect entries
  MakeFile(local + "\\XUL.MFL");
  MakeFile(local + "\\sessionstore.bak");  // beside the caches: not the cache purge's
  WriteFileText(data.Path() + "\\quorvane.pit", "p=*.keep\r\n");
  LoadTempProtectEntries();
  const Tree before = ReadTree(local);

  PurgeFirefoxCache(run.ctx);
  SaveTempProtectEntries();

  const Tree after = ReadTree(local);
  const Lines& l = run.view.lines;
  // The folder purge shows paths in upper case, the XUL.MFL line as the profile names it.
  Names claimed;
  for (const auto& c : Claimed(l, "       deleted - ")) claimed.insert(UpperCase(c));
  EXPECT_EQ(claimed, Gone(before, after));
  EXPECT_EQ(Claimed(l, "     Protected - "), Names{UpperCase(local + "\\Cache\\page.keep")});
  EXPECT_TRUE(after.count(UpperCase(local + "\\Cache\\page.keep")));
  EXPECT_TRUE(after.count(UpperCase(local + "\\sessionstore.bak")));
  EXPECT_EQ(TotalAfter(l, "  Purge \"FireFox Cache\" Function Completed.",
                       "Cache Data Files Processed."),
            static_cast<long long>(Gone(before, after, false).size()));
  EXPECT_EQ(run.state.highestLevel, 0);
}

TEST_F(FirefoxHonestyTest, HistoryTypedUrlsAndFormsClaimOnlyWhatWentAndKeepBookmarks) {
  const std::string places = FFoxProfile().PlacesFile, forms = FFoxProfile().FormHistoryFile;
  const std::string bookmarkedPlaces =
      "SELECT COUNT(*) FROM moz_places WHERE id IN (SELECT fk FROM moz_bookmarks)";
  const long long bookmarks = Count(places, "SELECT COUNT(*) FROM moz_bookmarks");
  const long long bookmarked = Count(places, bookmarkedPlaces);
  const long long typed = Count(places, "SELECT COUNT(*) FROM moz_historyvisits WHERE visit_type = 2");
  const long long other = Count(places, "SELECT COUNT(*) FROM moz_historyvisits WHERE visit_type <> 2");
  const long long fields = Count(forms, "SELECT COUNT(*) FROM moz_formhistory");
  ASSERT_GT(bookmarked, 0);
  ASSERT_GT(typed, 0);
  ASSERT_GT(other, 0);
  ASSERT_GT(fields, 0);

  PurgeFirefoxTypedUrls(run.ctx);
  EXPECT_TRUE(Has(run.view.lines, "  Deleted entries from  FireFox Typed URLs - Places.SQLite"));
  EXPECT_EQ(Count(places, "SELECT COUNT(*) FROM moz_historyvisits WHERE visit_type = 2"), 0);
  EXPECT_EQ(Count(places, "SELECT COUNT(*) FROM moz_inputhistory"), 0);

  PurgeFirefoxHistory(run.ctx);
  EXPECT_TRUE(Has(run.view.lines, "  Deleted entries from  FireFox History file - Places.SQLite"));
  EXPECT_EQ(Count(places, "SELECT COUNT(*) FROM moz_historyvisits"), 0);

  PurgeFirefoxForms(run.ctx);
  EXPECT_TRUE(
      Has(run.view.lines, "  Deleted entries from FireFox Form History file - FormHistory.SQLite"));
  EXPECT_EQ(Count(forms, "SELECT COUNT(*) FROM moz_formhistory"), 0);

  // Bookmarks and the pages they point at are not history.
  EXPECT_EQ(Count(places, "SELECT COUNT(*) FROM moz_bookmarks"), bookmarks);
  EXPECT_EQ(Count(places, bookmarkedPlaces), bookmarked);
  for (const auto& line : run.view.lines) EXPECT_FALSE(StartsWith(line, "*** Error")) << line;
  EXPECT_EQ(run.state.highestLevel, 0);
}

namespace {
// The hosts of a Cookies.txt, lower case, each with its number of lines.
std::map<std::string, int> TxtHosts(const std::string& file) {
  std::map<std::string, int> out;
  const std::string text = ReadFileText(file);
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    if (line.empty() || line[0] == '#' || line == "\r") continue;
    ++out[LowerCase(line.substr(0, line.find('\t')))];
  }
  return out;
}
}  // namespace

// A Cookies.txt profile (Firefox 1-2) whose file another program holds open, as a backup or
// virus scanner does: the file cannot be replaced, so no host may be reported deleted; once it
// is free again the same purge deletes and reports the same hosts.
TEST(FirefoxTextCookiesHonestyTest, HostsAreReportedDeletedOnlyWhenTheFileReallyLostThem) {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  TempFolder temp;
  const TFFoxProfile saved = FFoxProfile();
  TFFoxProfile& p = FFoxProfile();
  p = TFFoxProfile();
  p.CookiesTxtFile = temp.File("Cookies.txt");
  p.CookiesPg1File = temp.File("Cookies.pg1");
  p.CookiesPg2File = temp.File("Cookies.pg2");
  p.CookiesFile = std::string(kFileNotFoundMarker) + "Cookies.sqlite";
  SetFirefoxActive(false);
  const std::string original =
      "# HTTP Cookie File\r\n\r\n"
      ".kept.example\tTRUE\t/\tFALSE\t2000000000\tk\tstay\r\n"
      ".tracker.example\tTRUE\t/\tFALSE\t2000000000\tt\tid1\r\n"
      ".tracker.example\tTRUE\t/ads\tFALSE\t2000000000\tu\tid2\r\n"
      ".shop.example\tTRUE\t/\tFALSE\t2000000000\tcart\t42\r\n";
  WriteFileText(p.CookiesTxtFile, original);
  WriteFileText(data.Path() + "\\Quorvane.Dat", "p=.kept.example\r\n");
  const auto before = TxtHosts(p.CookiesTxtFile);
  ASSERT_EQ(before.size(), 3u);
  auto goneHosts = [&] {
    Names gone;
    const auto after = TxtHosts(p.CookiesTxtFile);
    for (const auto& [h, n] : before)
      if (!after.count(h)) gone.insert(h);
    return gone;
  };

  HANDLE held = CreateFileA(p.CookiesTxtFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  {
    TestRun run;
    PurgeFirefoxCookies(run.ctx);
    CloseHandle(held);
    EXPECT_EQ(ReadFileText(p.CookiesTxtFile), original);
    EXPECT_TRUE(Has(run.view.lines, "*** Error - Replace FireFox Cookies file failed - Cookies.txt"));
    EXPECT_EQ(Claimed(run.view.lines, "       deleted - "), goneHosts());
    EXPECT_EQ(TotalAfter(run.view.lines, "  Purge \"FireFox Cookies\" Function Completed.",
                         "Entries Processed."),
              -1);
    EXPECT_GT(run.state.highestLevel, 0);
    EXPECT_TRUE(run.state.attention);
    EXPECT_FALSE(FileExists(p.CookiesPg1File));
  }
  {
    TestRun run;
    PurgeFirefoxCookies(run.ctx);
    EXPECT_EQ(goneHosts(), (Names{".shop.example", ".tracker.example"}));
    EXPECT_EQ(Claimed(run.view.lines, "       deleted - "), goneHosts());
    EXPECT_EQ(TotalAfter(run.view.lines, "  Purge \"FireFox Cookies\" Function Completed.",
                         "Entries Processed."),
              2);
    EXPECT_EQ(run.state.highestLevel, 0);
  }
  FFoxProfile() = saved;
}

// The history databases held by another writer: no statement can run, and no "Deleted entries"
// line may say otherwise.
TEST_F(FirefoxHonestyTest, LockedHistoryDatabasesClaimNoDeletedEntries) {
  const std::string places = FFoxProfile().PlacesFile, forms = FFoxProfile().FormHistoryFile;
  const std::string counts =
      "SELECT (SELECT COUNT(*) FROM moz_historyvisits) * 1000000 + (SELECT COUNT(*) FROM moz_places)";
  const long long placesBefore = Count(places, counts);
  const long long formsBefore = Count(forms, "SELECT COUNT(*) FROM moz_formhistory");
  std::vector<sqlite3*> others;
  for (const std::string& file : {places, forms}) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    others.push_back(other);
  }
  PurgeFirefoxTypedUrls(run.ctx);
  PurgeFirefoxHistory(run.ctx);
  PurgeFirefoxForms(run.ctx);
  for (sqlite3* other : others) {
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
  }
  EXPECT_EQ(Count(places, counts), placesBefore);
  EXPECT_EQ(Count(forms, "SELECT COUNT(*) FROM moz_formhistory"), formsBefore);
  for (const auto& line : run.view.lines) EXPECT_FALSE(StartsWith(line, "  Deleted entries")) << line;
  EXPECT_EQ(std::count_if(run.view.lines.begin(), run.view.lines.end(),
                          [](const std::string& l) { return StartsWith(l, "*** Error"); }),
            3);
}

// ---- Temp folders ------------------------------------------------------------------------------

TEST(TempHonestyTest, TempFilesReportedDeletedAreExactlyTheFilesGone) {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  TempFolder base;
  const std::string root = base.Path() + "\\TEMP";
  const std::string savedTmp = Env("tmp"), savedTemp = Env("temp");
  SetEnvironmentVariableA("tmp", root.c_str());
  SetEnvironmentVariableA("temp", root.c_str());
  ForceDirectories(root);
  DiscoverTempFolders();
  WriteFileText(data.SettingsPath(), "[TempFolders]\r\nTmpDir=1\r\nWinDir=0\r\nAgeTemp=1\r\nAgeHours=24\r\n");
  WriteFileText(data.Path() + "\\quorvane.pit", "p=*.keep\r\np=" + LowerCase(root) + "\\kept\\\r\n");
  for (const char* f : {"a.tmp", "b.log", "Sub\\c.tmp", "Sub\\Deeper\\d.tmp", "Kept\\e.tmp",
                        "Mixed\\old.tmp", "x.keep", "Sub\\y.keep"})
    MakeFile(root + "\\" + f, 30);
  MakeFile(root + "\\young.tmp", 1);
  MakeFile(root + "\\Mixed\\young.tmp", 2);
  MakeFile(root + "\\Busy\\held.tmp", 30);  // open in another program while the purge runs
  HANDLE held = CreateFileA((root + "\\Busy\\held.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const Tree before = ReadTree(root);

  TestRun run;
  PurgeRequest request;
  request.options[OptionField::Temp] = 1;
  request.tempFolders = ReadTempFolders(SettingsFile());
  ASSERT_TRUE(RunPurge(run.ctx, request));
  CloseHandle(held);

  const Tree after = ReadTree(root);
  SetEnvironmentVariableA("tmp", savedTmp.c_str());
  SetEnvironmentVariableA("temp", savedTemp.c_str());
  DiscoverTempFolders();
  const Lines& l = run.view.lines;
  const Names gone = Gone(before, after);
  EXPECT_EQ(Claimed(l, "       deleted - "), gone);
  for (const char* kept : {"young.tmp", "Mixed\\young.tmp", "x.keep", "Sub\\y.keep", "Kept\\e.tmp"})
    EXPECT_TRUE(after.count(UpperCase(root + "\\" + kept))) << kept;
  EXPECT_EQ(Claimed(l, "     Protected - "),
            (Names{UpperCase(root + "\\x.keep"), UpperCase(root + "\\SUB\\Y.KEEP"),
                   UpperCase(root + "\\KEPT")}));
  EXPECT_EQ(Claimed(l, "        Locked - "), Names{UpperCase(root + "\\Busy\\held.tmp")});
  // With the age filter on, a folder left with files in it is passed over silently.
  EXPECT_EQ(Claimed(l, " Dir Not Empty - "), Names{});
  EXPECT_TRUE(after.count(UpperCase(root + "\\Busy\\held.tmp")));
  // The total counts the files gone and the one that could not go; folders removed after
  // their files are not counted again.
  EXPECT_EQ(TotalAfter(l, "  Purge \"Temp Folders\" Function Completed.",
                       "Files/Directories Processed."),
            static_cast<long long>(Gone(before, after, false).size()) + 1);
  EXPECT_TRUE(run.state.lockedFile);
  EXPECT_TRUE(Has(l, "NOTE - A \"Locked\" file has been encountered."));
}

// ---- Internet Explorer -----------------------------------------------------------------------

namespace {
std::string Unique() {
  static std::atomic<int> n{0};
  return std::to_string(GetCurrentProcessId()) + "h" + std::to_string(++n);
}

// The in-process side of the URL server link, as the program has it for normal mode.
struct NormalLink : UrlServerLink {
  NormalLink() {
    SetNameSuffix("_honesty" + Unique());
    std::string error;
    CreateSharedMap(error);
  }
};

// One entry line: result column and URL (the type and age columns between them).
struct Entry {
  std::string result, url;
};
std::vector<Entry> EntryLines(const Lines& lines) {
  static const std::regex shape(R"(^(.{17})..[ 0-9][0-9]{2,}-[0-9]{2}:[0-9]{2}  (.*)$)");
  std::vector<Entry> out;
  std::smatch m;
  for (const auto& l : lines)
    if (std::regex_match(l, m, shape)) out.push_back({m[1], m[2]});
  return out;
}
Names UrlsWith(const std::vector<Entry>& entries, const std::string& result) {
  Names out;
  for (const auto& e : entries)
    if (e.result == result) out.insert(e.url);
  return out;
}

struct IeHonestyTest : testing::Test {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  OsFlags savedOs = CurrentOsFlags();
  std::string savedChoice = Globals().messages.cookieMsgOpt;
  IeHonestyTest() {
    SetCurrentOsFlags({});  // the normal-mode containers only: no URL server here
    Globals().messages.cookieMsgOpt = "Y";
    DetectIeVersion();
    DiscoverIeFolders();
    EmptyUrlCache();
  }
  ~IeHonestyTest() override {
    SetCurrentOsFlags(savedOs);
    Globals().messages.cookieMsgOpt = savedChoice;
    EmptyUrlCache();
    DiscoverIeFolders();
  }
};
}  // namespace

TEST_F(IeHonestyTest, CacheCookieAndVisitedEntriesReportedDeletedAreExactlyTheEntriesGone) {
  const std::string id = Unique();
  NormalLink link;
  LinkEnumerator normal(link, false), prot(link, true);
  CacheAccess access{normal, prot};

  std::vector<std::string> pages, files, cookies, visits;
  for (int i = 0; i < 4; ++i) {
    pages.push_back("http://page" + std::to_string(i) + "-" + id + ".example/p.htm");
    files.push_back(CachePage(pages.back()));
    ASSERT_FALSE(files.back().empty());
    visits.push_back(VisitUrl("http://visit" + std::to_string(i) + "-" + id + ".example/v.htm"));
  }
  const std::string keptSite = "keepme" + id + ".example";
  cookies.push_back(SetIeCookie("http://" + keptSite + "/", "session", "k1"));
  for (int i = 0; i < 3; ++i)
    cookies.push_back(
        SetIeCookie("http://crumb" + std::to_string(i) + "-" + id + ".example/", "id", "v"));
  WriteFileText(IeKeepListFile(), "p=*keepme" + id + "\r\n");

  struct Option {
    void (*body)(ReportContext&, const CacheAccess&);
    std::string completed;
    std::vector<std::string>* urls;
  };
  for (const Option& o : {Option{PurgeIeCache, "  \"I.E. Cache\" Function Completed.", &pages},
                          Option{PurgeIeCookies, "  Purge \"Cookies\" Function Completed.", &cookies},
                          Option{PurgeIeVisited, "  \"I.E. Visited URLs\" Function Completed.",
                                 &visits}}) {
    SCOPED_TRACE(o.completed);
    std::map<std::string, bool> present;
    for (const auto& u : *o.urls) present[u] = InCache(u);
    for (const auto& [u, in] : present) ASSERT_TRUE(in) << u;
    TestRun run;
    run.state.detail = true;
    o.body(run.ctx, access);
    const auto entries = EntryLines(run.view.lines);
    const Names deleted = UrlsWith(entries, "       deleted - ");
    Names gone;
    for (const auto& u : *o.urls)
      if (!InCache(u)) gone.insert(u);
    // Only our entries are in the cache: every line is about one of them.
    EXPECT_EQ(deleted, gone);
    EXPECT_EQ(entries.size(), deleted.size());
    EXPECT_EQ(TotalAfter(run.view.lines, o.completed, "Entries Processed."),
              static_cast<long long>(entries.size()));
    EXPECT_EQ(run.state.highestLevel, 0);
  }
  EXPECT_TRUE(InCache(cookies[0]));  // kept by the keep list
  for (size_t i = 1; i < cookies.size(); ++i) EXPECT_FALSE(InCache(cookies[i])) << cookies[i];
  for (const auto& f : files) EXPECT_FALSE(FileExists(f)) << f;
}

TEST_F(IeHonestyTest, StrayFilesAndOrphanEntriesReportedDeletedAreExactlyWhatWent) {
  const IeFolderSet& f = IeFolders();
  ASSERT_TRUE(f.cacheFound && f.cookiesFound);
  const std::string id = Unique();
  NormalLink link;
  LinkEnumerator normal(link, false), prot(link, true);
  CacheAccess access{normal, prot};
  const std::string page = "http://indexed" + id + ".example/i.htm";
  const std::string orphan = "http://orphan" + id + ".example/o.htm";
  const std::string pageFile = CachePage(page), orphanFile = CachePage(orphan);
  ASSERT_FALSE(pageFile.empty());
  ASSERT_TRUE(DeleteFileA(orphanFile.c_str()));
  const std::string cookie = SetIeCookie("http://crumb" + id + ".example/", "c", "1");
  const std::string sub = ExtractFilePath(pageFile);
  for (const std::string& stray : {sub + "\\stray" + id + ".htm", f.cacheFolder + "\\top" + id + ".txt",
                                   f.cacheFolder + "\\QV" + id + "\\deep.gif",
                                   f.cookiesFolder + "\\crumbstray" + id + ".txt"})
    MakeFile(stray);
  const Tree before = ReadTree(f.cacheFolder), cookiesBefore = ReadTree(f.cookiesFolder);

  TestRun run;
  run.state.detail = true;
  PurgeIeStrays(run.ctx, access);

  Names gone = Gone(before, ReadTree(f.cacheFolder), false);
  for (const auto& g : Gone(cookiesBefore, ReadTree(f.cookiesFolder), false)) gone.insert(g);
  Names files, urls;
  for (const auto& c : Claimed(run.view.lines, "       deleted - "))
    (StartsWith(c, "http://") ? urls : files).insert(UpperCase(c));
  EXPECT_EQ(files, gone);
  EXPECT_EQ(urls, Names{UpperCase(orphan)});
  EXPECT_FALSE(InCache(orphan));
  EXPECT_TRUE(InCache(page) && FileExists(pageFile));
  EXPECT_TRUE(InCache(cookie) && FileExists(LocalFileOf(cookie)));
  EXPECT_EQ(TotalAfter(run.view.lines, "  \"I.E. Strays\" Function Completed.", "Files/URLs Processed."),
            static_cast<long long>(files.size() + urls.size()));
  RemoveDirectoryA((f.cacheFolder + "\\QV" + id).c_str());
}

TEST(IeRegistryHonestyTest, TypedUrlsAndSearchesReportedDeletedAreExactlyTheValuesGone) {
  RegistryStash ie{HKEY_CURRENT_USER, kIeTyped}, msn{HKEY_CURRENT_USER, kMsn},
      search{HKEY_CURRENT_USER, kSearch};
  ScopedArguments args{{}};
  SetString(kIeTyped, "url1", "http://a.example/");
  SetString(kIeTyped, "url2", "http://b.example/page");
  SetString(kIeTyped, "url3", "http://c.example/");
  SetString(std::string(kMsn) + "\\TypedURLs", "URL1", "http://msn.example/");
  SetString(std::string(kSearch) + "\\Provider1", "PreviousSearches", "cheap flights");
  SetString(std::string(kSearch) + "\\Provider2", "PreviousSearches", "weather");
  SetString(std::string(kSearch) + "\\NoHistory", "Other", "kept");
  std::map<std::string, std::string> before, after;
  for (const char* k : {kIeTyped, kMsn, kSearch}) WalkKey(HKEY_CURRENT_USER, k, before);

  TestRun run;
  run.state.detail = true;
  ClearTypedUrls(run.ctx);
  ClearSearches(run.ctx);
  for (const char* k : {kIeTyped, kMsn, kSearch}) WalkKey(HKEY_CURRENT_USER, k, after);

  Names goneTyped, goneSearches;
  for (const auto& [path, v] : before) {
    if (after.count(path) || path.find('|') == std::string::npos) continue;
    const std::string name = path.substr(path.find('|') + 1);
    if (path.find("SEARCHPROPERTIES") != std::string::npos) {
      goneSearches.insert(path);
    } else {
      const std::string value = v.substr(v.find(':') + 1);
      goneTyped.insert((path.find("\\MSN\\") != std::string::npos ? "MSN-" : "I.E.-") + name +
                       " = " + value.substr(0, value.find('\0')));
    }
  }
  const Lines& l = run.view.lines;
  EXPECT_EQ(Claimed(l, "       deleted - "), goneTyped);
  EXPECT_EQ(TotalAfter(l, "  \"I.E. Typed URLs\" Function Completed.", "Entries Processed."),
            static_cast<long long>(goneTyped.size()));
  EXPECT_EQ(goneSearches.size(), 2u);
  EXPECT_EQ(TotalAfter(l, "  \"I.E. Searches\" Function Completed.",
                       "\"I.E. Search\" blocks Processed."),
            static_cast<long long>(goneSearches.size()));
  EXPECT_TRUE(after.count(UpperCase(std::string(kSearch) + "\\NoHistory") + "|Other"));
}

// ---- Windows tracks --------------------------------------------------------------------------

TEST(WindowsTracksHonestyTest, RecentLinksBinAndClipboardClaimExactlyWhatWent) {
  ScopedArguments args{{}};
  TempFolder recent;
  for (const char* name : {"report.txt.lnk", "Photo.LNK", "notes.lnk"})
    MakeShellLink(recent.File(name), "C:\\windows\\notepad.exe");
  WriteFileText(recent.File("desktop.ini"), "kept");
  WriteFileText(recent.File("notes.txt"), "kept");
  const Tree before = ReadTree(recent.Path());
  {
    TestRun run;
    run.state.detail = true;
    PurgeRecentLinksIn(run.ctx, recent.Path());
    const Tree after = ReadTree(recent.Path());
    EXPECT_EQ(Claimed(run.view.lines, "       deleted - "), Gone(before, after));
    EXPECT_EQ(Gone(before, after).size(), 3u);
    EXPECT_EQ(TotalAfter(run.view.lines, "  Purge \"Recent LNKs\" Function Completed.",
                         "Links Processed."),
              3);
  }

  const std::string trash = BuildTrash();
  ASSERT_FALSE(trash.empty()) << "XDG_DATA_HOME must point inside the build folder";
  PutInTrash(trash, "honesty-old.txt");
  PutInTrash(trash, "honesty-page.html");
  {
    TestRun run;
    ASSERT_FALSE(BuildTrash().empty());
    EmptyRecycleBin(run.ctx);
    // A bin said to be emptied is empty.
    if (Has(run.view.lines, "  Purge \"Recycle Bin\" Function Completed.")) {
      // Wine empties only the files at the top of the bin; a binned folder stays with what
      // it holds (another test may have left one), so only the top level is checked.
      const std::string top = UpperCase(trash + "\\files\\");
      Tree left = ReadTree(trash + "\\files");
      EXPECT_FALSE(left.count(top + "HONESTY-OLD.TXT"));
      for (const auto& [path, what] : left) {
        if (path.find('\\', top.size()) == std::string::npos) {
          EXPECT_EQ(what, "<folder>") << path;
        }
      }
    } else {
      // A bin said not to be emptied still holds something (a binned folder Wine cannot delete).
      EXPECT_FALSE(ReadTree(trash + "\\files").empty()) << run.view.lines.front();
    }
  }

  ClipboardOwner owner("https://example.org/account?session=42");
  {
    TestRun run;
    ClearClipboard(run.ctx);
    EXPECT_TRUE(Has(run.view.lines, "  \"Clear Windows ClipBoard\" Function Completed."));
    EXPECT_EQ(ClipboardText(), "");
  }
}

// ---- Plugins ----------------------------------------------------------------------------------

namespace {
// A Chrome profile as a user's own plugin, CHROMETRACKS.CUS, finds it: caches and history files
// to remove, the bookmarks and preferences to keep. Its root and the plugin, removed with the
// object.
constexpr const char* kChromePlugin = "CHROMETRACKS.CUS";
struct ChromeTracks {
  std::string root;
  std::string plugin = BinFolder() + "\\PLUGINS\\" + kChromePlugin;
  ChromeTracks() {
    root = Env("LOCALAPPDATA") + "\\Google\\Chrome\\User Data";
    for (const char* f : {"Default\\Cache\\Cache_Data\\data_0", "Default\\Cache\\Cache_Data\\f_00a1b2",
                          "Default\\Code Cache\\js\\index", "Default\\History",
                          "Default\\Visited Links", "Profile 1\\History", "Default\\Bookmarks",
                          "Default\\Preferences"})
      MakeFile(root + "\\" + f);
    WriteFileText(plugin,
                  "LEVEL=1\r\n"
                  "DELFOLD=#LOCALAPPDATA#\\Google\\Chrome\\User Data\\*\\Cache[*.*]DS?\r\n"
                  "DELFOLD=#LOCALAPPDATA#\\Google\\Chrome\\User Data\\*\\Code Cache[*.*]DS?\r\n"
                  "DELFILE=#LOCALAPPDATA#\\Google\\Chrome\\User Data\\*\\History?\r\n"
                  "DELFILE=#LOCALAPPDATA#\\Google\\Chrome\\User Data\\*\\Visited Links?\r\n");
  }
  ~ChromeTracks() {
    RemoveTree(ExtractFilePath(root));
    DeleteFileA(plugin.c_str());
  }
};
}  // namespace

TEST(PluginsHonestyTest, FilesAPluginReportsDeletedAreExactlyTheFilesGone) {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  ASSERT_FALSE(Env("LOCALAPPDATA").empty());
  ChromeTracks chrome;
  WriteFileText(data.Path() + "\\PLUGINS.DAT", std::string(kChromePlugin) + "\r\n");
  LoadPluginSelectionList();  // as start-up does
  const Tree before = ReadTree(chrome.root);

  TestRun run;
  run.state.detail = true;
  RunSelectedPlugins(run.ctx);

  const Tree after = ReadTree(chrome.root);
  Names claimed;
  for (const auto& c : Claimed(run.view.lines, "         deleted - ")) claimed.insert(UpperCase(c));
  EXPECT_EQ(claimed, Gone(before, after));
  EXPECT_TRUE(after.count(UpperCase(chrome.root + "\\Default\\Bookmarks")));
  EXPECT_TRUE(after.count(UpperCase(chrome.root + "\\Default\\Preferences")));
  EXPECT_EQ(TotalAfter(run.view.lines, "  Run Plugins Function Completed.", "- Entries processed."),
            static_cast<long long>(claimed.size()));
  EXPECT_EQ(run.state.highestLevel, 0);
  DeleteFileA((data.Path() + "\\PLUGINS.DAT").c_str());
  LoadPluginSelectionList();
}

// ---- Preview --------------------------------------------------------------------------------

namespace {
std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path);
  return path;
}
}  // namespace

// Everything there is to purge, every option ticked on the shown page, and "Preview" clicked
// in the real main window: no file under the user's folders, the Recycle Bin or the data folder
// changes, nor any purged registry value, nor the clipboard; and the report did list the items.
TEST(PreviewHonestyTest, APreviewOfEverythingChangesNoByteAnywhere) {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  MessageBoxRecorder boxes;  // a Preview asks nothing: any box fails the test
  RegistryStash ie{HKEY_CURRENT_USER, kIeTyped}, msn{HKEY_CURRENT_USER, kMsn},
      search{HKEY_CURRENT_USER, kSearch}, p3p{HKEY_CURRENT_USER, kP3p},
      mediaPlayer{HKEY_CURRENT_USER, kMediaPlayer};
  OsFlags savedOs = CurrentOsFlags();
  SetCurrentOsFlags({});  // the normal-mode containers: the URL server is not started here
  const TFFoxProfile savedProfile = FFoxProfile();
  FFoxProfile() = TFFoxProfile();
  ASSERT_TRUE(FindFirefoxInstall());  // the prefix's default profile, as the program finds it
  SetFirefoxActive(false);
  DetectIeVersion();
  DiscoverIeFolders();
  UrlLink().SetNameSuffix("_honesty" + Unique());
  std::string mapError;
  ASSERT_TRUE(UrlLink().CreateSharedMap(mapError)) << mapError;

  // Firefox: the default profile of the prefix, with a keep list; its cache gets files.
  WriteFileText(data.Path() + "\\Quorvane.Dat", "p=.mozilla.org\r\n");
  DiscoverProfile();
  const TFFoxProfile found = FFoxProfile();
  ASSERT_TRUE(found.IsSqliteProfile);
  const std::string cache2 = found.discoveredPaths.cache2.empty()
                                 ? found.LocalProfileFolder + "\\cache2"
                                 : found.discoveredPaths.cache2;
  for (int i = 0; i < 5; ++i) MakeFile(cache2 + "\\entries\\HONESTY" + std::to_string(i));
  // Temp: the user's own temp folder, with old, young and protected files.
  const std::string temp = Env("tmp");
  WriteFileText(data.SettingsPath(),
                "[ShowOption]\r\nQuickStartOpt=N\r\n[TempFolders]\r\nTmpDir=1\r\nWinDir=0\r\n"
                "AgeTemp=1\r\nAgeHours=24\r\n");
  WriteFileText(data.Path() + "\\quorvane.pit", "p=*.keep\r\n");
  DiscoverTempFolders();
  const std::string tempTracks = temp + "\\honesty-preview";
  for (const char* f : {"a.tmp", "sub\\b.tmp", "c.keep"}) MakeFile(tempTracks + "\\" + f, 30);
  MakeFile(tempTracks + "\\young.tmp", 1);
  // Internet Explorer: pages, cookies and visits in the real cache, a keep list, the typed
  // addresses and searches, and a cookie permission.
  EmptyUrlCache();
  const std::string id = Unique();
  ASSERT_FALSE(CachePage("http://preview-" + id + ".example/index.htm").empty());
  SetIeCookie("http://preview-" + id + ".example/", "sid", "abc");
  VisitUrl("http://visited-" + id + ".example/");
  WriteFileText(IeKeepListFile(), "p=*keep.example\r\n");
  const std::string previewStray = IeFolders().cacheFolder + "\\honesty-stray" + id + ".txt";
  MakeFile(previewStray);
  SetString(kIeTyped, "url1", "http://typed.example/");
  SetString(std::string(kSearch) + "\\Provider1", "PreviousSearches", "cheap flights");
  SetString(std::string(kP3p) + "\\blocked.example", "", "5");
  // Windows: recent links, the Recycle Bin, the clipboard.
  const std::string recentFolder = ShellFolder(CSIDL_RECENT);
  const std::string recentLink = recentFolder + "\\honesty-preview.txt.lnk";
  MakeShellLink(recentLink, "C:\\windows\\notepad.exe");
  const std::string trash = BuildTrash();
  ASSERT_FALSE(trash.empty()) << "XDG_DATA_HOME must point inside the build folder";
  PutInTrash(trash, "honesty-preview.txt");
  ChromeTracks chrome;
  WriteFileText(data.Path() + "\\PLUGINS.DAT",
                std::string(kChromePlugin) + "\r\nMEDIAPLAYERS.STD\r\n");
  LoadPluginSelectionList();
  SetString(kMediaPlayer, "File0", "C:\\users\\Public\\Music\\holiday.mp3");
  ClipboardOwner owner("https://example.org/preview?token=7");

  char userProfile[MAX_PATH] = {};
  ASSERT_TRUE(GetEnvironmentVariableA("USERPROFILE", userProfile, sizeof userProfile));
  const std::vector<std::string> roots{userProfile, trash};
  auto snapshot = [&] {
    Tree t;
    for (const auto& r : roots) Walk(r, t);
    Walk(data.Path(), t);  // inside the user's temp folder already; listed for clarity
    return t;
  };
  auto registry = [&] {
    std::map<std::string, std::string> r;
    for (const char* k : {kIeTyped, kMsn, kSearch, kP3p, kMediaPlayer})
      WalkKey(HKEY_CURRENT_USER, k, r);
    return r;
  };
  Lines report;
  {
    // The window is made and its boxes ticked first: only the Preview is under test.
    TFFoxForm form;
    ASSERT_TRUE(form.Create());
    ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
    PumpFor(50);
    TFFoxOptionsFrame1& frame = form.ShownOptionFrame();
    frame.SetAllOptions(true);
    SetChecked(frame.Control(OptionField::Report, 0), true);  // Detail
    SetChecked(frame.Control(OptionField::Report, 1), false);
    const Tree before = snapshot();
    const auto regBefore = registry();
    ASSERT_GT(before.size(), 20u);
    SendMessageA(form.Control(IDC_PREVIEW_BTN), BM_CLICK, 0, 0);
    HWND list = form.Control(IDC_RESULTS);
    for (int i = 0; i < ListViewCount(list); ++i) report.push_back(ListViewItemText(list, i));
    // Compared while the window is still open: closing it writes its position, as it should.
    const Tree after = snapshot();
    // Nothing changed but the program's own record of the run: the log of runs.
    Lines changed = Changed(before, after);
    std::erase_if(changed, [](const std::string& c) {
      return StartsWith(c, "new: ") && EndsWith(c, "\\QUORVANE.LOG");
    });
    EXPECT_EQ(changed, Lines{});
    EXPECT_TRUE(FileExists(data.Path() + "\\Quorvane.log"));
    EXPECT_EQ(registry(), regBefore);
    EXPECT_EQ(ClipboardText(), "https://example.org/preview?token=7");
    DestroyWindow(form.Handle());
    PumpWaitingMessages();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
  EXPECT_TRUE(boxes.boxes.empty());

  // The Preview did look at the tracks.
  ASSERT_FALSE(report.empty());
  EXPECT_EQ(report[0], "This List is from a \"Preview Purge\".");
  auto listed = [&](const std::string& text) {
    return std::any_of(report.begin(), report.end(), [&](const std::string& l) {
      return StartsWith(l, "     to delete - ") && UpperCase(l).find(UpperCase(text)) != std::string::npos;
    });
  };
  EXPECT_TRUE(listed("\\ENTRIES\\HONESTY0")) << "Firefox cache";
  EXPECT_TRUE(listed("honesty-preview\\a.tmp")) << "temp";
  EXPECT_FALSE(listed("honesty-preview\\young.tmp")) << "a young temp file";
  EXPECT_TRUE(listed("preview-" + id + ".example/index.htm")) << "IE cache";
  EXPECT_TRUE(listed("Cookie:" + CacheUserName() + "@preview-" + id + ".example")) << "IE cookie";
  EXPECT_TRUE(listed("visited-" + id + ".example")) << "IE visited";
  EXPECT_TRUE(listed("I.E.-url1 = http://typed.example/")) << "IE typed URLs";
  EXPECT_TRUE(listed("honesty-stray" + id)) << "IE strays";
  EXPECT_TRUE(std::any_of(report.begin(), report.end(), [](const std::string& l) {
    return StartsWith(l, "       to delete - ") && UpperCase(l).find("CHROME\\USER DATA") != std::string::npos;
  })) << "a plugin";
  EXPECT_TRUE(listed("honesty-preview.txt.lnk")) << "recent links";
  EXPECT_TRUE(Has(report, "  \"Purge Recycle Bin\" Function bypassed for Preview."));
  EXPECT_TRUE(Has(report, "  \"Clear Windows ClipBoard\" Function bypassed for Preview."));
  EXPECT_TRUE(std::any_of(report.begin(), report.end(), [](const std::string& l) {
    return StartsWith(l, "  Purge \"FireFox Cookies\" Function Completed.") &&
           l.find("Processed.") != std::string::npos;
  })) << "Firefox cookies";

  // Put back what this test added to the prefix.
  RemoveTree(tempTracks);
  for (int i = 0; i < 5; ++i) DeleteFileA((cache2 + "\\entries\\HONESTY" + std::to_string(i)).c_str());
  DeleteFileA(recentLink.c_str());
  DeleteFileA(previewStray.c_str());
  DeleteFileA((data.Path() + "\\PLUGINS.DAT").c_str());
  LoadPluginSelectionList();
  DeleteFileA((trash + "\\files\\honesty-preview.txt").c_str());
  DeleteFileA((trash + "\\info\\honesty-preview.txt.trashinfo").c_str());
  EmptyUrlCache();
  FFoxProfile() = savedProfile;
  SetCurrentOsFlags(savedOs);
  DiscoverTempFolders();
  DiscoverIeFolders();
}
