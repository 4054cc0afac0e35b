// "I.E. Strays" on the prefix's real cache folders and index, and "I.E. History Folders" with
// the dated-container logic through a list of containers of the test's own (Wine lists none).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "core/folders.h"
#include "core/os_flags.h"
#include "core/text_util.h"
#include "core/version.h"
#include "ie/ie_discovery.h"
#include "ie/ie_hooks.h"
#include "ie/ie_strays.h"
#include "ie/url_cache.h"
#include "platform/files.h"
#include "platform/links.h"
#include "support/test_support.h"
#include "support/url_cache_fill.h"

namespace {
std::string Unique() {
  static std::atomic<int> n{0};
  return std::to_string(GetCurrentProcessId()) + "s" + std::to_string(++n);
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

bool RunUnix(const std::wstring& program, const std::wstring& line, const std::string& waitFor) {
  std::wstring buffer = line;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &si, &pi))
    return false;
  for (int i = 0; i < 500; ++i, Sleep(10))
    if (GetFileAttributesA(waitFor.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  return false;
}

std::wstring UnixName(const std::string& path) {
  using Fn = char*(CDECL*)(LPCWSTR);
  auto fn = reinterpret_cast<Fn>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
  std::wstring wide(path.begin(), path.end());
  char* unix = fn ? fn(wide.c_str()) : nullptr;
  std::string s = unix ? unix : "";
  if (unix) HeapFree(GetProcessHeap(), 0, unix);
  return std::wstring(s.begin(), s.end());
}

// The link made in a container folder goes whatever the test's outcome.
struct LinkGuard {
  std::string path;
  bool folder;
  ~LinkGuard() {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) RemoveLinkItself(path, folder);
  }
};

struct PurgeLink : UrlServerLink {
  PurgeLink() {
    SetNameSuffix("_strays" + Unique());
    std::string error;
    CreateSharedMap(error);
  }
};

struct IeStraysTest : testing::Test {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  OsFlags savedOs = CurrentOsFlags();
  TestRun run;
  PurgeLink link;
  LinkEnumerator normal{link, false}, prot{link, true};
  CacheAccess access{normal, prot};
  IeStraysTest() {
    SetCurrentOsFlags({});
    DetectIeVersion();
    DiscoverIeFolders();
    EmptyUrlCache();
  }
  ~IeStraysTest() override {
    SetCurrentOsFlags(savedOs);
    DiscoverIeFolders();
  }
  void Start(bool preview, bool detail = true) {
    run.view.lines.clear();
    run.state = RunState();
    run.state.preview = preview;
    run.state.detail = detail;
  }
};
}  // namespace

