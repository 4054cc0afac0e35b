// The Internet Explorer cache index purge on the prefix's real WinINet cache: cookies with
// their text files, cached pages, visited addresses, the keep list "IEcookie.dat", Preview
// and Purge, the no-protection question, locked files, and the protected-mode passes
// through a real URL server.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <regex>

#include "cookies/keep_list_files.h"
#include "core/folders.h"
#include "core/modal.h"
#include "core/os_flags.h"
#include "core/settings.h"
#include "core/text_util.h"
#include "core/version.h"
#include "ie/cache_purge.h"
#include "ie/ie_discovery.h"
#include "ie/ie_hooks.h"
#include "platform/files.h"
#include "resource.h"
#include "support/child_process.h"
#include "support/test_support.h"
#include "support/url_cache_fill.h"

namespace {
std::string Unique() {
  static std::atomic<int> n{0};
  return std::to_string(GetCurrentProcessId()) + "x" + std::to_string(++n);
}

// A link of the test's own: a record for normal mode, a real server when asked for.
struct PurgeLink : UrlServerLink {
  explicit PurgeLink(bool server) {
    SetNameSuffix("_purge" + Unique());
    endProcess = [](unsigned code) { throw UrlServerProcessEnd{code}; };
    if (server) {
      StartUrlServer("cache purge test", kBuildText);
    } else {
      std::string error;
      CreateSharedMap(error);
    }
  }
  ~PurgeLink() {
    if (DWORD pid = ServerProcessId()) {
      StopUrlServer();
      if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        if (WaitForSingleObject(p, 3000) == WAIT_TIMEOUT) TerminateProcess(p, 9);
        CloseHandle(p);
      }
    }
  }
};

// One entry line taken apart: result column, type code, age column, URL.
struct EntryLine {
  std::string result, type, age, url;
};
std::optional<EntryLine> ParseEntryLine(const std::string& line) {
  static const std::regex shape(R"(^(.{17})(..)([ 0-9][0-9]{2,}-[0-9]{2}:[0-9]{2})  (.*)$)");
  std::smatch m;
  if (!std::regex_match(line, m, shape)) return std::nullopt;
  return EntryLine{m[1], m[2], m[3], m[4]};
}

// "result|type|url" of every entry line, sorted; other lines are left out.
std::vector<std::string> EntryLines(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const auto& l : lines)
    if (auto e = ParseEntryLine(l)) out.push_back(e->result + "|" + e->type + "|" + e->url);
  std::sort(out.begin(), out.end());
  return out;
}
std::vector<std::string> OtherLines(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const auto& l : lines)
    if (!ParseEntryLine(l)) out.push_back(l);
  return out;
}
std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

// Clicks a button of the no-protection window, ticking "do not show this message again" first
// when asked; counts the windows shown.
struct NoProtectionDriver {
  int shown = 0;
  NoProtectionDriver(int button, bool tick) {
    SetModalDriver([this, button, tick](HWND dialog) {
      ++shown;
      if (tick) CheckDlgButton(dialog, IDC_NOPROT_NOSHOW, BST_CHECKED);
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    });
  }
  ~NoProtectionDriver() { SetModalDriver(nullptr); }
};

// The link with two liberties the tests need: Wine keeps no UserData or DOMstore container,
// so the content container stands in for both; and after each answer a local file name can be
// written into the shared record, as any low-integrity program of the user could.
struct RecordWriter : CacheEnumerator {
  UrlServerLink& link;
  LinkEnumerator real;
  std::map<std::string, std::string> forged;  // URL -> the local file put in the record
  RecordWriter(UrlServerLink& l, bool protectedMode) : link(l), real(l, protectedMode) {}
  bool Forge(bool more) {
    if (more)
      if (auto it = forged.find(link.CurrentEntry().url); it != forged.end())
        link.Record().SetText(url_record::kLocalFile, it->second);
    return more;
  }
  bool First(const std::string& prefix) override {
    return Forge(real.First(prefix == "UserData" || prefix == "DOMstore" ? "*.*" : prefix));
  }
  bool Next() override { return Forge(real.Next()); }
  void Close() override { real.Close(); }
  CacheEntryView CurrentEntry() const override { return real.CurrentEntry(); }
  CacheStatus Status() const override { return real.Status(); }
  DeleteEntryResult DeleteEntry(ReportContext& ctx, const std::string& url,
                                const std::string& file) override {
    return real.DeleteEntry(ctx, url, file);
  }
  long ClearHistoryContainers() override { return real.ClearHistoryContainers(); }
};

