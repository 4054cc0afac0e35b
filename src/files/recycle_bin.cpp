#include "files/recycle_bin.h"

#include <windows.h>
#include <sddl.h>
#include <shellapi.h>

#include <vector>

#include "core/report_rules.h"
#include "platform/files.h"
#include "platform/reparse_rules.h"

namespace {
using EmptyBinFn = HRESULT(WINAPI*)(HWND, LPCSTR, DWORD);
using QueryBinFn = HRESULT(WINAPI*)(LPCSTR, LPSHQUERYRBINFO);
constexpr DWORD kQuietly = SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND;  // 7

// Wine's own export, absent on Windows: a Unix path as the DOS path Wine shows for it.
std::string DosPathOfUnix(const std::string& unixPath) {
  using ToDos = LPWSTR(CDECL*)(LPCSTR);
  auto toDos = reinterpret_cast<ToDos>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name"));
  if (!toDos) return "";
  LPWSTR wide = toDos(unixPath.c_str());
  if (!wide) return "";
  char buf[MAX_PATH * 2] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, buf, sizeof buf, nullptr, nullptr);
  HeapFree(GetProcessHeap(), 0, wide);
  return buf;
}

std::string Environment(const char* name) {
  char buf[MAX_PATH * 2] = {};
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? buf : "";
}

// The user's SID as text ("S-1-5-21-..."), the name of the user's own folder in each drive's
// bin; empty when the token cannot be read.
std::string CurrentUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "";
  std::vector<BYTE> buf(512);
  DWORD n = 0;
  std::string text;
  if (GetTokenInformation(token, TokenUser, buf.data(), static_cast<DWORD>(buf.size()), &n)) {
    char* sid = nullptr;
    if (ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buf.data())->User.Sid, &sid)) {
      text = sid;
      LocalFree(sid);
    }
  }
  CloseHandle(token);
  return text;
}

// Items left in the bins of all drives; -1 when the shell cannot say.
long long ItemsInBin(QueryBinFn query) {
  SHQUERYRBINFO info{sizeof info};
  if (!query || FAILED(query("", &info))) return -1;
  return info.i64NumItems;
}

bool RemoveLink(const std::string& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    if (RemoveDirectoryA(path.c_str())) return true;
  }
  // Wine keeps a Unix symbolic link to a folder as a file, which only DeleteFile removes.
  return DeleteFileA(path.c_str()) != FALSE;
}
}  // namespace

bool RecycleBinAvailable() {
  HMODULE shell = LoadLibraryA("Shell32.dll");
  if (!shell) return false;
  const bool found = GetProcAddress(shell, "SHEmptyRecycleBinA") != nullptr;
  FreeLibrary(shell);
  return found;
}

std::vector<std::string> RecycleBinFolders() {
  std::vector<std::string> folders;
  if (GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")) {
    std::string data = Environment("XDG_DATA_HOME");
    if (data.empty() && !Environment("HOME").empty()) data = Environment("HOME") + "/.local/share";
    if (!data.empty()) {
      std::string trash = DosPathOfUnix(data + "/Trash/files");
      if (!trash.empty() && DirectoryExists(trash)) folders.push_back(trash);
    }
  }
  // Each user has a folder of their own in a drive's bin, named by their SID; the other users'
  // folders are theirs, never walked. FAT drives' shared "RECYCLED" cannot hold links at all.
  const std::string sid = CurrentUserSid();
  const DWORD drives = GetLogicalDrives();
  for (int i = 2; i < 26 && !sid.empty(); ++i) {
    if (!(drives & (1u << i))) continue;
    const std::string root = std::string(1, char('A' + i)) + ":\\";
    if (GetDriveTypeA(root.c_str()) != DRIVE_FIXED) continue;
    for (const char* bin : {"$Recycle.Bin", "RECYCLER"})
      if (DirectoryExists(root + bin + "\\" + sid)) folders.push_back(root + bin + "\\" + sid);
  }
  return folders;
}

bool RemoveLinksInTree(const std::string& folder) {
  bool clean = true;
  WIN32_FIND_DATAA fd;
  FindFile find;
  for (bool more = find.First(folder + "\\*", fd); more; more = find.Next(fd)) {
    const std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = folder + "\\" + name;
    if (IsLinkReparse(fd.dwFileAttributes, fd.dwReserved0)) {
      if (!RemoveLink(path, fd.dwFileAttributes)) clean = false;
    } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!RemoveLinksInTree(path)) clean = false;
    }
  }
  return clean;
}

// The shell deletes a binned folder by walking into it, links included: under Wine a Unix
// symbolic link in the trash would have the files it points at deleted. The links go first,
// and a bin that keeps one is not emptied.
void EmptyRecycleBin(ReportContext& ctx) {
  if (ctx.State().preview) {
    ctx.AddReportLine("  \"Purge Recycle Bin\" Function bypassed for Preview.");
    return;
  }
  try {
    bool linksRemoved = true;
    for (const std::string& bin : RecycleBinFolders())
      if (!RemoveLinksInTree(bin)) linksRemoved = false;
    bool emptied = false;
    HMODULE shell = LoadLibraryA("Shell32.dll");
    if (shell) {
      auto empty = reinterpret_cast<EmptyBinFn>(GetProcAddress(shell, "SHEmptyRecycleBinA"));
      auto query = reinterpret_cast<QueryBinFn>(GetProcAddress(shell, "SHQueryRecycleBinA"));
      if (empty && linksRemoved) {
        // No window of the program is needed as owner: the flags show nothing.
        const HRESULT hr = empty(nullptr, "", kQuietly);
        // What is left decides: Windows answers an already empty bin with a failure code, and
        // Wine answers success even when it could delete nothing.
        const long long left = ItemsInBin(query);
        emptied = left >= 0 ? left == 0 : SUCCEEDED(hr);
      }
      FreeLibrary(shell);
      ctx.CountItem();
    }
    if (emptied) {
      ctx.AddReportLine("  Purge \"Recycle Bin\" Function Completed.");
    } else {
      ctx.AddReportLine(kRecycleBinFailedLine);
      ctx.RaiseLevel(1);
      ctx.SetAttention();
    }
  } catch (...) {
    ctx.AddReportLine("*** Error in above Function.");
    ctx.RaiseLevel(9);
  }
}
