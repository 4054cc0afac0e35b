#include "platform/files.h"

#include <windows.h>

#include <algorithm>

bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::string& path) {
  if (path.empty()) return false;
  std::string p = path;
  while (p.size() > 3 && (p.back() == '\\' || p.back() == '/')) p.pop_back();
  if (DirectoryExists(p)) return true;
  std::string parent = ExtractFilePath(p);
  if (!parent.empty() && parent != p && !(parent.size() == 2 && parent[1] == ':'))
    ForceDirectories(parent);
  return CreateDirectoryA(p.c_str(), nullptr) || DirectoryExists(p);
}

unsigned DriveTypeOf(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return GetDriveTypeA(nullptr);
  std::string root = path.substr(0, 2) + "\\";
  return GetDriveTypeA(root.c_str());
}

std::string ModuleFileName() {
  char buf[MAX_PATH * 2];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  return std::string(buf, n);
}

std::string ExtractFilePath(const std::string& path) {
  size_t at = path.find_last_of("\\/:");
  if (at == std::string::npos) return {};
  if (path[at] == ':') return path.substr(0, at + 1);
  return path.substr(0, at);
}

std::string ExtractFileName(const std::string& path) {
  size_t at = path.find_last_of("\\/:");
  return at == std::string::npos ? path : path.substr(at + 1);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  size_t dot = path.find_last_of('.');
  size_t sep = path.find_last_of("\\/:");
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return path + ext;
  return path.substr(0, dot) + ext;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  contents.clear();
  char buf[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(h, buf, sizeof buf, &got, nullptr)) && got > 0) contents.append(buf, got);
  CloseHandle(h);
  return ok;
}

// The file is replaced whole or not at all: the contents go to a temporary file beside it,
// are flushed, and only then take the file's name in one rename. A failed or short write
// (a full disk, a lost share) leaves the old file exactly as it was.
bool WriteWholeFile(const std::string& path, const std::string& contents) {
  const std::string temp = path + ".qv-new";
  HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = contents.empty() ||
            (WriteFile(h, contents.data(), static_cast<DWORD>(contents.size()), &put, nullptr) &&
             put == contents.size());
  ok = FlushFileBuffers(h) && ok;
  CloseHandle(h);
  ok = ok &&
       MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) {
    DWORD error = GetLastError();
    DeleteFileA(temp.c_str());
    SetLastError(error);
  }
  return ok;
}

bool EnsureFileExists(const std::string& path) {
  if (FileExists(path)) return true;
  ForceDirectories(ExtractFilePath(path));
  return WriteWholeFile(path, {});
}

long long FileSizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string ReadFileHead(const std::string& path, size_t bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string head(bytes, '\0');
  DWORD got = 0;
  if (!ReadFile(h, head.data(), static_cast<DWORD>(bytes), &got, nullptr)) got = 0;
  CloseHandle(h);
  head.resize(got);
  return head;
}

bool AppendToFile(const std::string& path, const std::string& text) {
  HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  // Append-only access writes at the end on Windows; the explicit move keeps it so wherever
  // that access right is not honoured.
  SetFilePointer(h, 0, nullptr, FILE_END);
  DWORD put = 0;
  bool ok =
      text.empty() || (WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &put, nullptr) &&
                       put == text.size());
  CloseHandle(h);
  return ok;
}

bool MoveFileReplacing(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::string AnsiFileName(const wchar_t* name, bool* lossy) {
  BOOL usedDefault = FALSE;
  const int n =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, nullptr, 0, "?", &usedDefault);
  std::string text(n > 1 ? static_cast<size_t>(n - 1) : 0, '\0');
  if (n > 1)
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, text.data(), n, "?", &usedDefault);
  if (lossy) *lossy = usedDefault != FALSE;
  return text;
}

std::wstring WidePath(const std::string& path) {
  const int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide(n > 1 ? static_cast<size_t>(n - 1) : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), n);
  return wide;
}

bool FindFile::First(const std::string& pattern, WIN32_FIND_DATAA& entry) {
  Close();
  const HANDLE h = FindFirstFileA(pattern.c_str(), &entry);
  if (h != INVALID_HANDLE_VALUE) handle_ = h;
  return handle_ != nullptr;
}

bool FindFile::First(const std::wstring& pattern, WIN32_FIND_DATAW& entry) {
  Close();
  const HANDLE h = FindFirstFileW(pattern.c_str(), &entry);
  if (h != INVALID_HANDLE_VALUE) handle_ = h;
  return handle_ != nullptr;
}

bool FindFile::Next(WIN32_FIND_DATAA& entry) {
  return handle_ && FindNextFileA(handle_, &entry);
}

bool FindFile::Next(WIN32_FIND_DATAW& entry) {
  return handle_ && FindNextFileW(handle_, &entry);
}

void FindFile::Close() {
  if (handle_) FindClose(handle_);
  handle_ = nullptr;
}

void ListFolderWide(const std::string& pattern, const std::function<bool(ListedEntry&&)>& take) {
  WIN32_FIND_DATAW fd;
  FindFile find;
  for (bool more = find.First(WidePath(pattern), fd); more; more = find.Next(fd)) {
    ListedEntry e;
    e.name = AnsiFileName(fd.cFileName, &e.lossy);
    if (!e.lossy && (e.name == "." || e.name == "..")) continue;
    bool shortLossy = false;
    e.shortName = AnsiFileName(fd.cAlternateFileName, &shortLossy);
    if (shortLossy) e.shortName.clear();
    e.wideName = fd.cFileName;
    e.attributes = fd.dwFileAttributes;
    e.reparseTag = fd.dwReserved0;
    e.lastWrite = (static_cast<unsigned long long>(fd.ftLastWriteTime.dwHighDateTime) << 32) |
                  fd.ftLastWriteTime.dwLowDateTime;
    if (!take(std::move(e))) return;
  }
}

std::vector<ListedEntry> ListFolderWide(const std::string& pattern) {
  std::vector<ListedEntry> entries;
  ListFolderWide(pattern, [&](ListedEntry&& e) {
    entries.push_back(std::move(e));
    return true;
  });
  return entries;
}

std::vector<std::string> FilePathsIn(const std::string& folder, const std::string& mask) {
  std::vector<std::string> paths;
  for (const ListedEntry& e : ListFolderWide(folder + "\\" + mask))
    if (!e.IsFolder() && !e.Address().empty()) paths.push_back(folder + "\\" + e.Address());
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::string CurrentDirectory() {
  char buf[MAX_PATH * 2] = {};
  GetCurrentDirectoryA(sizeof buf, buf);
  return buf;
}

CurrentDirectoryScope::CurrentDirectoryScope(const std::string& folder)
    : previous_(CurrentDirectory()),
      entered_(folder.empty() || SetCurrentDirectoryA(folder.c_str())) {}

CurrentDirectoryScope::~CurrentDirectoryScope() { SetCurrentDirectoryA(previous_.c_str()); }

std::string FullPathName(const std::string& path) {
  char buffer[4 * MAX_PATH];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  if (n == 0 || n >= sizeof buffer) return {};
  return std::string(buffer, n);
}