// The UserData and DOMstore kinds work in the content cache's folder (see RecordWriter).
void ContentFolderStandsInForUserDataAndDomStore() {
  IeFolderSet& f = MutableIeFolders();
  f.userDataFolder = f.domStoreFolder = f.cacheFolder;
  f.domStoreFound = true;
}

struct IeCachePurgeTest : testing::Test {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  OsFlags savedOs = CurrentOsFlags();
  std::string savedChoice = Globals().messages.cookieMsgOpt;
  TestRun run;
  IeCachePurgeTest() {
    SetCurrentOsFlags({});
    Globals().messages.cookieMsgOpt = "N";
    DetectIeVersion();
    DiscoverIeFolders();
    EmptyUrlCache();
  }
  ~IeCachePurgeTest() override {
    SetCurrentOsFlags(savedOs);
    Globals().messages.cookieMsgOpt = savedChoice;
    DiscoverIeFolders();
  }
  void KeepList(const std::string& text) { WriteFileText(IeKeepListFile(), text); }
  void Start(bool preview, bool detail = true) {
    run.view.lines.clear();
    run.state = RunState();
    run.state.preview = preview;
    run.state.detail = detail;
  }
};

const std::string kHeader = "       Result  Type dd-hh:mm (age)   Cache Entry";
}  // namespace

TEST_F(IeCachePurgeTest, PreviewListsAndPurgeDeletesExactlyTheUnprotectedEntries) {
  const std::string id = Unique();
  PurgeLink link(false);
  LinkEnumerator normal(link, false), prot(link, true);
  CacheAccess access{normal, prot};

  const std::string keptPage = "http://keep" + id + ".example/page.htm";
  const std::string alwaysPage = "http://always" + id + ".example/a.htm";
  const std::string gonePage = "http://gone" + id + ".example/g.htm";
  const std::string stickyPage = "http://sticky" + id + ".example/s.htm";
  const std::string keptFile = CachePage(keptPage), alwaysFile = CachePage(alwaysPage);
  const std::string goneFile = CachePage(gonePage), stickyFile = CachePage(stickyPage, true);
  ASSERT_FALSE(goneFile.empty());
  const std::string crumbs = SetIeCookie("http://crumbs" + id + ".example/", "c", "1");
  const std::string keepme = SetIeCookie("http://keepme" + id + ".example/", "k", "2");
  const std::string scramble = SetIeCookie("http://scramble" + id + ".example/", "s", "abcXYZ123");
  const std::string seen = VisitUrl("http://seen" + id + ".example/");
  const std::string alwaysSeen = VisitUrl("http://always" + id + ".example/x");
  ASSERT_TRUE(InCache(scramble));
  const std::string scrambleFile = LocalFileOf(scramble);
  ASSERT_FALSE(scrambleFile.empty());
  const std::string cookieText = ReadFileText(scrambleFile);
  KeepList("p=*keepme" + id + "\r\nr=*scramble" + id + "\r\na=*always" + id + ".example\r\np=" +
           keptPage + "\r\n");

  Start(true);
  PurgeIeCookies(run.ctx, access);
  PurgeIeCache(run.ctx, access);
  PurgeIeVisited(run.ctx, access);
  EXPECT_EQ(EntryLines(run.view.lines),
            Sorted({"     to delete - |C |" + crumbs, "  to Randomize - |C |" + scramble,
                    "     to delete - |N |" + gonePage, "     to delete - |S |" + stickyPage,
                    "     to delete - |V |" + seen}));
  EXPECT_EQ(OtherLines(run.view.lines),
            (std::vector<std::string>{kHeader, "    1 Cookie to Randomize.",
                                      "  Purge \"Cookies\" Function Completed.  2 Entries Processed.",
                                      kHeader,
                                      "  \"I.E. Cache\" Function Completed.  2 Entries Processed.",
                                      kHeader,
                                      "  \"I.E. Visited URLs\" Function Completed.  1 Entry Processed."}));
  for (const auto& l : run.view.lines)
    if (auto e = ParseEntryLine(l)) {
      EXPECT_EQ(e->age, " 00-00:00") << l;
    }
  EXPECT_EQ(run.state.processed, 5);
  EXPECT_EQ(run.state.highestLevel, 0);
  EXPECT_FALSE(run.state.attention);
  for (const std::string& url : {crumbs, scramble, keepme, gonePage, stickyPage, seen})
    EXPECT_TRUE(InCache(url)) << url;
  EXPECT_TRUE(FileExists(goneFile));
  EXPECT_EQ(ReadFileText(scrambleFile), cookieText);

  // A Summary preview shows the footers only.
  Start(true, false);
  PurgeIeCache(run.ctx, access);
  EXPECT_EQ(run.view.lines, (std::vector<std::string>{
                                "  \"I.E. Cache\" Function Completed.  2 Entries Processed."}));

  Start(false);
  PurgeIeCookies(run.ctx, access);
  PurgeIeCache(run.ctx, access);
  PurgeIeVisited(run.ctx, access);
  EXPECT_EQ(EntryLines(run.view.lines),
            Sorted({"       deleted - |C |" + crumbs, "    Randomized - |C |" + scramble,
                    "       deleted - |N |" + gonePage, "       deleted - |S |" + stickyPage,
                    "       deleted - |V |" + seen}));
  EXPECT_EQ(run.state.highestLevel, 0);
  for (const std::string& url : {crumbs, gonePage, stickyPage, seen})
    EXPECT_FALSE(InCache(url)) << url;
  EXPECT_FALSE(FileExists(goneFile));
  EXPECT_FALSE(FileExists(stickyFile));
  for (const std::string& url : {keepme, scramble, keptPage, alwaysPage, alwaysSeen})
    EXPECT_TRUE(InCache(url)) << url;
  EXPECT_TRUE(FileExists(keptFile));
  EXPECT_TRUE(FileExists(alwaysFile));

  // The randomized cookie keeps its name, host and times; only its value moved, letter by
  // letter within its class.
  const std::string after = ReadFileText(scrambleFile);
  ASSERT_EQ(after.size(), cookieText.size());
  std::vector<std::string> before = SplitLines(cookieText), now = SplitLines(after);
  ASSERT_EQ(before.size(), now.size());
  ASSERT_GE(before.size(), 9u);
  EXPECT_EQ(before[1], "abcXYZ123");
  for (size_t i = 0; i < before.size(); ++i) {
    if (i != 1) {
      EXPECT_EQ(now[i], before[i]) << i;
      continue;
    }
    for (size_t c = 0; c < before[1].size(); ++c) {
      const char b = before[1][c], a = now[1][c];
      const bool inClass = (b >= 'a' && b <= 'c')   ? a >= b && a <= b + 12
                           : (b >= 'X' && b <= 'Z') ? a <= b && a >= b - 12
                                                    : a >= b && a <= b + 4;
      EXPECT_TRUE(inClass) << now[1];
    }
  }
}

