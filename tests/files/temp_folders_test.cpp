// The folder purge and the "Temp Folders" function on real folders under Wine.
#include <gtest/gtest.h>

#include <algorithm>

#include "run/purge_run.h"
#include "core/settings.h"
#include "core/command_line.h"
#include "core/text_util.h"
#include "files/temp_folders.h"
#include "files/temp_protect_list.h"
#include "firefox/browser_activity.h"
#include "firefox/cookie_purge.h"
#include "firefox/firefox_profile.h"
#include "platform/files.h"
#include "platform/links.h"
#include "support/test_support.h"

namespace {
using Lines = std::vector<std::string>;

Lines Sorted(Lines v) {
  std::sort(v.begin(), v.end());
  return v;
}

void MakeFile(const std::string& path, double ageHours = 48) {
  MakeAgedFile(path, "data of " + path, ageHours);
}

// A folder whose name ends in "\TEMP", as every purged temp folder's does.
struct TempTree {
  TempFolder base;
  std::string root = base.Path() + "\\TEMP";
  std::string upper = UpperCase(root);
  TempTree() { CreateDirectoryA(root.c_str(), nullptr); }
  std::string operator[](const std::string& rel) const { return root + "\\" + rel; }
  std::string Shown(const std::string& rel) const { return upper + "\\" + UpperCase(rel); }
};

// A report view that sets the cancel flag when the first deleted line arrives.
struct CancellingView : VectorView {
  RunState* state = nullptr;
  void AddLine(const std::string& l) override {
    VectorView::AddLine(l);
    if (StartsWith(l, "       deleted - ")) state->cancel = true;
  }
};

// Runs a Unix program the way Wine starts one (no handle to wait on), then waits for the
// path to appear.
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

// Removes a symbolic link the test made, whatever the purge did, before any folder walk of
// the test's clean-up could follow it.
struct LinkGuard {
  std::string path;
  bool folder;
  ~LinkGuard() {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) RemoveLinkItself(path, folder);
  }
};
}  // namespace

struct FolderPurgeTest : testing::Test {
  ScopedArguments args{{}};
  TestRun run;
  TempTree tree;
  TempProtectList protect;
  FolderPurgeOptions options;
  void SetUp() override { options.protect = &protect; }
  long long Purge(bool preview, bool detail = true) {
    run.state.preview = preview;
    run.state.detail = detail;
    return PurgeFolderTree(run.ctx, tree.root, options);
  }
};

