#include "platform/links.h"

#include <windows.h>

#include <vector>

namespace {
using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
using UnixNameFn = char*(CDECL*)(LPCWSTR);

std::wstring Widen(const std::string& s, UINT codePage) {
  int n = MultiByteToWideChar(codePage, 0, s.c_str(), -1, nullptr, 0);
  if (n <= 0) return {};
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, s.c_str(), -1, w.data(), n);
  w.resize(static_cast<size_t>(n - 1));
  return w;
}

// Wine 8 gives every open file the real path of what it names, so DeleteFile, RemoveDirectory
// and a delete disposition on a symbolic link all act on the link's target (and the link
// stays). Under Wine the link is therefore removed by the system's "unlink" program, which
// removes exactly one name and refuses a real folder. Wine starts a Unix program from
// CreateProcess but hands back no handle to wait on, so the link's disappearance is awaited.
DWORD UnlinkUnderWine(const std::string& path) {
  auto unixName = reinterpret_cast<UnixNameFn>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
  if (!unixName) return ERROR_NOT_SUPPORTED;
  char* name = unixName(Widen(path, CP_ACP).c_str());
  if (!name) return ERROR_PATH_NOT_FOUND;
  std::wstring line = L"unlink \"" + Widen(name, CP_UTF8) + L"\"";
  HeapFree(GetProcessHeap(), 0, name);
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(L"Z:\\usr\\bin\\unlink", buffer.data(), nullptr, nullptr, FALSE,
                      CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
    return GetLastError();
  for (int i = 0; i < 500; ++i) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
        GetLastError() == ERROR_FILE_NOT_FOUND)
      return 0;
    Sleep(i < 20 ? 1 : 10);
  }
  return ERROR_ACCESS_DENIED;
}
}  // namespace

bool RunningUnderWine() {
  static const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
  return wine;
}

std::string FinalPathOf(const std::string& path) {
  static const auto finalPath = reinterpret_cast<FinalPathFn>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA"));
  if (!finalPath) return {};
  HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  char buf[MAX_PATH * 4];
  DWORD n = finalPath(h, buf, sizeof buf, 0);
  CloseHandle(h);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

// On Windows a junction or directory link goes with RemoveDirectory and a file link with
// DeleteFile; both remove the link, not what it points to.
unsigned long RemoveLinkItself(const std::string& path, bool isFolder) {
  if (RunningUnderWine()) return UnlinkUnderWine(path);
  DWORD a = GetFileAttributesA(path.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(path.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
  const BOOL ok = isFolder ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str());
  return ok ? 0 : GetLastError();
}
