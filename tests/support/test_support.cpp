#include "support/test_support.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include "core/command_line.h"
#include "core/folders.h"
#include "firefox/browser_activity.h"
#include "firefox/firefox_profile.h"
#include "firefox/sqlite_module.h"
#include "platform/files.h"
#include "platform/window.h"

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = path + "\\" + name;
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(full);
      else
        DeleteFileA(full.c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(path.c_str());
}

TempFolder::TempFolder() {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  // Wine gives every test program the same few process ids, so a name may be left from an
  // earlier program (a folder it could not remove, a volume still mounted on it): each test
  // takes a folder that it made itself.
  static int counter = 0;
  do {
    path_ = std::string(base) + "qvtest_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++counter);
  } while (!CreateDirectoryA(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

int FilesBelow(const std::string& folder) {
  int n = 0;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    n += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FilesBelow(folder + "\\" + name) : 1;
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return n;
}

ScopedDataFolder::ScopedDataFolder() {
  AppFolders& f = MutableFolders();
  f.programFolder = BinFolder();
  f.dataFolder = folder_.Path();
  f.settingsFile = SettingsPath();
  f.cdMode = false;
  f.ffDatExe = false;
}

ScopedDataFolder::~ScopedDataFolder() { MutableFolders() = AppFolders(); }

std::string ScopedDataFolder::SettingsText() const { return ReadFileText(SettingsPath()); }

ScopedArguments::ScopedArguments(std::vector<std::string> args) {
  std::string line = "Quorvane.exe";
  for (const auto& a : args) line += " " + a;
  SetProgramArguments(std::move(args), line);
}

ScopedArguments::~ScopedArguments() { SetProgramArguments({}, {}); }

namespace {
MessageAnswer FailOnBox(const MessageBoxRequest& r) {
  ADD_FAILURE() << "unexpected message box: " << r.caption << ": " << r.text;
  return MessageAnswer::Ok;
}
}  // namespace

MessageBoxRecorder::MessageBoxRecorder(MessageAnswer answer) {
  SetMessageBoxAnswerer([this, answer](const MessageBoxRequest& r) {
    boxes.push_back(r);
    return answer;
  });
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxAnswerer(FailOnBox); }

std::string ReadFileText(const std::string& path) {
  std::string s;
  ReadWholeFile(path, s);
  return s;
}

void WriteFileText(const std::string& path, const std::string& text) { WriteWholeFile(path, text); }

std::string ListViewItemText(HWND list, int index) {
  char buf[1024] = {};
  LVITEMA item{};
  item.iSubItem = 0;
  item.pszText = buf;
  item.cchTextMax = sizeof buf;
  SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
  return buf;
}

int ListViewCount(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

void PumpFor(int milliseconds) {
  DWORD end = GetTickCount() + milliseconds;
  while (static_cast<int>(end - GetTickCount()) > 0) {
    PumpWaitingMessages();
    Sleep(10);
  }
}

std::string BinFolder() { return ExtractFilePath(ModuleFileName()); }

void PointFirefoxProfileAt(const std::string& folder) {
  TFFoxProfile& p = FFoxProfile();
  p = TFFoxProfile();
  p.discovered = true;
  p.DataPath = folder;
  p.PlacesFile = folder + "\\places.sqlite";
  p.FormHistoryFile = folder + "\\formhistory.sqlite";
  p.CookiesFile = p.discoveredPaths.cookies = folder + "\\cookies.sqlite";
  p.PermissionsFile = folder + "\\permissions.sqlite";
  p.CookiesTxtFile = std::string(kFileNotFoundMarker) + "Cookies.txt";
  p.HistoryDatFile = std::string(kFileNotFoundMarker) + "History.dat";
  p.FormHistoryDatFile = std::string(kFileNotFoundMarker) + "FormHistory.dat";
  p.ProfileCacheFolder = p.LocalCacheFolder = p.Cache2Folder = kFolderNotFound;
  p.HasPlacesDb = p.HasFormHistoryDb = p.HasCookiesDb = p.HasPermissionsDb = true;
  p.IsSqliteProfile = true;
  SetFirefoxActive(false);
}

bool BindSqliteNamed(const std::string& module) {
  if (module != "builtin") return LoadSqliteModule(module) == 0;
  UseBuiltinSqlite();
  return true;
}

std::string EnvironmentValue(const char* name) {
  char buf[MAX_PATH * 2] = {};
  const DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? buf : "";
}

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(GlobalLock(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return text;
}

FakeTopWindow::FakeTopWindow(const std::string& className, const std::string& title, bool visible) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = className.c_str();
  RegisterClassA(&wc);  // fails harmlessly when registered before
  window_ = CreateWindowExA(WS_EX_NOACTIVATE, className.c_str(), title.c_str(), WS_POPUP, 700, 500,
                            100, 60, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (visible) ShowWindow(window_, SW_SHOWNOACTIVATE);
}

FakeTopWindow::~FakeTopWindow() { DestroyWindow(window_); }

HWND FakeTopWindow::AddChild(const std::string& title) {
  return CreateWindowExA(0, "STATIC", title.c_str(), WS_CHILD, 0, 0, 10, 10, window_, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

ScopedFileRestore::ScopedFileRestore(std::string path) : path_(std::move(path)) {
  existed_ = ReadWholeFile(path_, contents_);
}

ScopedFileRestore::~ScopedFileRestore() {
  if (existed_)
    WriteWholeFile(path_, contents_);
  else
    DeleteFileA(path_.c_str());
}

namespace {
FILETIME HoursAgo(double hours) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
  t.QuadPart -= static_cast<ULONGLONG>(hours * 36000000000.0);
  return FILETIME{t.LowPart, t.HighPart};
}

bool WriteHandle(HANDLE h, const std::string& bytes, double ageHours) {
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = bytes.empty() || WriteFile(h, bytes.data(), DWORD(bytes.size()), &put, nullptr);
  const FILETIME ft = HoursAgo(ageHours);
  ok = SetFileTime(h, nullptr, nullptr, &ft) && ok;
  CloseHandle(h);
  return ok;
}
}  // namespace

void MakeAgedFile(const std::string& path, const std::string& bytes, double ageHours) {
  ForceDirectories(ExtractFilePath(path));
  WriteHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
              bytes, ageHours);
}

bool MakeWideFile(const std::wstring& path, const std::string& bytes, double ageHours) {
  return WriteHandle(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr), bytes,
      ageHours);
}

void MakeShellLink(const std::string& path, const std::string& target) {
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IShellLinkA, reinterpret_cast<void**>(&link))));
  link->SetPath(target.c_str());
  IPersistFile* file = nullptr;
  link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
  EXPECT_TRUE(SUCCEEDED(file->Save(wide, TRUE)));
  file->Release();
  link->Release();
  CoUninitialize();
  ASSERT_TRUE(FileExists(path));
}
