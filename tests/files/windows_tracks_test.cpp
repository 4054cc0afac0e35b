// Recent links, Recycle Bin and clipboard: the three Windows-wide tracks, on real shortcut files,
// the real (Wine: XDG) trash and the real clipboard.
#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>

#include "run/purge_run.h"
#include "core/os_flags.h"
#include "core/text_util.h"
#include "files/clipboard_clear.h"
#include "files/recent_links.h"
#include "files/recycle_bin.h"
#include "firefox/firefox_profile.h"
#include "platform/files.h"
#include "support/test_support.h"

namespace {
std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines,
                                           const std::string& prefix) {
  std::vector<std::string> found;
  for (const auto& l : lines)
    if (l.rfind(prefix, 0) == 0) found.push_back(l);
  std::sort(found.begin(), found.end());
  return found;
}

// Three links (one hidden, one read-only), two other files and a folder whose name ends .lnk.
struct RecentFolder {
  TempFolder folder;
  std::vector<std::string> links, others;
  RecentFolder() {
    for (const char* name : {"report.txt.lnk", "Photo.LNK", "notes.lnk"}) {
      links.push_back(folder.File(name));
      MakeShellLink(links.back(), "C:\\windows\\notepad.exe");
    }
    SetFileAttributesA(links[1].c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(links[2].c_str(), FILE_ATTRIBUTE_READONLY);
    for (const char* name : {"desktop.ini", "index.dat"}) {
      others.push_back(folder.File(name));
      WriteFileText(others.back(), "kept");
    }
    CreateDirectoryA(folder.File("Folder.lnk").c_str(), nullptr);
  }
  std::vector<std::string> ExpectedLines(const std::string& result) const {
    std::vector<std::string> lines;
    for (const auto& l : links) lines.push_back(result + UpperCase(l));
    std::sort(lines.begin(), lines.end());
    return lines;
  }
};
}  // namespace

TEST(RecentLinksTest, PreviewInDetailListsEachLinkAndDeletesNothing) {
  RecentFolder recent;
  TestRun run;
  run.state.preview = true;
  run.state.detail = true;
  PurgeRecentLinksIn(run.ctx, recent.folder.Path());
  EXPECT_EQ(LinesStartingWith(run.view.lines, "     to delete - "),
            recent.ExpectedLines("     to delete - "));
  EXPECT_EQ(run.view.lines.back(),
            "  Purge \"Recent LNKs\" Function Completed.   3 Links Processed.");
  EXPECT_EQ(run.view.lines.size(), 4u);  // nothing about the other files or the folder
  EXPECT_EQ(run.state.processed, 3);
  for (const auto& l : recent.links) EXPECT_TRUE(FileExists(l)) << l;
  EXPECT_EQ(run.state.highestLevel, 0);
}

TEST(RecentLinksTest, PurgeDeletesOnlyTheLinksAndReportsPerLinkOnlyInDetail) {
  for (bool detail : {false, true}) {
    RecentFolder recent;
    TestRun run;
    run.state.detail = detail;
    PurgeRecentLinksIn(run.ctx, recent.folder.Path());
    for (const auto& l : recent.links) EXPECT_FALSE(FileExists(l)) << l;
    for (const auto& o : recent.others) EXPECT_TRUE(FileExists(o)) << o;
    EXPECT_TRUE(DirectoryExists(recent.folder.File("Folder.lnk")));
    if (detail) {
      EXPECT_EQ(LinesStartingWith(run.view.lines, "       deleted - "),
                recent.ExpectedLines("       deleted - "));
    } else {
      EXPECT_EQ(run.view.lines.size(), 1u);
    }
    EXPECT_EQ(run.view.lines.back(),
              "  Purge \"Recent LNKs\" Function Completed.   3 Links Processed.");
    EXPECT_FALSE(run.state.attention);
    EXPECT_EQ(run.state.processed, 3);
  }
}