TEST_F(IeCachePurgeTest, ALockedPageKeepsItsEntryAndAMissingFileDoesNot) {
  const std::string id = Unique();
  PurgeLink link(false);
  LinkEnumerator normal(link, false), prot(link, true);
  CacheAccess access{normal, prot};
  KeepList("p=nothing.example\r\n");
  const std::string locked = "http://locked" + id + ".example/l.htm";
  const std::string missing = "http://missing" + id + ".example/m.htm";
  const std::string lockedFile = CachePage(locked), missingFile = CachePage(missing);
  ASSERT_TRUE(DeleteFileA(missingFile.c_str()));
  HANDLE held = CreateFileA(lockedFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Start(false, false);
  PurgeIeCache(run.ctx, access);
  CloseHandle(held);
  // Only the locked line shows in a Summary report; the level is a minor one.
  ASSERT_EQ(run.view.lines.size(), 2u);
  auto e = ParseEntryLine(run.view.lines[0]);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->result, "    Locked URL - ");
  EXPECT_EQ(e->type, "N ");
  EXPECT_EQ(e->url, locked);
  EXPECT_EQ(run.view.lines[1], "  \"I.E. Cache\" Function Completed.  2 Entries Processed.");
  EXPECT_EQ(run.state.highestLevel, 1);
  EXPECT_TRUE(run.state.attention);
  EXPECT_TRUE(run.state.lockedFile);
  EXPECT_TRUE(InCache(locked));
  EXPECT_TRUE(FileExists(lockedFile));
  EXPECT_FALSE(InCache(missing));
}

