// Files that misbehave while a purge runs, on real files under Wine through the real purge
// functions: a file locked after the listing, read-only files, paths beyond MAX_PATH, names
// outside the ANSI code page, and a folder that disappears mid-purge.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/settings.h"
#include "core/command_line.h"
#include "core/folders.h"
#include "core/text_util.h"
#include "file_fault_support.h"
#include "files/shred_observer.h"
#include "files/temp_folders.h"
#include "files/temp_protect_list.h"
#include "firefox/browser_activity.h"
#include "firefox/cookie_purge.h"
#include "firefox/firefox_profile.h"
#include "ie/cache_purge.h"
#include "ie/ie_discovery.h"
#include "ie/ie_strays.h"
#include "platform/files.h"

using namespace file_faults;

namespace {
constexpr char kDeleted[] = "       deleted - ";
constexpr char kLocked[] = "        Locked - ";

std::string EnvValue(const char* name) {
  char buf[MAX_PATH] = {};
  GetEnvironmentVariableA(name, buf, sizeof buf);
  return buf;
}

// A run whose report view calls back into the test.
struct HookedRun {
  RunState state;
  HookedView view;
  ReportContext ctx{state, view};
  explicit HookedRun(const EraseMode& mode, bool detail = true) {
    UseEraseMode(state, mode);
    state.detail = detail;
  }
};

// "Temp Folders" over a folder of the test's own: the environment's temp names point at it.
struct TempPurgeScope {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  TempFolder base;
  std::string root = base.Path() + "\\TEMP";
  std::string savedTmp = EnvValue("tmp"), savedTemp = EnvValue("temp");
  explicit TempPurgeScope(bool ageFilter = false) {
    CreateDirectoryA(root.c_str(), nullptr);
    SetEnvironmentVariableA("tmp", root.c_str());
    SetEnvironmentVariableA("temp", root.c_str());
    DiscoverTempFolders();
    WriteFileText(data.SettingsPath(), std::string("[TempFolders]\r\nTmpDir=1\r\nAgeTemp=") +
                                           (ageFilter ? "1" : "0") + "\r\nAgeHours=24\r\n");
  }
  ~TempPurgeScope() {
    SetEnvironmentVariableA("tmp", savedTmp.c_str());
    SetEnvironmentVariableA("temp", savedTemp.c_str());
    DiscoverTempFolders();
  }
  std::string operator[](const std::string& rel) const { return root + "\\" + rel; }
  std::string Shown(const std::string& rel) const { return UpperCase(root + "\\" + rel); }
};

// A profile whose only cache folders are the test's own.
struct FirefoxCacheScope {
  TempFolder temp;
  TFFoxProfile saved = FFoxProfile();
  std::string local = temp.File("local");
  std::string cache = local + "\\Cache", cache2 = local + "\\cache2";
  FirefoxCacheScope() {
    TFFoxProfile& p = FFoxProfile();
    p = TFFoxProfile();
    p.ProfileCacheFolder = kFolderNotFound;
    p.LocalProfileFolder = local;
    p.LocalCacheFolder = cache;
    p.Cache2Folder = cache2;
    ForceDirectories(cache);
    ForceDirectories(cache2 + "\\entries");
    SetFirefoxActive(false);
  }
  ~FirefoxCacheScope() {
    FFoxProfile() = saved;
    TempProtectEntries().Clear();
  }
};

// Records which files a shred overwrote.
struct ShredRecorder : ShredObserver {
  std::vector<std::string> overwritten;
  ShredRecorder() { SetShredObserver(this); }
  ~ShredRecorder() override { SetShredObserver(nullptr); }
  void PassWritten(const std::string& file, int) override {
    overwritten.push_back(UpperCase(file));
  }
  bool Shredded(const std::string& path) const {
    return std::find(overwritten.begin(), overwritten.end(), UpperCase(path)) != overwritten.end();
  }
};

Lines WithPrefix(const Lines& lines, const std::string& prefix) {
  Lines out;
  for (const auto& l : lines)
    if (StartsWith(l, prefix)) out.push_back(l);
  return out;
}

const EraseMode kPlainAndQuick[] = {kPlain, kQuick};
}  // namespace

// ---- a file locked after the listing -----------------------------------------------------

