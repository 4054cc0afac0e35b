// Renders the main window on each of its pages and sub-pages, and after a finished Preview,
// and the help viewer at its contents page, to BMP files in the folder given as the first
// argument.
#include <windows.h>

#include <cstdio>

#include "app/command_line.h"
#include "app/folders.h"
#include "app/main_window.h"
#include "app/run_mode.h"
#include "platform/files.h"
#include "platform/window.h"
#include "resource.h"
#include "window_capture.h"

namespace {
BOOL CALLBACK MatchHelpViewer(HWND w, LPARAM found) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != GetCurrentProcessId() || WindowClass(w) != "HH Parent" || !IsWindowVisible(w))
    return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}
HWND FindHelpViewer() {
  HWND found = nullptr;
  EnumWindows(MatchHelpViewer, reinterpret_cast<LPARAM>(&found));
  return found;
}

void Settle(int ms) {
  DWORD end = GetTickCount() + ms;
  while (static_cast<int>(end - GetTickCount()) > 0) {
    PumpWaitingMessages();
    Sleep(20);
  }
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: screenshots OUTPUT-FOLDER\n");
    return 2;
  }
  const std::string out = argv[1];
  SetProgramArguments({"data=QVSHOTS"}, "Quorvane.exe data=QVSHOTS");
  ResolveDataFolder(ExtractFilePath(ModuleFileName()) + "\\Quorvane.exe");
  WriteWholeFile(
      Folders().settingsFile,
      "[ShowOption]\r\nQuickStartOpt=N\r\n[StndOptions]\r\nCacheOption=1\r\nCookiesOption=1\r\n"
      "HistoryOption=1\r\nTempOption=1\r\nRecycleBinOption=1\r\n[TempFolders]\r\nTmpDir=1\r\n");
  SelectRunMode();
  TFFoxForm form;
  if (!form.Create() || form.Fatal()) return 1;
  SetWindowPos(form.Handle(), HWND_TOP, 0, 0, 620, 450, SWP_SHOWWINDOW);
  form.PollBrowserActivity();
  int written = 0;
  auto shot = [&](const std::string& name) {
    Settle(300);
    if (CaptureWindowToBmp(form.Handle(), out + "\\" + name + ".bmp")) ++written;
  };
  const char* const modes[] = {"options-standard", "options-purge-now", "options-startup",
                               "options-shutdown"};
  for (RunMode m : kAllModes) {
    form.SelectMainPage(TFFoxForm::kPurgeOptionsPage);
    form.SelectOptionPage(m);
    shot(modes[ModeIndex(m)]);
  }
  const char* const pages[] = {"configure-general", "configure-purge-now", "configure-startup",
                               "configure-shutdown", "configure-temp-folders"};
  form.SelectMainPage(TFFoxForm::kConfigurePage);
  for (int p = 0; p < 5; ++p) {
    form.SelectConfigPage(p);
    shot(pages[p]);
  }
  form.SelectMainPage(TFFoxForm::kPurgeOptionsPage);
  form.SelectOptionPage(RunMode::Standard);
  form.PreviewBtnClick();
  shot("results-preview");
  form.ShowFolderReport();
  shot("results-folders");
  // "Help File Contents": the help viewer at the contents page of Quorvane.chm.
  SendMessageA(form.Handle(), WM_COMMAND, IDM_HELP_CONTENTS, 0);
  HWND help = nullptr;
  for (int i = 0; i < 100 && !help; ++i) {
    Settle(50);
    help = FindHelpViewer();
  }
  if (help) {
    SetWindowPos(help, HWND_TOP, 120, 60, 760, 560, SWP_SHOWWINDOW);
    Settle(1000);
    if (CaptureWindowToBmp(help, out + "\\help-contents.bmp")) ++written;
  }
  DestroyWindow(form.Handle());
  std::printf("%d screenshots\n", written);
  return written == 12 ? 0 : 1;
}
