#pragma once
#include <windows.h>

#include <string>

// The calls that end the Windows session or suspend the machine. Everything before them is the
// program's own; tests put recorders in their place, because under Wine the real ones end every
// program of the prefix, the test runner included. A power entry point is null when
// "POWRPROF.dll" lacks it.
struct PowerCalls {
  BOOL(WINAPI* exitWindows)(UINT flags, DWORD reason);
  BOOLEAN(WINAPI* getActivePwrScheme)(PUINT scheme);
  BOOLEAN(WINAPI* isPwrSuspendAllowed)();
  BOOLEAN(WINAPI* isPwrHibernateAllowed)();
  BOOLEAN(WINAPI* setSuspendState)(BOOLEAN hibernate, BOOLEAN force, BOOLEAN wakeupEventsDisabled);
};

// Null puts the system's calls back.
void SetPowerCalls(const PowerCalls* calls);

// With this environment variable naming a file, the program writes each shutdown or power call
// there as a line instead of making it: the test programs set it for themselves and every
// process they start, the demo for its runs.
inline constexpr const char* kShutdownRecordVariable = "QUORVANE_SHUTDOWN_RECORD";

// ShutType values of the "  Shutdown  " page.
enum ShutType { kLogoff, kReboot, kShutdown, kPoweroff, kStandBy, kHibernate };

bool EnableShutdownPrivilege();
// Performs one action; false (after its error box) when it did not start.
bool RunShutdownAction(int shutType);

// The action of a Shutdown run is the one the settings file held at start-up: a change applied
// on the configure page during the run reaches the file, not this run.
void NoteShutdownAction(int shutType);
int NotedShutdownAction();
// Called when the main window of a Shutdown run closes.
bool StartShutdownAction();
// The report line of a run whose shutdown action will only be written to the record file: the
// user reads that Windows is not going to end. Empty when the action is real.
std::string ShutdownRecordLine();
