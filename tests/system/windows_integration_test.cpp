// The Run-key entry, the desktop shortcuts read back through the shell-link object, and the
// themes manifest, each on its own and through the main window's Configure pages.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include "app/main_window.h"
#include "core/folders.h"
#include "core/text_util.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "platform/window.h"
#include "resource.h"
#include "support/child_process.h"
#include "support/registry_stash.h"
#include "support/test_support.h"
#include "system/executables.h"
#include "system/run_key.h"
#include "system/shortcuts.h"
#include "system/themes_manifest.h"

namespace {
void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

std::optional<std::string> RunValue() {
  RegKey key;
  if (key.OpenRead(HKEY_CURRENT_USER, kRunKeyPath) != ERROR_SUCCESS) return std::nullopt;
  return key.ReadString(kRunValueName);
}

void WriteRunValue(const std::string& data) {
  RegKey key;
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kRunKeyPath), ERROR_SUCCESS);
  ASSERT_EQ(key.WriteString(kRunValueName, data), ERROR_SUCCESS);
}

// The executables noted at start-up, put back when a test ends.
struct ScopedExecutables {
  std::string mainExe = ShortcutExecutable(), themedExe = ThemedExecutable();
  ScopedExecutables(const std::string& folder) {
    NoteShortcutExecutables(folder + "\\Quorvane.exe", folder + "\\Quorvane.exe");
  }
  ~ScopedExecutables() { NoteShortcutExecutables(mainExe, themedExe); }
};
}  // namespace

TEST(RunKeyTest, SetIsRecognisedAndRemoveTakesItAway) {
  RegistryStash run(HKEY_CURRENT_USER, kRunKeyPath);
  MessageBoxRecorder boxes;
  EXPECT_FALSE(IsRunKeySet());
  ASSERT_TRUE(SetRunKey());
  const std::string data = RunValue().value_or("");
  // The running program's short path, quoted and upper-cased, then BOOT.
  char shortPath[MAX_PATH];
  ASSERT_GT(GetShortPathNameA(ModuleFileName().c_str(), shortPath, MAX_PATH), 0u);
  EXPECT_EQ(data, "\"" + UpperCase(shortPath) + "\" BOOT");
  EXPECT_EQ(data.substr(data.size() - 9), "EXE\" BOOT");
  EXPECT_TRUE(IsRunKeySet());
  ASSERT_TRUE(RemoveRunKey());
  EXPECT_FALSE(RunValue().has_value());
  EXPECT_FALSE(IsRunKeySet());
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST(RunKeyTest, OnlyTheTwoUpperCaseEndingsAreRecognised) {
  RegistryStash run(HKEY_CURRENT_USER, kRunKeyPath);
  const struct {
    const char* data;
    bool recognised;
  } cases[] = {{"C:\\PROGRA~1\\QUORVANE\\QUORVANE.EXE BOOT", true},
               {"\"C:\\PROGRA~1\\QUORVANE\\QUORVANE.EXE\" BOOT", true},
               {"\"c:\\progra~1\\quorvane\\quorvane.exe\" boot", false},
               {"C:\\PROGRA~1\\QUORVANE\\QUORVANE.EXE", false},
               {"BOOT", false}};
  for (const auto& c : cases) {
    WriteRunValue(c.data);
    EXPECT_EQ(IsRunKeySet(), c.recognised) << c.data;
  }
  // A value of another type is not the program's entry.
  RegKey key;
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kRunKeyPath), ERROR_SUCCESS);
  DWORD one = 1;
  RegSetValueExA(key, kRunValueName, 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), sizeof one);
  EXPECT_FALSE(IsRunKeySet());
}

namespace {
struct LinkContents {
  std::string path, arguments, workingDirectory, iconFile;
  int iconIndex = -1, showCommand = 0;
};

// Reads a shortcut back the way the shell does.
LinkContents ReadLink(const std::string& file) {
  LinkContents c;
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
      char buf[MAX_PATH * 2] = {};
      link->GetPath(buf, sizeof buf, nullptr, SLGP_RAWPATH);
      c.path = buf;
      buf[0] = 0;
      link->GetArguments(buf, sizeof buf);
      c.arguments = buf;
      buf[0] = 0;
      link->GetWorkingDirectory(buf, sizeof buf);
      c.workingDirectory = buf;
      buf[0] = 0;
      link->GetIconLocation(buf, sizeof buf, &c.iconIndex);
      c.iconFile = buf;
      link->GetShowCmd(&c.showCommand);
    }
  }
  if (persist) persist->Release();
  if (link) link->Release();
  CoUninitialize();
  return c;
}