TEST_F(IeCachePurgeTest, AnEntryWhoseFileOrFolderIsGoneGoesQuietly) {
  PurgeLink link(false);
  LinkEnumerator normal(link, false), prot(link, true);
  CacheAccess access{normal, prot};
  KeepList("p=nothing.example\r\n");
  for (bool folderGone : {false, true}) {
    const std::string page = "http://nofolder" + Unique() + ".example/f.htm";
    const std::string file = CachePage(page);
    const std::string folder = file.substr(0, file.find_last_of('\\'));
    if (folderGone)
      ASSERT_TRUE(MoveFileA(folder.c_str(), (folder + ".away").c_str()));
    else
      ASSERT_TRUE(DeleteFileA(file.c_str()));
    Start(false, false);
    PurgeIeCache(run.ctx, access);
    if (folderGone) MoveFileA((folder + ".away").c_str(), folder.c_str());
    EXPECT_EQ(run.state.highestLevel, 0) << folderGone;
    EXPECT_FALSE(run.state.attention) << folderGone;
    EXPECT_FALSE(InCache(page)) << folderGone;
  }
}

TEST_F(IeCachePurgeTest, AnEmptyKeepListAsksOnceAndBypassSkipsBothCookiePasses) {
  const std::string id = Unique();
  SetCurrentOsFlags({true, true, false});
  PurgeLink link(true);  // the protected pass goes through a real server
  ASSERT_TRUE(link.Connected());
  LinkEnumerator normal(link, false), prot(link, true);
  CacheAccess access{normal, prot};
  const std::string cookie = SetIeCookie("http://ask" + id + ".example/", "a", "1");
  KeepList("");
  // The protected cookies folder stands in for Low: Wine has none, and the server works on
  // the same containers.
  MutableIeFolders().protectedCookiesFolder = IeFolders().cookiesFolder;

  {
    NoProtectionDriver driver(IDC_NOPROT_BYPASS, false);
    Start(false);
    PurgeIeCookies(run.ctx, access);
    EXPECT_EQ(driver.shown, 1);
  }
  EXPECT_EQ(run.view.lines, (std::vector<std::string>{"  Purge \"Cookies\" Function Bypassed.",
                                                      "    No Entries found to delete.",
                                                      "  Purge \"Cookies\" Function Completed."}));
  EXPECT_TRUE(InCache(cookie));

  // A Preview never asks.
  {
    NoProtectionDriver driver(IDC_NOPROT_BYPASS, false);
    Start(true);
    PurgeIeCookies(run.ctx, access);
    EXPECT_EQ(driver.shown, 0);
  }

  // Continue, with "do not show this message again": the normal pass deletes, the protected
  // pass (through the server) finds nothing left, and the next run asks no more.
  {
    NoProtectionDriver driver(IDC_NOPROT_CONTINUE, true);
    Start(false);
    PurgeIeCookies(run.ctx, access);
    EXPECT_EQ(driver.shown, 1);
  }
  EXPECT_EQ(Globals().messages.cookieMsgOpt, "Y");
  EXPECT_EQ(EntryLines(run.view.lines), (std::vector<std::string>{"       deleted - |C |" + cookie}));
  EXPECT_FALSE(InCache(cookie));
  const std::string second = SetIeCookie("http://again" + id + ".example/", "b", "2");
  {
    NoProtectionDriver driver(IDC_NOPROT_BYPASS, false);
    Start(false);
    IeOptionRun protectedOnly;
    PurgeCacheKind(run.ctx, access, 101, protectedOnly);
    EXPECT_EQ(driver.shown, 0);
  }
  EXPECT_EQ(EntryLines(run.view.lines), (std::vector<std::string>{"       deleted - |Cp|" + second}));
  EXPECT_FALSE(InCache(second));
}

