// The main window's initialisation at start-up, step by step in its fixed order.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <ctime>
#include <stdexcept>

#include "app/help_file.h"
#include "app/main_window.h"
#include "core/command_line.h"
#include "core/folders.h"
#include "core/os_flags.h"
#include "core/run_mode.h"
#include "core/settings.h"
#include "core/version.h"
#include "core/window_placement.h"
#include "core/windows_version.h"
#include "files/recycle_bin.h"
#include "firefox/firefox_profile.h"
#include "ie/ie_hooks.h"
#include "platform/files.h"
#include "platform/window.h"
#include "plugins/plugin_hooks.h"
#include "resource.h"
#include "system/shutdown_action.h"
#include "system/themes_manifest.h"

namespace {
constexpr UINT_PTR kQsTimer = 3;

void SetTypedUrlsAvailable(bool available) {
  if (TFFoxForm* form = MainForm())
    for (RunMode m : kAllModes)
      form->OptionFrame(m).EnableOption(OptionField::FFTypedUrls, available);
}
}  // namespace

void TFFoxForm::RunInitialisation() {
  // 1. Dates and times are formatted by the program itself ("MM/dd/yyyy", "HH:mm:ss").
  srand(static_cast<unsigned>(time(nullptr)));
  // 2.
  if (ParamSwitch("AbortC1")) throw std::runtime_error("Exception Test - FFoxMain - FormCreate -1");
  DetectIeVersion();
  SetCurrentOsFlags(ComputeOsFlags(CurrentWindowsVersion(), ProgramArguments()));
  DiscoverIeFolders();
  // 3.
  ReadThemesState();
  // 5. Pages, breaker, Purge disabled until the end, gauge hidden.
  TabCtrl_SetCurSel(Control(IDC_MAIN_TABS), kPurgeOptionsPage);
  TabCtrl_SetCurSel(Control(IDC_OPTION_TABS), 0);
  TabCtrl_SetCurSel(Control(IDC_CONFIG_TABS), kGeneralPage);
  OnMainPageChanged();
  EnableWindow(Control(IDC_PURGE_BTN), FALSE);
  ShowWindow(Control(IDC_GAUGE), SW_HIDE);
  ShowWindow(Control(IDC_GAUGE_BAR), SW_HIDE);
  HMENU menu = GetMenu(window_);
  // 6.
  SetDlgItemTextA(window_, IDC_VERSION, kVersionText);
  SetDlgItemTextA(window_, IDC_BUILD, kBuildText);
  ClearResults();
  // 7.
  TabCtrl_SetCurSel(Control(IDC_OPTION_TABS), ModeIndex(CurrentRunMode()));
  OnMainPageChanged();
  SetStatusPanel(1, IdleStatusText());
  // 8. Firefox and its SQLite module.
  SetTypedUrlsAvailability(SetTypedUrlsAvailable);
  bool moduleLoaded = FindFirefoxInstall();
  ReadFirefoxProductVersion();
  if (!CheckFirefoxInstall(moduleLoaded)) fatal_ = true;
  // 9.
  EnsurePluginFolder();
  LoadPluginSelectionList();
  PrepareSettingsFile();
  LoadWindowPosition(window_, "FFoxForm");
  ApplyMainFont();
  // 10.
  LoadAllSettings();
  NoteShutdownAction(ReadDisplayPolicy(SettingsFile(), "ShutOptions").shutType);
  // 11. The Plugin Manager's button shows when its program is there: see MakeConfigPage.
  // 12. No recycle-bin service: the box cannot be selected anywhere.
  if (!RecycleBinAvailable())
    for (auto& f : frames_) f.EnableOption(OptionField::RecycleBin, false);
  // 13. The help file opens in HTML Help when it is there.
  if (!FileExists(Folders().programFolder + "\\" + kHelpFileName))
    EnableMenuItem(menu, IDM_HELP_CONTENTS, MF_BYCOMMAND | MF_GRAYED);
  // 14.
  EnableWindow(Control(IDC_PURGE_BTN), TRUE);
  // 15.
  if (CurrentRunMode() == RunMode::Standard && Globals().messages.quickStartOpt == "S" &&
      FileExists(Folders().programFolder + "\\qvrnqst.rtf"))
    SetTimer(window_, kQsTimer, 1000, nullptr);
  // 16.
  std::string caption = DisplayName() + kCaptionTail;
  if (ParamSwitch("NOVER"))
    SetStatusLabel("", false);
  else
    caption += std::string(" -  Version ") + kVersion;
  SetWindowTextString(window_, caption);
  // 17.
  if (ParamSwitch("AbortC9")) throw std::runtime_error("Exception Test - FFoxMain - FormCreate -9");
}
