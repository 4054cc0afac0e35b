// Renders the main window on each of its pages and sub-pages, and after a finished Preview, the
// cookie window on each tab with its keep-list editor, the Community Cleaners window and a Preview
// of one of its entries, and the help viewer at its contents page, to BMP files in the folder
// given as the first argument.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "app/main_window.h"
#include "core/command_line.h"
#include "core/folders.h"
#include "core/message_box.h"
#include "core/modal.h"
#include "core/os_flags.h"
#include "core/run_mode.h"
#include "core/version.h"
#include "ie/ie_hooks.h"
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

// Selects a tab as a click on it does: the tab control changes its selection and tells the
// window, which makes and shows the page as it would for a user.
void ClickTab(HWND window, int tabsId, int index) {
  HWND tabs = GetDlgItem(window, tabsId);
  RECT item;
  if (!TabCtrl_GetItemRect(tabs, index, &item)) return;
  const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(tabs, WM_LBUTTONUP, 0, at);
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
  // One site kept and one randomized, so the cookie window shows both marks (on the Chromium
  // tab too: the sites of the tests' Chromium profile).
  WriteWholeFile(Folders().dataFolder + "\\Quorvane.Dat",
                 "p=kept.example\r\np=news.example.com\r\nr=.example.org\r\nr=rand.example\r\n");
  WriteWholeFile(
      Folders().settingsFile,
      "[ShowOption]\r\nQuickStartOpt=N\r\n[StndOptions]\r\nCacheOption=1\r\nCookiesOption=1\r\n"
      "HistoryOption=1\r\nTempOption=1\r\nRecycleBinOption=1\r\nExplorerMruOption=1\r\n"
      "ErrorReportsOption=1\r\n[TempFolders]\r\nTmpDir=1\r\n");
  SelectRunMode();
  TFFoxForm form;
  if (!form.Create() || form.Fatal()) return 1;
  // Shown as the program shows it: the pages are made as the window first shows, which a bare
  // SetWindowPos does not tell it.
  ShowWindow(form.Handle(), SW_SHOWNORMAL);
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
    ClickTab(form.Handle(), IDC_MAIN_TABS, TFFoxForm::kPurgeOptionsPage);
    ClickTab(form.Handle(), IDC_OPTION_TABS, ModeIndex(m));
    shot(modes[ModeIndex(m)]);
  }
  // The Standard page once more, scrolled to the end of its boxes: the last of the Windows group.
  ClickTab(form.Handle(), IDC_OPTION_TABS, ModeIndex(RunMode::Standard));
  SendMessageA(GetParent(form.OptionFrame(RunMode::Standard).Control(OptionField::ClipHistory)),
               WM_VSCROLL, SB_BOTTOM, 0);
  shot("options-standard-end");
  const char* const pages[] = {"configure-general", "configure-purge-now", "configure-startup",
                               "configure-shutdown", "configure-temp-folders"};
  ClickTab(form.Handle(), IDC_MAIN_TABS, TFFoxForm::kConfigurePage);
  for (int p = 0; p < 5; ++p) {
    ClickTab(form.Handle(), IDC_CONFIG_TABS, p);
    shot(pages[p]);
  }
  ClickTab(form.Handle(), IDC_MAIN_TABS, TFFoxForm::kPurgeOptionsPage);
  ClickTab(form.Handle(), IDC_OPTION_TABS, ModeIndex(RunMode::Standard));
  form.PreviewBtnClick();
  shot("results-preview");
  form.ShowFolderReport();
  shot("results-folders");
  // The cookie window on each of its tabs, and its keep-list editor. Any message box is answered
  // at once: nothing may wait for a user here.
  SetMessageBoxAnswerer([](const MessageBoxRequest&) { return MessageAnswer::Ok; });
  // The program's start-up, which this tool skips, takes the Windows generation from the
  // system; Wine reports Windows 7, which has the protected-mode tab.
  OsFlags os = CurrentOsFlags();
  os.vista = os.win7 = true;
  SetCurrentOsFlags(os);
  StartUrlServerLink("_shots_" + std::to_string(GetCurrentProcessId()), WindowText(form.Handle()),
                     kBuildText);
  const char* const tabs[] = {"cookies-firefox", "cookies-ie-normal", "cookies-ie-protected",
                              "cookies-chromium"};
  SetModalDriver([&](HWND dialog) {
    if (WindowText(dialog) != "Quorvane - Select Cookies to Keep") {
      Settle(300);
      if (CaptureWindowToBmp(dialog, out + "\\cookies-editor.bmp")) ++written;
      SendMessageA(dialog, WM_COMMAND, IDC_PE_CLOSE, 0);
      return;
    }
    SetWindowPos(dialog, HWND_TOP, 20, 20, 760, 520, SWP_SHOWWINDOW);
    HWND tabControl = GetDlgItem(dialog, IDC_CK_TABS);
    const int count = TabCtrl_GetItemCount(tabControl);
    for (int t = 0; t < count && t < 4; ++t) {
      TabCtrl_SetCurSel(tabControl, t);
      NMHDR n{tabControl, IDC_CK_TABS, static_cast<UINT>(TCN_SELCHANGE)};
      SendMessageA(dialog, WM_NOTIFY, IDC_CK_TABS, reinterpret_cast<LPARAM>(&n));
      Settle(300);
      if (CaptureWindowToBmp(dialog, out + "\\" + tabs[t] + ".bmp")) ++written;
    }
    TabCtrl_SetCurSel(tabControl, 0);
    NMHDR n{tabControl, IDC_CK_TABS, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(dialog, WM_NOTIFY, IDC_CK_TABS, reinterpret_cast<LPARAM>(&n));
    SendMessageA(dialog, WM_COMMAND, IDC_CK_EDIT, 0);
    SendMessageA(dialog, WM_COMMAND, IDC_CK_CLOSE, 0);
  });
  form.CookiesBtnClick();
  // "Community Cleaners...": today's Winapp2.ini, what this prefix has of it, the keys of the
  // first entry, and that entry's Preview.
  CopyFileA((ExtractFilePath(ModuleFileName()) + "\\fixtures\\Winapp2.ini").c_str(),
            (Folders().dataFolder + "\\Winapp2.ini").c_str(), FALSE);
  SetModalDriver([&](HWND dialog) {
    Settle(300);
    if (WindowText(dialog) == "Quorvane - Preview of a Community Cleaner") {
      if (CaptureWindowToBmp(dialog, out + "\\community-cleaners-preview.bmp")) ++written;
      SendMessageA(dialog, WM_COMMAND, IDC_PLUGT_CLOSE, 0);
      return;
    }
    SetWindowPos(dialog, HWND_TOP, 20, 20, 820, 540, SWP_SHOWWINDOW);
    LVITEMA item = {};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendDlgItemMessageA(dialog, IDC_W2_LIST, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    Settle(300);
    if (CaptureWindowToBmp(dialog, out + "\\community-cleaners.bmp")) ++written;
    SendMessageA(dialog, WM_COMMAND, IDC_W2_PREVIEW, 0);
    SendMessageA(dialog, WM_COMMAND, IDC_W2_CLOSE, 0);
  });
  SendMessageA(form.Handle(), WM_COMMAND, IDM_COMMUNITY_CLEANERS, 0);
  SetModalDriver(nullptr);
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
  return written == 20 ? 0 : 1;
}
