#include "winapp2/winapp2_system.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>

#include "core/text_util.h"
#include "core/windows_version.h"
#include "platform/ansi_utf8.h"
#include "platform/files.h"
#include "platform/shell_folders.h"
#include "plugins/refused_folders.h"

namespace {
std::string EnvironmentUtf8(const wchar_t* name) {
  wchar_t buffer[32768];
  const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
  return n == 0 || n >= 32768 ? std::string() : WideToUtf8(std::wstring(buffer, n));
}

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

bool IsWow64() {
  using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto fn = reinterpret_cast<IsWow64Fn>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process"));
  BOOL wow64 = FALSE;
  return fn && fn(GetCurrentProcess(), &wow64) && wow64;
}

void Add(Winapp2System& s, const char* name, const std::string& folder) {
  const std::string f = WithoutTrailingSeparator(folder);
  if (f.empty()) return;
  auto& list = s.variables[name];
  for (const auto& existing : list)
    if (SameText(existing, f)) return;
  list.push_back(f);
}
}  // namespace

Winapp2Facts ReadWinapp2Facts() {
  Winapp2Facts facts;
  Winapp2System& s = facts.system;
  s.wow64 = IsWow64();
  wchar_t buffer[MAX_PATH + 1];
  if (UINT n = GetWindowsDirectoryW(buffer, MAX_PATH); n && n < MAX_PATH)
    s.windowsFolder = WithoutTrailingSeparator(WideToUtf8(std::wstring(buffer, n)));
  Add(s, "WINDIR", s.windowsFolder);
  const std::string systemDrive = EnvironmentUtf8(L"SystemDrive");
  Add(s, "SYSTEMDRIVE", !systemDrive.empty() ? systemDrive : s.windowsFolder.substr(0, 2));
  Add(s, "APPDATA", KnownFolderUtf8(FOLDERID_RoamingAppData, CSIDL_APPDATA));
  Add(s, "LOCALAPPDATA", KnownFolderUtf8(FOLDERID_LocalAppData, CSIDL_LOCAL_APPDATA));
  Add(s, "LOCALLOWAPPDATA", KnownFolderUtf8(FOLDERID_LocalAppDataLow, -1));
  Add(s, "PROGRAMDATA", KnownFolderUtf8(FOLDERID_ProgramData, CSIDL_COMMON_APPDATA));
  Add(s, "COMMONAPPDATA", KnownFolderUtf8(FOLDERID_ProgramData, CSIDL_COMMON_APPDATA));
  Add(s, "USERPROFILE", KnownFolderUtf8(FOLDERID_Profile, CSIDL_PROFILE));
  Add(s, "DOCUMENTS", KnownFolderUtf8(FOLDERID_Documents, CSIDL_PERSONAL));
  Add(s, "MUSIC", KnownFolderUtf8(FOLDERID_Music, CSIDL_MYMUSIC));
  Add(s, "PICTURES", KnownFolderUtf8(FOLDERID_Pictures, CSIDL_MYPICTURES));
  Add(s, "VIDEO", KnownFolderUtf8(FOLDERID_Videos, CSIDL_MYVIDEO));
  Add(s, "PUBLIC", KnownFolderUtf8(FOLDERID_Public, -1));
  if (DWORD n = GetTempPathW(MAX_PATH + 1, buffer); n && n <= MAX_PATH)
    Add(s, "TEMP", WideToUtf8(std::wstring(buffer, n)));
  DWORD size = MAX_PATH;
  if (GetUserNameW(buffer, &size) && size > 1) s.variables["USERNAME"] = {WideToUtf8(buffer)};
  // A 32-bit program is given the x86 folders; on 64-bit Windows the 64-bit ones come first.
  if (s.wow64) {
    Add(s, "PROGRAMFILES", EnvironmentUtf8(L"ProgramW6432"));
    Add(s, "COMMONPROGRAMFILES", EnvironmentUtf8(L"CommonProgramW6432"));
  }
  Add(s, "PROGRAMFILES", KnownFolderUtf8(FOLDERID_ProgramFilesX86, CSIDL_PROGRAM_FILES));
  Add(s, "COMMONPROGRAMFILES",
      KnownFolderUtf8(FOLDERID_ProgramFilesCommonX86, CSIDL_PROGRAM_FILES_COMMON));

  const WindowsVersion& v = CurrentWindowsVersion();
  facts.windowsVersion = v.major * 100 + v.minor;
  if (facts.windowsVersion == 0) {
    const WindowsVersion read = ReadWindowsVersion();
    facts.windowsVersion = read.major * 100 + read.minor;
  }
  return facts;
}

const Winapp2Refusals& Winapp2Facts::Refusals() const {
  if (refusals_) return *refusals_;
  Winapp2Refusals& r = refusals_.emplace();
  r.whole = plugin_engine::RefusedFolders();
  auto noWalk = [&](const std::string& utf8) {
    if (utf8.empty()) return;
    r.noWalk.push_back(
        UpperCase(plugin_engine::LongFormOf(WithoutTrailingSeparator(AnsiReach(utf8)))));
  };
  noWalk(system.windowsFolder);
  for (const char* sub : {"\\System32", "\\SysWOW64", "\\Sysnative", "\\System"})
    noWalk(system.windowsFolder + sub);
  for (const char* name : {"PROGRAMFILES", "COMMONPROGRAMFILES"})
    if (const auto found = system.variables.find(name); found != system.variables.end())
      for (const auto& f : found->second) noWalk(f);
  return *refusals_;
}

std::string AnsiReach(const std::string& utf8Path) {
  // Nearly every path of the file is ASCII, which reads the same in every code page.
  if (std::all_of(utf8Path.begin(), utf8Path.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return utf8Path;
  const std::wstring wide = Utf8ToWide(utf8Path);
  bool lossy = false;
  std::string ansi = AnsiFileName(wide.c_str(), &lossy);
  if (!lossy) return ansi;
  wchar_t shortPath[32768];
  const DWORD n = GetShortPathNameW(wide.c_str(), shortPath, 32768);
  if (n == 0 || n >= 32768) return {};
  ansi = AnsiFileName(shortPath, &lossy);
  return lossy ? std::string() : ansi;
}