struct ShortcutButtonsTest : testing::Test {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  MessageBoxRecorder boxes;
  ScopedExecutables exes{BinFolder()};
  TFFoxForm form;
  std::string desktop = ShortcutLocationFolder(kDesktop);
  const char* names[3] = {"Quorvane", "Quorvane Now", "Quorvane & Shutdown"};
  void SetUp() override {
    WriteFileText(data.SettingsPath(), "[ShowOption]\r\nQuickStartOpt=N\r\n");
    ASSERT_FALSE(desktop.empty());
    // The prefix's desktop is a folder of its own, not a link to the Linux home.
    ASSERT_EQ(GetFileAttributesA(desktop.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    for (const char* n : names) DeleteFileA(Link(n).c_str());
    // A delete of a file someone still has open completes only when that handle closes (the
    // shell's link objects of the test before may close theirs late).
    for (int wait = 0; wait < 60 && AnyLinkLeft(); ++wait) PumpFor(50);
    ASSERT_FALSE(AnyLinkLeft());
    ASSERT_TRUE(form.Create());
  }
  void TearDown() override {
    for (const char* n : names) DeleteFileA(Link(n).c_str());
    if (IsWindow(form.Handle())) DestroyWindow(form.Handle());
    PumpWaitingMessages();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
  std::string Link(const std::string& name) const { return desktop + "\\" + name + ".lnk"; }
  bool AnyLinkLeft() const {
    for (const char* n : names)
      if (FileExists(Link(n))) return true;
    return false;
  }
  HWND Button(int id) { return GetDlgItem(form.ConfigPageHandle(TFFoxForm::kGeneralPage), id); }
};
}  // namespace

TEST_F(ShortcutButtonsTest, EachButtonWritesItsShortcutToTheDesktop) {
  const struct {
    int id;
    const char *caption, *name, *arguments, *icon;
  } buttons[] = {
      {IDC_SHORTCUT_MAIN, "Quorvane       ", "Quorvane", "", "VaskQuor1.ico"},
      {IDC_SHORTCUT_PNOW, "Quorvane Now", "Quorvane Now", "auto", "VaskQuor2.ico"},
      {IDC_SHORTCUT_SHUT, "Quorvane && Shutdown", "Quorvane & Shutdown", "SHUT", "VaskQuor3.ico"}};
  EXPECT_EQ(
      WindowText(GetDlgItem(form.ConfigPageHandle(TFFoxForm::kGeneralPage), IDC_SHORTCUT_LABEL)),
      "Generate Desktop Shortcuts:");
  for (const auto& b : buttons) {
    ASSERT_TRUE(IsWindowEnabled(Button(b.id))) << b.name;
    EXPECT_EQ(WindowText(Button(b.id)), b.caption);
    Click(Button(b.id));
    ASSERT_TRUE(FileExists(Link(b.name))) << b.name;
    LinkContents c = ReadLink(Link(b.name));
    EXPECT_EQ(UpperCase(c.path), UpperCase(BinFolder() + "\\Quorvane.exe")) << b.name;
    EXPECT_EQ(c.arguments, b.arguments) << b.name;
    EXPECT_EQ(UpperCase(c.workingDirectory), UpperCase(BinFolder())) << b.name;
    EXPECT_EQ(UpperCase(c.iconFile), UpperCase(BinFolder() + "\\" + b.icon)) << b.name;
    EXPECT_EQ(c.iconIndex, 0);
    EXPECT_EQ(c.showCommand, SW_SHOWNORMAL);
  }
  EXPECT_TRUE(boxes.boxes.empty());
  // The icons the shortcuts name lie in the program folder.
  for (const auto& b : buttons) EXPECT_TRUE(FileExists(BinFolder() + "\\" + b.icon)) << b.icon;
}

TEST_F(ShortcutButtonsTest, WithoutTheDesktopValueNothingIsWritten) {
  // Wine's shell-link object writes the "Shell Folders" values again the first time a process
  // sets a link's path: let that happen before the value is taken away, whichever test ran first.
  {
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkA, reinterpret_cast<void**>(&link))));
    link->SetPath((BinFolder() + "\\Quorvane.exe").c_str());
    link->Release();
    CoUninitialize();
  }
  {
    RegistryStash folders(HKEY_CURRENT_USER,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    EXPECT_EQ(ShortcutLocationFolder(kDesktop), "");
    Click(Button(IDC_SHORTCUT_PNOW));
  }
  EXPECT_FALSE(FileExists(Link("Quorvane Now")));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST(ShortcutTest, OtherLocationsComeFromTheirOwnRegistryValues) {
  TempFolder target, quickLaunch, sendTo;
  RegistryStash groups(HKEY_CURRENT_USER, "Software\\MicroSoft\\Windows\\CurrentVersion\\GrpConv");
  RegKey key;
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER,
                       "Software\\MicroSoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups"),
            ERROR_SUCCESS);
  key.WriteString("Quick Launch", quickLaunch.Path());
  WriteFileText(target.File("tool.exe"), "MZ");
  ShortcutDefinition shortcut{target.File("tool.exe"), "", "tool.ico", "Tool", kQuickLaunch};
  ASSERT_TRUE(CreateShortcut(shortcut));
  LinkContents c = ReadLink(quickLaunch.File("Tool.lnk"));
  EXPECT_EQ(UpperCase(c.path), UpperCase(target.File("tool.exe")));
  EXPECT_EQ(c.arguments, "");
  EXPECT_EQ(UpperCase(c.iconFile), UpperCase(target.File("tool.ico")));
  // SendTo is one of the current user's Shell Folders values.
  RegistryStash folders(HKEY_CURRENT_USER,
                        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER,
                       "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"),
            ERROR_SUCCESS);
  key.WriteString("SendTo", sendTo.Path());
  shortcut.location = kSendTo;
  shortcut.arguments = "/send";
  ASSERT_TRUE(CreateShortcut(shortcut));
  EXPECT_EQ(ReadLink(sendTo.File("Tool.lnk")).arguments, "/send");
}

