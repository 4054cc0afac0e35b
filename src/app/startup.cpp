#include "app/startup.h"

#include <shlobj.h>

#include <cstdio>
#include <ctime>

#include "app/main_window.h"
#include "app/small_windows.h"
#include "cookies/keep_list_files.h"
#include "core/command_line.h"
#include "core/folders.h"
#include "core/message_box.h"
#include "core/run_log.h"
#include "core/run_log_rules.h"
#include "core/run_mode.h"
#include "core/settings.h"
#include "core/settings_backup.h"
#include "core/text_util.h"
#include "core/version.h"
#include "core/window_placement.h"
#include "core/windows_version.h"
#include "files/secure_erase.h"
#include "ie/ie_hooks.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "platform/window.h"
#include "platform/window_procedure.h"
#include "run/run_setup.h"
#include "run/unattended_run.h"
#include "system/shutdown_action.h"
#include "system/executables.h"
#include "system/run_key.h"
#include "system/themes_manifest.h"
#include "wipe/free_space_wipe.h"

namespace {
void ShowMainWindow(TFFoxForm& form) {
  ShowWindow(form.Handle(), OpensMaximised(form.Handle()) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  UpdateWindow(form.Handle());
  SetForegroundWindow(form.Handle());
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

struct OtherInstanceSearch {
  DWORD ownProcess;
  HWND found = nullptr;
};

BOOL CALLBACK FindOtherMainWindow(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<OtherInstanceSearch*>(param);
  if (WindowClass(window) != "TFFoxForm") return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == s->ownProcess) return TRUE;
  s->found = window;
  return FALSE;
}

// The start time names the URL server's pipe and memory; two instances ("MULT") started in the
// same second would share them, so the process number follows.
std::string NameSuffix() {
  time_t now = time(nullptr);
  tm local = *localtime(&now);
  char buf[16];
  strftime(buf, sizeof buf, "_%H_%M_%S", &local);
  return buf + ("_" + std::to_string(GetCurrentProcessId()));
}
}  // namespace

bool ActivateOtherInstance() {
  OtherInstanceSearch s{GetCurrentProcessId()};
  EnumWindows(FindOtherMainWindow, reinterpret_cast<LPARAM>(&s));
  if (!s.found) return false;
  if (IsIconic(s.found)) {
    ShowWindow(s.found, SW_RESTORE);
  } else {
    HWND popup = GetLastActivePopup(s.found);
    HWND target = popup && popup != s.found && IsWindowVisible(popup) && IsWindowEnabled(popup)
                      ? popup
                      : s.found;
    SetForegroundWindow(target);
    BringWindowToTop(target);
  }
  return true;
}

void RunInstallerInit() {
  // The installed manifest goes to the names the themes choice reads and switches.
  const std::string installed = ChangeFileExt(ModuleFileName(), ".ManifesI");
  if (FileExists(installed)) {
    const std::string parked = ParkedManifestFile();
    CopyFileA(installed.c_str(), (FileExists(parked) ? parked : ActiveManifestFile()).c_str(),
              FALSE);
  }
  SpecialFolder common = GetSpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  SpecialFolder user = GetSpecialFolder(CSIDL_DESKTOPDIRECTORY);
  if (common.ok && user.ok && lstrcmpiA(common.text.c_str(), user.text.c_str()) != 0) {
    const std::string shared = common.text + "\\Quorvane.lnk", own = user.text + "\\Quorvane.lnk";
    if (FileExists(shared) && FileExists(own)) DeleteFileA(own.c_str());
  }
}

// The report of the run a fault would cut short; the filter below completes that run's record.
const ReportView* reportOfTheRun = nullptr;

// A fault outside every C++ guard (an access violation inside a database module on a full disk,
// say) would end the program with no report and an exit code a script reads as a level. The
// run's record is completed first, and the program ends with level 9.
LONG WINAPI RecordFaultAndEnd(EXCEPTION_POINTERS* fault) {
  static LONG entered = 0;
  if (InterlockedExchange(&entered, 1) != 0 || !reportOfTheRun) return EXCEPTION_CONTINUE_SEARCH;
  char what[128];
  snprintf(what, sizeof what, "*** Error - The program failed: exception %08lX at %p",
           fault->ExceptionRecord->ExceptionCode, fault->ExceptionRecord->ExceptionAddress);
  if (!FinishRunLogAfterAFault(reportOfTheRun->Lines(), what)) return EXCEPTION_CONTINUE_SEARCH;
  ExitProcess(9);
}

// Logs of runs that an earlier version wrote list every item it removed: they go, shredded
// when the mode's options say Secure Erase, and the new log says so.
void EraseEarlierRunLogs(RunMode mode) {
  const std::vector<std::string> earlier = RunLogFilesOfAnEarlierVersion();
  if (earlier.empty()) return;
  RunState st;
  st.secureErase =
      ReadOptionSet(SettingsFile(), InfoOf(mode).section)[OptionField::SecureDelete] == 1;
  st.shred = Globals().shred;
  CountingReportView view;
  ReportContext ctx(st, view);
  for (const std::string& path : earlier) DeleteDataFile(ctx, path);
  BeginRunLogAfterErasing();
}

// Removes only the files this program writes into its data folder, then the folder when empty.
void RunInstallerUninstall() {
  RemoveRunKey();
  const AppFolders& f = Folders();
  if (f.cdMode) return;
  for (const char* name :
       {"Quorvane.ini", "Quorvane.ini.bak", "Quorvane.Dat", "IEcookie.dat", "IEprMode.dat",
        "PLUGINS.DAT", "quorvane.pit", kRunLogName, kRunLogOldName}) {
    const std::string path = f.dataFolder + "\\" + name;
    DeleteFileA(path.c_str());
    // A write cut short leaves its temporary file beside the one it was replacing.
    DeleteFileA((path + ".qv-new").c_str());
  }
  RemoveDirectoryA(f.dataFolder.c_str());
}

namespace {
// A start-up step; what it throws is shown as the program's failure, and false returned.
template <typename Step>
bool RunGuarded(Step&& step) {
  try {
    step();
    return true;
  } catch (const std::exception& e) {
    HandleProgramFailure(e.what(), reinterpret_cast<const void*>(&RunQuorvane));
  } catch (...) {
    HandleProgramFailure("Unknown failure", reinterpret_cast<const void*>(&RunQuorvane));
  }
  return false;
}

// While a run may be under way, a fault completes its record from this report.
struct WatchForFaults {
  explicit WatchForFaults(const ReportView& report) {
    reportOfTheRun = &report;
    SetUnhandledExceptionFilter(RecordFaultAndEnd);
  }
  ~WatchForFaults() { reportOfTheRun = nullptr; }
};

// What closing the main window does, for an unattended run that made none.
void EndWithoutWindow(RunMode mode) {
  EndUrlServerLink();
  SaveUnmadeMainWindowPosition();
  if (mode == RunMode::Shutdown) StartShutdownAction();
}

// An AUTO, BOOT or SHUT run: the run model alone, and the window only when the mode's display
// policy says the run's outcome must be seen. A scheduler or script learns how the run went
// from the exit code: the highest level of the last run (0 when nothing went wrong), also when
// its window was shown.
int RunUnattendedMode(RunMode mode, int mainWinOpt, HWND splash, bool firstInstance) {
  bool usable = false;
  if (!RunGuarded([&] { usable = PrepareForRuns(); })) return 1;
  if (firstInstance) EraseEarlierRunLogs(mode);
  if (!usable) return 1;
  StartUrlServerLink(NameSuffix(), MainCaption(), kBuildText);
  RunState st;
  KeptReportView report;
  ReportContext ctx(st, report);
  {
    WatchForFaults watch(report);
    RunUnattended(ctx, mode);
  }
  if (!ShouldShowMainWindow(mainWinOpt, st.attention, st.highestLevel, st.threshold)) {
    if (splash) DestroyWindow(splash);
    EndWithoutWindow(mode);
    return st.highestLevel;
  }
  if (splash) ShowWindow(splash, SW_HIDE);
  TFFoxForm form;
  WatchForFaults watch(form);
  RunGuarded([&] {
    form.Initialise(true);
    form.PollBrowserActivity();
    form.ShowFinishedRun(st, report.TakeLines());
    if (form.MakeWindow()) ShowMainWindow(form);
  });
  if (splash) DestroyWindow(splash);
  if (IsWindow(form.Handle())) RunMessageLoop();
  return form.State().highestLevel;
}
}  // namespace

int RunQuorvane(const std::string& commandLine) {
  SetProgramArguments(SplitCommandLine(commandLine), GetCommandLineA());
  // What a window's handler throws ends as every other failure of the program does.
  SetWindowFailureHook(&HandleProgramFailure);
  // 1. Single-instance token.
  HANDLE mutex = CreateMutexA(nullptr, FALSE, "PREVINST:Quorvane");
  const bool firstInstance = mutex && GetLastError() != ERROR_ALREADY_EXISTS;
  // 2.-4. Splash, folders, run mode, keep-list files, display policy.
  HWND splash = nullptr;  // made only to be shown: an unattended run's, when its policy says so
  const std::string exe = ModuleFileName();
  SetDisplayName(DisplayNameFor(ExtractFileName(exe)));
  ResolveDataFolder(exe);
  RecoverSettingsFile();
  SelectRunMode();
  if (!Folders().cdMode) {
    // The old protected-mode list first, so that its entries are in IEcookie.dat before the
    // cookie window or a purge reads it.
    MergeLegacyIeKeepList(Folders().dataFolder);
    EnsureKeepListFiles();
  }
  const RunMode mode = CurrentRunMode();
  DisplayPolicy policy;
  if (IsAutomatic(mode)) {
    try {
      policy = ReadDisplayPolicy(SettingsFile(), InfoOf(mode).section);
    } catch (...) {
    }
    if (policy.splashOpt == 0 && (splash = CreateSplash()) != nullptr) {
      ShowWindow(splash, SW_SHOWNORMAL);
      UpdateWindow(splash);
    }
  }
  // 5.-6.
  LoadCurrentWindowsVersion();
  if (int pause = ParseIntOr(ParamValue("Pause"), 0); pause > 0) Sleep(pause * 1000u);
  // 7.
  if (!ParamSwitch("MULT") && !firstInstance) {
    ActivateOtherInstance();
    if (!IsAutomatic(mode)) return 0;
    // An unattended run that did not purge must not pass for one that did.
    WriteSkippedRunLog(mode,
                       "The run was skipped: another copy of " + DisplayName() + " is running.");
    return kExitRunSkipped;
  }
  // A free-space wipe cut off (power lost, process killed) may have left its fill files; the
  // first instance gives that space back before anything else. Another instance may be wiping
  // now, so a second one started with "MULT" leaves the folders alone.
  if (firstInstance) RemoveLeftoverWipeFolders();
  // 8.
  const std::string folder = Folders().programFolder;
  // The manifest takes effect only under the name of the file Windows starts, whatever the
  // user has renamed it to.
  NoteShortcutExecutables(folder + "\\Quorvane.exe", ModuleFileName());
  // 9.-10.
  // The installer starts these modes unattended, a silent setup or uninstall among them: nobody
  // is there to answer the start-up boxes of a machine without Firefox, so they are answered
  // here and the mode does its work.
  const bool installerMode = ParamSwitch("INIT") || ParamSwitch("UNINST");
  if (installerMode)
    SetMessageBoxAnswerer([](const MessageBoxRequest& box) {
      return box.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    });
  if (IsAutomatic(mode) && !installerMode)
    return RunUnattendedMode(mode, policy.mainWinOpt, splash, firstInstance);
  TFFoxForm form;
  bool made = false;
  if (!RunGuarded([&] {
        form.Initialise();
        made = installerMode || form.Fatal() || form.MakeWindow();
      }) ||
      !made)
    return 1;
  // The installer's modes do their work even when Firefox is gone: an uninstall after
  // Firefox's own must still clean up.
  if (installerMode) {
    if (ParamSwitch("INIT")) {
      RunInstallerInit();
      EraseEarlierRunLogs(mode);
    } else {
      RunInstallerUninstall();
    }
    return 0;
  }
  if (firstInstance) EraseEarlierRunLogs(mode);
  if (form.Fatal()) return 1;
  // 11.
  StartUrlServerLink(NameSuffix(), form.CaptionText(), kBuildText);
  WatchForFaults watch(form);
  RunGuarded([&] {
    // 13.
    form.PollBrowserActivity();
    // "PROTECT": the cookie window alone; the main window closes behind it.
    if (ParamSwitch("PROTECT"))
      form.CookiesBtnClick();
    else
      ShowMainWindow(form);
  });
  return IsWindow(form.Handle()) ? RunMessageLoop() : 0;
}