TEST(FileFaultLockTest, ATempFileLockedMidPurgeIsReportedAndLeftWhole) {
  for (const EraseMode& mode : kPlainAndQuick) {
    SCOPED_TRACE(mode.name);
    TempPurgeScope temp;
    for (int i = 0; i < 12; ++i) MakeAgedFile(temp["f" + std::to_string(i) + ".tmp"], "temp data");
    const std::string held = temp["Sub\\held.dat"];
    MakeAgedFile(held, std::string(9000, 'h'));
    MakeAgedFile(temp["Sub\\free.dat"], "free");
    HookedRun run(mode);
    LockOnFirstEvent lock({held});
    run.view.onEvent = [&] { lock(); };
    run.state.tempFolders = ReadTempFolders(SettingsFile());
    PurgeTempFolders(run.ctx);
    ASSERT_EQ(lock.Locked(), held) << "the listing reports nothing before its files go";
    lock.Release();
    const Lines& l = run.view.lines;
    EXPECT_TRUE(HasLine(l, kLocked + temp.Shown("Sub\\held.dat"))) << Dump(l);
    EXPECT_FALSE(HasLine(l, kDeleted + temp.Shown("Sub\\held.dat"))) << Dump(l);
    EXPECT_TRUE(HasLine(l, " Dir Not Empty - " + temp.Shown("Sub"))) << Dump(l);
    EXPECT_EQ(ReadFileText(held), std::string(9000, 'h'));
    EXPECT_FALSE(FileExists(temp["Sub\\free.dat"]));
    for (int i = 0; i < 12; ++i) EXPECT_FALSE(FileExists(temp["f" + std::to_string(i) + ".tmp"]));
    EXPECT_TRUE(run.state.lockedFile);
  }
}

TEST(FileFaultLockTest, AFirefoxCacheFileLockedMidPurgeIsReportedAndLeftWhole) {
  for (const EraseMode& mode : kPlainAndQuick) {
    SCOPED_TRACE(mode.name);
    FirefoxCacheScope ff;
    for (int i = 0; i < 12; ++i) MakeAgedFile(ff.cache + "\\entry" + std::to_string(i), "cache");
    const std::string held = ff.cache2 + "\\entries\\0A1B2C3D4E";
    MakeAgedFile(held, std::string(20000, 'c'));
    MakeAgedFile(ff.cache2 + "\\entries\\FFEEDDCCBB", "other entry");
    HookedRun run(mode);
    LockOnFirstEvent lock({held});
    run.view.onEvent = [&] { lock(); };
    PurgeFirefoxCache(run.ctx);
    ASSERT_EQ(lock.Locked(), held);
    lock.Release();
    const Lines& l = run.view.lines;
    EXPECT_TRUE(HasLine(l, kLocked + UpperCase(held))) << Dump(l);
    EXPECT_FALSE(HasLine(l, kDeleted + UpperCase(held))) << Dump(l);
    EXPECT_EQ(ReadFileText(held), std::string(20000, 'c'));
    EXPECT_FALSE(FileExists(ff.cache2 + "\\entries\\FFEEDDCCBB"));
    EXPECT_FALSE(FileExists(ff.cache + "\\entry11"));
    EXPECT_TRUE(run.state.lockedFile);
  }
}

TEST(FileFaultLockTest, AnIeStrayLockedMidPurgeIsReportedAndLeftWhole) {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  IeScope ie;
  const IeFolderSet& f = IeFolders();
  ASSERT_TRUE(f.cacheFound);
  for (const EraseMode& mode : kPlainAndQuick) {
    SCOPED_TRACE(mode.name);
    const std::string id = UniqueId();
    const std::vector<std::string> strays = {f.cacheFolder + "\\strayA" + id + ".htm",
                                             f.cacheFolder + "\\strayB" + id + ".htm"};
    for (const auto& s : strays) MakeAgedFile(s, "stray " + s);
    TestCacheLink link;
    LinkEnumerator normal{link, false}, prot{link, true};
    CacheAccess access{normal, prot};
    HookedRun run(mode);
    LockOnFirstEvent lock(strays);
    run.view.onEvent = [&] { lock(); };
    PurgeIeStrays(run.ctx, access);
    const std::string held = lock.Locked();
    ASSERT_FALSE(held.empty());
    lock.Release();
    const std::string other = held == strays[0] ? strays[1] : strays[0];
    const Lines& l = run.view.lines;
    EXPECT_TRUE(HasLine(l, kLocked + UpperCase(held))) << Dump(l);
    EXPECT_FALSE(HasLine(l, kDeleted + UpperCase(held))) << Dump(l);
    EXPECT_EQ(ReadFileText(held), "stray " + held);
    EXPECT_FALSE(FileExists(other));
    EXPECT_TRUE(run.state.lockedFile);
    DeleteFileA(held.c_str());
  }
}