TEST(RecentLinksTest, ALinkInUseIsReportedLockedWithoutRaisingTheLevel) {
  RecentFolder recent;
  HANDLE held = CreateFileA(recent.links[0].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  TestRun run;
  run.state.detail = false;  // the failure is reported whatever the report style
  PurgeRecentLinksIn(run.ctx, recent.folder.Path());
  CloseHandle(held);
  EXPECT_EQ(LinesStartingWith(run.view.lines, "        Locked - "),
            std::vector<std::string>{"        Locked - " + UpperCase(recent.links[0])});
  EXPECT_TRUE(run.state.attention);
  EXPECT_TRUE(run.state.lockedFile);
  EXPECT_EQ(run.state.highestLevel, 0);
  EXPECT_TRUE(FileExists(recent.links[0]));
  EXPECT_FALSE(FileExists(recent.links[1]));
  EXPECT_FALSE(FileExists(recent.links[2]));
}

TEST(RecentLinksTest, EmptyMissingAndCancelledFolders) {
  {
    TempFolder empty;
    WriteFileText(empty.File("not-a-link.txt"), "x");
    TestRun run;
    PurgeRecentLinksIn(run.ctx, empty.Path());
    EXPECT_EQ(run.view.lines,
              (std::vector<std::string>{"    No Links found to delete.",
                                        "  Purge \"Recent LNKs\" Function Completed."}));
    EXPECT_EQ(run.state.processed, 0);
  }
  {
    TestRun run;
    PurgeRecentLinksIn(run.ctx, "");
    EXPECT_EQ(run.view.lines, std::vector<std::string>{
                                  " -Error- Recent LNKs:  not processed as folder could not be "
                                  "located"});
    EXPECT_EQ(run.state.highestLevel, 3);
  }
  {
    RecentFolder recent;
    TestRun run;
    run.state.cancel = true;
    PurgeRecentLinksIn(run.ctx, recent.folder.Path());
    EXPECT_EQ(run.view.lines.front(), "*** Cancelled by operator.");
    for (const auto& l : recent.links) EXPECT_TRUE(FileExists(l)) << l;
  }
}

TEST(RecentLinksTest, TheRunUsesTheRecentFolderFoundAtStartUp) {
  RecentFolder recent;
  const std::string saved = FFoxProfile().RecentFolder;
  FFoxProfile().RecentFolder = recent.folder.Path();
  TestRun run;
  PurgeRecentLinks(run.ctx);
  FFoxProfile().RecentFolder = saved;
  for (const auto& l : recent.links) EXPECT_FALSE(FileExists(l)) << l;
}

TEST(RecentLinksTest, ALinkTheCodePageCannotNameGoesByItsShortPathNeverANamesake) {
  RecentFolder recent;
  // "ā" has no place in the ANSI code page: the listing gives a best-fit name that reaches
  // nothing, and the short name is what reaches the link.
  const std::wstring wide = std::wstring(recent.folder.Path().begin(), recent.folder.Path().end()) +
                            L"\\\x0101 long name.lnk";
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA(recent.folder.File("* long name.lnk").c_str(), &fd);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  FindClose(find);
  ASSERT_NE(fd.cAlternateFileName[0], '\0');
  ASSERT_FALSE(FileExists(recent.folder.File(fd.cFileName))) << "the listed name reaches it";
  // A file of the same short name in the current folder is somebody else's.
  TempFolder elsewhere;
  const std::string namesake = elsewhere.File(fd.cAlternateFileName);
  WriteFileText(namesake, "not a recent link");
  {
    CurrentDirectoryScope inside(elsewhere.Path());
    ASSERT_TRUE(inside.Entered());
    TestRun run;
    PurgeRecentLinksIn(run.ctx, recent.folder.Path());
    EXPECT_FALSE(run.state.attention);
  }
  EXPECT_EQ(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(FileExists(namesake));
  DeleteFileW(wide.c_str());  // the folder's removal lists with the ANSI calls
}

// The ANSI listing names "\u0101.lnk" "a.lnk" (a best fit), which here is a folder: the purge
// lists wide, and reaches the link by its short name, never by its look-alike.
TEST(RecentLinksTest, ANameTheCodePageCannotHoldIsNeverTakenForItsLookAlike) {
  RecentFolder recent;
  const std::wstring folder(recent.folder.Path().begin(), recent.folder.Path().end());
  const std::wstring wide = folder + L"\\\x0101.lnk";
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  ASSERT_TRUE(CreateDirectoryA(recent.folder.File("a.lnk").c_str(), nullptr));
  TestRun run;
  run.state.detail = true;
  PurgeRecentLinksIn(run.ctx, recent.folder.Path());
  EXPECT_FALSE(run.state.attention) << testing::PrintToString(run.view.lines);
  EXPECT_EQ(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(DirectoryExists(recent.folder.File("a.lnk")));
  const std::string shown = "       deleted - " + UpperCase(recent.folder.Path()) + "\\?.LNK";
  EXPECT_NE(std::find(run.view.lines.begin(), run.view.lines.end(), shown), run.view.lines.end())
      << testing::PrintToString(run.view.lines);
  RemoveDirectoryA(recent.folder.File("a.lnk").c_str());
}

TEST(RecentLinksTest, JumpListsGoWithTheLinksFromWindows7On) {
  const OsFlags saved = CurrentOsFlags();
  const struct {
    bool win7, preview, files;
    std::vector<std::string> lines;  // besides the links' lines and footer
  } cases[] = {
      {true, false, true, {"    Jump Lists:  3 Files Processed."}},
      {true, true, true, {"    Jump Lists:  3 Files Processed."}},
      {true, false, false, {"    No Jump List files found to delete."}},
      {false, false, true, {}},
  };
  for (const auto& c : cases) {
    RecentFolder recent;
    std::vector<std::string> jumps;
    for (const char* sub : {"AutomaticDestinations", "CustomDestinations"})
      CreateDirectoryA(recent.folder.File(sub).c_str(), nullptr);
    if (c.files) {
      for (const char* name : {"AutomaticDestinations\\5f7b5f1e01b83767.automaticDestinations-ms",
                               "AutomaticDestinations\\9b9cdc69c1c24e2b.automaticDestinations-ms",
                               "CustomDestinations\\28c8b86deab549a1.customDestinations-ms"}) {
        jumps.push_back(recent.folder.File(name));
        WriteFileText(jumps.back(), "jump list");
      }
    }
    OsFlags os = saved;
    os.win7 = c.win7;
    SetCurrentOsFlags(os);
    TestRun run;
    run.state.preview = c.preview;
    run.state.detail = false;
    PurgeRecentLinksIn(run.ctx, recent.folder.Path());
    SetCurrentOsFlags(saved);
    std::vector<std::string> expected = c.lines;
    expected.push_back("  Purge \"Recent LNKs\" Function Completed.   3 Links Processed.");
    EXPECT_EQ(run.view.lines, expected) << c.win7 << c.preview;
    EXPECT_EQ(run.state.processed, 3 + (c.win7 ? static_cast<long long>(jumps.size()) : 0));
    for (const auto& j : jumps) EXPECT_EQ(FileExists(j), c.preview || !c.win7) << j;
    EXPECT_TRUE(DirectoryExists(recent.folder.File("AutomaticDestinations")));
  }
}

namespace {
// The trash Wine empties is $XDG_DATA_HOME/Trash: the scripts point it into the build folder.
// A test that empties it must never reach the trash of the person who runs it.
std::string BuildTrash() {
  char xdg[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("XDG_DATA_HOME", xdg, sizeof xdg)) return "";
  std::string dos = "Z:" + std::string(xdg);
  std::replace(dos.begin(), dos.end(), '/', '\\');
  const std::string build = UpperCase(ExtractFilePath(BinFolder()));  // ...\build
  if (UpperCase(dos).rfind(build + "\\", 0) != 0) return "";
  return dos + "\\Trash";
}

void PutInTrash(const std::string& trash, const std::string& name, bool folder) {
  ForceDirectories(trash + "\\files");
  ForceDirectories(trash + "\\info");
  const std::string path = trash + "\\files\\" + name;
  if (folder) {
    ForceDirectories(path + "\\inner");
    WriteFileText(path + "\\inner\\a.txt", "binned");
  } else {
    WriteFileText(path, "binned");
  }
  WriteFileText(trash + "\\info\\" + name + ".trashinfo",
                "[Trash Info]\nPath=/tmp/" + name + "\nDeletionDate=2026-01-02T03:04:05\n");
}
}  // namespace

TEST(RecycleBinTest, PreviewBypassesAndPurgeEmptiesTheBin) {
  const std::string trash = BuildTrash();
  ASSERT_FALSE(trash.empty()) << "XDG_DATA_HOME must point inside the build folder";
  ASSERT_TRUE(RecycleBinAvailable());
  PutInTrash(trash, "old-report.txt", false);
  PutInTrash(trash, "old-page.html", false);
  {
    TestRun run;
    run.state.preview = true;
    EmptyRecycleBin(run.ctx);
    EXPECT_EQ(run.view.lines,
              std::vector<std::string>{"  \"Purge Recycle Bin\" Function bypassed for Preview."});
    EXPECT_TRUE(FileExists(trash + "\\files\\old-report.txt"));
    EXPECT_EQ(run.state.processed, 0);
  }
  ASSERT_FALSE(BuildTrash().empty());
  TestRun run;
  EmptyRecycleBin(run.ctx);
  EXPECT_EQ(run.view.lines,
            std::vector<std::string>{"  Purge \"Recycle Bin\" Function Completed."});
  EXPECT_EQ(run.state.processed, 1);
  EXPECT_EQ(run.state.highestLevel, 0);
  EXPECT_FALSE(FileExists(trash + "\\files\\old-report.txt"));
  EXPECT_FALSE(FileExists(trash + "\\files\\old-page.html"));
}

namespace {
// Wine runs a Unix program given by its DOS path: the only way to make a Unix symbolic link
// from a Windows program there.
bool MakeUnixLink(const std::string& target, const std::string& link) {
  if (!FileExists("Z:\\bin\\ln")) return false;
  std::string line = "ln -s " + target + " " + link;
  STARTUPINFOA si{sizeof si};
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA("Z:\\bin\\ln", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return false;
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return true;
}

std::string UnixPath(std::string dos) {
  std::replace(dos.begin(), dos.end(), '\\', '/');
  return dos.substr(2);  // "Z:"
}
}  // namespace

TEST(RecycleBinTest, ALinkOutOfTheBinIsNeverFollowed) {
  const std::string trash = BuildTrash();
  ASSERT_FALSE(trash.empty()) << "XDG_DATA_HOME must point inside the build folder";
  // A folder outside the bin, reached from inside it by a link at the top and one deeper down.
  const std::string outside = ExtractFilePath(trash) + "\\outside-the-bin";
  ForceDirectories(outside + "\\sub");
  WriteFileText(outside + "\\precious.txt", "keep");
  WriteFileText(outside + "\\sub\\precious.txt", "keep");
  PutInTrash(trash, "binned-folder", true);
  ForceDirectories(trash + "\\files");
  if (!MakeUnixLink(UnixPath(outside), UnixPath(trash + "\\files\\linked")) ||
      !MakeUnixLink(UnixPath(outside), UnixPath(trash + "\\files\\binned-folder\\deeper")))
    GTEST_SKIP() << "no Unix links here (not Wine)";
  WriteFileText(trash + "\\info\\linked.trashinfo",
                "[Trash Info]\nPath=/tmp/linked\nDeletionDate=2026-01-02T03:04:05\n");
  PutInTrash(trash, "binned.txt", false);
  ASSERT_NE(GetFileAttributesA((trash + "\\files\\linked").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT,
            0u);
  ASSERT_FALSE(BuildTrash().empty());
  TestRun run;
  EmptyRecycleBin(run.ctx);
  EXPECT_EQ(ReadFileText(outside + "\\precious.txt"), "keep");
  EXPECT_EQ(ReadFileText(outside + "\\sub\\precious.txt"), "keep");
  // Wine cannot remove a Unix link from the Windows side, so the bin is left as it is.
  if (GetFileAttributesA((trash + "\\files\\linked").c_str()) != INVALID_FILE_ATTRIBUTES) {
    EXPECT_EQ(run.view.lines, std::vector<std::string>{
                                  " -Error- \"Purge Recycle Bin\" Function Failed to Complete."});
    EXPECT_EQ(run.state.highestLevel, 1);
    EXPECT_TRUE(FileExists(trash + "\\files\\binned.txt"));
  }
  // Clean up with Unix tools too: the links are beyond Windows' reach.
  STARTUPINFOA si{sizeof si};
  PROCESS_INFORMATION pi{};
  std::string line = "rm -f " + UnixPath(trash + "\\files\\linked") + " " +
                     UnixPath(trash + "\\files\\binned-folder\\deeper");
  if (CreateProcessA("Z:\\bin\\rm", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                     &pi)) {
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  // RemoveTree walks into links: only with both gone may the bin be cleared.
  if (GetFileAttributesA((trash + "\\files\\linked").c_str()) == INVALID_FILE_ATTRIBUTES &&
      GetFileAttributesA((trash + "\\files\\binned-folder\\deeper").c_str()) ==
          INVALID_FILE_ATTRIBUTES) {
    RemoveTree(trash + "\\files");
    RemoveTree(trash + "\\info");
    RemoveTree(outside);
  }
  // An empty bin for the tests after this one: Wine makes its folders once per process.
  ForceDirectories(trash + "\\files");
  ForceDirectories(trash + "\\info");
}

// The line says what is left: an already empty bin is emptied, a bin whose item the shell
// could not delete is not, whatever the shell answered.
TEST(RecycleBinTest, CompletedOnlyWhenNothingIsLeft) {
  const std::string trash = BuildTrash();
  ASSERT_FALSE(trash.empty()) << "XDG_DATA_HOME must point inside the build folder";
  // An empty bin, its folders kept: Wine makes them once per process.
  auto clear = [&] {
    RemoveTree(trash + "\\files");
    RemoveTree(trash + "\\info");
    ForceDirectories(trash + "\\files");
    ForceDirectories(trash + "\\info");
  };
  clear();
  const struct {
    const char* name;
    bool held;  // a binned file another program holds open
    std::vector<std::string> lines;
    int level;
  } cases[] = {
      {"already empty", false, {"  Purge \"Recycle Bin\" Function Completed."}, 0},
      {"an item held open", true,
       {" -Error- \"Purge Recycle Bin\" Function Failed to Complete."}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HANDLE open = INVALID_HANDLE_VALUE;
    if (c.held) {
      PutInTrash(trash, "in-use.doc", false);
      open = CreateFileA((trash + "\\files\\in-use.doc").c_str(), GENERIC_READ, 0, nullptr,
                         OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(open, INVALID_HANDLE_VALUE);
    }
    ASSERT_FALSE(BuildTrash().empty());
    TestRun run;
    EmptyRecycleBin(run.ctx);
    if (open != INVALID_HANDLE_VALUE) CloseHandle(open);
    EXPECT_EQ(run.view.lines, c.lines);
    EXPECT_EQ(run.state.highestLevel, c.level);
    EXPECT_EQ(run.state.attention, c.held);
  }
  clear();
}

namespace {
std::string UserSid() {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "";
  std::vector<BYTE> buf(512);
  DWORD n = 0;
  std::string text;
  char* sid = nullptr;
  if (GetTokenInformation(token, TokenUser, buf.data(), buf.size(), &n) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buf.data())->User.Sid, &sid)) {
    text = sid;
    LocalFree(sid);
  }
  CloseHandle(token);
  return text;
}

// Wine's own export: the Unix name of any DOS path (the last part need not exist).
std::string UnixNameOf(const std::string& dos) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  auto toUnix = reinterpret_cast<ToUnix>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
  if (!toUnix) return "";
  wchar_t wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, dos.c_str(), -1, wide, MAX_PATH);
  char* unix = toUnix(wide);
  if (!unix) return "";
  std::string text = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return text;
}
}  // namespace

// Another user's bin folder is theirs: the link pass never walks it, so a link there neither
// stops the empty nor is touched.
TEST(RecycleBinTest, TheLinkPassLooksOnlyAtTheUsersOwnBin) {
  const std::string trash = BuildTrash();
  ASSERT_FALSE(trash.empty()) << "XDG_DATA_HOME must point inside the build folder";
  const std::string sid = UserSid();
  ASSERT_FALSE(sid.empty());
  const std::string bin = "C:\\$Recycle.Bin";
  const bool binExisted = DirectoryExists(bin);
  const std::string mine = bin + "\\" + sid, theirs = bin + "\\S-1-5-21-1-2-3-1099";
  ASSERT_TRUE(ForceDirectories(mine));
  ASSERT_TRUE(ForceDirectories(theirs)) << theirs;
  const std::string outside = ExtractFilePath(trash) + "\\someone-elses-files";
  ForceDirectories(outside);
  WriteFileText(outside + "\\theirs.txt", "keep");
  const bool linked = MakeUnixLink(UnixPath(outside), UnixNameOf(theirs + "\\linked")) &&
                      GetFileAttributesA((theirs + "\\linked").c_str()) != INVALID_FILE_ATTRIBUTES;
  std::vector<std::string> folders = RecycleBinFolders();
  for (auto& f : folders) f = UpperCase(f);
  EXPECT_NE(std::find(folders.begin(), folders.end(), UpperCase(mine)), folders.end());
  for (const auto& f : folders)
    EXPECT_EQ(UpperCase(theirs + "\\").rfind(f + "\\", 0), std::string::npos) << f;
  if (linked) {
    TestRun run;
    EmptyRecycleBin(run.ctx);
    EXPECT_EQ(run.view.lines,
              std::vector<std::string>{"  Purge \"Recycle Bin\" Function Completed."});
    EXPECT_NE(GetFileAttributesA((theirs + "\\linked").c_str()), INVALID_FILE_ATTRIBUTES);
    STARTUPINFOA si{sizeof si};
    PROCESS_INFORMATION pi{};
    std::string line = "rm -f " + UnixNameOf(theirs + "\\linked");
    if (CreateProcessA("Z:\\bin\\rm", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &si, &pi)) {
      WaitForSingleObject(pi.hProcess, 10000);
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
    }
  }
  EXPECT_EQ(ReadFileText(outside + "\\theirs.txt"), "keep");
  if (GetFileAttributesA((theirs + "\\linked").c_str()) == INVALID_FILE_ATTRIBUTES) {
    RemoveTree(binExisted ? mine : bin);
    if (binExisted) RemoveTree(theirs);
    RemoveTree(outside);
  }
}

TEST(RecycleBinTest, TheBinFoldersIncludeTheBuildTrash) {
  const std::string trash = BuildTrash();
  ASSERT_FALSE(trash.empty());
  ForceDirectories(trash + "\\files");
  std::vector<std::string> folders = RecycleBinFolders();
  ASSERT_FALSE(folders.empty());
  EXPECT_EQ(UpperCase(folders[0]), UpperCase(trash + "\\files"));
}

namespace {
// A window that owns the clipboard text while the test runs: without an owner Wine drops it.
struct ClipboardOwner {
  FakeTopWindow window{"QvClipOwner", "clipboard owner", false};
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
}  // namespace

TEST(ClipboardTest, PurgeEmptiesTheClipboardAndPreviewLeavesIt) {
  ClipboardOwner owner("https://example.org/secret?session=1");
  ASSERT_EQ(ClipboardText(), "https://example.org/secret?session=1");
  {
    TestRun run;
    run.state.preview = true;
    ClearClipboard(run.ctx);
    EXPECT_EQ(run.view.lines, std::vector<std::string>{
                                  "  \"Clear Windows ClipBoard\" Function bypassed for Preview."});
    EXPECT_EQ(run.state.processed, 1);
    EXPECT_EQ(ClipboardText(), "https://example.org/secret?session=1");
  }
  TestRun run;
  ClearClipboard(run.ctx);
  EXPECT_EQ(run.view.lines,
            std::vector<std::string>{"  \"Clear Windows ClipBoard\" Function Completed."});
  EXPECT_EQ(run.state.processed, 1);
  EXPECT_EQ(ClipboardText(), "");
  EXPECT_EQ(CountClipboardFormats(), 0);
}

TEST(WindowsTracksRunTest, APurgeRunsTheThreeInOrderInTheirFrames) {
  const std::string trash = BuildTrash();
  ASSERT_FALSE(trash.empty()) << "XDG_DATA_HOME must point inside the build folder";
  RecentFolder recent;
  DiscoverProfile();
  const std::string saved = FFoxProfile().RecentFolder;
  FFoxProfile().RecentFolder = recent.folder.Path();
  PutInTrash(trash, "binned-page.html", false);
  ClipboardOwner owner("copied text");
  PurgeRequest request;
  request.options[OptionField::RecentLnks] = 1;
  request.options[OptionField::RecycleBin] = 1;
  request.options[OptionField::ClipBoard] = 1;
  request.options[OptionField::Report] = 1;  // Summary
  TestRun run;
  ASSERT_FALSE(BuildTrash().empty());
  ASSERT_TRUE(RunPurge(run.ctx, request));
  FFoxProfile().RecentFolder = saved;
  const std::string separator = " - - - - - - - - - - - - - - - - -";
  EXPECT_EQ(run.view.lines,
            (std::vector<std::string>{
                "Results of \"Purge\" function...", "", "Processing \"Recent LNKs\"",
                "  Purge \"Recent LNKs\" Function Completed.   3 Links Processed.", separator,
                "Processing \"Recycle Bin\"", "  Purge \"Recycle Bin\" Function Completed.",
                separator, "Clearing Windows ClipBoard",
                "  \"Clear Windows ClipBoard\" Function Completed.", separator,
                "  Purge Functions Completed."}));
  EXPECT_EQ(run.state.processed, 5);
  EXPECT_EQ(run.state.highestLevel, 0);
  for (const auto& l : recent.links) EXPECT_FALSE(FileExists(l)) << l;
  EXPECT_FALSE(FileExists(trash + "\\files\\binned-page.html"));
  EXPECT_EQ(ClipboardText(), "");
}