TEST_F(FolderPurgeTest, PurgeDeletesAllButProtectedEntriesAndReportsEachItem) {
  MakeFile(tree["a.txt"]);
  MakeFile(tree["Sub\\b.log"]);
  MakeFile(tree["Sub\\Deep\\c.txt"]);
  MakeFile(tree["Keep\\k.txt"]);
  protect.SetLines({"p=*.log", "p=" + LowerCase(tree.root) + "\\keep\\*"});

  EXPECT_EQ(Purge(true), 4);  // two files and two folders; protected entries are not counted
  EXPECT_EQ(Sorted(run.view.lines), Sorted({"     to delete - " + tree.Shown("a.txt"),
                                            "     Protected - " + tree.Shown("Sub\\b.log"),
                                            "     to delete - " + tree.Shown("Sub\\Deep\\c.txt"),
                                            "     to delete - " + tree.Shown("Sub\\Deep"),
                                            "     to delete - " + tree.Shown("Sub"),
                                            "     Protected - " + tree.Shown("Keep")}));
  EXPECT_TRUE(FileExists(tree["a.txt"]));
  EXPECT_EQ(run.state.processed, 4);

  run.view.lines.clear();
  EXPECT_EQ(Purge(false), 3);
  EXPECT_EQ(
      Sorted(run.view.lines),
      Sorted({"       deleted - " + tree.Shown("a.txt"),
              "     Protected - " + tree.Shown("Sub\\b.log"),
              "       deleted - " + tree.Shown("Sub\\Deep\\c.txt"),
              "       deleted - " + tree.Shown("Sub\\Deep"),
              // The protected file keeps its folder; protect entries make that no error.
              "Ignore Dir Err - " + tree.Shown("Sub"), "     Protected - " + tree.Shown("Keep")}));
  // A folder's contents are reported before the folder itself.
  const Lines& l = run.view.lines;
  EXPECT_LT(std::find(l.begin(), l.end(), "       deleted - " + tree.Shown("Sub\\Deep\\c.txt")),
            std::find(l.begin(), l.end(), "       deleted - " + tree.Shown("Sub\\Deep")));
  EXPECT_FALSE(FileExists(tree["a.txt"]));
  EXPECT_FALSE(DirectoryExists(tree["Sub\\Deep"]));
  EXPECT_TRUE(FileExists(tree["Sub\\b.log"]));
  EXPECT_TRUE(FileExists(tree["Keep\\k.txt"]));
  EXPECT_TRUE(DirectoryExists(tree.root));
  EXPECT_EQ(run.state.highestLevel, 0);

  // Without protect entries a folder left non-empty is " Dir Not Empty - ".
  protect.Clear();
  run.view.lines.clear();
  HANDLE open = CreateFileA(tree["Keep\\k.txt"].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  Purge(false, false);
  CloseHandle(open);
  EXPECT_EQ(Sorted(run.view.lines), Sorted({"        Locked - " + tree.Shown("Keep\\k.txt"),
                                            " Dir Not Empty - " + tree.Shown("Keep")}));
  EXPECT_TRUE(run.state.lockedFile);
  EXPECT_FALSE(DirectoryExists(tree["Sub"]));
}

TEST_F(FolderPurgeTest, IgnoreEntriesKeepTheErrorLevelAndSummaryShowsOnlyErrors) {
  MakeFile(tree["locked.tmp"]);
  MakeFile(tree["other.tmp"]);
  MakeFile(tree["plain.txt"]);
  protect.SetLines({"i=locked.tmp"});
  HANDLE locked = CreateFileA(tree["locked.tmp"].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Purge(true), 3);
  EXPECT_EQ(Sorted(run.view.lines), Sorted({" Ignore Errors - " + tree.Shown("locked.tmp"),
                                            "     to delete - " + tree.Shown("other.tmp"),
                                            "     to delete - " + tree.Shown("plain.txt")}));
  run.view.lines.clear();
  EXPECT_EQ(Purge(false, false), 3);
  CloseHandle(locked);
  EXPECT_EQ(run.view.lines, (Lines{" Ignore Locked - " + tree.Shown("locked.tmp")}));
  EXPECT_EQ(run.state.highestLevel, 0);
  EXPECT_FALSE(run.state.lockedFile);
  EXPECT_FALSE(FileExists(tree["other.tmp"]));
  EXPECT_TRUE(FileExists(tree["locked.tmp"]));
}

TEST_F(FolderPurgeTest, AgeFilterSparesYoungFilesAndTheirFoldersSilently) {
  MakeFile(tree["Young\\new.txt"], 23 + 59.0 / 60);
  MakeFile(tree["Young\\old.txt"], 24);
  MakeFile(tree["Old\\older.txt"], 100);
  options.applyAgeFilter = true;
  options.age = {true, 24};
  EXPECT_EQ(Purge(true), 2);  // folders are not listed while the filter is on
  EXPECT_EQ(Sorted(run.view.lines), Sorted({"     to delete - " + tree.Shown("Young\\old.txt"),
                                            "     to delete - " + tree.Shown("Old\\older.txt")}));
  run.view.lines.clear();
  EXPECT_EQ(Purge(false), 2);
  EXPECT_EQ(Sorted(run.view.lines), Sorted({"       deleted - " + tree.Shown("Young\\old.txt"),
                                            "       deleted - " + tree.Shown("Old\\older.txt"),
                                            "       deleted - " + tree.Shown("Old")}));
  EXPECT_TRUE(FileExists(tree["Young\\new.txt"]));
  EXPECT_EQ(run.state.highestLevel, 0);

  // The same filter off, or not applied (as the Firefox cache purge asks): everything goes.
  options.applyAgeFilter = false;
  run.view.lines.clear();
  EXPECT_EQ(Purge(false), 1);
  EXPECT_FALSE(DirectoryExists(tree["Young"]));
}

TEST_F(FolderPurgeTest, CancelStopsAfterTheCurrentFile) {
  for (int i = 0; i < 5; ++i) MakeFile(tree["f" + std::to_string(i) + ".txt"]);
  CancellingView view;
  view.state = &run.state;
  ReportContext ctx(run.state, view);
  run.state.preview = false;
  EXPECT_EQ(PurgeFolderTree(ctx, tree.root, options), 1);
  EXPECT_EQ(view.lines.size(), 1u);
  int left = 0;
  for (int i = 0; i < 5; ++i) left += FileExists(tree["f" + std::to_string(i) + ".txt"]);
  EXPECT_EQ(left, 4);
  // A cancelled run lists nothing more.
  view.lines.clear();
  EXPECT_EQ(PurgeFolderTree(ctx, tree.root, options), 0);
  EXPECT_EQ(view.lines, (Lines{"*** Cancelled by operator."}));
}

// A Unix symbolic link in the temp folder, to a folder outside the Wine prefix, is what
// Wine shows as a reparse-point folder. The purge removes the link and leaves its target
// whole; the same for a link to a single file.
TEST_F(FolderPurgeTest, LinksAreRemovedAndNeverFollowed) {
  const std::string target = "Z:\\tmp\\qvlink_target_" + std::to_string(GetCurrentProcessId());
  RemoveTree(target);
  struct TargetCleanUp {
    std::string target;
    ~TargetCleanUp() {
      RemoveTree(target);
      DeleteFileA((target + "_file.txt").c_str());
    }
  } cleanUp{target};
  MakeFile(target + "\\precious.txt");
  MakeFile(target + "\\Inner\\also.txt");
  MakeFile(target + "_file.txt");
  const std::string link = tree["Link"], fileLink = tree["filelink.txt"];
  LinkGuard guard{link, true}, fileGuard{fileLink, false};
  ASSERT_TRUE(RunUnix(L"Z:\\bin\\ln",
                      L"ln -s \"" + UnixName(target) + L"\" \"" + UnixName(link) + L"\"", link));
  ASSERT_TRUE(
      RunUnix(L"Z:\\bin\\ln",
              L"ln -s \"" + UnixName(target + "_file.txt") + L"\" \"" + UnixName(fileLink) + L"\"",
              fileLink));
  EXPECT_EQ(GetFileAttributesA(link.c_str()),
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
  EXPECT_NE(FinalPathOf(link).find("qvlink_target_"), std::string::npos) << FinalPathOf(link);
  MakeFile(tree["plain.txt"]);

  EXPECT_EQ(Purge(true), 3);
  EXPECT_EQ(Sorted(run.view.lines), Sorted({"     to delete - " + tree.Shown("plain.txt"),
                                            "     to delete - " + tree.Shown("filelink.txt"),
                                            "     to delete - " + tree.Shown("Link")}));
  run.view.lines.clear();
  Purge(false);
  EXPECT_EQ(Sorted(run.view.lines), Sorted({"       deleted - " + tree.Shown("plain.txt"),
                                            "       deleted - " + tree.Shown("filelink.txt"),
                                            "       deleted - " + tree.Shown("Link")}));
  EXPECT_EQ(GetFileAttributesA(link.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA(fileLink.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(FileExists(target + "\\precious.txt"));
  EXPECT_TRUE(FileExists(target + "\\Inner\\also.txt"));
  EXPECT_TRUE(FileExists(target + "_file.txt"));
}

namespace {
// A results list whose messages run while the walk deletes the files of the top folder: the
// first time one of them is gone, the folder "Sub" is moved away and a link to `target` put in
// its place, after the walk listed it as a plain folder and before it enters it.
struct SwappingView : VectorView {
  const TempTree* tree = nullptr;
  std::string target;
  bool swapped = false;
  void PumpMessages() override {
    VectorView::PumpMessages();
    if (swapped || (FileExists((*tree)["a.txt"]) && FileExists((*tree)["b.txt"]))) return;
    swapped = MoveFileA((*tree)["Sub"].c_str(), (*tree)["Sub.moved"].c_str()) &&
              RunUnix(L"Z:\\bin\\ln",
                      L"ln -s \"" + UnixName(target) + L"\" \"" + UnixName((*tree)["Sub"]) + L"\"",
                      (*tree)["Sub"]);
  }
};
}  // namespace

// A folder swapped for a link between the listing and the walk entering it is never walked:
// the walk checks the folder it opened. Under Wine the link is a Unix symbolic link, which Wine
// opens as its target even when asked for the link itself, so this shows the check of the path
// the opened handle resolves to; the reparse point a Windows junction shows on that handle is
// beyond Wine.
TEST_F(FolderPurgeTest, AFolderSwappedForALinkAfterTheListingIsNeverWalked) {
  const std::string target = "Z:\\tmp\\qvswap_target_" + std::to_string(GetCurrentProcessId());
  RemoveTree(target);
  struct TargetCleanUp {
    std::string target;
    ~TargetCleanUp() { RemoveTree(target); }
  } cleanUp{target};
  MakeFile(target + "\\precious.txt");
  MakeFile(tree["a.txt"]);
  MakeFile(tree["b.txt"]);
  MakeFile(tree["Sub\\inner.txt"]);
  LinkGuard guard{tree["Sub"], true};
  SwappingView view;
  view.tree = &tree;
  view.target = target;
  // A shred lets messages run while it overwrites each file.
  run.state.secureErase = true;
  run.state.shred.thoroughness = "0";
  ReportContext ctx(run.state, view);
  PurgeFolderTree(ctx, tree.root, options);

  ASSERT_TRUE(view.swapped);
  EXPECT_EQ(ReadFileText(target + "\\precious.txt"), "data of " + target + "\\precious.txt");
  EXPECT_EQ(Sorted(view.lines), Sorted({"       deleted - " + tree.Shown("a.txt"),
                                        "       deleted - " + tree.Shown("b.txt"),
                                        "       deleted - " + tree.Shown("Sub")}))
      << "the link goes itself";
  EXPECT_EQ(GetFileAttributesA(tree["Sub"].c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(FileExists(tree["Sub.moved\\inner.txt"])) << "not listed: not touched";
}

// The "Temp Folders" function over the candidates of the environment and the settings.
struct TempFoldersTest : testing::Test {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  TestRun run;
  TempTree tree;
  std::string savedTmp = Env("tmp"), savedTemp = Env("temp");
  static std::string Env(const char* name) {
    char buf[MAX_PATH] = {};
    GetEnvironmentVariableA(name, buf, sizeof buf);
    return buf;
  }
  ~TempFoldersTest() override {
    SetEnvironmentVariableA("tmp", savedTmp.c_str());
    SetEnvironmentVariableA("temp", savedTemp.c_str());
    DiscoverTempFolders();
  }
  void Settings(const std::string& tempFolders) {
    WriteFileText(data.SettingsPath(), "[TempFolders]\r\n" + tempFolders);
  }
};

TEST_F(TempFoldersTest, SameFolderTwiceIsPurgedOnceWithItsSummary) {
  SetEnvironmentVariableA("tmp", tree.root.c_str());
  SetEnvironmentVariableA("temp", (tree.root + "\\").c_str());
  DiscoverTempFolders();
  const auto& c = TempFolderCandidates();
  EXPECT_EQ(c[0].path, tree.upper);
  EXPECT_EQ(c[0].status, kTempValid);
  EXPECT_EQ(c[2].path, tree.upper);
  Settings("TmpDir=1\r\nWinDir=1\r\nAgeTemp=1\r\nAgeHours=24\r\n");
  MakeFile(tree["old.txt"], 30);
  MakeFile(tree["Sub\\old.txt"], 30);
  MakeFile(tree["new.txt"], 1);
  run.state.tempFolders = ReadTempFolders(SettingsFile());
  PurgeTempFolders(run.ctx);
  EXPECT_EQ(run.view.lines.front(), "     Ignore files modified in the last 24 Hours");
  EXPECT_EQ(Sorted(Lines(run.view.lines.begin() + 1, run.view.lines.end() - 1)),
            Sorted({"       deleted - " + tree.Shown("old.txt"),
                    "       deleted - " + tree.Shown("Sub\\old.txt"),
                    "       deleted - " + tree.Shown("Sub")}));
  EXPECT_EQ(run.view.lines.back(),
            "  Purge \"Temp Folders\" Function Completed.  2 Files/Directories Processed.");
  EXPECT_TRUE(FileExists(tree["new.txt"]));

  run.view.lines.clear();
  run.state.tempFolders = ReadTempFolders(SettingsFile());
  PurgeTempFolders(run.ctx);
  EXPECT_EQ(run.view.lines, (Lines{"     Ignore files modified in the last 24 Hours",
                                   "    No Files/Directories found to delete.",
                                   "  Purge \"Temp Folders\" Function Completed."}));
  Settings("TmpDir=1\r\nAgeTemp=0\r\n");
  run.view.lines.clear();
  run.state.tempFolders = ReadTempFolders(SettingsFile());
  PurgeTempFolders(run.ctx);
  EXPECT_EQ(run.view.lines, (Lines{"       deleted - " + tree.Shown("new.txt"),
                                   "  Purge \"Temp Folders\" Function Completed.  1 "
                                   "File/Directory Processed."}));
  EXPECT_EQ(run.state.highestLevel, 0);
}

TEST_F(TempFoldersTest, AWindowsFolderIsUnsafeAndNothingSelectableIsAnError) {
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, sizeof windows);
  SetEnvironmentVariableA("tmp", windows);
  SetEnvironmentVariableA("temp", windows);
  DiscoverTempFolders();
  const auto& c = TempFolderCandidates();
  EXPECT_EQ(c[0].status, kTempUnsafe);
  EXPECT_EQ(c[2].status, kTempUnsafe);
  EXPECT_EQ(TempFolderLabels()[2].text,
            UpperCase(windows) + "  [... not safe to use - Folder name not \"temp\" ...]");
  EXPECT_EQ(FallbackTempFolder().status, kTempNotFound);
  Settings("TmpDir=1\r\nWinDir=1\r\nAgeTemp=0\r\n");
  run.state.tempFolders = ReadTempFolders(SettingsFile());
  PurgeTempFolders(run.ctx);
  EXPECT_EQ(run.view.lines,
            (Lines{" -Error- Temp Folder: not processed - folder could not be located",
                   "         Please verify your Temp Folders configuration:",
                   "         Click 'Configue' and select the 'Temp Folders' Tab.",
                   "         or remove checkmark from 'Temp Folders' option."}));
  EXPECT_EQ(run.state.highestLevel, 3);
  EXPECT_TRUE(run.state.attention);

  // ANYTEMP waives the name rule (only the discovery is run here).
  ScopedArguments any({"ANYTEMP"});
  DiscoverTempFolders();
  EXPECT_EQ(TempFolderCandidates()[2].status, kTempValid);
  EXPECT_EQ(TempFolderLabels()[2].text, UpperCase(windows));
}

// The purge run loads quorvane.pit from the data folder before the functions run.
TEST_F(TempFoldersTest, TheRunAppliesTheProtectFile) {
  SetEnvironmentVariableA("tmp", tree.root.c_str());
  DiscoverTempFolders();
  Settings("TmpDir=1\r\nAgeTemp=0\r\n");
  WriteFileText(data.Path() + "\\quorvane.pit", "p=*.keep\r\n");
  MakeFile(tree["a.keep"]);
  MakeFile(tree["b.txt"]);
  PurgeRequest request;
  request.options[OptionField::Temp] = 1;
  ASSERT_TRUE(RunPurge(run.ctx, request));
  const Lines& l = run.view.lines;
  EXPECT_NE(std::find(l.begin(), l.end(), "     Protected - " + tree.Shown("a.keep")), l.end());
  EXPECT_NE(std::find(l.begin(), l.end(), "       deleted - " + tree.Shown("b.txt")), l.end());
  EXPECT_TRUE(FileExists(tree["a.keep"]));
  EXPECT_FALSE(FileExists(tree["b.txt"]));
  EXPECT_EQ(ReadFileText(data.Path() + "\\quorvane.pit"), "p=*.keep\r\n");
  EXPECT_EQ(TempProtectEntries().Count(), 0);  // released at the end of the run
}

// quorvane.pit is there but cannot be read (another program holds it open with no sharing, a
// folder has its name): the folder purges that consult it skip with one line each instead of
// deleting what it protects.
TEST_F(TempFoldersTest, AnUnreadableProtectFileStopsTheFolderPurges) {
  const std::string pit = data.Path() + "\\quorvane.pit";
  SetEnvironmentVariableA("tmp", tree.root.c_str());
  DiscoverTempFolders();
  Settings("TmpDir=1\r\nAgeTemp=0\r\n");
  const TFFoxProfile saved = FFoxProfile();
  TFFoxProfile& p = FFoxProfile();
  p = TFFoxProfile();
  p.ProfileCacheFolder = p.Cache2Folder = kFolderNotFound;
  p.LocalCacheFolder = tree.base.File("Cache");
  ForceDirectories(p.LocalCacheFolder);
  SetFirefoxActive(false);
  struct Purge {
    const char* name;
    void (*run)(ReportContext&);
    std::string folder;
  };
  const Purge purges[] = {{"Temp Folders", PurgeTempFolders, tree.root},
                          {"FireFox Cache", PurgeFirefoxCache, p.LocalCacheFolder}};
  for (const char* kind : {"held open", "a folder"}) {
    for (const Purge& purge : purges) {
      SCOPED_TRACE(std::string(kind) + ", " + purge.name);
      MakeFile(purge.folder + "\\old.keep");
      MakeFile(purge.folder + "\\other.txt");
      HANDLE held = INVALID_HANDLE_VALUE;
      if (kind == std::string("held open")) {
        WriteFileText(pit, "p=*.keep\r\n");
        held = CreateFileA(pit.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
      } else {
        ASSERT_TRUE(CreateDirectoryA(pit.c_str(), nullptr));
      }
      TestRun run;
      LoadTempProtectEntries();
      purge.run(run.ctx);
      SaveTempProtectEntries();
      if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
      EXPECT_EQ(run.view.lines, Lines{"*** Error - Bypassed " + std::string(purge.name) +
                                      " processing as existing Protect file could not be "
                                      "opened - quorvane.pit"});
      EXPECT_EQ(run.state.highestLevel, 7);
      EXPECT_TRUE(run.state.attention);
      EXPECT_TRUE(FileExists(purge.folder + "\\old.keep"));
      EXPECT_TRUE(FileExists(purge.folder + "\\other.txt"));
      if (held != INVALID_HANDLE_VALUE) {
        EXPECT_EQ(ReadFileText(pit), "p=*.keep\r\n");
        DeleteFileA(pit.c_str());
      } else {
        EXPECT_TRUE(DirectoryExists(pit));
        RemoveDirectoryA(pit.c_str());
      }
    }
  }
  FFoxProfile() = saved;
}
