#include "system/shutdown_action.h"

#include <cstdio>
#include <string>

#include "core/message_box.h"
#include "core/windows_version.h"

namespace {
int g_notedAction = kLogoff;
const PowerCalls* g_replaced = nullptr;

FARPROC PowerEntry(const char* name) {
  // Loaded on first use and kept for the rest of the run.
  static HMODULE powrprof = [] {
    HMODULE m = GetModuleHandleA("POWRPROF.dll");
    return m ? m : LoadLibraryA("POWRPROF.dll");
  }();
  return powrprof ? GetProcAddress(powrprof, name) : nullptr;
}

const PowerCalls& SystemCalls() {
  static const PowerCalls calls = {
      ExitWindowsEx,
      reinterpret_cast<BOOLEAN(WINAPI*)(PUINT)>(PowerEntry("GetActivePwrScheme")),
      reinterpret_cast<BOOLEAN(WINAPI*)()>(PowerEntry("IsPwrSuspendAllowed")),
      reinterpret_cast<BOOLEAN(WINAPI*)()>(PowerEntry("IsPwrHibernateAllowed")),
      reinterpret_cast<BOOLEAN(WINAPI*)(BOOLEAN, BOOLEAN, BOOLEAN)>(PowerEntry("SetSuspendState")),
  };
  return calls;
}

std::string RecordFile() {
  char path[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableA(kShutdownRecordVariable, path, sizeof path);
  return n > 0 && n < sizeof path ? path : "";
}

// False when the line did not reach the file: the action then fails as a real one would.
bool Record(const std::string& line) {
  FILE* f = fopen(RecordFile().c_str(), "ab");
  if (!f) return false;
  const bool written = fprintf(f, "%s\r\n", line.c_str()) > 0;
  return fclose(f) == 0 && written;
}

BOOL WINAPI RecordExitWindows(UINT flags, DWORD reason) {
  if (Record("ExitWindowsEx " + std::to_string(flags) + " " + std::to_string(reason))) return TRUE;
  SetLastError(ERROR_WRITE_FAULT);
  return FALSE;
}
BOOLEAN WINAPI RecordActiveScheme(PUINT scheme) {
  if (scheme) *scheme = 0;
  return TRUE;
}
BOOLEAN WINAPI RecordAllowed() { return TRUE; }
BOOLEAN WINAPI RecordSuspend(BOOLEAN hibernate, BOOLEAN force, BOOLEAN noWake) {
  return Record(std::string("SetSuspendState ") + (hibernate ? "1" : "0") + " " +
                (force ? "1" : "0") + " " + (noWake ? "1" : "0"));
}
const PowerCalls kRecordingCalls = {RecordExitWindows, RecordActiveScheme, RecordAllowed,
                                    RecordAllowed, RecordSuspend};

const PowerCalls& Calls() {
  if (g_replaced) return *g_replaced;
  if (!RecordFile().empty()) return kRecordingCalls;
  return SystemCalls();
}

void ShowPowerRefusal(const char* option) {
  ShowMessageBox(std::string("The shutdown function did not complete.\r\n\r\nThe \"") + option +
                     "\" Power Option was not allowed\r\n\r\nby the Operating System.\r\n\r\n"
                     "Press \"OK\" to exit.",
                 Caption("Message"), MessageKind::Error, MessageButtons::Ok);
}

bool Suspend(const PowerCalls& calls, bool hibernate) {
  bool allowed = true;
  if (calls.getActivePwrScheme) {
    UINT scheme = 0;
    allowed = calls.getActivePwrScheme(&scheme);  // a failed probe counts as not allowed
  }
  auto permitted = hibernate ? calls.isPwrHibernateAllowed : calls.isPwrSuspendAllowed;
  allowed = allowed && permitted && permitted() && calls.setSuspendState &&
            calls.setSuspendState(hibernate, FALSE, FALSE);
  if (!allowed) ShowPowerRefusal(hibernate ? "Hibernate" : "StandBy");
  return allowed;
}
}  // namespace

void SetPowerCalls(const PowerCalls* calls) { g_replaced = calls; }

bool EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
    return false;
  TOKEN_PRIVILEGES tp{1};
  bool ok = LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &tp.Privileges[0].Luid);
  if (ok) {
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr);
    ok = GetLastError() == ERROR_SUCCESS;  // "not all assigned" is a success of the call
  }
  CloseHandle(token);
  return ok;
}

bool RunShutdownAction(int shutType) {
  const PowerCalls& calls = Calls();
  if (CurrentWindowsVersion().isNt) EnableShutdownPrivilege();
  if (shutType == kStandBy) return Suspend(calls, false);
  if (shutType == kHibernate) return Suspend(calls, true);
  UINT flags = EWX_LOGOFF;
  switch (shutType) {
    case kReboot: flags = EWX_REBOOT; break;
    case kShutdown: flags = EWX_SHUTDOWN; break;
    case kPoweroff: flags = EWX_POWEROFF; break;
  }
  // The action ends a Shutdown run, with nobody at hand to answer Windows' "apps are
  // preventing shutdown" screen: a program that no longer answers is closed rather than left
  // to hold the session open. Programs that do answer still close their own way.
  flags |= EWX_FORCEIFHUNG;
  SetLastError(0);
  if (calls.exitWindows(flags, 0)) return true;
  const DWORD code = GetLastError();
  if (code == 0) return true;
  ShowMessageBox(
      "The shutdown function encountered a \r\n\r\nSystem Error attempting to shutdown "
      "Windows.\r\n\r\nThe Error Code is Error-" +
          std::to_string(code) + "\r\n\r\nPress \"OK\" to exit.",
      Caption("Message"), MessageKind::Error, MessageButtons::Ok);
  return false;
}

void NoteShutdownAction(int shutType) { g_notedAction = shutType; }
int NotedShutdownAction() { return g_notedAction; }
bool StartShutdownAction() { return RunShutdownAction(g_notedAction); }

std::string ShutdownRecordLine() {
  const std::string file = RecordFile();
  if (g_replaced || file.empty()) return "";
  static const char* const kNames[] = {"Logoff",   "Reboot",   "Shutdown",
                                       "Poweroff", "Stand By", "Hibernate"};
  const int type =
      g_notedAction >= kLogoff && g_notedAction <= kHibernate ? g_notedAction : kLogoff;
  return std::string("NOTE - The \"") + kNames[type] + "\" action is only recorded in " + file +
         " (" + kShutdownRecordVariable + "), not performed.";
}