TEST_F(IeCachePurgeTest, AMissingKeepListBypassesTheCookiePassesOnly) {
  const std::string id = Unique();
  PurgeLink link(false);
  LinkEnumerator normal(link, false), prot(link, true);
  CacheAccess access{normal, prot};
  DeleteFileA(IeKeepListFile().c_str());
  const std::string cookie = SetIeCookie("http://nolist" + id + ".example/", "n", "1");
  const std::string page = "http://nolist" + id + ".example/p.htm";
  CachePage(page);
  Start(false);
  PurgeIeCookies(run.ctx, access);
  EXPECT_EQ(run.view.lines,
            (std::vector<std::string>{"*** Error - Bypassed Cookie processing as existing Protect "
                                      "file could not be opened",
                                      "    No Entries found to delete.",
                                      "  Purge \"Cookies\" Function Completed."}));
  EXPECT_EQ(run.state.highestLevel, 7);
  EXPECT_TRUE(InCache(cookie));
  IeOptionRun protectedRun;
  Start(false);
  PurgeCacheKind(run.ctx, access, 101, protectedRun);
  EXPECT_EQ(run.view.lines,
            (std::vector<std::string>{"*** Error - Bypassed P-M Cookie processing as existing "
                                      "Protect file could not be opened"}));
  // The cache needs no keep list.
  Start(false);
  PurgeIeCache(run.ctx, access);
  EXPECT_EQ(EntryLines(run.view.lines), (std::vector<std::string>{"       deleted - |N |" + page}));
}

TEST_F(IeCachePurgeTest, CancelStopsThePassAndAnUnknownCodeIsReported) {
  PurgeLink link(false);
  LinkEnumerator normal(link, false), prot(link, true);
  CacheAccess access{normal, prot};
  KeepList("p=x\r\n");
  const std::string page = "http://cancel" + Unique() + ".example/c.htm";
  CachePage(page);
  Start(false);
  run.state.cancel = true;
  PurgeIeCache(run.ctx, access);
  EXPECT_EQ(run.view.lines, (std::vector<std::string>{"*** Cancelled by operator.",
                                                      "    No Entries found to delete.",
                                                      "  \"I.E. Cache\" Function Completed."}));
  EXPECT_TRUE(InCache(page));

  MessageBoxRecorder boxes;
  IeOptionRun r;
  Start(false);
  PurgeCacheKind(run.ctx, access, 7, r);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Quorvane  -  Error");
  EXPECT_EQ(boxes.boxes[0].text,
            "Internal Error - Invalid Cache Code - 7\r\npassed to the Delete_Unwanted_Cache "
            "routine.\r\n\r\nPlease report this message to the vendor...");
  EXPECT_TRUE(run.view.lines.empty());
}

// Wine keeps no UserData or DOMstore containers: what shows is the footers of both options.
TEST_F(IeCachePurgeTest, UserDataAndDomStoreWithoutTheirFoldersReportTheirFootersOnly) {
  PurgeLink link(false);
  LinkEnumerator normal(link, false), prot(link, true);
  CacheAccess access{normal, prot};
  KeepList("p=x\r\n");
  MutableIeFolders().userDataFolder = "";
  MutableIeFolders().domStoreFound = false;
  Start(false);
  PurgeIeUserData(run.ctx, access);
  PurgeIeDomStore(run.ctx, access);
  EXPECT_EQ(run.view.lines,
            (std::vector<std::string>{"    No Entries found to delete.",
                                      "  Purge \"UserData\" Function Completed.",
                                      "    No Entries found to delete.",
                                      "  Purge \"DOMstore\" Function Completed."}));
}