TEST_F(IeStraysTest, StrayFilesAndOrphanEntriesGoAndIndexedFilesStay) {
  const IeFolderSet& f = IeFolders();
  ASSERT_TRUE(f.cacheFound && f.cookiesFound);
  const std::string id = Unique();
  const std::string page = "http://indexed" + id + ".example/i.htm";
  const std::string orphan = "http://orphan" + id + ".example/o.htm";
  const std::string pageFile = CachePage(page), orphanFile = CachePage(orphan);
  ASSERT_FALSE(pageFile.empty());
  ASSERT_TRUE(DeleteFileA(orphanFile.c_str()));
  const std::string cookie = SetIeCookie("http://crumb" + id + ".example/", "c", "1");
  ASSERT_FALSE(LocalFileOf(cookie).empty());

  // A stray beside an indexed page, a read-only one in a folder of its own, one at the top;
  // the container's own files and a cookie-folder sub-folder's file are never touched.
  const std::string sub = ExtractFilePath(pageFile);
  const std::string strayBeside = sub + "\\stray" + id + ".htm";
  const std::string ownFolder = f.cacheFolder + "\\QV" + id;
  const std::string strayDeep = ownFolder + "\\deep" + id + ".gif";
  const std::string strayTop = f.cacheFolder + "\\top" + id + ".txt";
  const std::string desktopIni = sub + "\\desktop.ini";
  const std::string cookieStray = f.cookiesFolder + "\\crumbstray" + id + ".txt";
  const std::string cookieSub = f.cookiesFolder + "\\QVsub" + id;
  const std::string cookieDeep = cookieSub + "\\untouched" + id + ".txt";
  ForceDirectories(ownFolder);
  ForceDirectories(cookieSub);
  for (const std::string& p : {strayBeside, strayDeep, strayTop, desktopIni, cookieStray, cookieDeep})
    WriteFileText(p, "x");
  SetFileAttributesA(strayDeep.c_str(), FILE_ATTRIBUTE_READONLY);

  Start(true);
  long count = 0;
  StraysPass(run.ctx, access, 1, f.cookiesFolder, count);
  StraysPass(run.ctx, access, 2, f.cacheFolder, count);
  EXPECT_EQ(Sorted(run.view.lines),
            Sorted({"     to delete - " + UpperCase(cookieStray),
                    "     to delete - " + UpperCase(strayBeside),
                    "     to delete - " + UpperCase(strayDeep), "     to delete - " + UpperCase(strayTop),
                    "     to delete - " + orphan}));
  EXPECT_EQ(count, 5);
  EXPECT_TRUE(FileExists(strayBeside));
  EXPECT_TRUE(InCache(orphan));

  Start(false);
  PurgeIeStrays(run.ctx, access);
  EXPECT_EQ(Sorted(run.view.lines),
            Sorted({"       deleted - " + UpperCase(cookieStray),
                    "       deleted - " + UpperCase(strayBeside),
                    "       deleted - " + UpperCase(strayDeep), "       deleted - " + UpperCase(strayTop),
                    "       deleted - " + orphan,
                    "  \"I.E. Strays\" Function Completed. 5 Files/URLs Processed."}));
  EXPECT_EQ(run.view.lines.back(), "  \"I.E. Strays\" Function Completed. 5 Files/URLs Processed.");
  for (const std::string& p : {strayBeside, strayDeep, strayTop, cookieStray})
    EXPECT_FALSE(FileExists(p)) << p;
  for (const std::string& p : {pageFile, desktopIni, cookieDeep, LocalFileOf(cookie)})
    EXPECT_TRUE(FileExists(p)) << p;
  EXPECT_TRUE(FileExists(f.cacheFolder + "\\index.dat"));
  EXPECT_FALSE(InCache(orphan));
  EXPECT_TRUE(InCache(page));
  EXPECT_TRUE(InCache(cookie));
  EXPECT_EQ(run.state.highestLevel, 0);

  // Nothing left: the footer says so.
  Start(false, false);
  PurgeIeStrays(run.ctx, access);
  EXPECT_EQ(run.view.lines, (std::vector<std::string>{"    No Strays found to delete.",
                                                      "  \"I.E. Strays\" Function Completed. "}));
  DeleteFileA(desktopIni.c_str());
  DeleteFileA(cookieDeep.c_str());
  RemoveDirectoryA(cookieSub.c_str());
  RemoveDirectoryA(ownFolder.c_str());
}

TEST_F(IeStraysTest, ALockedStrayIsReportedAndLinksAreNeverFollowed) {
  const IeFolderSet& f = IeFolders();
  const std::string id = Unique();
  TempFolder outside;
  const std::string target = outside.File("precious.txt");
  WriteFileText(target, "keep me");
  ForceDirectories(outside.File("inner"));
  WriteFileText(outside.File("inner\\also.txt"), "keep me too");
  const std::string fileLink = f.cacheFolder + "\\filelink" + id + ".txt";
  const std::string folderLink = f.cacheFolder + "\\folderlink" + id;
  LinkGuard fileGuard{fileLink, false}, folderGuard{folderLink, true};
  ASSERT_TRUE(RunUnix(L"Z:\\bin\\ln", L"ln -s \"" + UnixName(target) + L"\" \"" + UnixName(fileLink) + L"\"",
                      fileLink));
  ASSERT_TRUE(RunUnix(L"Z:\\bin\\ln",
                      L"ln -s \"" + UnixName(outside.File("inner")) + L"\" \"" + UnixName(folderLink) + L"\"",
                      folderLink));
  const std::string locked = f.cacheFolder + "\\locked" + id + ".htm";
  WriteFileText(locked, "in use");
  HANDLE held = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  Start(false, false);
  PurgeIeStrays(run.ctx, access);
  CloseHandle(held);
  EXPECT_EQ(run.view.lines,
            (std::vector<std::string>{"        Locked - " + UpperCase(locked),
                                      "  \"I.E. Strays\" Function Completed. 2 Files/URLs Processed."}));
  EXPECT_EQ(run.state.highestLevel, 1);
  EXPECT_FALSE(run.state.attention);  // a file in use is no error the user must act on
  EXPECT_TRUE(run.state.lockedFile);
  EXPECT_EQ(GetFileAttributesA(fileLink.c_str()), INVALID_FILE_ATTRIBUTES);  // the link went
  EXPECT_EQ(ReadFileText(target), "keep me");
  EXPECT_EQ(ReadFileText(outside.File("inner\\also.txt")), "keep me too");
  DeleteFileA(locked.c_str());
}

