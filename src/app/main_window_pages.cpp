// The main window's page controls: option pages, Configure pages, owner-drawn tabs.
#include <windows.h>
#include <commctrl.h>

#include <stdexcept>

#include "app/main_window.h"
#include "core/folders.h"
#include "core/settings.h"
#include "core/tab_colours.h"
#include "files/temp_folders.h"
#include "platform/files.h"
#include "platform/window.h"
#include "plugins/plugin_forms.h"
#include "resource.h"
#include "run/purge_table.h"
#include "run/run_setup.h"
#include "system/run_key.h"
#include "system/shortcuts.h"
#include "system/themes_manifest.h"
#include "system/user_admin.h"

namespace {
constexpr const char* kDisplaySections[] = {"", "PnowOptions", "BootOptions", "ShutOptions"};
constexpr const char* kDisplayHeadings[] = {"", "Display options for 'Purge Now' Execution",
                                            "Display options for Execution at Startup",
                                            "Display options for 'Purge && Shutdown' Execution"};

// A shortcut button: a failure to make the shell-link object is a program error, which must not
// unwind through the dialog manager.
void GenerateShortcut(int which) {
  try {
    CreateShortcut(DesktopShortcut(which));
  } catch (const std::exception& e) {
    HandleProgramFailure(e.what(), reinterpret_cast<const void*>(&GenerateShortcut));
  }
}
}  // namespace

void TFFoxForm::CreatePages() {
  for (RunMode mode : kAllModes) {
    auto& frame = frames_[ModeIndex(mode)];
    frame.Create(window_, mode);
    frame.onHover = [this](HWND control) { ShowHintFor(control); };
    frame.onMade = [this](TFFoxOptionsFrame1& made) {
      for (const auto& info : OptionFields())
        if (!info.isRadio) SetHint(made.Control(info.field), info.hint);
      // Such a box is disabled then (see RunInitialisation): its hint says why.
      if (!IsUserAdmin())
        for (OptionField f : AdminOptions())
          SetHint(made.Control(f), "Needs administrator rights: start Quorvane as administrator");
      for (int choice : {0, 1})
        SetHint(made.Control(OptionField::Report, choice), "Select Detail or Summary Reports");
      HWND page = made.Handle();
      SetHint(GetDlgItem(page, IDC_SAVEOPT), "Save these option settings");
      SetHint(GetDlgItem(page, IDC_OPTON), "Set all of the above options \"On\"");
      SetHint(GetDlgItem(page, IDC_OPTOFF), "Set all of the above options \"Off\"");
      SetHint(GetDlgItem(page, IDC_OPTRESET), "Reset to the Saved options");
      PlaceOnPageTabs(page);
    };
  }

  // Tab colours by the screen's colour depth.
  const TabColours tabs = ScreenTabColours();
  mainTabSelected_ = tabs.mainSelected;
  mainTabOther_ = tabs.mainOther;
  subTabSelected_ = tabs.subSelected;
  subTabOther_ = tabs.subOther;
}

// A configuration page is made, like an option page, when the window first shows or the page
// is asked for, and filled from the settings then.
HWND TFFoxForm::ConfigPageHandle(ConfigPage page) const {
  if (!configPages_[page].Handle()) const_cast<TFFoxForm*>(this)->MakeConfigPage(page);
  return configPages_[page].Handle();
}