TEST(FileFaultLockTest, AnIeCachePageLockedMidPurgeKeepsItsFileAndEntry) {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  IeScope ie;
  WriteFileText(IeKeepListFile(), "p=nothing.example\r\n");
  for (const EraseMode& mode : kPlainAndQuick) {
    SCOPED_TRACE(mode.name);
    const std::string id = UniqueId();
    const std::vector<std::string> urls = {"http://first" + id + ".example/a.htm",
                                           "http://second" + id + ".example/b.htm"};
    std::vector<std::string> files;
    for (const auto& u : urls) files.push_back(CachePage(u));
    ASSERT_FALSE(files[0].empty());
    ASSERT_FALSE(files[1].empty());
    const std::vector<std::string> bytes = {ReadFileText(files[0]), ReadFileText(files[1])};
    TestCacheLink link;
    LinkEnumerator normal{link, false}, prot{link, true};
    CacheAccess access{normal, prot};
    HookedRun run(mode);
    LockOnFirstEvent lock(files);
    run.view.onEvent = [&] { lock(); };
    PurgeIeCache(run.ctx, access);
    ASSERT_FALSE(lock.Locked().empty());
    lock.Release();
    const size_t held = lock.Locked() == files[0] ? 0 : 1, other = 1 - held;
    const Lines& l = run.view.lines;
    const auto lockedLine = std::find_if(l.begin(), l.end(), [&](const std::string& s) {
      return StartsWith(s, "    Locked URL - ") && EndsWith(s, "  " + urls[held]);
    });
    EXPECT_NE(lockedLine, l.end()) << Dump(l);
    for (const auto& s : l) EXPECT_FALSE(StartsWith(s, kDeleted) && EndsWith(s, urls[held])) << s;
    EXPECT_EQ(ReadFileText(files[held]), bytes[held]);
    EXPECT_TRUE(InCache(urls[held]));
    EXPECT_FALSE(InCache(urls[other]));
    EXPECT_FALSE(FileExists(files[other]));
    EXPECT_TRUE(run.state.lockedFile);
    EmptyUrlCache();
    DeleteFileA(files[held].c_str());
  }
}

// ---- read-only files ---------------------------------------------------------------------

