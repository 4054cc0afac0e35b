// The real program, started as a process, as a user or the installer starts it.
#include <gtest/gtest.h>

#include "core/text_util.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "platform/window.h"
#include "resource.h"
#include "support/child_process.h"
#include "support/registry_stash.h"
#include "support/test_support.h"

namespace {
std::string DataFolder(const std::string& name) {
  return GetSpecialFolder(kCsidlAppData).text + "\\" + name;
}

struct FoundButton {
  std::string text;
  HWND button = nullptr;
};
BOOL CALLBACK FindButton(HWND child, LPARAM param) {
  auto* f = reinterpret_cast<FoundButton*>(param);
  if (WindowClass(child) != "Button" || WindowText(child) != f->text || !IsWindowVisible(child))
    return TRUE;
  f->button = child;
  return FALSE;
}
HWND VisibleButton(HWND window, const std::string& text) {
  FoundButton f{text};
  EnumChildWindows(window, FindButton, reinterpret_cast<LPARAM>(&f));
  return f.button;
}

// Each test starts with a data folder of its own, removed afterwards.
struct StartupTest : testing::Test {
  std::string name = "QVSTART" + std::to_string(testing::UnitTest::GetInstance()->random_seed()) +
                     testing::UnitTest::GetInstance()->current_test_info()->name();
  std::string data;
  void SetUp() override {
    name = UpperCase(name);
    data = DataFolder(name);
    RemoveTree(data);
  }
  void TearDown() override { RemoveTree(data); }
  std::string Args(const std::string& extra = "") { return "data=" + name + " " + extra; }
  void WriteSettings(const std::string& text) {
    ForceDirectories(data);
    WriteFileText(data + "\\Quorvane.ini", "[ShowOption]\r\nQuickStartOpt=N\r\n" + text);
  }
};
}  // namespace

TEST_F(StartupTest, FirstStartCreatesTheSettingsFileAndSaveOptionsWritesIt) {
  ChildProcess q(QuorvanePath(), Args());
  HWND main = q.WaitForWindow("TFFoxForm", 20000);
  ASSERT_TRUE(main);
  EXPECT_TRUE(FileExists(data + "\\Quorvane.ini"));
  EXPECT_TRUE(FileExists(data + "\\Quorvane.Dat"));
  EXPECT_TRUE(FileExists(data + "\\IEcookie.dat"));
  HWND save = VisibleButton(main, "Save Options");
  ASSERT_TRUE(save);
  SendMessageA(save, BM_CLICK, 0, 0);
  const std::string text = ReadFileText(data + "\\Quorvane.ini");
  size_t section = text.find("[StndOptions]");
  ASSERT_NE(section, std::string::npos) << text;
  EXPECT_NE(text.find("CacheOption=0", section), std::string::npos);
  EXPECT_NE(text.find("IEDOMstoreOption=0", section), std::string::npos);
  PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(q.WaitForExit(10000));
  EXPECT_NE(ReadFileText(data + "\\Quorvane.ini").find("FFoxForm="), std::string::npos);
}