void TFFoxForm::MakeConfigPage(ConfigPage i) {
  if (!window_) return;  // a page lives on the window
  const int templates[] = {IDD_CFG_GENERAL, IDD_CFG_DISPLAY, IDD_CFG_DISPLAY, IDD_CFG_DISPLAY,
                           IDD_CFG_TEMP};
  HWND p = configPages_[i].CreateModeless(templates[i], window_);
  if (!p) return;  // as with an option page, nothing is thrown from here
  if (i >= kPurgeNowPage && i <= kShutdownPage) {
    SetDlgItemTextA(p, IDC_DISPLAY_HEADING, kDisplayHeadings[i]);
    ShowWindow(GetDlgItem(p, IDC_STARTUP_CHECK), i == kStartupPage ? SW_SHOW : SW_HIDE);
    for (int id = IDC_SHUTTYPE_0; id <= IDC_SHUTTYPE_0 + 5; ++id)
      ShowWindow(GetDlgItem(p, id), i == kShutdownPage ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(p, IDC_SHUTTYPE_GROUP), i == kShutdownPage ? SW_SHOW : SW_HIDE);
  }
  if (i == kGeneralPage) {
    SendDlgItemMessageA(p, IDC_REPEATS_SPIN, UDM_SETRANGE32, 1, 99);
    SetHint(GetDlgItem(p, IDC_SELECT_PLUGINS), "Pass control to Plugin Selection window");
    SetHint(GetDlgItem(p, IDC_PLUGMGR_BTN), "Execute the Plugin Manager program...");
    SetHint(GetDlgItem(p, IDC_SHORTCUT_MAIN),
            "Generate a Shortcut to execute Quorvane with its normal window");
    SetHint(GetDlgItem(p, IDC_SHORTCUT_PNOW),
            "Generate a Shortcut to execute Quorvane with the \"Purge Now\" options ");
    SetHint(GetDlgItem(p, IDC_SHORTCUT_SHUT),
            "Generate a Shortcut to execute Quorvane then Shutdown Windows with Shutdown options");
    SetHint(GetDlgItem(p, IDC_THEMES_CHECK), "Change support of XP Themes (at next execution)");
    SetHint(GetDlgItem(p, IDC_RUNLOG_CHECK),
            "Write the report of every run to Quorvane.log in the data folder");
    SetHint(GetDlgItem(p, IDC_LOGITEMS_CHECK),
            "Also write each item to the log: the log then holds what was purged");
    const bool plugMgr = FileExists(Folders().programFolder + "\\plugmgr.exe");
    ShowWindow(GetDlgItem(p, IDC_PLUGMGR_LABEL), plugMgr ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(p, IDC_PLUGMGR_BTN), plugMgr ? SW_SHOW : SW_HIDE);
  }
  if (i == kStartupPage)
    SetHint(GetDlgItem(p, IDC_STARTUP_CHECK), "Check to Set, Clear to Remove if Set");
  if (i == kShutdownPage)
    for (int id = IDC_SHUTTYPE_0; id <= IDC_SHUTTYPE_0 + 5; ++id)
      SetHint(GetDlgItem(p, id),
              "Indicate Shutdown action - see Help file for detailed information");
  FillConfigPage(i);
  PlaceOnPageTabs(p);
  if (i == kTempFoldersPage) SizeTempFolderRows();
}