namespace {
// Wine keeps no UserData container: the content container (emptied by the fixture) stands in.
struct UserDataAsContent : LinkEnumerator {
  using LinkEnumerator::LinkEnumerator;
  bool First(const std::string& prefix) override {
    return LinkEnumerator::First(prefix == "UserData" ? "*.*" : prefix);
  }
};
}  // namespace

TEST_F(IeStraysTest, TheUserDataPassLeavesItsProtectedLowFolderAlone) {
  UserDataAsContent userData{link, false};
  CacheAccess withUserData{userData, prot};
  // With the protected folder discovered, and with a "Low" that has no index file yet.
  for (bool discovered : {true, false}) {
    TempFolder folder;
    const std::string low = folder.File("Low");
    ForceDirectories(low + "\\deep");
    ForceDirectories(folder.File("other"));
    for (const std::string& p : {folder.File("index.dat"), folder.File("stray.xml"),
                                 folder.File("other\\stray2.xml"), low + "\\kept.xml",
                                 low + "\\deep\\kept2.xml"})
      WriteFileText(p, "x");
    if (discovered) WriteFileText(low + "\\index.dat", "x");
    MutableIeFolders().userDataFolder = folder.Path();
    MutableIeFolders().protectedUserDataFolder = discovered ? low : "";
    Start(false);
    long count = 0;
    StraysPass(run.ctx, withUserData, 4, folder.Path(), count);
    EXPECT_EQ(count, 2) << discovered;
    EXPECT_FALSE(FileExists(folder.File("stray.xml")));
    EXPECT_FALSE(FileExists(folder.File("other\\stray2.xml")));
    EXPECT_TRUE(FileExists(low + "\\kept.xml")) << discovered;
    EXPECT_TRUE(FileExists(low + "\\deep\\kept2.xml")) << discovered;
  }
}