// The old protected-mode keep list is folded into IEcookie.dat at start, and deleted only once
// the merged list is written: a start that cannot write it loses nothing.
TEST_F(StartupTest, TheOldProtectedModeListIsMergedAtStartAndKeptUntilWritten) {
  WriteSettings("");
  const std::string legacy = data + "\\IEprMode.dat", current = data + "\\IEcookie.dat";
  WriteFileText(legacy, "Cookie:Joe@PM.example/\r\n");
  WriteFileText(current, "p=cookie:ann@ie.example/\r\n");
  // Another program reads the current list: it may be read, not replaced.
  HANDLE reader = CreateFileA(current.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  {
    ChildProcess q(QuorvanePath(), Args("INIT"));
    EXPECT_TRUE(q.WaitForExit(30000));
  }
  CloseHandle(reader);
  EXPECT_EQ(ReadFileText(legacy), "Cookie:Joe@PM.example/\r\n");
  EXPECT_EQ(ReadFileText(current), "p=cookie:ann@ie.example/\r\n");
  {
    ChildProcess q(QuorvanePath(), Args("INIT"));
    ASSERT_TRUE(q.WaitForExit(30000));
  }
  EXPECT_FALSE(FileExists(legacy));
  EXPECT_EQ(ReadFileText(current), "p=cookie:ann@ie.example/\r\np=cookie:joe@pm.example/\r\n");
}

TEST_F(StartupTest, ASecondStartBringsTheFirstForwardUnlessMult) {
  WriteSettings("");
  ChildProcess first(QuorvanePath(), Args());
  HWND main = first.WaitForWindow("TFFoxForm", 20000);
  ASSERT_TRUE(main);
  ShowWindow(main, SW_MINIMIZE);
  for (int i = 0; i < 50 && !IsIconic(main); ++i) Sleep(20);
  ASSERT_TRUE(IsIconic(main));
  {
    ChildProcess second(QuorvanePath(), Args());
    ASSERT_TRUE(second.WaitForExit(20000));
    EXPECT_EQ(second.ExitCode(), 0u);
  }
  for (int i = 0; i < 50 && IsIconic(main); ++i) Sleep(20);
  EXPECT_FALSE(IsIconic(main));  // restored by the second start
  EXPECT_TRUE(first.Running());
  {
    // An unattended start purges nothing meanwhile, and neither its exit code nor the log
    // lets that pass for a clean run.
    ChildProcess skipped(QuorvanePath(), Args("AUTO"));
    ASSERT_TRUE(skipped.WaitForExit(20000));
    EXPECT_EQ(skipped.ExitCode(), 10u);
    const std::string log = ReadFileText(data + "\\Quorvane.log");
    EXPECT_NE(log.find("  Auto  Purge  Skipped\r\n-Caution- The run was skipped: another copy of "
                       "Quorvane is running.\r\n"),
              std::string::npos)
        << log;
  }

  // The URL server link names its shared memory after the start time to the second: an
  // instance started within the first one's second could not create it and would end.
  Sleep(1100);
  ChildProcess another(QuorvanePath(), Args("MULT"));
  EXPECT_TRUE(another.WaitForWindow("TFFoxForm", 20000));
  EXPECT_TRUE(first.Running());
}

TEST_F(StartupTest, AutomaticRunWithItsWindowDisabledEndsByItself) {
  WriteSettings("[PnowOptions]\r\nSplashOpt=1\r\nMainWinOpt=3\r\n");
  ChildProcess q(QuorvanePath(), Args("auto"));
  ASSERT_TRUE(q.WaitForExit(30000));
  // Nothing was selected, a severe error: the exit code says so.
  EXPECT_EQ(q.ExitCode(), 9u);
  // The close handling ran: the position was saved.
  EXPECT_NE(ReadFileText(data + "\\Quorvane.ini").find("FFoxForm="), std::string::npos);
  const std::string log = ReadFileText(data + "\\Quorvane.log");
  EXPECT_NE(log.find("  Auto  Purge  Highest Level 9  "), std::string::npos) << log;
  EXPECT_NE(log.find("\r\n -Error- No Purge Options were Selected.\r\n"), std::string::npos);
}

// A clean unattended run ends with 0; "LOG=" sends its record to the file named instead.
TEST_F(StartupTest, ACleanAutomaticRunExitsWithZeroAndLogGoesWhereItSays) {
  WriteSettings("[BootOptions]\r\nSplashOpt=1\r\nMainWinOpt=3\r\nClipBoardOption=1\r\n");
  TempFolder elsewhere;
  struct Case {
    std::string args, file;
  } cases[] = {{"BOOT", data + "\\Quorvane.log"},
               {"BOOT LOG=Run.txt", data + "\\Run.txt"},
               {"BOOT Log=" + elsewhere.File("Out.txt"), elsewhere.File("Out.txt")}};
  // A log an earlier version wrote lists the items it removed: the first start erases it.
  ForceDirectories(data);
  WriteFileText(data + "\\Quorvane.log",
                "==== 12/08/2026 07:05:09  Boot  Purge  Highest Level 0  1 Line\r\n"
                "       deleted - C:\\USERS\\ANN\\RECENT\\DIARY.LNK\r\n");
  WriteFileText(data + "\\Quorvane.log.1",
                "==== 12/07/2026 07:05:09  Boot  Purge  Highest Level 0  0 Lines\r\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    if (c.file != cases[0].file) DeleteFileA((data + "\\Quorvane.log").c_str());
    ChildProcess q(QuorvanePath(), Args(c.args));
    ASSERT_TRUE(q.WaitForExit(30000));
    EXPECT_EQ(q.ExitCode(), 0u);
    const std::string log = ReadFileText(c.file);
    EXPECT_NE(log.find("  Boot  Purge  Highest Level 0  "), std::string::npos) << log;
    EXPECT_NE(log.find("\r\nClearing Windows ClipBoard\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("DIARY"), std::string::npos) << log;
    EXPECT_FALSE(FileExists(data + "\\Quorvane.log.1"));
    EXPECT_EQ(log.find("  The log of an earlier version was erased") != std::string::npos,
              c.file == cases[0].file)
        << log;
    EXPECT_EQ(FileExists(data + "\\Quorvane.log"), c.file == data + "\\Quorvane.log");
  }
}

// A fault that ends the program in the middle of a run (as an access violation inside a database
// module would) still leaves the run's record, completed with the fault, and level 9.
TEST_F(StartupTest, AFaultInARunStillCompletesItsRecord) {
  WriteSettings("[PnowOptions]\r\nSplashOpt=1\r\nMainWinOpt=3\r\nClipBoardOption=1\r\n");
  SetEnvironmentVariableA("QUORVANE_TEST_FAULT", "Clearing Windows ClipBoard");
  ChildProcess q(QuorvanePath(), Args("AUTO"));
  SetEnvironmentVariableA("QUORVANE_TEST_FAULT", nullptr);
  ASSERT_TRUE(q.WaitForExit(30000));
  EXPECT_EQ(q.ExitCode(), 9u);
  const std::string log = ReadFileText(data + "\\Quorvane.log");
  EXPECT_EQ(log.find("  running\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("  Auto  Purge  Highest Level 9  "), std::string::npos) << log;
  EXPECT_NE(log.find("\r\nClearing Windows ClipBoard\r\n*** Error - The program failed: "
                     "exception C0000005 at "),
            std::string::npos)
      << log;
}

// A settings file that lost its text (left empty by a write cut short, or zeros after a lost
// write) while its last good copy is whole: the start gives the copy back and the report says
// so. A whole file becomes the copy.
TEST_F(StartupTest, ASettingsFileThatLostItsTextIsGivenBackFromItsCopy) {
  const std::string good =
      "[ShowOption]\r\nQuickStartOpt=N\r\n"
      "[PnowOptions]\r\nSplashOpt=1\r\nMainWinOpt=3\r\nClipBoardOption=1\r\n";
  const std::string caution =
      "\r\n-Caution- The settings file was empty or could not be read: restored from " + data +
      "\\Quorvane.ini.bak\r\n";
  struct Case {
    const char* what;
    std::string file;
    bool restored;
  } cases[] = {{"empty", "", true},
               {"zeros", std::string(512, '\0'), true},
               {"whole, its copy older", good, false}};
  ForceDirectories(data);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFileText(data + "\\Quorvane.ini", c.file);
    WriteFileText(data + "\\Quorvane.ini.bak", c.restored ? good : "[PnowOptions]\r\n");
    ChildProcess q(QuorvanePath(), Args("AUTO LOG=Run.txt"));
    ASSERT_TRUE(q.WaitForExit(30000));
    EXPECT_EQ(q.ExitCode(), 0u);  // its options ran
    const std::string log = ReadFileText(data + "\\Run.txt");
    EXPECT_EQ(log.find(caution) != std::string::npos, c.restored) << log;
    EXPECT_NE(log.find("\r\nClearing Windows ClipBoard\r\n"), std::string::npos) << log;
    EXPECT_EQ(ReadFileText(data + "\\Quorvane.ini.bak"), ReadFileText(data + "\\Quorvane.ini"));
  }
}

TEST_F(StartupTest, AnyErrorPolicyShowsTheWindowOnlyAfterAnError) {
  // A legacy profile of its own without History.dat: the history purge runs and finds nothing
  // to complain about, so only ERROR1 makes the run one with an error.
  const std::string firefox = GetSpecialFolder(kCsidlAppData).text + "\\Mozilla\\Firefox";
  ScopedFileRestore ini(firefox + "\\profiles.ini");
  TempFolder profile;
  WriteFileText(firefox + "\\profiles.ini",
                "[Profile0]\r\nName=quiet\r\nIsRelative=0\r\nPath=" + profile.Path() + "\r\n");
  WriteSettings("[BootOptions]\r\nSplashOpt=1\r\nMainWinOpt=1\r\nHistoryOption=1\r\n");
  {
    ChildProcess quiet(QuorvanePath(), Args("BOOT"));
    ASSERT_TRUE(quiet.WaitForExit(30000));  // no error: the window stays hidden
    EXPECT_FALSE(FindProcessWindow(quiet.Id(), "TFFoxForm", true));
  }
  ChildProcess q(QuorvanePath(), Args("BOOT ERROR1"));
  HWND main = q.WaitForWindow("TFFoxForm", 30000);
  ASSERT_TRUE(main);
  EXPECT_NE(WindowText(main).find("Mozilla's FireFox"), std::string::npos);
}

TEST_F(StartupTest, SevereOnlyPolicyShowsTheWindowAfterANoOptionRun) {
  // Nothing selected is a level 9 error, so the severe-only policy shows the window.
  WriteSettings("[ShutOptions]\r\nSplashOpt=1\r\nMainWinOpt=2\r\n");
  ChildProcess shown(QuorvanePath(), Args("SHUT"));
  EXPECT_TRUE(shown.WaitForWindow("TFFoxForm", 30000));
}

TEST_F(StartupTest, WithoutAnyMozillaKeyTheProgramSaysSoAndEnds) {
  RegistryStash machine(HKEY_LOCAL_MACHINE, "Software\\Mozilla");
  RegistryStash user(HKEY_CURRENT_USER, "Software\\Mozilla");
  WriteSettings("");
  ChildProcess q(QuorvanePath(), Args());
  ASSERT_TRUE(q.WaitForExit(30000));
  ASSERT_FALSE(q.boxes.empty());
  EXPECT_EQ(q.boxes[0].caption, "Quorvane - FireFox Install Folder Error");
  EXPECT_EQ(q.boxes[0].text.rfind("Quorvane could not locate the FireFox install folder.", 0), 0u);
  EXPECT_FALSE(FindProcessWindow(q.Id(), "TFFoxForm", true));
}

TEST_F(StartupTest, FailureOutsideAllGuardsReachesTheProgramErrorBox) {
  WriteSettings("");
  ChildProcess q(QuorvanePath(), Args("AbortC1"));
  ASSERT_TRUE(q.WaitForExit(30000));
  ASSERT_EQ(q.boxes.size(), 1u);
  EXPECT_EQ(q.boxes[0].caption, "Quorvane  -  Program Error");
  EXPECT_EQ(q.boxes[0].text.rfind("Exception Test - FFoxMain - FormCreate -1. Occurred at: ", 0),
            0u);
  EXPECT_NE(q.boxes[0].text.find("Please report this message to the vendor..."), std::string::npos);
}

TEST_F(StartupTest, UninstallRemovesDataFilesAndTheRunEntryEvenWithFirefoxGone) {
  RegistryStash machine(HKEY_LOCAL_MACHINE, "Software\\Mozilla");
  RegistryStash user(HKEY_CURRENT_USER, "Software\\Mozilla");
  WriteSettings("");
  RegKey run;
  ASSERT_EQ(run.Create(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
            ERROR_SUCCESS);
  run.WriteString("Quorvane", QuorvanePath());
  ChildProcess q(QuorvanePath(), Args("UNINST"));
  ASSERT_TRUE(q.WaitForExit(30000));
  // A silent uninstall has nobody to answer a box: the missing Firefox asks nothing.
  EXPECT_TRUE(q.boxes.empty()) << q.boxes[0].caption;
  EXPECT_FALSE(run.ReadString("Quorvane").has_value());
  EXPECT_FALSE(FileExists(data + "\\Quorvane.ini"));
  EXPECT_FALSE(DirectoryExists(data));
}

TEST_F(StartupTest, PauseShowsTheSplashAndWaitsBeforeTheRun) {
  WriteSettings("[PnowOptions]\r\nSplashOpt=0\r\nMainWinOpt=3\r\n");
  const DWORD start = GetTickCount();
  ChildProcess q(QuorvanePath(), Args("AUTO pause=2"));
  HWND splash = nullptr;
  for (int i = 0; i < 600 && !splash && q.Running(); ++i, Sleep(25)) {
    HWND w = FindProcessWindow(q.Id(), "#32770", true);
    if (w && WindowText(w) == "Quorvane - \"Purge Now\"") splash = w;
  }
  EXPECT_TRUE(splash);
  ASSERT_TRUE(q.WaitForExit(30000));
  EXPECT_GE(GetTickCount() - start, 2000u);
}

TEST_F(StartupTest, InstallerInitActivatesTheInstalledManifest) {
  const std::string installed = BinFolder() + "\\Quorvane.ManifesI";
  const std::string target = BinFolder() + "\\Quorvane.exe.ManifesT";
  WriteFileText(installed, "<assembly/>");
  DeleteFileA(target.c_str());
  WriteSettings("");
  ChildProcess q(QuorvanePath(), Args("INIT"));
  ASSERT_TRUE(q.WaitForExit(30000));
  EXPECT_EQ(ReadFileText(target), "<assembly/>");
  DeleteFileA(installed.c_str());
  DeleteFileA(target.c_str());
}

TEST_F(StartupTest, HiddenBrowserListingKnowsTheIeCustomTitleAndMsn) {
  // Read once at start: the program must find the setting already there.
  RegistryStash ieMain(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Main");
  RegKey key;
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Main"),
            ERROR_SUCCESS);
  key.WriteString("Window Title", "My Browser");
  FakeTopWindow folder("CabinetWClass", "news - My Browser", false);
  FakeTopWindow ie("IEFrame", "Blank Page - Windows Internet Explorer", false);
  FakeTopWindow msn("MSN9 Window", "MSN Today", false);
  msn.AddChild("Browser");
  FakeTopWindow other("CabinetWClass", "news - Other Browser", false);
  WriteSettings("");
  ChildProcess q(QuorvanePath(), Args());
  HWND main = q.WaitForWindow("TFFoxForm", 30000);
  ASSERT_TRUE(main);
  DWORD_PTR ignored;
  SendMessageTimeoutA(main, WM_COMMAND, IDM_HIDDEN_BROWSERS, 0, SMTO_NORMAL, 10000, &ignored);
  SendMessageTimeoutA(main, WM_COMMAND, IDM_COPY_REPORT, 0, SMTO_NORMAL, 10000, &ignored);
  const std::string text = ClipboardText();
  PostMessageA(main, WM_CLOSE, 0, 0);
  q.WaitForExit(20000);
  EXPECT_NE(text.find("Hidden I.E. Window - Title = news - My Browser\r\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("Hidden I.E. Window - Title = Blank Page - Windows Internet Explorer\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("HiddenMSN Window - Title = MSN Today\r\n"), std::string::npos);
  EXPECT_EQ(text.find("Other Browser"), std::string::npos);
  EXPECT_NE(text.find("   3 - Browser Windows Found\r\n"), std::string::npos);
}