void TFFoxForm::OnDrawTab(DRAWITEMSTRUCT* item) {
  const bool main = item->hwndItem == Control(IDC_MAIN_TABS);
  const bool selected = static_cast<int>(item->itemID) == TabCtrl_GetCurSel(item->hwndItem);
  COLORREF fill = main ? (selected ? mainTabSelected_ : mainTabOther_)
                       : (selected ? subTabSelected_ : subTabOther_);
  FillRect(item->hDC, &item->rcItem, BrushOf(fill));
  char text[64] = {};
  TCITEMA tci{TCIF_TEXT};
  tci.pszText = text;
  tci.cchTextMax = sizeof text;
  SendMessageA(item->hwndItem, TCM_GETITEMA, item->itemID, reinterpret_cast<LPARAM>(&tci));
  SetBkMode(item->hDC, TRANSPARENT);
  SetTextColor(item->hDC, selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
  TextOutA(item->hDC, item->rcItem.left + 4, item->rcItem.top + 2, text, lstrlenA(text));
}

HBRUSH TFFoxForm::OnControlColor(HDC dc, HWND control) {
  switch (GetDlgCtrlID(control)) {
    case IDC_BREAKER: {
      static const COLORREF kBreaker[] = {RGB(0x80, 0, 0), RGB(0x80, 0x80, 0), RGB(0, 0, 0x80)};
      return BrushOf(kBreaker[MainPageIndex()]);
    }
    case IDC_GAUGE_BAR: return GetSysColorBrush(COLOR_HIGHLIGHT);
    case IDC_VERSION:
    case IDC_BUILD:  // on the silver top bar
      SetBkColor(dc, RGB(0xC0, 0xC0, 0xC0));
      return BrushOf(RGB(0xC0, 0xC0, 0xC0));
    case IDC_STATUS_LABEL: {
      COLORREF c = statusLabelError_ ? RGB(0, 0xFF, 0) : RGB(0xC0, 0xC0, 0xC0);
      SetBkColor(dc, c);
      return BrushOf(c);
    }
    case IDC_PGDN_HINT:
      SetBkColor(dc, RGB(0xFF, 0xFF, 0xE1));
      return BrushOf(RGB(0xFF, 0xFF, 0xE1));
  }
  return nullptr;
}

// The pages selected: the tabs' own, once there is a window.
int TFFoxForm::MainPageIndex() const {
  return window_ ? TabCtrl_GetCurSel(Control(IDC_MAIN_TABS)) : mainPage_;
}

TFFoxOptionsFrame1& TFFoxForm::ShownOptionFrame() {
  int i = window_ ? TabCtrl_GetCurSel(Control(IDC_OPTION_TABS)) : optionPage_;
  return frames_[i < 0 ? 0 : i];
}

void TFFoxForm::SelectMainPage(int page) {
  mainPage_ = page;
  if (window_) TabCtrl_SetCurSel(Control(IDC_MAIN_TABS), page);
  OnMainPageChanged();
}

void TFFoxForm::SelectOptionPage(RunMode mode) {
  optionPage_ = ModeIndex(mode);
  if (window_) TabCtrl_SetCurSel(Control(IDC_OPTION_TABS), optionPage_);
  OnOptionPageChanged();
}

void TFFoxForm::SelectConfigPage(int page) {
  configPage_ = page;
  if (window_) TabCtrl_SetCurSel(Control(IDC_CONFIG_TABS), page);
  OnMainPageChanged();
}

void TFFoxForm::OnMainPageChanged() {
  if (!window_) return;
  const int page = mainPage_ = MainPageIndex();
  const int option = optionPage_ = TabCtrl_GetCurSel(Control(IDC_OPTION_TABS));
  const int config = configPage_ = TabCtrl_GetCurSel(Control(IDC_CONFIG_TABS));
  ShowWindow(Control(IDC_OPTION_TABS), page == kPurgeOptionsPage ? SW_SHOW : SW_HIDE);
  // The pages are made when the window first shows, or when one is asked for.
  for (int i = 0; i < 4; ++i)
    if (frames_[i].Made())
      ShowWindow(frames_[i].Handle(), page == kPurgeOptionsPage && i == option ? SW_SHOW : SW_HIDE);
  ShowWindow(Control(IDC_CONFIG_TABS), page == kConfigurePage ? SW_SHOW : SW_HIDE);
  for (int i = 0; i < 5; ++i)
    if (configPages_[i].Handle())
      ShowWindow(configPages_[i].Handle(), page == kConfigurePage && i == config ? SW_SHOW : SW_HIDE);
  ShowWindow(resultsList_, page == kResultsPage ? SW_SHOW : SW_HIDE);
  InvalidateRect(Control(IDC_BREAKER), nullptr, TRUE);
  if (page == kResultsPage) {
    if (IsWindowVisible(window_)) SetFocus(resultsList_);
  } else {
    SetPageDownHint(false);
    SetStatusLabel(NormalStatusText(), false);
  }
}

void TFFoxForm::OnOptionPageChanged() {
  OnMainPageChanged();
  if (!state_.busy) PollBrowserActivity();
}

std::string TFFoxForm::IdleStatusText() {
  return "  " + std::string(InfoOf(ShownOptionFrame().Mode()).pageName) + " is current...";
}

// Start-up load order: the four option sets, the global settings, the temp-folder selection,
// then the temp-folder discovery.
void TFFoxForm::LoadAllSettings() {
  for (auto& f : frames_) f.LoadOptionSet();
  LoadGlobalSettings();
}

// The settings every run needs; the pages that show them are filled when made.
void TFFoxForm::LoadGlobalSettings() {
  LoadRunSettings();
  for (int i = 0; i < 5; ++i)
    if (configPages_[i].Handle()) FillConfigPage(static_cast<ConfigPage>(i));
}

void TFFoxForm::FillConfigPage(ConfigPage which) {
  HWND page = configPages_[which].Handle();
  if (which == kTempFoldersPage) {
    LoadTempFolderPage();
    return;
  }
  if (which == kGeneralPage) {
    const GlobalSettings& g = Globals();
    const char m = g.shred.Method();
    CheckRadio(page, IDC_SHRED_QUICK, 3, m == '0' ? 0 : m == '1' ? 1 : m == '2' ? 2 : -1);
    SendDlgItemMessageA(page, IDC_REPEATS_SPIN, UDM_SETPOS32, 0, g.shred.repeats);
    SetDlgItemInt(page, IDC_REPEATS_EDIT, g.shred.repeats, FALSE);
    ShowThemesState(GetDlgItem(page, IDC_THEMES_CHECK));
    CheckDlgButton(page, IDC_RUNLOG_CHECK, g.keepRunLog ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_LOGITEMS_CHECK, g.logEachItem ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(page, IDC_APPLY), FALSE);
    return;
  }
  DisplayPolicy p = ReadDisplayPolicy(SettingsFile(), kDisplaySections[which]);
  CheckRadio(page, IDC_SPLASH_ENABLE, 2, p.splashOpt);
  CheckRadio(page, IDC_MAINWIN_0, 4, p.mainWinOpt);
  if (which == kShutdownPage) CheckRadio(page, IDC_SHUTTYPE_0, 6, p.shutType);
  if (which == kStartupPage)
    CheckDlgButton(page, IDC_STARTUP_CHECK, IsRunKeySet() ? BST_CHECKED : BST_UNCHECKED);
}

void TFFoxForm::LoadTempFolderPage() {
  TempFolderSelection t = ReadTempFolders(SettingsFile());
  HWND temp = configPages_[kTempFoldersPage].Handle();
  const bool boxes[] = {t.tmpDir, t.dosDir, t.winDir, t.volDir};
  for (int i = 0; i < 4; ++i)
    CheckDlgButton(temp, IDC_TMPDIR + i, boxes[i] ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(temp, IDC_AGETEMP, t.ageTemp ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(temp, IDC_AGEHOURS, t.ageHours.c_str());
  DiscoverTempFolders();
  std::vector<TempFolderLabel> labels = TempFolderLabels();
  for (size_t i = 0; i < labels.size() && i < 4; ++i) {
    const int row = static_cast<int>(i);
    SetDlgItemTextA(temp, IDC_TEMP_LABEL_0 + row, labels[i].text.c_str());
    EnableWindow(GetDlgItem(temp, IDC_TMPDIR + row), labels[i].enabled);
  }
}

void TFFoxForm::SaveShredSettings() {
  HWND page = ConfigPageHandle(kGeneralPage);
  ShredSettings s;
  int method = CheckedRadio(page, IDC_SHRED_QUICK, 3);
  s.thoroughness = method < 0 ? Globals().shred.thoroughness : std::string(1, char('0' + method));
  BOOL ok = FALSE;
  int repeats = static_cast<int>(GetDlgItemInt(page, IDC_REPEATS_EDIT, &ok, TRUE));
  s.repeats = ClampRepeats(ok ? repeats : 1);
  SetDlgItemInt(page, IDC_REPEATS_EDIT, s.repeats, FALSE);
  SettingsChanges changes;
  if (method >= 0) changes.Set("ShredOption", "Thoroughness", s.thoroughness);
  changes.SetInt("ShredOption", "Repeats", s.repeats);
  Globals().shred = s;
  Globals().keepRunLog = IsDlgButtonChecked(page, IDC_RUNLOG_CHECK) == BST_CHECKED;
  WriteRunLogOption(changes, Globals().keepRunLog);
  Globals().logEachItem = IsDlgButtonChecked(page, IDC_LOGITEMS_CHECK) == BST_CHECKED;
  WriteLogEachItemOption(changes, Globals().logEachItem);
  changes.Commit();
  ApplyThemesState(GetDlgItem(page, IDC_THEMES_CHECK));
  EnableWindow(GetDlgItem(page, IDC_APPLY), FALSE);
}

void TFFoxForm::SaveDisplayPolicy(ConfigPage which) {
  HWND page = ConfigPageHandle(which);
  DisplayPolicy p;
  p.splashOpt = std::max(0, CheckedRadio(page, IDC_SPLASH_ENABLE, 2));
  p.mainWinOpt = std::max(0, CheckedRadio(page, IDC_MAINWIN_0, 4));
  p.shutType = std::max(0, CheckedRadio(page, IDC_SHUTTYPE_0, 6));
  SettingsChanges changes;
  WriteDisplayPolicy(changes, kDisplaySections[which], p);
  changes.Commit();
  if (which == kStartupPage) {
    if (IsDlgButtonChecked(page, IDC_STARTUP_CHECK) == BST_CHECKED)
      SetRunKey();
    else
      RemoveRunKey();
  }
}

void TFFoxForm::SaveTempFolders() {
  HWND page = ConfigPageHandle(kTempFoldersPage);
  TempFolderSelection t;
  t.tmpDir = IsDlgButtonChecked(page, IDC_TMPDIR) == BST_CHECKED;
  t.dosDir = IsDlgButtonChecked(page, IDC_TMPDIR + 1) == BST_CHECKED;
  t.winDir = IsDlgButtonChecked(page, IDC_TMPDIR + 2) == BST_CHECKED;
  t.volDir = IsDlgButtonChecked(page, IDC_TMPDIR + 3) == BST_CHECKED;
  t.ageTemp = IsDlgButtonChecked(page, IDC_AGETEMP) == BST_CHECKED;
  t.ageHours = WindowText(GetDlgItem(page, IDC_AGEHOURS));
  SettingsChanges changes;
  WriteTempFolders(changes, t);
  changes.Commit();
  LoadTempFolderPage();  // fresh from the file, with fresh folder labels
}

// WM_INITDIALOG answers FALSE, as no page is one of the form's yet: none takes the focus.
INT_PTR TFFoxForm::ConfigPageDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  return form_.OnConfigMessage(window_, msg, wp, lp);
}

INT_PTR TFFoxForm::OnConfigMessage(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
  int which = 0;
  while (which < 5 && configPages_[which].Handle() != page) ++which;
  if (msg == WM_SETCURSOR) {
    ShowHintFor(reinterpret_cast<HWND>(wp));
    return FALSE;
  }
  if (msg != WM_COMMAND || which == 5) return FALSE;
  const int id = LOWORD(wp), code = HIWORD(wp);
  if (id == IDC_APPLY && code == BN_CLICKED) {
    switch (which) {
      case kGeneralPage: SaveShredSettings(); break;
      case kPurgeNowPage: SavePnowDisplay(); break;
      case kStartupPage: SaveBootDisplay(); break;
      case kShutdownPage: SaveShutDisplay(); break;
      case kTempFoldersPage: SaveTempFolders(); break;
    }
    return TRUE;
  }
  if (which == kGeneralPage) {
    // A new shred method is stored only by Apply, so choosing one must make Apply available.
    if (id == IDC_THEMES_CHECK || id == IDC_RUNLOG_CHECK || id == IDC_LOGITEMS_CHECK ||
        (id == IDC_REPEATS_EDIT && code == EN_CHANGE) ||
        (id >= IDC_SHRED_QUICK && id <= IDC_SHRED_BOTH && code == BN_CLICKED))
      EnableWindow(GetDlgItem(page, IDC_APPLY), TRUE);
    else if (id == IDC_SELECT_FONTS)
      OpenFontsWindow();
    else if (id == IDC_SELECT_PLUGINS && code == BN_CLICKED && !state_.busy) {
      // Execute Plugin deletes as a Standard purge would: its secure-erase choice comes along.
      const OptionSet standard = OptionFrame(RunMode::Standard).RunValues();
      state_.secureErase = standard[OptionField::SecureDelete] == 1;
      state_.shred = Globals().shred;
      state_.busy = true;
      TPlugSelForm::ShowModal(window_, state_);
      state_.busy = false;
    } else if (id == IDC_PLUGMGR_BTN)
      OpenShell(Folders().programFolder + "\\PlugMgr.exe");
    else if (id >= IDC_SHORTCUT_MAIN && id <= IDC_SHORTCUT_SHUT && code == BN_CLICKED)
      GenerateShortcut(id - IDC_SHORTCUT_MAIN);
    return TRUE;
  }
  return FALSE;
}
