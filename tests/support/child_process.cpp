#include "support/child_process.h"

#include "platform/window.h"
#include "support/test_support.h"

namespace {
struct Search {
  DWORD pid;
  std::string cls;
  bool visibleOnly;
  HWND found = nullptr;
};

BOOL CALLBACK FindProc(HWND w, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != s->pid || WindowClass(w) != s->cls) return TRUE;
  if (s->visibleOnly && !IsWindowVisible(w)) return TRUE;
  s->found = w;
  return FALSE;
}

BOOL CALLBACK ReadStatic(HWND child, LPARAM param) {
  if (WindowClass(child) == "Static" && !WindowText(child).empty())
    *reinterpret_cast<std::string*>(param) = WindowText(child);
  return TRUE;
}
}  // namespace

HWND FindProcessWindow(DWORD processId, const std::string& className, bool visibleOnly) {
  Search s{processId, className, visibleOnly};
  EnumWindows(FindProc, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::string QuorvanePath() { return BinFolder() + "\\Quorvane.exe"; }

ChildProcess::ChildProcess(const std::string& exe, const std::string& arguments) {
  std::string line = "\"" + exe + "\" " + arguments;
  STARTUPINFOA si{sizeof si};
  if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &info_))
    info_ = {};
}

ChildProcess::~ChildProcess() {
  if (!info_.hProcess) return;
  if (Running()) {
    if (HWND main = FindProcessWindow(info_.dwProcessId, "TFFoxForm", false))
      PostMessageA(main, WM_CLOSE, 0, 0);
    if (!WaitForExit(5000)) TerminateProcess(info_.hProcess, 99);
  }
  CloseHandle(info_.hProcess);
  CloseHandle(info_.hThread);
}

namespace {
struct Dialogs {
  DWORD pid;
  std::vector<HWND> found;
};
BOOL CALLBACK CollectDialogs(HWND w, LPARAM param) {
  auto* d = reinterpret_cast<Dialogs*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == d->pid && IsWindowVisible(w) && WindowClass(w) == "#32770") d->found.push_back(w);
  return TRUE;
}
}  // namespace

// Presses OK (or Yes, or Cancel) on every visible box of the process; windows without such a
// button, like the splash, are left alone.
void ChildProcess::AnswerBoxes() {
  Dialogs d{info_.dwProcessId};
  EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&d));
  for (HWND box : d.found) {
    int button = 0;
    for (int id : {IDOK, IDYES, IDCANCEL})
      if (!button && GetDlgItem(box, id)) button = id;
    if (!button) continue;
    SeenBox seen{WindowText(box), ""};
    EnumChildWindows(box, ReadStatic, reinterpret_cast<LPARAM>(&seen.text));
    boxes.push_back(seen);
    PostMessageA(box, WM_COMMAND, button, 0);
    for (int i = 0; i < 100 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(20);
  }
}

bool ChildProcess::WaitForExit(int milliseconds) {
  DWORD end = GetTickCount() + milliseconds;
  while (WaitForSingleObject(info_.hProcess, 50) == WAIT_TIMEOUT) {
    AnswerBoxes();
    if (static_cast<int>(end - GetTickCount()) <= 0) return false;
  }
  return true;
}

HWND ChildProcess::WaitForWindow(const std::string& className, int milliseconds) {
  DWORD end = GetTickCount() + milliseconds;
  while (static_cast<int>(end - GetTickCount()) > 0 && Running()) {
    AnswerBoxes();
    if (HWND w = FindProcessWindow(info_.dwProcessId, className, true)) return w;
    Sleep(50);
  }
  return nullptr;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

bool ChildProcess::Running() const {
  return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}
