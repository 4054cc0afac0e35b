#include "platform/processes.h"

#include <windows.h>
#include <tlhelp32.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cctype>

namespace {
std::string LowerName(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name;
}

std::string AnsiName(const wchar_t* wide) {
  char name[MAX_PATH] = {};
  if (wide) WideCharToMultiByte(CP_ACP, 0, wide, -1, name, sizeof name - 1, nullptr, nullptr);
  return name;
}

std::vector<RunningProcess> SnapshotProcesses(unsigned long own) {
  std::vector<RunningProcess> all;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return all;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = Process32First(snap, &entry); ok; ok = Process32Next(snap, &entry)) {
    DWORD session = own;
    ProcessIdToSessionId(entry.th32ProcessID, &session);
    all.push_back({LowerName(entry.szExeFile), session});
  }
  CloseHandle(snap);
  return all;
}
}  // namespace

std::vector<RunningProcess> RunningProcesses() {
  WTS_PROCESS_INFOW* info = nullptr;
  DWORD count = 0;
  if (!WTSEnumerateProcessesW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &info, &count))
    return SnapshotProcesses(CurrentSessionId());
  std::vector<RunningProcess> all;
  for (DWORD i = 0; i < count; ++i)
    all.push_back({LowerName(AnsiName(info[i].pProcessName)), info[i].SessionId});
  WTSFreeMemory(info);
  return all;
}

unsigned long CurrentSessionId() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return session;
}

bool FileHeldByAnother(const std::string& path) {
  // Not sharing writes: an open that lets another writer be is granted beside the browser's.
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}