TEST_F(IeCachePurgeTest, ALocalFileOutsideItsKindsFolderIsRefusedAndTouchesNothing) {
  const std::string id = Unique();
  PurgeLink link(false);
  RecordWriter normal(link, false), prot(link, true);
  CacheAccess access{normal, prot};
  const IeFolderSet& f = IeFolders();
  TempFolder outside;
  const std::string sibling = f.cacheFolder + "X" + id;  // a name that only begins like it
  ForceDirectories(sibling);
  const std::string cookie = SetIeCookie("http://forged" + id + ".example/", "c", "1");
  const std::string scramble = SetIeCookie("http://scramble" + id + ".example/", "s", "abc");
  const std::string page = "http://forged" + id + ".example/p.htm";
  const std::string pageFile = CachePage(page);
  const std::string visited = VisitUrl("http://forged" + id + ".example/v");
  KeepList("r=*scramble" + id + "\r\n");
  // Victims: a user's files, one reached by "..", one in the look-alike folder.
  const std::string text = "first\r\nsecret value\r\nthird\r\nfourth\r\n";
  const std::string aboveCookies = ExtractFilePath(f.cookiesFolder) + "\\victim" + id + ".txt";
  struct Case {
    std::string url, victim, named, line;
  } cases[] = {
      {cookie, outside.File("cookie.txt"), outside.File("cookie.txt"), " Access Denied - |C |"},
      {scramble, aboveCookies,
       f.cookiesFolder + "\\sub\\..\\..\\victim" + id + ".txt", " Access Denied - |C |"},
      {page, sibling + "\\page.htm", sibling + "\\page.htm", " Access Denied - |N |"},
      {visited, outside.File("visited.txt"), outside.File("visited.txt"), " Access Denied - |V |"},
  };
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    WriteFileText(c.victim, text);
    normal.forged[c.url] = c.named;
    expected.push_back(c.line + c.url);
  }
  Start(false, false);
  PurgeIeCookies(run.ctx, access);
  PurgeIeCache(run.ctx, access);
  PurgeIeVisited(run.ctx, access);
  EXPECT_EQ(EntryLines(run.view.lines), Sorted(expected));
  EXPECT_EQ(run.state.highestLevel, 7);
  EXPECT_TRUE(run.state.attention);
  for (const Case& c : cases) {
    EXPECT_EQ(ReadFileText(c.victim), text) << c.victim;
    EXPECT_TRUE(InCache(c.url)) << c.url;
    DeleteFileA(c.victim.c_str());
  }
  EXPECT_TRUE(FileExists(pageFile));
  RemoveDirectoryA(sibling.c_str());
}

