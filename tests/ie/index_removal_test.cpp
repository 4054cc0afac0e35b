// "Delete I.E. Index.dat files at next Reboot": the folder list, the real VaskIndx.exe
// scheduling the deletions in the test prefix's registry (nothing is restarted), and the
// failure paths.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/folders.h"
#include "core/os_flags.h"
#include "core/text_util.h"
#include "ie/boot_list.h"
#include "ie/ie_discovery.h"
#include "ie/ie_hooks.h"
#include "ie/index_removal.h"
#include "platform/files.h"
#include "resource.h"
#include "support/child_process.h"
#include "support/test_support.h"

namespace {
constexpr const wchar_t* kSessionManager = L"System\\CurrentControlSet\\Control\\Session Manager";
constexpr const wchar_t* kPending = L"PendingFileRenameOperations";

std::wstring ReadPending(bool& present) {
  HKEY key;
  present = false;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return {};
  DWORD size = 0, type = 0;
  std::wstring value;
  if (RegQueryValueExW(key, kPending, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    value.resize(size / sizeof(wchar_t) + 1);
    RegQueryValueExW(key, kPending, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size);
    value.resize(size / sizeof(wchar_t));
    present = true;
  }
  RegCloseKey(key);
  return value;
}

// The renames pending before the test are what stays pending after it: the prefix's next
// start must delete nothing of the test's.
struct PendingRenamesGuard {
  bool present = false;
  std::wstring saved = ReadPending(present);
  ~PendingRenamesGuard() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
      return;
    if (present)
      RegSetValueExW(key, kPending, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(saved.data()),
                     static_cast<DWORD>(saved.size() * sizeof(wchar_t)));
    else
      RegDeleteValueW(key, kPending);
    RegCloseKey(key);
  }
};

// The strings of a REG_MULTI_SZ, upper-cased.
std::vector<std::string> PendingStrings() {
  bool present = false;
  std::wstring w = ReadPending(present);
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t i = 0; i <= w.size(); ++i) {
    if (i < w.size() && w[i] != L'\0') continue;
    if (i > start) {
      std::string s;
      for (size_t k = start; k < i; ++k) s += static_cast<char>(w[k] < 128 ? w[k] : '?');
      out.push_back(UpperCase(s));
    }
    start = i + 1;
  }
  return out;
}

bool Pending(const std::string& path) {
  for (const std::string& s : PendingStrings())
    if (EndsWith(s, UpperCase(path)) && s.find(":\\") != std::string::npos) return true;
  return false;
}

struct IndexRemovalTest : testing::Test {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  IeFolderSet savedIe = IeFolders();
  AppFolders savedFolders = Folders();
  PendingRenamesGuard pending;
  TempFolder ie;
  IndexRemovalTest() { MutableFolders().programFolder = BinFolder(); }
  ~IndexRemovalTest() override {
    MutableIeFolders() = savedIe;
    MutableFolders() = savedFolders;
    SetIndexRemovalAdminTest(nullptr);
  }
  std::string Folder(const std::string& name, const char* indexFile) {
    const std::string f = ie.File(name);
    ForceDirectories(f);
    if (indexFile) WriteFileText(f + "\\" + indexFile, "index");
    return f;
  }
};
}  // namespace

TEST_F(IndexRemovalTest, TheListNamesTheFoldersAndVaskIndxSchedulesTheirIndexFiles) {
  IeFolderSet f;
  f.cacheFolder = Folder("Content.IE5", "index.dat");
  f.cookiesFolder = Folder("Cookies", "Index.dat");
  f.historyFolder = Folder("History.IE5", "container.dat");
  f.userDataFolder = "... Not Found ...";
  f.domStoreFolder = Folder("DomStore", nullptr);  // no index file: nothing to schedule
  MutableIeFolders() = f;
  WriteFileText(f.cacheFolder + "\\page.htm", "not an index file");
  const std::string dated = Folder("History.IE5\\MSHist012026120120261208", "index.dat");
  const std::string other = Folder("History.IE5\\Other", "index.dat");

  ScheduleIndexRemoval();
  EXPECT_EQ(LastIndexRemovalError().code, 0u) << LastIndexRemovalError().text;
  EXPECT_EQ(ReadFileText(data.Path() + "\\VaskBoot.dat"),
            "Quorvane\r\n" + f.cacheFolder + "\r\n" + f.cookiesFolder + "\r\n" + f.historyFolder +
                "\r\n\r\n\r\n\r\n... Not Found ...\r\n\r\n" + f.domStoreFolder + "\r\n\r\n");
  EXPECT_TRUE(Pending(f.cacheFolder + "\\index.dat"));
  EXPECT_TRUE(Pending(f.cookiesFolder + "\\Index.dat"));
  EXPECT_TRUE(Pending(f.historyFolder + "\\container.dat"));
  EXPECT_FALSE(Pending(f.cacheFolder + "\\page.htm"));
  // The dated history containers have index files of their own; other sub-folders are not
  // the list's.
  EXPECT_TRUE(Pending(dated + "\\index.dat"));
  EXPECT_FALSE(Pending(other + "\\index.dat"));
  // Nothing goes before the next start.
  EXPECT_TRUE(FileExists(f.cacheFolder + "\\index.dat"));
  EXPECT_TRUE(FileExists(f.historyFolder + "\\container.dat"));
}

