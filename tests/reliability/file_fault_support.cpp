#include "file_fault_support.h"

#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <fstream>

#include "ie/ie_discovery.h"
#include "ie/ie_hooks.h"
#include "platform/files.h"
#include "platform/links.h"

namespace file_faults {

void UseEraseMode(RunState& state, const EraseMode& mode) {
  state.secureErase = mode.secure;
  state.shred.thoroughness = mode.thoroughness;
  state.shred.repeats = 2;
}

bool WideExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Widen(const std::string& ansi) {
  int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
  std::wstring w(n > 0 ? size_t(n) : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, w.data(), n);
  w.resize(w.size() - 1);
  return w;
}

std::string UnixNameOf(const std::string& dosPath) {
  using Fn = char*(CDECL*)(LPCWSTR);
  auto fn = reinterpret_cast<Fn>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
  char* unix = fn ? fn(Widen(dosPath).c_str()) : nullptr;
  std::string s = unix ? unix : "";
  if (unix) HeapFree(GetProcessHeap(), 0, unix);
  return s;
}

// The folder's own entry: a link whose target is gone is still present.
bool Present(const std::string& path) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(path.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

// Wine starts a Unix program from its DOS path but hands back no handle to wait on: the link's
// appearance is awaited instead.
bool MakeUnixLink(const std::string& target, const std::string& link) {
  const std::string from = UnixNameOf(target), to = UnixNameOf(link);
  if (from.empty() || to.empty()) return false;
  std::wstring line = L"ln -s \"" + Widen(from) + L"\" \"" + Widen(to) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(L"Z:\\bin\\ln", line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &si, &pi))
    return false;
  // A loaded machine can take seconds to start it.
  for (int i = 0; i < 3000; ++i, Sleep(10))
    if (Present(link)) return true;
  return false;
}

bool WidePresent(const std::wstring& path) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(path.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

bool MakeWideUnixLink(const std::string& target, const std::string& folder,
                      const std::wstring& name) {
  const std::string from = UnixNameOf(target), in = UnixNameOf(folder);
  if (from.empty() || in.empty()) return false;
  std::wstring line = L"ln -s \"" + Widen(from) + L"\" \"" + Widen(in) + L"/" + name + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(L"Z:\\bin\\ln", line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &si, &pi))
    return false;
  for (int i = 0; i < 3000; ++i, Sleep(10))
    if (WidePresent(Widen(folder) + L"\\" + name)) return true;
  return false;
}

LinkGuard::~LinkGuard() {
  if (Present(path)) RemoveLinkItself(path, folder);
}

Victim::Victim() {
  // Unique across runs too: Wine reuses process ids, and a link an earlier run left behind
  // must not point at this victim.
  static int serial = 0;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  folder_ = "Z:\\tmp\\qv_victim_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(now.QuadPart) + "_" + std::to_string(++serial);
  file_ = folder_ + "_alone.txt";
  RemoveTree(folder_);
  const std::pair<const char*, std::string> made[] = {
      {"\\precious.txt", "precious words"},
      {"\\photo.jpg", std::string(70000, '\x5a')},
      {"\\Inner\\deep.txt", "deep inside"},
      {"\\Inner\\More\\deeper.dat", std::string(5000, '\x01')}};
  for (const auto& [name, bytes] : made) {
    ForceDirectories(ExtractFilePath(folder_ + name));
    WriteWholeFile(folder_ + name, bytes);
    contents_.emplace_back(folder_ + name, bytes);
  }
  WriteWholeFile(file_, "the single file a link points at");
  contents_.emplace_back(file_, "the single file a link points at");
}

Victim::~Victim() {
  RemoveTree(folder_);
  DeleteFileA(file_.c_str());
}

std::string Victim::Damage() const {
  std::string damage;
  for (const auto& [path, bytes] : contents_) {
    std::string now;
    if (!ReadWholeFile(path, now))
      damage += path + " is gone\n";
    else if (now != bytes)
      damage += path + " was changed\n";
  }
  return damage;
}

void LockOnFirstEvent::operator()() {
  if (handle_ != INVALID_HANDLE_VALUE) return;
  for (const std::string& c : candidates_) {
    HANDLE h = CreateFileA(c.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) continue;
    handle_ = h;
    locked_ = c;
    return;
  }
}

void LockOnFirstEvent::Release() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

IeScope::IeScope() : saved(CurrentOsFlags()) {
  SetCurrentOsFlags({});
  DetectIeVersion();
  DiscoverIeFolders();
  EmptyUrlCache();
}

IeScope::~IeScope() {
  SetCurrentOsFlags(saved);
  DiscoverIeFolders();
}

std::string UniqueId() {
  static std::atomic<int> n{0};
  return std::to_string(GetCurrentProcessId()) + "f" + std::to_string(++n);
}

TestCacheLink::TestCacheLink() {
  SetNameSuffix("_filefaults" + UniqueId());
  std::string error;
  CreateSharedMap(error);
}

bool HasLine(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string Dump(const Lines& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\n";
  return s;
}

}  // namespace file_faults