// A stray whose name the code page cannot hold ("d" a-macron "ta" is "data" by best fit) is
// reached by its short name; its look-alike, an indexed page, stays.
TEST_F(IeStraysTest, AStrayNamedOutsideTheCodePageGoesAndItsIndexedLookAlikeStays) {
  const IeFolderSet& f = IeFolders();
  ASSERT_TRUE(f.cacheFound);
  const std::string id = Unique();
  const std::string page = "http://lookalike" + id + ".example/data" + id + ".htm";
  const std::string pageFile = CachePage(page);
  ASSERT_FALSE(pageFile.empty());
  const std::string folder = ExtractFilePath(pageFile), name = ExtractFileName(pageFile);
  ASSERT_EQ(name.rfind("data", 0), 0u) << name;
  const std::wstring twin = WidePath(folder) + L"\\d\u0101" + WidePath(name.substr(2));
  HANDLE h = CreateFileW(twin.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  Start(false);
  PurgeIeStrays(run.ctx, access);
  EXPECT_EQ(GetFileAttributesW(twin.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(FileExists(pageFile));
  EXPECT_TRUE(InCache(page));
  const std::string line = "       deleted - " + UpperCase(folder + "\\d?" + name.substr(2));
  EXPECT_NE(std::find(run.view.lines.begin(), run.view.lines.end(), line), run.view.lines.end())
      << line;
  DeleteFileW(twin.c_str());
}

TEST_F(IeStraysTest, AKindWithoutIndexFileIsSkippedSilently) {
  TempFolder folder;
  WriteFileText(folder.File("lonely.txt"), "x");
  Start(false);
  long count = 0;
  StraysPass(run.ctx, access, 2, folder.Path(), count);
  EXPECT_TRUE(run.view.lines.empty());
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(FileExists(folder.File("lonely.txt")));
}

namespace {
// Containers of the test's own, for the logic Wine's stub never reaches.
struct ListedContainers : HistoryContainerSource {
  std::vector<std::string> prefixes;
  std::vector<std::string> cleared;
  size_t next = 0;
  bool closed = false;
  bool FirstContainer(std::string& prefix) override {
    next = 0;
    return NextContainer(prefix);
  }
  bool NextContainer(std::string& prefix) override {
    if (next >= prefixes.size()) return false;
    prefix = prefixes[next++];
    return true;
  }
  void CloseContainers() override { closed = true; }
  long DeleteEntriesOf(const std::string& prefix) override {
    cleared.push_back(prefix);
    return static_cast<long>(prefix.size());
  }
};
}  // namespace

TEST(IeHistoryContainerTest, OnlyDatedContainersAreClearedUpToTheFirstWithoutPrefix) {
  ListedContainers c;
  const std::string day = ":2026120720261208: ", week = ":2026113020261207: ";
  c.prefixes = {"Visited:", day, ":2026120720261208:", "x2026120720261208: ", ":202612072026120: x",
                week, "", ":2026110120261102: "};
  EXPECT_EQ(ClearDatedHistoryContainers(c), static_cast<long>(day.size() + week.size()));
  EXPECT_EQ(c.cleared, (std::vector<std::string>{day, week}));
  EXPECT_TRUE(c.closed);

  // Wine's container enumeration finds nothing, and that is no error.
  WinInetCache wininet;
  HistoryOutcome o = wininet.ClearHistoryContainers();
  EXPECT_EQ(o.count, 0u);
  EXPECT_FALSE(o.failed);
}

namespace {
// An index whose history clearing answers a given count.
struct CountingCache : CacheEnumerator {
  long count;
  int calls = 0;
  explicit CountingCache(long n) : count(n) {}
  bool First(const std::string&) override { return false; }
  bool Next() override { return false; }
  void Close() override {}
  CacheEntryView CurrentEntry() const override { return {}; }
  CacheStatus Status() const override { return {true, false, 0, ""}; }
  DeleteEntryResult DeleteEntry(ReportContext&, const std::string&, const std::string&) override {
    return {};
  }
  long ClearHistoryContainers() override {
    ++calls;
    return count;
  }
};
}  // namespace

TEST(IeHistoryFoldersTest, NormalThenProtectedHistoryAndNothingInPreview) {
  OsFlags saved = CurrentOsFlags();
  CountingCache normal(1), prot(3);
  CacheAccess access{normal, prot};
  TestRun run;
  run.state.preview = true;
  ClearIeHistoryFolders(run.ctx, access);
  EXPECT_EQ(run.view.lines, (std::vector<std::string>{
                                "  \"I.E. History Folders\" Function bypassed for Preview."}));
  EXPECT_EQ(normal.calls + prot.calls, 0);

  run.state.preview = false;
  run.view.lines.clear();
  SetCurrentOsFlags({true, true, false});
  ClearIeHistoryFolders(run.ctx, access);
  EXPECT_EQ(run.view.lines, (std::vector<std::string>{"  Cleared 1 URL from Normal History",
                                                      "  Cleared 3 URLs from Protected History",
                                                      "  \"I.E. History Folders\" Function Completed."}));
  run.view.lines.clear();
  SetCurrentOsFlags({});
  ClearIeHistoryFolders(run.ctx, access);
  EXPECT_EQ(run.view.lines, (std::vector<std::string>{"  Cleared 1 URL from Normal History",
                                                      "  \"I.E. History Folders\" Function Completed."}));
  EXPECT_EQ(prot.calls, 1);
  SetCurrentOsFlags(saved);
}
