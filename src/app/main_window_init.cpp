// The main window's initialisation at start-up, step by step in its fixed order.
#include <windows.h>
#include <commctrl.h>

#include <stdexcept>

#include "app/help_file.h"
#include "app/main_window.h"
#include "core/command_line.h"
#include "core/folders.h"
#include "core/run_mode.h"
#include "core/settings.h"
#include "core/version.h"
#include "core/window_placement.h"
#include "files/recycle_bin.h"
#include "firefox/firefox_profile.h"
#include "platform/files.h"
#include "platform/window.h"
#include "resource.h"
#include "run/purge_table.h"
#include "run/run_setup.h"
#include "system/user_admin.h"

namespace {
constexpr UINT_PTR kTimer1 = 1, kQsTimer = 3;

void SetTypedUrlsAvailable(bool available) {
  if (TFFoxForm* form = MainForm())
    for (RunMode m : kAllModes)
      form->OptionFrame(m).EnableOption(OptionField::FFTypedUrls, available);
}
}  // namespace

// The steps that need no window; those that show something are in ShowInitialState.
void TFFoxForm::RunInitialisation(bool runsPrepared) {
  SetTypedUrlsAvailability(SetTypedUrlsAvailable);
  if (!runsPrepared && !PrepareForRuns()) fatal_ = true;
  // An empty report on the current run mode's page.
  lines_.clear();
  statusLabel_ = NormalStatusText();
  optionPage_ = ModeIndex(CurrentRunMode());
  statusPanels_[1] = IdleStatusText();
  statusBarColor_ = GetSysColor(COLOR_BTNFACE);
  for (auto& f : frames_) f.LoadOptionSet();
  // No recycle-bin service: the box cannot be selected anywhere.
  if (!RecycleBinAvailable())
    for (auto& f : frames_) f.EnableOption(OptionField::RecycleBin, false);
  // Without administrator rights their purges could do nothing: the hint says so.
  if (!IsUserAdmin())
    for (auto& f : frames_)
      for (OptionField o : AdminOptions()) f.EnableOption(o, false);
  caption_ = MainCaption();
  if (ParamSwitch("NOVER")) statusLabel_.clear();
  if (ParamSwitch("AbortC9")) throw std::runtime_error("Exception Test - FFoxMain - FormCreate -9");
}

// The initialisation's steps on the window, once it is made.
void TFFoxForm::ShowInitialState() {
  // 5. Gauge hidden.
  ShowWindow(Control(IDC_GAUGE), SW_HIDE);
  ShowWindow(Control(IDC_GAUGE_BAR), SW_HIDE);
  // 6.
  SetDlgItemTextA(window_, IDC_VERSION, kVersionText);
  SetDlgItemTextA(window_, IDC_BUILD, kBuildText);
  // 9.
  LoadWindowPosition(window_, "FFoxForm");
  ApplyMainFont();
  // 13. The help file opens in HTML Help when it is there.
  if (!FileExists(Folders().programFolder + "\\" + kHelpFileName))
    EnableMenuItem(GetMenu(window_), IDM_HELP_CONTENTS, MF_BYCOMMAND | MF_GRAYED);
  // 15.
  if (CurrentRunMode() == RunMode::Standard && Globals().messages.quickStartOpt == "S" &&
      FileExists(Folders().programFolder + "\\qvrnqst.rtf"))
    SetTimer(window_, kQsTimer, 1000, nullptr);
  // 16.
  SetWindowTextString(window_, caption_);
}

// What the run and the initialisation left in the form, shown on the controls: the report, the
// status texts, the pages selected, the browser check's marks and its timer.
void TFFoxForm::ShowModel() {
  SendMessageA(resultsList_, WM_SETREDRAW, FALSE, 0);
  for (size_t i = 0; i < lines_.size(); ++i) ListLine(i, lines_[i]);
  SendMessageA(resultsList_, WM_SETREDRAW, TRUE, 0);
  SizeResultsColumn(true);
  for (int panel : {0, 1}) SetStatusPanel(panel, statusPanels_[panel]);
  SendMessageA(StatusBar(), SB_SETBKCOLOR, 0, statusBarColor_);
  TabCtrl_SetCurSel(Control(IDC_OPTION_TABS), optionPage_);
  TabCtrl_SetCurSel(Control(IDC_CONFIG_TABS), configPage_);
  const std::string label = statusLabel_;
  const bool error = statusLabelError_;
  SelectMainPage(mainPage_);
  SetStatusLabel(label, error);  // the page's change resets it
  if (pageDownHintDue_) {
    pageDownHintDue_ = false;
    const int perPage = static_cast<int>(SendMessageA(resultsList_, LVM_GETCOUNTPERPAGE, 0, 0));
    if (static_cast<int>(lines_.size()) > perPage) SetPageDownHint(true);
  }
  if (browserPollArmed_) {
    SetHint(Control(IDC_PURGE_BTN), purgeHint_);
    SetTimer(window_, kTimer1, 2000, nullptr);
  }
}

void TFFoxForm::ShowFinishedRun(const RunState& finished, ReportLines lines) {
  state_ = finished;
  lines_ = std::move(lines);
  RunEnded(state_.errorStatus);
}
