#include "platform/links.h"

#include <windows.h>

#include <vector>

#include "platform/files.h"
#include "platform/reparse_rules.h"

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

UnixNameFn UnixNameFunction() {
  return reinterpret_cast<UnixNameFn>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
}

std::string UnixNameOf(const std::string& path) {
  UnixNameFn unixName = UnixNameFunction();
  char* name = unixName ? unixName(Widen(path, CP_ACP).c_str()) : nullptr;
  if (!name) return {};
  std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

// Starts a Unix program under Wine. Wine runs it but hands back no handle to wait on.
bool StartUnixProgram(const wchar_t* program, const std::wstring& line) {
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  return CreateProcessW(program, buffer.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi) != FALSE;
}

// Wine 8 gives every open file the real path of what it names, so DeleteFile, RemoveDirectory
// and a delete disposition on a symbolic link all act on the link's target (and the link
// stays). Under Wine the link is therefore removed by the system's "unlink" program, which
// removes exactly one name and refuses a real folder. Wine starts a Unix program from
// CreateProcess but hands back no handle to wait on, so the link's disappearance is awaited.
DWORD UnlinkUnderWine(const std::string& path) {
  const std::string name = UnixNameOf(path);
  if (name.empty()) return ERROR_PATH_NOT_FOUND;
  if (!StartUnixProgram(L"Z:\\usr\\bin\\unlink", L"unlink \"" + Widen(name, CP_UTF8) + L"\""))
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

// The directory entry carries the tag in dwReserved0 when the reparse attribute is set; this
// works on every version, where the handle-based query is Vista's.
unsigned long ReparseTagOf(const std::string& path) {
  WIN32_FIND_DATAA fd;
  if (!FindFile().First(path, fd)) return 0;
  return (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? fd.dwReserved0 : 0;
}

unsigned long ReparseTagOfHandle(void* handle) {
  using InfoExFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
  static const auto infoEx = reinterpret_cast<InfoExFn>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFileInformationByHandleEx"));
  struct {
    DWORD attributes, tag;
  } info{};
  constexpr int kFileAttributeTagInfo = 9;
  if (!infoEx || !infoEx(handle, kFileAttributeTagInfo, &info, sizeof info)) return 0;
  return (info.attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? info.tag : 0;
}

bool IsLinkByReparse(const std::string& path, unsigned long attributes) {
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  return IsLinkReparse(attributes, ReparseTagOf(path));
}

bool ResolvesElsewhere(const std::string& path, const std::string& folderFinal,
                       const std::string& name) {
  if (folderFinal.empty()) return false;
  const std::string final = FinalPathOf(path);
  if (final.empty()) return false;
  // A drive's root resolves with its backslash ("\\?\C:\").
  const std::string expected = folderFinal + (folderFinal.back() == '\\' ? "" : "\\") + name;
  return lstrcmpiA(final.c_str(), expected.c_str()) != 0;
}

bool IsLinkToFile(const std::string& path, unsigned long attributes) {
  if (IsLinkByReparse(path, attributes)) return true;
  const size_t at = path.find_last_of("\\/");
  if (!RunningUnderWine() || at == std::string::npos) return false;
  return ResolvesElsewhere(path, FinalPathOf(path.substr(0, at)), path.substr(at + 1));
}

bool IsLinkToFile(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && IsLinkToFile(path, a);
}

FileLinksBelow::FileLinksBelow(const std::string& root, bool purging) {
  if (!purging || !RunningUnderWine()) return;
  known_ = ListLinksBelowUnderWine(root, links_);
  checkEach_ = !known_;
}

std::string FileLinksBelow::FolderFinal(const std::string& folder) const {
  return checkEach_ ? FinalPathOf(folder) : std::string();
}

bool FileLinksBelow::Has(const std::string& relative, const std::string& path,
                         const std::string& name, const std::string& folderFinal) const {
  if (known_) return links_.count(relative) > 0;
  return checkEach_ && ResolvesElsewhere(path, folderFinal, name);
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

bool ListLinksBelowUnderWine(const std::string& folder, std::set<std::string>& links) {
  links.clear();
  const std::string root = UnixNameOf(folder);
  if (root.empty()) return false;
  static int serial = 0;
  const std::string out =
      "/tmp/qv-links-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
  const std::string outDos = "Z:" + out;  // Wine maps Z: to the Unix root
  // The list is complete once it has its final name.
  const std::wstring line =
      L"sh -c \"find -P \\\"$1\\\" -type l -print0 > \\\"$2.part\\\" && "
      L"mv \\\"$2.part\\\" \\\"$2\\\"\" qv \"" +
      Widen(root, CP_UTF8) + L"\" \"" + Widen(out, CP_UTF8) + L"\"";
  if (!StartUnixProgram(L"Z:\\bin\\sh", line)) return false;
  std::string text;
  bool done = false;
  for (int i = 0; i < 3000 && !done; ++i) {
    done = GetFileAttributesA(outDos.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!done) Sleep(i < 50 ? 1 : 10);
  }
  if (!done) return false;
  HANDLE h = CreateFileA(outDos.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) text.append(buf, got);
  CloseHandle(h);
  DeleteFileA(outDos.c_str());
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\0', start);
    if (end == std::string::npos) end = text.size();
    std::string path = text.substr(start, end - start);
    start = end + 1;
    if (path.size() <= root.size() + 1 || path.compare(0, root.size(), root) != 0 ||
        path[root.size()] != '/')
      continue;
    // Unix names come in UTF-8; the purge lists names in the ANSI code page, with '?' for
    // what the code page cannot hold.
    std::string relative = AnsiFileName(Widen(path.substr(root.size() + 1), CP_UTF8).c_str());
    for (char& c : relative)
      if (c == '/') c = '\\';
    links.insert(relative);
  }
  return true;
}