TEST_F(IeCachePurgeTest, UserDataDomStoreAndKeepFilesLinesSayWhatHappened) {
  PurgeLink link(false);
  RecordWriter normal(link, false), prot(link, true);
  CacheAccess access{normal, prot};
  KeepList("p=nothing.example\r\n");
  ContentFolderStandsInForUserDataAndDomStore();
  struct Case {
    void (*purge)(ReportContext&, const CacheAccess&);
    std::string type;
  } cases[] = {{PurgeIeUserData, "U "}, {PurgeIeDomStore, "M "}};
  for (const Case& c : cases) {
    const std::string id = Unique();
    const std::string gone = "http://gone" + id + ".example/g.htm";
    const std::string held = "http://held" + id + ".example/h.htm";
    const std::string goneFile = CachePage(gone), heldFile = CachePage(held);
    HANDLE h = CreateFileA(heldFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    Start(false);
    c.purge(run.ctx, access);
    CloseHandle(h);
    EXPECT_EQ(EntryLines(run.view.lines),
              Sorted({"       deleted - |" + c.type + "|" + gone,
                      "    Locked URL - |" + c.type + "|" + held}));
    EXPECT_EQ(run.state.highestLevel, 1);
    EXPECT_FALSE(InCache(gone));
    EXPECT_TRUE(InCache(held));
    EXPECT_TRUE(FileExists(heldFile));
    EmptyUrlCache();
  }
  // "KeepFiles" keeps the file, and the entry that names it: nothing claims "deleted".
  const std::string page = "http://kept" + Unique() + ".example/k.htm";
  const std::string file = CachePage(page);
  Start(false);
  run.state.keepFiles = true;
  PurgeIeCache(run.ctx, access);
  EXPECT_EQ(EntryLines(run.view.lines), (std::vector<std::string>{"     to delete - |N |" + page}));
  EXPECT_TRUE(FileExists(file));
  EXPECT_TRUE(InCache(page));
}

TEST_F(IeCachePurgeTest, AnUnreadableKeepListStopsEveryKindThatConsultsIt) {
  const std::string id = Unique();
  PurgeLink link(false);
  RecordWriter normal(link, false), prot(link, true);
  CacheAccess access{normal, prot};
  ContentFolderStandsInForUserDataAndDomStore();
  const std::string cookie = SetIeCookie("http://unread" + id + ".example/", "u", "1");
  const std::string page = "http://unread" + id + ".example/p.htm";
  const std::string file = CachePage(page);
  const std::string visited = VisitUrl("http://unread" + id + ".example/v");
  struct Case {
    void (*purge)(ReportContext&, const CacheAccess&);
    const char* what;
  } cases[] = {{PurgeIeCookies, "Cookie"},
               {PurgeIeCache, "Cache"},
               {PurgeIeVisited, "Visited URLs"},
               {PurgeIeUserData, "UserData"},
               {PurgeIeDomStore, "DOMstore"}};
  const std::string list = IeKeepListFile();
  for (bool folderOfThatName : {false, true}) {
    HANDLE held = INVALID_HANDLE_VALUE;
    if (folderOfThatName) {
      DeleteFileA(list.c_str());
      ASSERT_TRUE(CreateDirectoryA(list.c_str(), nullptr));
    } else {
      KeepList("p=x\r\n");
      held = CreateFileA(list.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(held, INVALID_HANDLE_VALUE);
    }
    for (const Case& c : cases) {
      Start(false);
      c.purge(run.ctx, access);
      ASSERT_FALSE(run.view.lines.empty());
      EXPECT_EQ(run.view.lines[0], std::string("*** Error - Bypassed ") + c.what +
                                       " processing as existing Protect file could not be opened");
      EXPECT_TRUE(EntryLines(run.view.lines).empty()) << c.what;
      EXPECT_EQ(run.state.highestLevel, 7);
    }
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    if (folderOfThatName) RemoveDirectoryA(list.c_str());
  }
  for (const std::string& url : {cookie, page, visited}) EXPECT_TRUE(InCache(url)) << url;
  EXPECT_TRUE(FileExists(file));
}

TEST_F(IeCachePurgeTest, ARandomizeThatCannotRewriteTheFileSaysSoAndLeavesItWhole) {
  const std::string id = Unique();
  PurgeLink link(false);
  LinkEnumerator normal(link, false), prot(link, true);
  CacheAccess access{normal, prot};
  const std::string cookie = SetIeCookie("http://scramble" + id + ".example/", "s", "abcXYZ123");
  const std::string file = LocalFileOf(cookie);
  ASSERT_FALSE(file.empty());
  const std::string text = ReadFileText(file);
  KeepList("r=*scramble" + id + "\r\n");
  HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Start(false);
  PurgeIeCookies(run.ctx, access);
  CloseHandle(held);
  EXPECT_EQ(EntryLines(run.view.lines), (std::vector<std::string>{"    Locked URL - |C |" + cookie}));
  EXPECT_EQ(run.state.highestLevel, 1);
  EXPECT_EQ(ReadFileText(file), text);
  EXPECT_TRUE(InCache(cookie));
}

// The whole program: an unattended Purge Now run with the IE options selected empties the
// cache but what the keep list protects, and removes the strays of the content folder.
TEST(IeAutomaticPurgeTest, APurgeNowRunEmptiesTheCacheButTheProtectedEntries) {
  ScopedArguments args{{}};
  DetectIeVersion();
  DiscoverIeFolders();
  EmptyUrlCache();
  char appData[MAX_PATH] = {};
  ASSERT_TRUE(GetEnvironmentVariableA("APPDATA", appData, sizeof appData));
  const std::string data = std::string(appData) + "\\QVIEAUTO";
  ForceDirectories(data);
  WriteFileText(data + "\\Quorvane.ini",
                "[PnowOptions]\r\nSplashOpt=1\r\nMainWinOpt=3\r\nVisitedOption=1\r\nIECacheOption=1\r\n"
                "IECookiesOption=1\r\nIEHistoryOption=1\r\nIEStraysOption=1\r\n");
  const std::string id = Unique();
  const std::string kept = SetIeCookie("http://bank" + id + ".example/", "login", "1");
  const std::string cookie = SetIeCookie("http://ads" + id + ".example/", "track", "2");
  const std::string page = "http://news" + id + ".example/n.htm";
  const std::string file = CachePage(page);
  const std::string visited = VisitUrl("http://news" + id + ".example/");
  WriteFileText(data + "\\IEcookie.dat", "p=*bank" + id + "\r\n");
  const std::string stray = ExtractFilePath(file) + "\\stray" + id + ".gif";
  WriteFileText(stray, "GIF89a");

  ChildProcess q(QuorvanePath(), "AUTO MULT data=QvIeAuto");
  ASSERT_TRUE(q.WaitForExit(60000));
  EXPECT_EQ(q.ExitCode(), 0u);
  EXPECT_TRUE(q.boxes.empty());  // a keep list with entries: no question is asked
  EXPECT_TRUE(InCache(kept));
  for (const std::string& url : {cookie, page, visited}) EXPECT_FALSE(InCache(url)) << url;
  EXPECT_FALSE(FileExists(file));
  EXPECT_FALSE(FileExists(stray));
  RemoveTree(data);
  EmptyUrlCache();
}
