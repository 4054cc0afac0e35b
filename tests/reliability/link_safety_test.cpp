// Links out of every purged area are removed themselves and never followed: a folder of files
// outside (the victim) must survive every purge byte for byte, with plain deletion and with
// shredding. Under Wine a Unix symbolic link inside the prefix acts as a Windows symbolic
// link; Wine 8 refuses to make a junction (FSCTL_SET_REPARSE_POINT fails), which the temp
// case checks and reports.
#include <windows.h>
#include <winioctl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <list>

#include "core/settings.h"
#include "core/folders.h"
#include "core/text_util.h"
#include "file_fault_support.h"
#include "files/recent_links.h"
#include "files/recycle_bin.h"
#include "files/temp_folders.h"
#include "files/temp_protect_list.h"
#include "firefox/browser_activity.h"
#include "firefox/cookie_purge.h"
#include "firefox/firefox_profile.h"
#include "ie/cache_purge.h"
#include "ie/ie_discovery.h"
#include "ie/ie_strays.h"
#include "platform/files.h"
#include "platform/links.h"
#include "plugins/plugin_engine.h"

using namespace file_faults;

namespace {
constexpr char kDeleted[] = "       deleted - ";
const EraseMode kModes[] = {kPlain, kQuick};

std::string EnvValue(const char* name) {
  char buf[MAX_PATH] = {};
  GetEnvironmentVariableA(name, buf, sizeof buf);
  return buf;
}

struct PurgeRun {
  RunState state;
  VectorView view;
  ReportContext ctx{state, view};
  explicit PurgeRun(const EraseMode& mode) {
    UseEraseMode(state, mode);
    state.detail = true;
  }
};

// Links the test placed; each must be gone after the purge, or named by a line that does not
// claim its deletion.
struct PlacedLinks {
  std::list<LinkGuard> guards;  // never moved: a guard removes its link when it goes
  void Add(const std::string& target, const std::string& link, bool folder) {
    ASSERT_TRUE(MakeUnixLink(target, link)) << link;
    guards.emplace_back(link, folder);
  }
  void ExpectGoneOrReported(const Lines& lines) const {
    for (const LinkGuard& g : guards) {
      if (!Present(g.path)) continue;
      const std::string shown = UpperCase(g.path);
      bool reported = false;
      for (const auto& l : lines) {
        if (EndsWith(UpperCase(l), shown)) {
          EXPECT_FALSE(StartsWith(l, kDeleted) || StartsWith(l, "         deleted - "))
              << "claimed but present: " << l;
          reported = true;
        }
      }
      EXPECT_TRUE(reported) << g.path << " stayed without a line\n" << Dump(lines);
    }
  }
};

// A junction made the Windows way: a folder with a mount-point reparse point. False where the
// system will not make one (Wine 8 answers ERROR_NOT_SUPPORTED).
bool MakeJunction(const std::string& junction, const std::string& target) {
  if (!CreateDirectoryA(junction.c_str(), nullptr)) return false;
  HANDLE h = CreateFileA(junction.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  bool made = false;
  if (h != INVALID_HANDLE_VALUE) {
    const std::wstring substitute = L"\\??\\" + Widen(target), print = Widen(target);
    const size_t pathBytes = (substitute.size() + print.size() + 2) * sizeof(wchar_t);
    std::vector<BYTE> buffer(16 + pathBytes, 0);
    auto put16 = [&](size_t at, size_t v) { *reinterpret_cast<WORD*>(&buffer[at]) = WORD(v); };
    *reinterpret_cast<DWORD*>(&buffer[0]) = IO_REPARSE_TAG_MOUNT_POINT;
    put16(4, 8 + pathBytes);
    put16(8, 0);
    put16(10, substitute.size() * sizeof(wchar_t));
    put16(12, (substitute.size() + 1) * sizeof(wchar_t));
    put16(14, print.size() * sizeof(wchar_t));
    memcpy(&buffer[16], substitute.c_str(), (substitute.size() + 1) * sizeof(wchar_t));
    memcpy(&buffer[16 + (substitute.size() + 1) * sizeof(wchar_t)], print.c_str(),
           (print.size() + 1) * sizeof(wchar_t));
    DWORD got = 0;
    made = DeviceIoControl(h, FSCTL_SET_REPARSE_POINT, buffer.data(), DWORD(buffer.size()), nullptr,
                           0, &got, nullptr) != FALSE;
    CloseHandle(h);
  }
  if (!made) RemoveDirectoryA(junction.c_str());
  return made;
}
}  // namespace

TEST(LinkSafetyTest, TempFolderLinksToFoldersAndFilesAreNeverFollowed) {
  for (const EraseMode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    Victim victim;
    ScopedDataFolder data;
    ScopedArguments args{{}};
    TempFolder base;
    const std::string root = base.Path() + "\\TEMP";
    ForceDirectories(root + "\\Sub\\Deeper");
    const std::string savedTmp = EnvValue("tmp");
    SetEnvironmentVariableA("tmp", root.c_str());
    DiscoverTempFolders();
    WriteFileText(data.SettingsPath(), "[TempFolders]\r\nTmpDir=1\r\nAgeTemp=0\r\n");
    PlacedLinks links;
    links.Add(victim.Folder(), root + "\\FolderLink", true);
    links.Add(victim.File(), root + "\\filelink.txt", false);
    links.Add(victim.Folder() + "\\Inner", root + "\\Sub\\Deeper\\InnerLink", true);
    links.Add(victim.Folder() + "\\precious.txt", root + "\\Sub\\precious.txt", false);
    const bool junction = MakeJunction(root + "\\Junction", victim.Folder());
    if (junction)
      links.guards.emplace_back(root + "\\Junction", true);
    else
      RecordProperty("junction", "not supported by this system");
    WriteFileText(root + "\\Sub\\plain.tmp", "plain");
    // A link whose name the ANSI code page cannot hold ("ssylka", Cyrillic).
    const std::wstring wideName = L"\u0441\u0441\u044b\u043b\u043a\u0430.txt";
    ASSERT_TRUE(MakeWideUnixLink(victim.Folder() + "\\photo.jpg", root + "\\Sub", wideName));
    PurgeRun run(mode);
    run.state.tempFolders = ReadTempFolders(SettingsFile());
    PurgeTempFolders(run.ctx);
    EXPECT_FALSE(WidePresent(Widen(root + "\\Sub\\") + wideName)) << Dump(run.view.lines);
    SetEnvironmentVariableA("tmp", savedTmp.c_str());
    DiscoverTempFolders();
    EXPECT_EQ(victim.Damage(), "") << Dump(run.view.lines);
    links.ExpectGoneOrReported(run.view.lines);
    EXPECT_FALSE(FileExists(root + "\\Sub\\plain.tmp"));
  }
}

TEST(LinkSafetyTest, FirefoxCacheLinksAreNeverFollowed) {
  ScopedArguments args{{}};
  for (const EraseMode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    Victim victim;
    TempFolder temp;
    TFFoxProfile saved = FFoxProfile();
    TFFoxProfile& p = FFoxProfile();
    p = TFFoxProfile();
    p.ProfileCacheFolder = kFolderNotFound;
    p.LocalProfileFolder = temp.File("local");
    p.LocalCacheFolder = temp.File("local\\Cache");
    p.Cache2Folder = temp.File("local\\cache2");
    ForceDirectories(p.LocalCacheFolder + "\\0\\1");
    ForceDirectories(p.Cache2Folder + "\\entries");
    SetFirefoxActive(false);
    PlacedLinks links;
    links.Add(victim.Folder(), p.LocalCacheFolder + "\\0\\FolderLink", true);
    links.Add(victim.File(), p.LocalCacheFolder + "\\_CACHE_001_", false);
    links.Add(victim.Folder(), p.Cache2Folder + "\\doomed", true);
    links.Add(victim.Folder() + "\\photo.jpg", p.Cache2Folder + "\\entries\\9F8E7D6C5B", false);
    // The start-up cache beside the cache folders goes with them, by name.
    links.Add(victim.Folder() + "\\precious.txt", p.LocalProfileFolder + "\\XUL.MFL", false);
    WriteFileText(p.Cache2Folder + "\\entries\\0011223344", "a cache entry");
    PurgeRun run(mode);
    PurgeFirefoxCache(run.ctx);
    FFoxProfile() = saved;
    EXPECT_EQ(victim.Damage(), "") << Dump(run.view.lines);
    links.ExpectGoneOrReported(run.view.lines);
    EXPECT_FALSE(FileExists(temp.File("local\\cache2\\entries\\0011223344")));
  }
}

TEST(LinkSafetyTest, IeStrayAndCachedPageLinksAreNeverFollowed) {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  IeScope ie;
  const IeFolderSet& f = IeFolders();
  ASSERT_TRUE(f.cacheFound);
  WriteFileText(IeKeepListFile(), "p=nothing.example\r\n");
  for (const EraseMode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    Victim victim;
    const std::string id = UniqueId();
    // A sub-folder of the container with links in it, met by the strays scan.
    const std::string sub = f.cacheFolder + "\\LINKS" + id;
    ForceDirectories(sub);
    PlacedLinks links, folderLinks;
    // The strays scan deletes files only: a link to a folder is neither entered nor removed.
    folderLinks.Add(victim.Folder(), sub + "\\FolderLink", true);
    links.Add(victim.File(), sub + "\\stray.htm", false);
    // A cached page whose file was replaced by a link: the index names the link.
    const std::string url = "http://linked" + id + ".example/page.htm";
    const std::string page = CachePage(url);
    ASSERT_FALSE(page.empty());
    ASSERT_TRUE(DeleteFileA(page.c_str()));
    links.Add(victim.Folder() + "\\precious.txt", page, false);
    TestCacheLink link;
    LinkEnumerator normal{link, false}, prot{link, true};
    CacheAccess access{normal, prot};
    PurgeRun run(mode);
    PurgeIeCache(run.ctx, access);
    PurgeIeStrays(run.ctx, access);
    EXPECT_EQ(victim.Damage(), "") << Dump(run.view.lines);
    links.ExpectGoneOrReported(run.view.lines);
    EXPECT_TRUE(Present(sub + "\\FolderLink"));
    links.guards.clear();
    folderLinks.guards.clear();
    RemoveTree(sub);
    EmptyUrlCache();
  }
}

TEST(LinkSafetyTest, RecentLinksThatAreFileSystemLinksAreNeverFollowed) {
  for (const EraseMode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    Victim victim;
    TempFolder recent;
    PlacedLinks links;
    links.Add(victim.File(), recent.File("Report.doc.lnk"), false);
    links.Add(victim.Folder(), recent.File("Folder.lnk"), true);
    WriteFileText(recent.File("plain.lnk"), "a shortcut's bytes");
    PurgeRun run(mode);
    PurgeRecentLinksIn(run.ctx, recent.Path());
    EXPECT_EQ(victim.Damage(), "") << Dump(run.view.lines);
    EXPECT_FALSE(FileExists(recent.File("plain.lnk")));
    // The folder link is no shortcut file: it stays, untouched and unreported.
    EXPECT_TRUE(Present(recent.File("Folder.lnk")));
    links.guards.pop_back();  // removes it
    links.ExpectGoneOrReported(run.view.lines);
  }
}

namespace {
// The trash Wine empties: $XDG_DATA_HOME/Trash, which the scripts point inside the build folder.
std::string BuildTrash() {
  char xdg[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("XDG_DATA_HOME", xdg, sizeof xdg)) return "";
  std::string dos = "Z:" + std::string(xdg);
  std::replace(dos.begin(), dos.end(), '/', '\\');
  const std::string build = UpperCase(ExtractFilePath(BinFolder()));
  if (UpperCase(dos).rfind(build + "\\", 0) != 0) return "";
  return dos + "\\Trash";
}
}  // namespace

TEST(LinkSafetyTest, RecycleBinLinksToFilesAndFoldersAreNeverFollowed) {
  ScopedArguments args{{}};
  for (const EraseMode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    const std::string trash = BuildTrash();
    ASSERT_FALSE(trash.empty()) << "XDG_DATA_HOME must point inside the build folder";
    Victim victim;
    ForceDirectories(trash + "\\files\\binned-folder");
    ForceDirectories(trash + "\\info");
    PlacedLinks links;
    links.Add(victim.File(), trash + "\\files\\linked-file.txt", false);
    links.Add(victim.Folder(), trash + "\\files\\binned-folder\\inner-link", true);
    links.Add(victim.Folder() + "\\photo.jpg", trash + "\\files\\binned-folder\\photo.jpg", false);
    for (const char* name : {"linked-file.txt", "binned-folder"})
      WriteFileText(trash + "\\info\\" + name + ".trashinfo",
                    std::string("[Trash Info]\nPath=/tmp/") + name +
                        "\nDeletionDate=2026-01-02T03:04:05\n");
    PurgeRun run(mode);
    ASSERT_FALSE(BuildTrash().empty());
    EmptyRecycleBin(run.ctx);
    EXPECT_EQ(victim.Damage(), "") << Dump(run.view.lines);
    // The bin's purge names no items: a link left behind, or the binned folder the shell could
    // not delete (Wine deletes only files), must show as a failed function.
    bool left = Present(trash + "\\files\\binned-folder");
    for (const LinkGuard& g : links.guards) left = left || Present(g.path);
    if (left)
      EXPECT_EQ(run.view.lines,
                (Lines{" -Error- \"Purge Recycle Bin\" Function Failed to Complete."}));
    else
      EXPECT_EQ(run.view.lines, (Lines{"  Purge \"Recycle Bin\" Function Completed."}));
    links.guards.clear();
    for (const char* l : {"\\files\\linked-file.txt", "\\files\\binned-folder\\inner-link",
                          "\\files\\binned-folder\\photo.jpg"})
      if (Present(trash + l)) RemoveLinkItself(trash + l, false);
    RemoveTree(trash + "\\files");
    RemoveTree(trash + "\\info");
  }
}

TEST(LinkSafetyTest, APluginFolderTreeWithLinksInsideNeverFollowsThem) {
  for (const EraseMode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    Victim victim;
    ScopedArguments args{{}};
    ScopedDataFolder data;
    TempFolder tree;
    const std::string T = UpperCase(tree.Path());
    ForceDirectories(tree.File("store\\sub\\deep"));
    WriteFileText(tree.File("store\\sub\\plain.txt"), "plain");
    PlacedLinks links;
    links.Add(victim.Folder(), tree.File("store\\sub\\FolderLink"), true);
    links.Add(victim.File(), tree.File("store\\sub\\deep\\filelink.txt"), false);
    links.Add(victim.Folder() + "\\Inner", tree.File("store\\InnerLink"), true);
    PurgeRun run(mode);
    RunPlugin(run.ctx, {"DELFOLD=" + T + "\\STORE[*.*]DS?"}, true);
    TempProtectEntries().Clear();
    EXPECT_EQ(victim.Damage(), "") << Dump(run.view.lines);
    links.ExpectGoneOrReported(run.view.lines);
    EXPECT_FALSE(FileExists(tree.File("store\\sub\\plain.txt"))) << Dump(run.view.lines);
  }
}
