#include "plugins/plugin_engine.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <windows.h>

#include "run/purge_run.h"
#include "core/folders.h"
#include "core/text_util.h"
#include "files/temp_protect_list.h"
#include "platform/files.h"
#include "platform/links.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "plugins/plugin_selection.h"
#include "plugins/plugin_statement.h"
#include "support/registry_stash.h"
#include "support/scratch_volume.h"
#include "support/test_support.h"

namespace {
using Lines = std::vector<std::string>;

void MakeFile(const std::string& path, const std::string& text = "x") {
  ForceDirectories(ExtractFilePath(path));
  WriteFileText(path, text);
}

bool Has(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string Dump(const Lines& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\n";
  return s;
}

bool KeyExists(const std::string& path) {
  RegKey k;
  return k.OpenRead(HKEY_CURRENT_USER, path) == ERROR_SUCCESS;
}

bool ValueExists(const std::string& key, const std::string& name) {
  HKEY h;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  const bool found =
      RegQueryValueExA(h, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(h);
  return found;
}

void SetDword(const std::string& key, const std::string& name, DWORD v) {
  RegKey k;
  k.Create(HKEY_CURRENT_USER, key);
  RegSetValueExA(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

void SetString(const std::string& key, const std::string& name, const std::string& v) {
  RegKey k;
  k.Create(HKEY_CURRENT_USER, key);
  k.WriteString(name, v);
}

// A registry tree of the test's own under HKCU\Software, removed afterwards.
struct ScopedTestKey {
  std::string path = "SOFTWARE\\QUORVANEPLUGINTEST" + std::to_string(GetCurrentProcessId());
  ScopedTestKey() { DeleteRegistryTree(HKEY_CURRENT_USER, path); }
  ~ScopedTestKey() { DeleteRegistryTree(HKEY_CURRENT_USER, path); }
};

struct PluginRunTest : testing::Test {
  ScopedArguments args{{}};
  ScopedDataFolder data;
  TestRun run;
  TempFolder tree;
  std::string T = UpperCase(tree.Path());

  Lines Run(const Lines& plugin, bool preview, bool perPluginTotals = true) {
    run.view.lines.clear();
    run.state.preview = preview;
    run.state.detail = true;
    RunPlugin(run.ctx, plugin, perPluginTotals);
    return run.view.lines;
  }
  void TearDown() override {
    TempProtectEntries().Clear();
    TempProtectEntries().unreadable = false;
  }
};

// One statement of every command over a tree and a registry key that hold what they name.
struct EveryCommandTest : PluginRunTest {
  ScopedTestKey key;
  std::string K = key.path;
  Lines plugin;

  void SetUp() override {
    MakeFile(tree.File("gone.txt"));
    MakeFile(tree.File("recent.ini"), "[Recent]\r\nFile1=c:\\a.doc\r\nkeep\r\nfile2=c:\\b.doc\r\n");
    MakeFile(tree.File("list.xml"),
             "<list>\r\n<item>1</item>\r\n<item a=\"2\"/>\r\n<other/>\r\n</list>\r\n");
    MakeFile(tree.File("cache\\x.htm"));
    MakeFile(tree.File("cache\\x.html"));
    MakeFile(tree.File("cache\\sub\\y.htm"));
    MakeFile(tree.File("store\\s.txt"));
    MakeFile(tree.File("store\\inner\\t.txt"));
    MakeFile(tree.File("store\\inner\\deep\\u.txt"));
    SetString(K, "LastFile", "c:\\a.doc");
    SetString(K + "\\MRU", "File1", "c:\\1.doc");
    SetString(K + "\\MRU", "File2", "c:\\2.doc");
    SetString(K + "\\MRU", "Other", "kept");
    SetString(K + "\\Per\\A", "v1", "one");
    SetDword(K + "\\Per\\B", "v1", 7);
    SetString(K + "\\Keys\\K1\\Sub", "x", "y");
    SetString(K + "\\Keys\\K2", "x", "y");
    SetString(K + "\\Whole\\Inner", "x", "y");
    plugin = {"LEVEL=1",
              "; one statement of each command",
              "DELFILE=" + T + "\\gone.txt?",
              "DELFILE=" + T + "\\missing.txt?",
              "DELTEXT=" + T + "\\recent.ini['file']",
              "DELEXML=" + T + "\\list.xml[item]",
              "DELFOLD=" + T + "\\cache\\[*.htm]PS?",
              "DELFOLD=" + T + "\\store[*.*]DS?",
              "DEL1VAL=HKCU:" + K + "[LastFile]",
              "DELVALS=HKCU:" + K + "\\MRU[FILE]B?",
              "DELSKVS=HKCU:" + K + "\\Per[*]A?",
              "DELKEYS=HKCU:" + K + "\\Keys[*]A?",
              "DEL1KEY=HKCU:" + K + "\\Whole?",
              "EXECUTE=C:\\WINDOWS\\SYSTEM32\\CMD.EXE /C ECHO RAN> " + T + "\\RAN.TXT?",
              "EXEHIDE=C:\\WINDOWS\\SYSTEM32\\CMD.EXE /C ECHO HID> " + T + "\\HID.TXT?"};
  }
  void ExpectEverythingThere() {
    for (const char* f : {"gone.txt", "cache\\x.htm", "cache\\sub\\y.htm", "store\\s.txt",
                          "store\\inner\\deep\\u.txt"})
      EXPECT_TRUE(FileExists(tree.File(f))) << f;
    EXPECT_EQ(ReadFileText(tree.File("recent.ini")),
              "[Recent]\r\nFile1=c:\\a.doc\r\nkeep\r\nfile2=c:\\b.doc\r\n");
    EXPECT_EQ(ReadFileText(tree.File("list.xml")),
              "<list>\r\n<item>1</item>\r\n<item a=\"2\"/>\r\n<other/>\r\n</list>\r\n");
    EXPECT_TRUE(ValueExists(K, "LastFile"));
    EXPECT_TRUE(ValueExists(K + "\\MRU", "File2"));
    EXPECT_TRUE(ValueExists(K + "\\Per\\B", "v1"));
    EXPECT_TRUE(KeyExists(K + "\\Keys\\K1\\Sub"));
    EXPECT_TRUE(KeyExists(K + "\\Whole\\Inner"));
    EXPECT_FALSE(FileExists(tree.File("RAN.TXT")));
    EXPECT_FALSE(FileExists(tree.File("HID.TXT")));
  }
};

TEST_F(EveryCommandTest, TestChangesNothingAndCountsEveryEntry) {
  const Lines lines = Run(plugin, true);
  ExpectEverythingThere();
  Sleep(300);  // an EXEHIDE that had been started would have written by now
  EXPECT_FALSE(FileExists(tree.File("HID.TXT")));
  EXPECT_EQ(run.state.processed, 24);
  EXPECT_EQ(lines[lines.size() - 2], "   24 - Entries processed for this Plugin") << Dump(lines);
  EXPECT_EQ(lines.back(), " ");
  for (const std::string& l :
       Lines{"* LEVEL=1",
             "* ; ONE STATEMENT OF EACH COMMAND",
             "DELFILE=" + T + "\\GONE.TXT?",
             "       to delete - " + T + "\\GONE.TXT",
             "    file not present - " + T + "\\MISSING.TXT",
             "       to delete - FILE2=C:\\B.DOC",
             "       to delete - FILE1=C:\\A.DOC",
             "       to delete - <item>1</item>",
             "       to delete - <item a=\"2\"/>",
             "       to delete - " + T + "\\CACHE\\X.HTM",
             "       to delete - " + T + "\\CACHE\\SUB\\Y.HTM",
             "       to delete - " + T + "\\STORE\\INNER\\DEEP\\U.TXT",
             "       to delete - " + T + "\\STORE\\INNER\\DEEP",
             "       to delete - " + T + "\\STORE\\INNER",
             "   to delete Val - LASTFILE - c:\\a.doc",
             "   to delete Val - FILE1 - c:\\1.doc",
             "   to delete Val - A[V1] - one",
             "   to delete Val - B[V1] - Type = Reg_Dword",
             "   to delete Key - " + K + "\\KEYS\\K1\\SUB",
             "   to delete Key - " + K + "\\KEYS\\K2",
             "   to delete Key - " + K + "\\WHOLE",
             "      to execute - C:\\WINDOWS\\SYSTEM32\\CMD.EXE /C ECHO RAN> " + T + "\\RAN.TXT"})
    EXPECT_TRUE(Has(lines, l)) << l << "\n" << Dump(lines);
  // Neither the longer extension nor the kept sub-folder of the PS statement is touched.
  EXPECT_FALSE(Has(lines, "       to delete - " + T + "\\CACHE\\X.HTML"));
  EXPECT_FALSE(Has(lines, "       to delete - " + T + "\\CACHE\\SUB"));
  EXPECT_FALSE(Has(lines, "   to delete Key - " + K + "\\KEYS"));
}

TEST_F(EveryCommandTest, ExecuteRemovesExactlyWhatIsNamed) {
  const Lines lines = Run(plugin, false);
  EXPECT_EQ(run.state.processed, 24) << Dump(lines);
  EXPECT_FALSE(FileExists(tree.File("gone.txt")));
  EXPECT_EQ(ReadFileText(tree.File("recent.ini")), "[Recent]\r\nkeep\r\n");
  EXPECT_EQ(ReadFileText(tree.File("list.xml")), "<list>\r\n<other/>\r\n</list>\r\n");
  EXPECT_FALSE(FileExists(tree.File("cache\\x.htm")));
  EXPECT_FALSE(FileExists(tree.File("cache\\sub\\y.htm")));
  EXPECT_TRUE(FileExists(tree.File("cache\\x.html")));
  EXPECT_TRUE(DirectoryExists(tree.File("cache\\sub")));
  EXPECT_TRUE(DirectoryExists(tree.File("store")));
  EXPECT_FALSE(DirectoryExists(tree.File("store\\inner")));
  EXPECT_FALSE(FileExists(tree.File("store\\s.txt")));
  EXPECT_FALSE(ValueExists(K, "LastFile"));
  EXPECT_FALSE(ValueExists(K + "\\MRU", "File1"));
  EXPECT_FALSE(ValueExists(K + "\\MRU", "File2"));
  EXPECT_TRUE(ValueExists(K + "\\MRU", "Other"));
  EXPECT_FALSE(ValueExists(K + "\\Per\\A", "v1"));
  EXPECT_FALSE(ValueExists(K + "\\Per\\B", "v1"));
  EXPECT_TRUE(KeyExists(K + "\\Per\\B"));
  EXPECT_TRUE(KeyExists(K + "\\Keys"));
  EXPECT_FALSE(KeyExists(K + "\\Keys\\K1"));
  EXPECT_FALSE(KeyExists(K + "\\Keys\\K2"));
  EXPECT_FALSE(KeyExists(K + "\\Whole"));
  // EXECUTE waited for its program; EXEHIDE did not, so its file comes when it comes.
  EXPECT_EQ(Trim(ReadFileText(tree.File("RAN.TXT"))), "RAN");
  for (int i = 0; i < 100 && !FileExists(tree.File("HID.TXT")); ++i) Sleep(50);
  EXPECT_EQ(Trim(ReadFileText(tree.File("HID.TXT"))), "HID");
  for (const std::string& l : Lines{
           "         deleted - " + T + "\\GONE.TXT", "         deleted - FILE1=C:\\A.DOC",
           "         deleted - <item>1</item>", "         deleted - " + T + "\\STORE\\INNER",
           "     Val deleted - LASTFILE - c:\\a.doc", "     Val deleted - B[V1] - Type = Reg_Dword",
           "     Key deleted - " + K + "\\WHOLE\\INNER", "     Key deleted - " + K + "\\WHOLE",
           "        executed - C:\\WINDOWS\\SYSTEM32\\CMD.EXE /C ECHO RAN> " + T + "\\RAN.TXT",
           "        executed - C:\\WINDOWS\\SYSTEM32\\CMD.EXE /C ECHO HID> " + T + "\\HID.TXT"})
    EXPECT_TRUE(Has(lines, l)) << l << "\n" << Dump(lines);
  EXPECT_EQ(run.state.highestLevel, 0);
}

TEST_F(EveryCommandTest, SummaryReportsKeepOnlyCommandsFailuresProgramsAndElements) {
  run.state.detail = false;
  run.state.preview = false;
  RunPlugin(run.ctx, plugin, false);
  const Lines& lines = run.view.lines;
  EXPECT_FALSE(FileExists(tree.File("gone.txt")));
  EXPECT_TRUE(Has(lines, "* LEVEL=1"));
  EXPECT_FALSE(Has(lines, "* ; ONE STATEMENT OF EACH COMMAND"));
  EXPECT_TRUE(Has(lines, "         deleted - <item>1</item>"));
  EXPECT_FALSE(Has(lines, "         deleted - " + T + "\\GONE.TXT"));
  EXPECT_FALSE(Has(lines, "         deleted - FILE1=C:\\A.DOC"));
  for (const auto& l : lines)
    EXPECT_TRUE(StartsWith(l, "* ") || StartsWith(l, "DEL") || StartsWith(l, "EXE") ||
                StartsWith(l, "         deleted - <item") || StartsWith(l, "        executed - "))
        << l;
}

// Runs a Unix program by its DOS path (Wine starts it without a handle to wait on) and waits
// for what it makes.
bool MakeUnixLink(const std::string& target, const std::string& link) {
  using Fn = char*(CDECL*)(LPCWSTR);
  auto fn = reinterpret_cast<Fn>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
  auto unixName = [&](const std::string& p) {
    std::wstring wide(p.begin(), p.end());
    char* u = fn ? fn(wide.c_str()) : nullptr;
    std::string s = u ? u : "";
    if (u) HeapFree(GetProcessHeap(), 0, u);
    return s;
  };
  std::string line = "ln -s \"" + unixName(target) + "\" \"" + unixName(link) + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA("Z:\\bin\\ln", line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &si, &pi))
    return false;
  for (int i = 0; i < 500; ++i, Sleep(10))
    if (GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  return false;
}

// A drive of the test's own whose root is a folder of the tree, so that a statement about a
// drive's root reaches only the test's files. Wine's DefineDosDeviceA answers success but
// resolves nothing; a link in the prefix's "dosdevices" folder is what Wine reads.
struct TestDrive {
  std::string letter, link;
  explicit TestDrive(const std::string& folder) {
    char prefix[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix)) return;
    const DWORD used = GetLogicalDrives();
    for (char c = 'Y'; c >= 'M' && letter.empty(); --c)
      if (!(used & (1u << (c - 'A')))) letter = std::string(1, c) + ":";
    if (letter.empty()) return;
    std::string unixLink = std::string(prefix) + "/dosdevices/" + LowerCase(letter);
    link = "Z:" + unixLink;
    std::replace(link.begin(), link.end(), '/', '\\');
    if (!MakeUnixLink(folder, link)) letter.clear();
  }
  ~TestDrive() {
    if (GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES) RemoveLinkItself(link, true);
  }
};

std::string EnvironmentText(const char* name) {
  char buffer[MAX_PATH] = {};
  return GetEnvironmentVariableA(name, buffer, sizeof buffer) ? buffer : "";
}

// Each statement below reaches beyond what it names; each is refused with the error line and
// touches nothing. Those whose victims cannot be the test's own (a drive's or the Windows
// folder, a hive) run as a preview: a failure then shows as a "to delete" line, not a loss.
TEST_F(PluginRunTest, StatementsReachOnlyWhatTheyName) {
  ASSERT_TRUE(RunningUnderWine());
  ScopedTestKey key;
  const std::string K = UpperCase(key.path);
  TestDrive drive(tree.Path());
  ASSERT_FALSE(drive.letter.empty());
  const std::string D = drive.letter, data = UpperCase(Folders().dataFolder);
  for (const char* f : {"stay.txt", "notes.txt", "work\\a.txt", "work\\x\\b.txt"})
    MakeFile(tree.File(f));
  MakeFile(Folders().dataFolder + "\\victim.txt");
  SetString(K, "Victim", "v");
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string profile = UpperCase(EnvironmentText("USERPROFILE"));
  ASSERT_FALSE(profile.empty());
  struct Row {
    std::string line, why;
    bool preview;
  };
  const Row rows[] = {
      {"DELFOLD=#NOSUCHMACRO#\\CACHE[*.*]DS?", "names no full path", false},
      {"DELFILE=^HKCU:NO\\SUCH[VALUE]\\A.TXT?", "names no full path", false},
      {"DELFOLD=" + T + "\\WORK\\X/..[*.*]DS?", "names a relative path", false},
      {"DELFILE=" + T + "\\WORK/../NOTES.TXT?", "names a relative path", false},
      {"DELFOLD=" + D + "\\*[*.*]DS?", "names every folder of a drive", false},
      {"DELFILE=" + D + "/*/A.TXT?", "names every folder of a drive", false},
      {"DELFOLD=" + D + "/[*.*]DS?", "names a root folder", false},
      {"DELFOLD=" + D + "\\ .[*.*]PS?", "names a relative path", false},
      {"DELFOLD=" + data + "[*.*]DS?", "names a folder no plugin may empty", false},
      {"DELFOLD=" + data + ". [*.*]DS?", "names a folder no plugin may empty", false},
      {"DELTEXT=" + T + "\\STAY.TXT['']", "names no text", false},
      {"DELKEYS=HKCU:[*]A?", "names no registry key", false},
      {"DELVALS=HKCU:" + K + "['']B?", "names no pattern", false},
      {"DELVALS=HKCU:" + K + "['']C?", "names no pattern", false},
      {"DELFOLD=C:\\[*.*]DS?", "names a root folder", true},
      {"DELFOLD=" + T + "\\..\\..[*.*]DS?", "names a relative path", true},
      {"DELFOLD=" + UpperCase(windows) + "[*.*]DS?", "names a folder no plugin may empty", true},
      {"DELFOLD=" + profile + "[*.TMP]PS?", "names a folder no plugin may empty", true},
      {"DEL1KEY=HKCU:*?", "names every key of a hive", true},
      {"DELKEYS=HKCU:SOFTWARE[*]A?", "names a key no plugin may empty", true},
      {"DEL1KEY=HKU:.DEFAULT?", "names a key no plugin may empty", true},
  };
  for (const Row& row : rows) {
    run.state.highestLevel = 0;
    EXPECT_EQ(Run({row.line}, row.preview, false),
              (Lines{row.line, " -Error- Previous statement not processed - " + row.why}));
    EXPECT_EQ(run.state.highestLevel, 3) << row.line;
  }
  // A wildcard that leads to a profile root: each one it reaches is refused.
  const std::string users = UpperCase(ExtractFilePath(profile));
  const Lines lines = Run({"DELFOLD=" + users + "\\*[*.*]DS?"}, true, false);
  ASSERT_GE(lines.size(), 2u);
  for (size_t i = 1; i < lines.size(); ++i)
    EXPECT_TRUE(EndsWith(lines[i], " is a folder no plugin may empty")) << Dump(lines);
  EXPECT_EQ(run.state.processed, 0);
  for (const char* f : {"stay.txt", "notes.txt", "work\\a.txt", "work\\x\\b.txt"})
    EXPECT_TRUE(FileExists(tree.File(f))) << f;
  EXPECT_TRUE(FileExists(Folders().dataFolder + "\\victim.txt"));
  EXPECT_TRUE(ValueExists(K, "Victim"));
}

// A registry link is deleted itself, never walked: what lies behind it stays.
TEST_F(PluginRunTest, RegistryLinksAreNeverFollowed) {
  ScopedTestKey key;
  const std::string K = UpperCase(key.path), P = K + "\\PARENT";
  struct CleanUp {
    std::string link;
    ~CleanUp() { DeleteKeyItself(HKEY_CURRENT_USER, link); }
  } cleanUp{P + "\\LINK"};
  SetString(K + "\\TARGET\\INNER", "Victim", "v");
  SetString(K + "\\TARGET", "Victim", "v");
  SetString(P + "\\PLAIN", "Gone", "g");
  ASSERT_TRUE(MakeRegistryLink(cleanUp.link, UserKeyPath(K + "\\TARGET")));
  ASSERT_TRUE(IsRegistryLink(HKEY_CURRENT_USER, cleanUp.link));
  ASSERT_TRUE(ValueExists(cleanUp.link, "Victim"));  // the link leads to the target
  const Lines lines = Run({"DELVALS=HKCU:" + P + "\\LINK[*]A?", "DELVALS=HKCU:" + P + "\\*[*]A?",
                           "DELSKVS=HKCU:" + P + "[*]A?", "DEL1KEY=HKCU:" + P + "?"},
                          false, false);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 3),
            (Lines{"DELVALS=HKCU:" + P + "\\LINK[*]A?",
                   " -Error- Previous statement not processed - HKCU:" + P + "\\LINK is a link",
                   "DELVALS=HKCU:" + P + "\\*[*]A?"}));
  EXPECT_TRUE(Has(lines, "     Val deleted - GONE - g")) << Dump(lines);
  EXPECT_TRUE(Has(lines, "     Key deleted - " + P + "\\LINK")) << Dump(lines);
  EXPECT_TRUE(Has(lines, "     Key deleted - " + P)) << Dump(lines);
  EXPECT_FALSE(KeyExists(P));
  EXPECT_TRUE(ValueExists(K + "\\TARGET", "Victim"));
  EXPECT_TRUE(ValueExists(K + "\\TARGET\\INNER", "Victim"));
}

// A protected sub-folder is skipped whole; an unreadable protect list stops every file
// command that would consult it.
TEST_F(PluginRunTest, ProtectedFoldersAndAnUnreadableListKeepEverything) {
  MakeFile(tree.File("store\\keepdir\\inner.txt"));
  MakeFile(tree.File("store\\drop.txt"));
  TempProtectEntries().SetLines({"p=keepdir"});
  Lines lines = Run({"DELFOLD=" + T + "\\STORE[*.*]DS?"}, false, false);
  EXPECT_TRUE(FileExists(tree.File("store\\keepdir\\inner.txt"))) << Dump(lines);
  EXPECT_FALSE(FileExists(tree.File("store\\drop.txt")));
  EXPECT_TRUE(Has(lines, "       Protected - " + T + "\\STORE\\KEEPDIR")) << Dump(lines);

  MakeFile(tree.File("store\\drop.txt"));
  MakeFile(tree.File("notes.ini"), "secret\r\n");
  ASSERT_TRUE(CreateDirectoryA(TempProtectFile().c_str(), nullptr));
  EXPECT_FALSE(LoadTempProtectList());
  ASSERT_TRUE(TempProtectEntries().unreadable);
  ScopedTestKey key;
  SetString(key.path, "Gone", "g");
  const Lines plugin = {"DELFILE=" + T + "\\STORE\\DROP.TXT?", "DELFOLD=" + T + "\\STORE[*.*]DS?",
                        "DELTEXT=" + T + "\\NOTES.INI[SECRET]",
                        "DEL1VAL=HKCU:" + UpperCase(key.path) + "[GONE]"};
  const std::string skipped =
      " -Error- Previous statement not processed - existing Protect file could not be opened";
  lines = Run(plugin, false, false);
  EXPECT_EQ(lines, (Lines{plugin[0], skipped, plugin[1], skipped, plugin[2], skipped, plugin[3],
                          "     Val deleted - GONE - g"}));
  EXPECT_EQ(run.state.highestLevel, 7);
  EXPECT_TRUE(FileExists(tree.File("store\\drop.txt")));
  EXPECT_TRUE(FileExists(tree.File("store\\keepdir\\inner.txt")));
  EXPECT_EQ(ReadFileText(tree.File("notes.ini")), "secret\r\n");
  RemoveDirectoryA(TempProtectFile().c_str());
}

TEST_F(PluginRunTest, LevelsInvalidTypesRootsAndTrace) {
  ScopedArguments debug({"DEBUG"});
  const Lines lines = Run({"LEVEL=62", "DELFOLD=" + T + "\\X[*.*]XX?", "DELVALS=HKCU:X[*]",
                           "DEL1KEY=HKXX:SOFTWARE\\X?", "LEVEL=63", "DELFILE=" + T + "\\A.TXT?"},
                          true);
  EXPECT_EQ(
      lines,
      (Lines{
          "* LEVEL=62", "DELFOLD=" + T + "\\X[*.*]XX?",
          " -Error- Previous statement not processed - has invalid Type field", "DELVALS=HKCU:X[*]",
          " -Error- Previous statement not processed - has invalid Type field",
          "DEL1KEY=HKXX:SOFTWARE\\X?", " debug - FoldOrReg = R", " debug - RegVerb =   >>DEL1KEY<<",
          " debug - RegRoot =   >>HKXX<<", " debug - RegKey =    >>SOFTWARE\\X<<",
          " debug - RegType =   >> <<", "    invalid Root - HKXX", "* LEVEL=63",
          "Error - Quorvane is not programmed to support this Plugin level",
          "        You need to upgrade Quorvane to the new version to process this Plugin",
          "DELFILE=" + T + "\\A.TXT?", "   0 - Entries processed for this Plugin", " "}));
  EXPECT_EQ(run.state.highestLevel, 5);
}

TEST_F(PluginRunTest, MacrosExpandFromTheSystemAndAreShown) {
  ScopedTestKey key;
  SetString(key.path, "Where", tree.Path());
  SetEnvironmentVariableA("QVPLUGINDIR", tree.Path().c_str());
  MakeFile(tree.File("a.txt"));
  MakeFile(tree.File("b.txt"));
  const Lines lines = Run({"delfile=^HKCU:" + key.path + "[Where]\\a.txt?",
                           "DELFILE=%QVPLUGINDIR%\\B.TXT?", "DELFILE=#APPDATA#\\QV-NOT-THERE.TXT?"},
                          false, false);
  SetEnvironmentVariableA("QVPLUGINDIR", nullptr);
  EXPECT_FALSE(FileExists(tree.File("a.txt")));
  EXPECT_FALSE(FileExists(tree.File("b.txt")));
  const std::string appData = GetSpecialFolder(kCsidlAppData).text;
  ASSERT_FALSE(appData.empty());
  EXPECT_EQ(lines,
            (Lines{"DELFILE=^HKCU:" + UpperCase(key.path) + "[WHERE]\\A.TXT?",
                   "      The above command expands to:", "DELFILE=" + T + "\\A.TXT?",
                   "         deleted - " + T + "\\A.TXT", "DELFILE=%QVPLUGINDIR%\\B.TXT?",
                   "      The above command expands to:", "DELFILE=" + T + "\\B.TXT?",
                   "         deleted - " + T + "\\B.TXT", "DELFILE=#APPDATA#\\QV-NOT-THERE.TXT?",
                   "      The above command expands to:",
                   "DELFILE=" + UpperCase(appData) + "\\QV-NOT-THERE.TXT?",
                   "    file not present - " + UpperCase(appData) + "\\QV-NOT-THERE.TXT"}));
}

TEST_F(PluginRunTest, WildcardFoldersAndKeysAndRotatedNames) {
  ScopedTestKey key;
  MakeFile(tree.File("Profiles\\abc.default\\cache.tmp"));
  MakeFile(tree.File("Profiles\\xyz.default\\cache.tmp"));
  MakeFile(tree.File("Profiles\\other\\cache.tmp"));
  SetString(key.path + "\\Apps\\One\\Recent", "Doc1", "a");
  SetString(key.path + "\\Apps\\Two\\Recent", "Doc1", "b");
  const Lines lines = Run({"ROT13", "DELFILE=" + T + "\\PROFILES\\*.DEFAULT\\CACHE.TMP?",
                           "DELVALS=HKCU:" + key.path + "\\APPS\\*\\RECENT[DOC]B?"},
                          false);
  EXPECT_FALSE(FileExists(tree.File("Profiles\\abc.default\\cache.tmp")));
  EXPECT_FALSE(FileExists(tree.File("Profiles\\xyz.default\\cache.tmp")));
  EXPECT_TRUE(FileExists(tree.File("Profiles\\other\\cache.tmp")));
  EXPECT_FALSE(ValueExists(key.path + "\\Apps\\One\\Recent", "Doc1"));
  EXPECT_FALSE(ValueExists(key.path + "\\Apps\\Two\\Recent", "Doc1"));
  const std::string lowered = LowerCase(T) + "\\profiles\\";
  EXPECT_TRUE(Has(lines, "         deleted - " + lowered + "abc.default\\CACHE.TMP"))
      << Dump(lines);
  EXPECT_TRUE(Has(lines, "         deleted - " + lowered + "xyz.default\\CACHE.TMP"))
      << Dump(lines);
  const std::string k = UpperCase(key.path);
  EXPECT_TRUE(Has(lines, "    key=HKCU:" + Rot13(k + "\\APPS\\ONE\\RECENT"))) << Dump(lines);
  EXPECT_TRUE(Has(lines, "     Val deleted - QBP1 - a")) << Dump(lines);
  EXPECT_TRUE(Has(lines, "   4 - Entries processed for this Plugin")) << Dump(lines);
}

TEST_F(PluginRunTest, ProtectAndIgnoreEntriesAreHonoured) {
  TempProtectEntries().SetLines({"p=keep*.txt", "i=" + LowerCase(tree.Path()) + "\\locked\\*"});
  MakeFile(tree.File("keep-me.txt"));
  MakeFile(tree.File("drop.txt"));
  MakeFile(tree.File("locked\\held.txt"));
  HANDLE held = CreateFileA(tree.File("locked\\held.txt").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const Lines lines = Run({"DELFOLD=" + T + "[*.TXT]PS?"}, false);
  CloseHandle(held);
  EXPECT_TRUE(FileExists(tree.File("keep-me.txt")));
  EXPECT_FALSE(FileExists(tree.File("drop.txt")));
  EXPECT_TRUE(Has(lines, "       Protected - " + T + "\\KEEP-ME.TXT")) << Dump(lines);
  EXPECT_TRUE(Has(lines, "         deleted - " + T + "\\DROP.TXT"));
  EXPECT_TRUE(Has(lines, "   Ignore Locked - " + T + "\\LOCKED\\HELD.TXT")) << Dump(lines);
  EXPECT_EQ(run.state.highestLevel, 0);
}

TEST_F(PluginRunTest, FolderTypesPickTheLevelsTheyWorkOn) {
  auto fill = [&](const std::string& top) {
    MakeFile(tree.File(top + "\\top.txt"));
    MakeFile(tree.File(top + "\\a\\x.txt"));
    MakeFile(tree.File(top + "\\a\\b\\y.txt"));
  };
  for (const char* type : {"IS", "OR", "OD"}) fill(type);
  Run({"DELFOLD=" + T + "\\IS[*.*]IS?", "DELFOLD=" + T + "\\OR[*.*]OR?",
       "DELFOLD=" + T + "\\OD[*.*]OD?"},
      false, false);
  EXPECT_EQ(run.state.processed, 1 + 2 + 4);
  EXPECT_FALSE(FileExists(tree.File("IS\\top.txt")));
  EXPECT_TRUE(FileExists(tree.File("IS\\a\\x.txt")));
  EXPECT_TRUE(FileExists(tree.File("OR\\top.txt")));
  EXPECT_FALSE(FileExists(tree.File("OR\\a\\x.txt")));
  EXPECT_FALSE(FileExists(tree.File("OR\\a\\b\\y.txt")));
  EXPECT_TRUE(DirectoryExists(tree.File("OR\\a\\b")));
  EXPECT_TRUE(FileExists(tree.File("OD\\top.txt")));
  EXPECT_FALSE(DirectoryExists(tree.File("OD\\a")));
}

TEST_F(PluginRunTest, FailuresAreReportedWhateverTheDetail) {
  MakeFile(tree.File("held.txt"));
  MakeFile(tree.File("held.ini"), "secret=1\r\nkeep=2\r\n");
  HANDLE file = CreateFileA(tree.File("held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  HANDLE ini = CreateFileA(tree.File("held.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
  run.state.detail = false;
  RunPlugin(run.ctx,
            {"DELFILE=" + T + "\\HELD.TXT?", "DELTEXT=" + T + "\\HELD.INI[SECRET]",
             "DELTEXT=" + T + "\\NONE.INI[SECRET]"},
            false);
  const Lines& lines = run.view.lines;
  CloseHandle(file);
  CloseHandle(ini);
  EXPECT_EQ(
      lines,
      (Lines{"DELFILE=" + T + "\\HELD.TXT?", "          Locked - " + T + "\\HELD.TXT",
             "DELTEXT=" + T + "\\HELD.INI[SECRET]", "     Not updated - " + T + "\\HELD.INI",
             "DELTEXT=" + T + "\\NONE.INI[SECRET]", "  File Not Found - " + T + "\\NONE.INI"}));
  EXPECT_TRUE(run.state.lockedFile);
  EXPECT_EQ(run.state.highestLevel, 0);
  EXPECT_TRUE(FileExists(tree.File("held.txt")));
  EXPECT_EQ(ReadFileText(tree.File("held.ini")), "secret=1\r\nkeep=2\r\n");
}

TEST_F(PluginRunTest, LinksOutOfAFolderAreNeverFollowed) {
  char temp[MAX_PATH] = {};
  const std::string outsideRoot =
      RunningUnderWine() ? "Z:\\tmp\\" : (GetTempPathA(MAX_PATH, temp), std::string(temp));
  const std::string outside =
      outsideRoot + "qvplugin_outside_" + std::to_string(GetCurrentProcessId());
  struct CleanUp {
    std::string outside, link, fileLink;
    ~CleanUp() {
      if (GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES) RemoveLinkItself(link, true);
      if (GetFileAttributesA(fileLink.c_str()) != INVALID_FILE_ATTRIBUTES)
        RemoveLinkItself(fileLink, false);
      RemoveTree(outside);
      DeleteFileA((outside + ".txt").c_str());
    }
  } cleanUp{outside, tree.File("store\\Link"), tree.File("store\\filelink.txt")};
  MakeFile(outside + "\\precious.txt");
  MakeFile(outside + ".txt", "precious");
  MakeFile(tree.File("store\\plain.txt"));
  MakeFile(tree.File("notes.txt"), "keep\r\nsecret\r\n");
  // A run that cannot make the links has shown nothing: it fails, never passes by skipping.
  ASSERT_TRUE(MakeTestLink(outside, cleanUp.link, true)) << "no folder link made";
  ASSERT_TRUE(MakeTestLink(outside + ".txt", cleanUp.fileLink, false)) << "no file link made";
  const Lines lines = Run(
      {"DELFOLD=" + T + "\\STORE\\LINK[*.*]DS?", "DELFILE=" + T + "\\STORE\\LINK\\PRECIOUS.TXT?",
       "DELFILE=" + T + "\\STORE\\L*\\PRECIOUS.TXT?", "DELFOLD=" + T + "\\STORE[*.*]DS?"},
      false);
  const std::string refused =
      " -Error- Previous statement not processed - " + T + "\\STORE\\LINK is a link";
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 5),
            (Lines{"DELFOLD=" + T + "\\STORE\\LINK[*.*]DS?", refused,
                   "DELFILE=" + T + "\\STORE\\LINK\\PRECIOUS.TXT?", refused,
                   "DELFILE=" + T + "\\STORE\\L*\\PRECIOUS.TXT?"}));
  EXPECT_TRUE(FileExists(outside + "\\precious.txt")) << Dump(lines);
  EXPECT_EQ(ReadFileText(outside + ".txt"), "precious");
  EXPECT_FALSE(FileExists(tree.File("store\\plain.txt")));
  EXPECT_EQ(GetFileAttributesA(cleanUp.link.c_str()), INVALID_FILE_ATTRIBUTES) << Dump(lines);
  EXPECT_EQ(GetFileAttributesA(cleanUp.fileLink.c_str()), INVALID_FILE_ATTRIBUTES) << Dump(lines);
}

// The "Run Plugins" option over a plugin folder and a selection list of the test's own.
struct RunPluginsOptionTest : PluginRunTest {
  std::string savedProgram = Folders().programFolder;
  TempFolder program;
  void SetUp() override {
    MutableFolders().programFolder = program.Path();
    EnsurePluginFolder();
  }
  void TearDown() override {
    MutableFolders().programFolder = savedProgram;
    LoadPluginSelectionList();
    PluginRunTest::TearDown();
  }
};

TEST_F(RunPluginsOptionTest, SelectedPluginsRunInListOrderWithTheirTotal) {
  ASSERT_TRUE(DirectoryExists(program.File("PLUGINS")));
  run.state.preview = false;
  LoadPluginSelectionList();
  RunSelectedPlugins(run.ctx);
  EXPECT_EQ(run.view.lines, (Lines{"    No Plugins are selected."}));

  MakeFile(tree.File("one.tmp"));
  MakeFile(tree.File("two.tmp"));
  MakeFile(tree.File("three.tmp"));
  MakeFile(program.File("PLUGINS\\b.cus"),
           "DELFILE=" + T + "\\two.tmp?\r\nDELFILE=" + T + "\\three.tmp?\r\n");
  MakeFile(program.File("PLUGINS\\A.STD"), "; first\r\nDELFILE=" + T + "\\one.tmp?\r\n");
  WriteFileText(PluginSelectionFile(), "b.cus\r\nMISSING.STD\r\nA.STD\r\n");
  LoadPluginSelectionList();
  EXPECT_EQ(PluginSelection(), (Lines{"A.STD", "B.CUS", "MISSING.STD"}));
  run.view.lines.clear();
  run.state.detail = false;
  RunSelectedPlugins(run.ctx);
  EXPECT_EQ(run.view.lines, (Lines{"Process Plugin - A.STD", "DELFILE=" + T + "\\ONE.TMP?", " ",
                                   "Process Plugin - B.CUS", "DELFILE=" + T + "\\TWO.TMP?",
                                   "DELFILE=" + T + "\\THREE.TMP?",
                                   "  Run Plugins Function Completed.  3 - Entries processed."}));
  EXPECT_FALSE(FileExists(tree.File("three.tmp")));

  SavePluginSelection({"A.STD"});
  EXPECT_EQ(ReadFileText(PluginSelectionFile()), "A.STD\r\n");
  MakeFile(tree.File("one.tmp"));
  run.view.lines.clear();
  run.state.preview = true;
  RunSelectedPlugins(run.ctx);
  EXPECT_EQ(run.view.lines.back(), "  Run Plugins Function Completed.  1 - Entry processed.");
  EXPECT_TRUE(FileExists(tree.File("one.tmp")));

  run.state.cancel = true;
  run.view.lines.clear();
  RunSelectedPlugins(run.ctx);
  EXPECT_EQ(run.view.lines, (Lines{"*** Cancelled by operator."}));
}

TEST_F(RunPluginsOptionTest, APurgeRunsThePluginsInTheirFrame) {
  MakeFile(tree.File("one.tmp"));
  MakeFile(program.File("PLUGINS\\A.STD"), "DELFILE=" + T + "\\one.tmp?\r\n");
  SavePluginSelection({"A.STD"});
  PurgeRequest request;
  request.options[OptionField::Plugins] = 1;
  ASSERT_TRUE(RunPurge(run.ctx, request));
  const Lines& lines = run.view.lines;
  auto at = std::find(lines.begin(), lines.end(), "Processing \"Plugins\"");
  ASSERT_NE(at, lines.end()) << Dump(lines);
  EXPECT_EQ(Lines(at + 1, at + 5),
            (Lines{"Process Plugin - A.STD", "DELFILE=" + T + "\\ONE.TMP?",
                   "         deleted - " + T + "\\ONE.TMP",
                   "  Run Plugins Function Completed.  1 - Entry processed."}));
  EXPECT_FALSE(FileExists(tree.File("one.tmp")));
}

// A byte-order mark says how the file was written: UTF-8 and UTF-16 run as text, and UTF-16
// that the ANSI code page cannot hold is refused, never run as a plugin with nothing in it.
TEST_F(RunPluginsOptionTest, FilesWithByteOrderMarksRunAsTextOrAreRefused) {
  auto utf16 = [](const std::string& text, const std::string& more = "") {
    std::string bytes = "\xFF\xFE";
    for (char c : text) bytes += std::string{c, '\0'};
    return bytes + more;
  };
  MakeFile(tree.File("one.tmp"));
  MakeFile(tree.File("two.tmp"));
  MakeFile(tree.File("three.tmp"));
  MakeFile(program.File("PLUGINS\\A.STD"),
           "\xEF\xBB\xBF"
           "DELFILE=" +
               T + "\\one.tmp?\r\n");
  MakeFile(program.File("PLUGINS\\B.STD"), utf16("DELFILE=" + T + "\\two.tmp?\r\n"));
  MakeFile(program.File("PLUGINS\\C.STD"),
           utf16("DELFILE=" + T + "\\three.tmp?\r\n;", std::string("\x2D\x4E", 2)));
  SavePluginSelection({"A.STD", "B.STD", "C.STD"});
  run.state.preview = false;
  run.state.detail = false;
  RunSelectedPlugins(run.ctx);
  EXPECT_EQ(
      run.view.lines,
      (Lines{"Process Plugin - A.STD", "DELFILE=" + T + "\\ONE.TMP?", " ", "Process Plugin - B.STD",
             "DELFILE=" + T + "\\TWO.TMP?", " ", "Process Plugin - C.STD",
             " -Error- Plugin file not processed - UTF-16 text with characters outside the "
             "ANSI code page: not run.",
             "  Run Plugins Function Completed.  2 - Entries processed."}));
  EXPECT_EQ(run.state.highestLevel, 3);
  EXPECT_FALSE(FileExists(tree.File("one.tmp")));
  EXPECT_FALSE(FileExists(tree.File("two.tmp")));
  EXPECT_TRUE(FileExists(tree.File("three.tmp")));
}

// A view that presses "Cancel / Stop" when the report shows a given line, as a user does while
// that statement runs.
struct CancellingView : VectorView {
  RunState* state = nullptr;
  std::string at;
  void AddLine(const std::string& l) override {
    VectorView::AddLine(l);
    if (l == at) state->cancel = true;
  }
};

TEST_F(PluginRunTest, ACancelDuringAStatementIsSaidAndTheClosingLinesFollow) {
  const std::string a = "DELFILE=" + T + "\\A.TMP?", b = "DELFILE=" + T + "\\B.TMP?";
  const std::string aGoes = "       to delete - " + T + "\\A.TMP";
  const std::string bGoes = "       to delete - " + T + "\\B.TMP";
  MakeFile(tree.File("a.tmp"));
  MakeFile(tree.File("b.tmp"));
  const std::string cancelled = "*** Cancelled by operator.";
  const struct {
    std::string at;
    Lines lines;
  } cases[] = {
      {a, {a, aGoes, cancelled, "    1 - Entry processed for this Plugin", " "}},
      {b, {a, aGoes, b, bGoes, cancelled, "   2 - Entries processed for this Plugin", " "}},
  };
  for (const auto& c : cases) {
    RunState state;
    CancellingView view;
    view.state = &state;
    view.at = c.at;
    ReportContext ctx{state, view};
    state.preview = true;
    RunPlugin(ctx, {a, b}, true);
    EXPECT_EQ(view.lines, c.lines) << c.at;
  }
}
}  // namespace

// "\u0101.tmp" lists in the ANSI code page as "a.tmp", here the name of a folder: the walks
// list wide and reach the file by its short name, never by its look-alike.
TEST_F(PluginRunTest, ANameTheCodePageCannotHoldIsReachedByItsShortName) {
  MakeFile(tree.File("store\\keep.txt"));
  ASSERT_TRUE(CreateDirectoryA(tree.File("store\\a.tmp").c_str(), nullptr));
  const std::wstring store = WidePath(tree.File("store"));
  const std::wstring file = store + L"\\\x0101.tmp", folder = store + L"\\\x0101x.dir";
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(tree.File("store\\ax.dir").c_str(), nullptr));
  MakeFile(tree.File("store\\ax.dir\\other.tmp"));
  h = CreateFileW((folder + L"\\inner.tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                  nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  // The folder wildcard takes "\u0101x.dir" by its short name too: "ax.dir" is another folder.
  const Lines lines = Run(
      {"DELFOLD=" + T + "\\STORE[*.TMP]IS?", "DELFOLD=" + T + "\\STORE\\*X.DIR[*.TMP]IS?"}, false);
  EXPECT_EQ(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << Dump(lines);
  EXPECT_EQ(GetFileAttributesW((folder + L"\\inner.tmp").c_str()), INVALID_FILE_ATTRIBUTES)
      << Dump(lines);
  EXPECT_TRUE(DirectoryExists(tree.File("store\\a.tmp")));
  EXPECT_TRUE(FileExists(tree.File("store\\keep.txt")));
  RemoveDirectoryW(folder.c_str());
}