namespace {
struct ThemesTest : testing::Test {
  TempFolder folder;
  ScopedExecutables exes{folder.Path()};
  FakeTopWindow owner{"QvThemesOwner", "themes", false};
  HWND box = CreateWindowExA(0, "BUTTON", "Support XP Themes?", WS_CHILD | BS_AUTOCHECKBOX, 0, 0,
                             120, 20, owner.Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  std::string active = folder.File("Quorvane.exe.ManifesT");
  std::string parked = folder.File("Quorvane.exe.ManifesX");
  bool Shown() const { return GetWindowLongA(box, GWL_STYLE) & WS_VISIBLE; }
  bool Checked() const { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void Check(bool on) { SendMessageA(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
};
}  // namespace

TEST_F(ThemesTest, WithoutAManifestTheBoxIsHiddenAndApplyTouchesNothing) {
  EXPECT_EQ(ReadThemesState(), kThemesNotAvailable);
  ShowThemesState(box);
  EXPECT_FALSE(Shown());
  EXPECT_FALSE(IsWindowEnabled(box));
  EXPECT_FALSE(Checked());
  Check(true);
  ApplyThemesState(box);
  EXPECT_FALSE(FileExists(active));
  EXPECT_FALSE(FileExists(parked));
}

TEST_F(ThemesTest, ApplyMovesTheManifestBetweenItsTwoNames) {
  WriteFileText(active, "<assembly/>");
  EXPECT_EQ(ReadThemesState(), kThemesOn);
  ShowThemesState(box);
  EXPECT_TRUE(Shown());
  EXPECT_TRUE(IsWindowEnabled(box));
  EXPECT_TRUE(Checked());
  Check(false);
  ApplyThemesState(box);
  EXPECT_FALSE(FileExists(active));
  EXPECT_EQ(ReadFileText(parked), "<assembly/>");
  EXPECT_EQ(CurrentThemesState(), kThemesOff);
  Check(true);
  ApplyThemesState(box);
  EXPECT_EQ(ReadFileText(active), "<assembly/>");
  EXPECT_FALSE(FileExists(parked));
  EXPECT_EQ(ReadThemesState(), kThemesOn);
  // Both names present: the active one wins, and parking replaces the stale copy.
  WriteFileText(parked, "stale");
  EXPECT_EQ(ReadThemesState(), kThemesOn);
  Check(false);
  ApplyThemesState(box);
  EXPECT_EQ(ReadFileText(parked), "<assembly/>");
  EXPECT_FALSE(FileExists(active));
}

TEST_F(ThemesTest, AFailedMoveKeepsTheCurrentState) {
  WriteFileText(active, "<assembly/>");
  ReadThemesState();
  ShowThemesState(box);
  HANDLE held = CreateFileA(active.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Check(false);
  ApplyThemesState(box);
  CloseHandle(held);
  EXPECT_EQ(CurrentThemesState(), kThemesOn);
  EXPECT_TRUE(FileExists(active));
}

namespace {
// Which common controls a real start of the program got: 6 when it loaded the comctl32.dll of
// the side-by-side Common-Controls 6 assembly (what a manifest asks for), 5 when it loaded only
// the system's; 0 when it did not start. Read from the modules of the running program; the
// files' own version resources will not do, as Wine gives both builds the same one.
int CommonControlsOfAStart() {
  const std::string name = "QVTHEMES" + std::to_string(GetCurrentProcessId());
  const std::string data = GetSpecialFolder(CSIDL_APPDATA).text + "\\" + name;
  ForceDirectories(data);
  WriteFileText(data + "\\Quorvane.ini", "[ShowOption]\r\nQuickStartOpt=N\r\n");
  int version = 0;
  {
    ChildProcess q(QuorvanePath(), "data=" + name + " MULT");
    if (HWND main = q.WaitForWindow("TFFoxForm", 30000)) {
      HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, q.Id());
      MODULEENTRY32 m{};
      m.dwSize = sizeof m;
      for (BOOL ok = Module32First(snapshot, &m); ok; ok = Module32Next(snapshot, &m)) {
        if (lstrcmpiA(m.szModule, "comctl32.dll") != 0) continue;
        const std::string path = LowerCase(m.szExePath);
        const bool sixth =
            path.find("\\winsxs\\x86_microsoft.windows.common-controls_") != std::string::npos &&
            path.find("_6.") != std::string::npos;
        version = std::max(version, sixth ? 6 : 5);
      }
      CloseHandle(snapshot);
      PostMessageA(main, WM_CLOSE, 0, 0);
      q.WaitForExit(30000);
    }
  }
  RemoveTree(data);
  return version;
}
}  // namespace

// The switch on the program itself: its manifest beside the built program, under the names
// noted for the running file, and the common controls of the next real start.
TEST_F(ThemesTest, TheSwitchChangesTheCommonControlsOfTheNextStart) {
  ScopedExecutables real{ExtractFilePath(QuorvanePath())};
  struct CleanUp {
    ~CleanUp() {
      DeleteFileA(ActiveManifestFile().c_str());
      DeleteFileA(ParkedManifestFile().c_str());
    }
  } cleanUp;
  WriteFileText(ParkedManifestFile(),
                "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">"
                "<assemblyIdentity type=\"win32\" name=\"Quorvane.Quorvane\" version=\"1.0.0.0\" "
                "processorArchitecture=\"X86\"/><dependency><dependentAssembly><assemblyIdentity "
                "type=\"win32\" "
                "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
                "processorArchitecture=\"X86\" publicKeyToken=\"6595b64144ccf1df\" "
                "language=\"*\"/></dependentAssembly></dependency></assembly>\r\n");
  ASSERT_EQ(ReadThemesState(), kThemesOff);
  EXPECT_EQ(CommonControlsOfAStart(), 5);
  ShowThemesState(box);
  Check(true);
  ApplyThemesState(box);
  ASSERT_EQ(CurrentThemesState(), kThemesOn);
  EXPECT_EQ(CommonControlsOfAStart(), 6);
  Check(false);
  ApplyThemesState(box);
  EXPECT_EQ(CommonControlsOfAStart(), 5);
}

namespace {
struct ConfigurePagesTest : testing::Test {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  MessageBoxRecorder boxes;
  TempFolder program;
  ScopedExecutables exes{program.Path()};
  RegistryStash run{HKEY_CURRENT_USER, kRunKeyPath};
  std::unique_ptr<TFFoxForm> form;
  void Open() {
    WriteFileText(data.SettingsPath(), "[ShowOption]\r\nQuickStartOpt=N\r\n");
    form = std::make_unique<TFFoxForm>();
    ASSERT_TRUE(form->Create());
  }
  void TearDown() override {
    if (form && IsWindow(form->Handle())) DestroyWindow(form->Handle());
    PumpWaitingMessages();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
  HWND Page(int page) { return form->ConfigPageHandle(static_cast<TFFoxForm::ConfigPage>(page)); }
};
}  // namespace

TEST_F(ConfigurePagesTest, StartupPageSetsAndRemovesTheRunEntry) {
  WriteRunValue("\"C:\\QUORVANE\\QUORVANE.EXE\" BOOT");
  Open();
  HWND startup = Page(TFFoxForm::kStartupPage);
  EXPECT_EQ(IsDlgButtonChecked(startup, IDC_STARTUP_CHECK), BST_CHECKED);  // read at start-up
  CheckDlgButton(startup, IDC_STARTUP_CHECK, BST_UNCHECKED);
  Click(GetDlgItem(startup, IDC_APPLY));
  EXPECT_FALSE(RunValue().has_value());
  CheckDlgButton(startup, IDC_STARTUP_CHECK, BST_CHECKED);
  Click(GetDlgItem(startup, IDC_APPLY));
  EXPECT_EQ(RunValue().value_or(""), RunKeyData(ModuleFileName()));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ConfigurePagesTest, GeneralPageShowsAndAppliesTheThemesChoice) {
  WriteFileText(program.File("Quorvane.exe.ManifesX"), "<assembly/>");
  Open();
  HWND general = Page(TFFoxForm::kGeneralPage);
  HWND themes = GetDlgItem(general, IDC_THEMES_CHECK);
  EXPECT_TRUE(GetWindowLongA(themes, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(IsDlgButtonChecked(general, IDC_THEMES_CHECK), BST_UNCHECKED);
  Click(themes);  // ticking offers Apply
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(general, IDC_APPLY)));
  Click(GetDlgItem(general, IDC_APPLY));
  EXPECT_TRUE(FileExists(program.File("Quorvane.exe.ManifesT")));
  EXPECT_FALSE(FileExists(program.File("Quorvane.exe.ManifesX")));
}

TEST_F(ConfigurePagesTest, WithoutManifestsTheThemesBoxIsHidden) {
  Open();
  HWND themes = GetDlgItem(Page(TFFoxForm::kGeneralPage), IDC_THEMES_CHECK);
  EXPECT_FALSE(GetWindowLongA(themes, GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(IsWindowEnabled(themes));
}

namespace {
BOOL CALLBACK MatchHelpWindow(HWND w, LPARAM p) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != GetCurrentProcessId() || WindowClass(w) != "HH Parent" || !IsWindowVisible(w))
    return TRUE;
  *reinterpret_cast<HWND*>(p) = w;
  return FALSE;
}
HWND FindHelpWindow() {
  HWND found = nullptr;
  EnumWindows(MatchHelpWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

BOOL CALLBACK CollectTreeView(HWND w, LPARAM p) {
  if (WindowClass(w) != WC_TREEVIEWA) return TRUE;
  *reinterpret_cast<HWND*>(p) = w;
  return FALSE;
}

std::string TreeItemText(HWND tree, HTREEITEM item) {
  char text[256] = {};
  TVITEMA tv{TVIF_TEXT};
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = sizeof text;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
  return text;
}
}  // namespace

TEST_F(ConfigurePagesTest, HelpFileContentsOpensTheCompiledHelpAtItsContents) {
  ASSERT_TRUE(FileExists(BinFolder() + "\\Quorvane.chm"));  // built beside the program
  Open();
  HMENU menu = GetMenu(form->Handle());
  EXPECT_FALSE(GetMenuState(menu, IDM_HELP_CONTENTS, MF_BYCOMMAND) & MF_GRAYED);
  SendMessageA(form->Handle(), WM_COMMAND, IDM_HELP_CONTENTS, 0);
  HWND help = nullptr;
  for (int i = 0; i < 100 && !help; ++i) {
    PumpFor(50);
    help = FindHelpWindow();
  }
  ASSERT_TRUE(help);
  EXPECT_EQ(WindowText(help), "Quorvane Help");
  HWND tree = nullptr;
  EnumChildWindows(help, CollectTreeView, reinterpret_cast<LPARAM>(&tree));
  ASSERT_TRUE(tree);
  std::vector<std::string> topics;
  for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item))
    topics.push_back(TreeItemText(tree, item));
  EXPECT_EQ(topics, (std::vector<std::string>{"Quorvane Help", "Getting Started Information",
                                              "Purge Options", "Configure pages", "Cookies to keep",
                                              "Plugins", "Community Cleaners", "Command line and run modes",
                                              "Unattended runs", "TroubleShooting"}));
  // The viewer closes with the main window.
  DestroyWindow(form->Handle());
  PumpFor(200);
  EXPECT_FALSE(FindHelpWindow());
}

TEST_F(ConfigurePagesTest, WithoutTheHelpFileTheMenuItemIsGrey) {
  MutableFolders().programFolder = program.Path();
  Open();
  EXPECT_TRUE(GetMenuState(GetMenu(form->Handle()), IDM_HELP_CONTENTS, MF_BYCOMMAND) & MF_GRAYED);
}