TEST(FileFaultReadOnlyTest, ReadOnlyFilesAreDeletedOrShreddedInEveryFolderPurge) {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  IeScope ie;
  const IeFolderSet& f = IeFolders();
  for (const EraseMode& mode : kEraseModes) {
    SCOPED_TRACE(mode.name);
    TempPurgeScope temp;
    FirefoxCacheScope ff;
    const std::string stray = f.cacheFolder + "\\readonly" + UniqueId() + ".htm";
    const std::vector<std::string> files = {temp["Deep\\readonly.tmp"],
                                            ff.cache2 + "\\entries\\READONLY01", stray};
    for (const auto& path : files) {
      MakeAgedFile(path, std::string(6000, 'r'));
      ASSERT_TRUE(
          SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    }
    TestCacheLink link;
    LinkEnumerator normal{link, false}, prot{link, true};
    CacheAccess access{normal, prot};
    ShredRecorder shreds;
    HookedRun run(mode);
    run.state.tempFolders = ReadTempFolders(SettingsFile());
    PurgeTempFolders(run.ctx);
    PurgeFirefoxCache(run.ctx);
    PurgeIeStrays(run.ctx, access);
    const Lines& l = run.view.lines;
    for (const auto& path : files) {
      EXPECT_FALSE(Present(path)) << path << "\n" << Dump(l);
      EXPECT_TRUE(HasLine(l, kDeleted + UpperCase(path))) << path << "\n" << Dump(l);
      EXPECT_EQ(shreds.Shredded(path), mode.secure) << path;
    }
    EXPECT_EQ(run.state.highestLevel, 0) << Dump(l);
    EXPECT_FALSE(run.state.attention) << Dump(l);
  }
}

// ---- paths beyond MAX_PATH ---------------------------------------------------------------

TEST(FileFaultLongPathTest, AFolderTreeBeyondMaxPathIsPurgedOrReportedAndNothingElseTouched) {
  for (const EraseMode& mode : kPlainAndQuick) {
    SCOPED_TRACE(mode.name);
    TempPurgeScope temp;
    // A sibling of the purged folder that shares the start of its name.
    const std::string beside = temp.base.File("TEMPORARY\\keep.txt");
    MakeAgedFile(beside, "beside the temp folder");
    std::wstring deep = L"\\\\?\\" + Widen(temp.root);
    std::vector<std::wstring> levels;
    for (int i = 0; deep.size() < MAX_PATH + 60; ++i) {
      deep += L"\\level" + std::to_wstring(i) + L"_with_a_rather_long_folder_name";
      ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
      levels.push_back(deep);
    }
    ASSERT_TRUE(MakeWideFile(deep + L"\\bottom.txt", "at the bottom"));
    ASSERT_TRUE(MakeWideFile(levels[0] + L"\\top.txt", "near the top"));
    HookedRun run(mode);
    run.state.tempFolders = ReadTempFolders(SettingsFile());
    PurgeTempFolders(run.ctx);
    const Lines& l = run.view.lines;
    // Every "deleted" claim holds; whatever stayed is named by a line that is not one.
    for (const auto& line : WithPrefix(l, kDeleted)) {
      const std::string path = line.substr(strlen(kDeleted));
      EXPECT_FALSE(WideExists(L"\\\\?\\" + Widen(path))) << "claimed but present: " << path;
    }
    EXPECT_FALSE(WideExists(levels[0] + L"\\top.txt"));
    if (WideExists(deep + L"\\bottom.txt")) {
      bool reported = false;
      for (const auto& line : l)
        reported = reported || (!StartsWith(line, kDeleted) &&
                                line.find(temp.Shown("LEVEL0_WITH_A_RATHER_LONG_FOLDER_NAME")) !=
                                    std::string::npos);
      EXPECT_TRUE(reported) << Dump(l);
      EXPECT_TRUE(run.state.attention) << Dump(l);
    }
    EXPECT_EQ(ReadFileText(beside), "beside the temp folder");
    EXPECT_TRUE(DirectoryExists(temp.root));
    // Clean-up through the wide calls, deepest first.
    DeleteFileW((deep + L"\\bottom.txt").c_str());
    DeleteFileW((levels[0] + L"\\top.txt").c_str());
    for (auto it = levels.rbegin(); it != levels.rend(); ++it) RemoveDirectoryW(it->c_str());
  }
}

// ---- names outside the ANSI code page ----------------------------------------------------

namespace {
// Names the ANSI code page cannot hold: Cyrillic, CJK, an emoji, and one whose ANSI form is
// the name of another file ("d" a-macron "ta.txt" is "data.txt" by best fit).
const wchar_t* const kWideNames[] = {L"\u043e\u0442\u0447\u0451\u0442.txt", L"\u6587\u4ef6.dat",
                                     L"\U0001F600 smile.txt", L"d\u0101ta.txt"};

// Every "deleted" line of the folder is backed by a file that went, every file that went has
// its line, and a file left behind is reported.
void ExpectHonest(const Lines& lines, const std::string& folder) {
  const std::string shownFolder = UpperCase(folder) + "\\";
  size_t claimed = 0;
  for (const auto& l : WithPrefix(lines, kDeleted))
    if (StartsWith(l.substr(strlen(kDeleted)), shownFolder)) ++claimed;
  size_t gone = 0;
  for (const wchar_t* name : kWideNames) gone += !WideExists(Widen(folder) + L"\\" + name);
  EXPECT_EQ(claimed, gone) << "every deletion claimed was made and every one made was claimed\n"
                           << Dump(lines);
  if (gone < std::size(kWideNames)) {
    EXPECT_GT(WithPrefix(lines, " -Error-").size() + WithPrefix(lines, "File not Found - ").size(),
              0u)
        << "a file left behind is reported\n" << Dump(lines);
  }
}
}  // namespace

TEST(FileFaultUnicodeTest, TempNamesOutsideTheCodePageNeverReachAYoungNamesake) {
  for (const EraseMode& mode : kPlainAndQuick) {
    SCOPED_TRACE(mode.name);
    TempPurgeScope temp(true);  // files of the last 24 hours stay
    const std::string folder = temp["Names"];
    ForceDirectories(folder);
    for (const wchar_t* name : kWideNames)
      ASSERT_TRUE(MakeWideFile(Widen(folder) + L"\\" + name, "wide named", 48));
    MakeAgedFile(folder + "\\data.txt", "young and to be kept", 1);
    HookedRun run(mode);
    run.state.tempFolders = ReadTempFolders(SettingsFile());
    PurgeTempFolders(run.ctx);
    EXPECT_EQ(ReadFileText(folder + "\\data.txt"), "young and to be kept") << Dump(run.view.lines);
    ExpectHonest(run.view.lines, folder);
    for (const wchar_t* name : kWideNames) DeleteFileW((Widen(folder) + L"\\" + name).c_str());
  }
}

TEST(FileFaultUnicodeTest, FirefoxCacheNamesOutsideTheCodePageNeverReachAProtectedNamesake) {
  ScopedArguments args{{}};
  for (const EraseMode& mode : kPlainAndQuick) {
    SCOPED_TRACE(mode.name);
    FirefoxCacheScope ff;
    const std::string folder = ff.cache2 + "\\entries";
    for (const wchar_t* name : kWideNames)
      ASSERT_TRUE(MakeWideFile(Widen(folder) + L"\\" + name, "wide named"));
    MakeAgedFile(folder + "\\data.txt", "protected");
    TempProtectEntries().SetLines({"p=" + LowerCase(folder) + "\\data.txt"});
    HookedRun run(mode);
    PurgeFirefoxCache(run.ctx);
    EXPECT_EQ(ReadFileText(folder + "\\data.txt"), "protected") << Dump(run.view.lines);
    EXPECT_TRUE(HasLine(run.view.lines, "     Protected - " + UpperCase(folder + "\\data.txt")));
    ExpectHonest(run.view.lines, folder);
    for (const wchar_t* name : kWideNames) DeleteFileW((Widen(folder) + L"\\" + name).c_str());
  }
}

// ---- a folder that disappears while the purge runs ---------------------------------------

TEST(FileFaultVanishTest, AFolderRemovedDuringThePurgeGetsAClearLine) {
  for (const EraseMode& mode : kPlainAndQuick) {
    SCOPED_TRACE(mode.name);
    TempPurgeScope temp;
    MakeAgedFile(temp["first.tmp"], "x");
    MakeAgedFile(temp["Gone\\inside.tmp"], "y");
    MakeAgedFile(temp["Gone\\Deeper\\more.tmp"], "z");
    MakeAgedFile(temp["Stays\\file.tmp"], "w");
    HookedRun run(mode);
    bool removed = false;
    run.view.onEvent = [&] {
      if (!removed && !run.view.lines.empty() && StartsWith(run.view.lines.back(), kDeleted)) {
        removed = true;
        RemoveTree(temp["Gone"]);
      }
    };
    run.state.tempFolders = ReadTempFolders(SettingsFile());
    PurgeTempFolders(run.ctx);
    ASSERT_TRUE(removed);
    const Lines& l = run.view.lines;
    EXPECT_FALSE(HasLine(l, kDeleted + temp.Shown("Gone"))) << "it went, but not by the purge\n"
                                                            << Dump(l);
    const bool named = HasLine(l, "File not Found - " + temp.Shown("Gone")) ||
                       HasLine(l, "Path not Found - " + temp.Shown("Gone"));
    EXPECT_TRUE(named) << Dump(l);
    EXPECT_TRUE(HasLine(l, kDeleted + temp.Shown("Stays\\file.tmp"))) << Dump(l);
    EXPECT_TRUE(HasLine(l, kDeleted + temp.Shown("Stays"))) << Dump(l);
    EXPECT_TRUE(StartsWith(l.back(), "  Purge \"Temp Folders\" Function Completed.")) << Dump(l);
  }
}

TEST(FileFaultVanishTest, ACacheFolderRemovedDuringThePurgeGetsAClearLine) {
  ScopedArguments args{{}};
  FirefoxCacheScope ff;
  // cache2's own file goes first; the sub-folders it listed beside it come after.
  MakeAgedFile(ff.cache2 + "\\index", "x");
  MakeAgedFile(ff.cache2 + "\\doomed\\a", "y");
  MakeAgedFile(ff.cache2 + "\\entries\\b", "z");
  HookedRun run(kPlain);
  bool removed = false;
  run.view.onEvent = [&] {
    if (!removed && !run.view.lines.empty() && StartsWith(run.view.lines.back(), kDeleted)) {
      removed = true;
      RemoveTree(ff.cache2 + "\\doomed");
    }
  };
  PurgeFirefoxCache(run.ctx);
  ASSERT_TRUE(removed);
  const Lines& l = run.view.lines;
  const std::string doomed = UpperCase(ff.cache2 + "\\doomed");
  EXPECT_FALSE(HasLine(l, kDeleted + doomed)) << Dump(l);
  EXPECT_TRUE(HasLine(l, "File not Found - " + doomed) || HasLine(l, "Path not Found - " + doomed))
      << Dump(l);
  EXPECT_FALSE(FileExists(ff.cache2 + "\\entries\\b"));
  EXPECT_TRUE(StartsWith(l.back(), "  Purge \"FireFox Cache\" Function Completed.")) << Dump(l);
}