TEST_F(IndexRemovalTest, AnUnwritableListShowsTheFailureBoxAndAMissingCompanionNothing) {
  MessageBoxRecorder boxes;
  MutableFolders().dataFolder = ie.File("no such folder");
  ScheduleIndexRemoval();
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Quorvane -  Message");
  EXPECT_EQ(boxes.boxes[0].text, "The Purge at Reboot function failed.\r\n\r\nPlease notify the vendor. ");
  EXPECT_EQ(boxes.boxes[0].kind, MessageKind::Error);

  boxes.boxes.clear();
  MutableFolders().dataFolder = data.Path();
  MutableFolders().programFolder = ie.Path();  // no VaskIndx.exe there
  ScheduleIndexRemoval();
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_NE(LastIndexRemovalError().code, 0u);
  EXPECT_FALSE(LastIndexRemovalError().text.empty());
  EXPECT_EQ(SplitLines(ReadFileText(data.Path() + "\\VaskBoot.dat")).size(), 11u);
}

TEST(IndexRemovalVerbTest, AUserWhoIsNoAdministratorIsAskedForElevation) {
  EXPECT_EQ(IndexRemovalVerb(false, true, true), "runas");  // a standard user on Windows 7
  EXPECT_EQ(IndexRemovalVerb(true, false, true), "open");   // an administrator on Windows XP
  EXPECT_EQ(IndexRemovalVerb(true, true, true), "open");
  EXPECT_EQ(IndexRemovalVerb(false, false, true), "runas");
  EXPECT_EQ(IndexRemovalVerb(false, false, false), "open");  // Windows 9x has no elevation
}

TEST(IndexRemovalMenuTest, TheMenuCommandHandsTheDiscoveredFoldersToVaskIndx) {
  PendingRenamesGuard pending;
  ScopedArguments args{{}};
  DetectIeVersion();
  DiscoverIeFolders();
  const std::string cacheFolder = IeFolders().cacheFolder;
  ASSERT_FALSE(cacheFolder.empty());
  char appData[MAX_PATH] = {};
  ASSERT_TRUE(GetEnvironmentVariableA("APPDATA", appData, sizeof appData));
  const std::string list = std::string(appData) + "\\QVINDEXMENU\\VaskBoot.dat";
  DeleteFileA(list.c_str());

  ChildProcess quorvane(QuorvanePath(), "MULT ANYPOS data=QvIndexMenu");
  ASSERT_TRUE(quorvane.Started());
  HWND main = quorvane.WaitForWindow("TFFoxForm", 30000);
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_DELETE_INDEX, 0), 0);
  for (int i = 0; i < 200 && !Pending(cacheFolder + "\\index.dat"); ++i) Sleep(50);
  EXPECT_TRUE(Pending(cacheFolder + "\\index.dat"));
  const std::vector<std::string> lines = SplitLines(ReadFileText(list));
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(lines[0], "Quorvane");
  EXPECT_EQ(lines[1], cacheFolder);
  EXPECT_EQ(lines[2], IeFolders().cookiesFolder);
  EXPECT_TRUE(FileExists(cacheFolder + "\\index.dat"));  // nothing goes before the next start
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(quorvane.WaitForExit(15000));
  RemoveTree(std::string(appData) + "\\QVINDEXMENU");
}
