// The main window's buttons, menu commands and browser-activity display.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "app/help_file.h"
#include "app/main_window.h"
#include "app/small_windows.h"
#include "app/wipe_window.h"
#include "cookie_window/cookie_form.h"
#include "core/command_line.h"
#include "core/folders.h"
#include "core/message_box.h"
#include "core/run_mode.h"
#include "core/settings.h"
#include "core/version.h"
#include "files/temp_protect_form.h"
#include "firefox/browser_activity.h"
#include "ie/index_removal.h"
#include "platform/files.h"
#include "platform/window.h"
#include "resource.h"
#include "run/browser_check.h"
#include "run/purge_run.h"
#include "winapp2/winapp2_window.h"

namespace {
constexpr UINT_PTR kTimer1 = 1;
}  // namespace

void TFFoxForm::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case IDC_COOKIES_BTN: CookiesBtnClick(); break;
    case IDC_PREVIEW_BTN: PreviewBtnClick(); break;
    case IDC_PURGE_BTN: PurgeBtnClick(); break;
    case IDC_EXIT_BTN:
    case IDM_FILE_EXIT: ExitBtnClick(); break;
    case IDC_CANCEL_BTN: CancelBtnClick(); break;
    case IDM_TEMP_PROTECT: TProtTempForm::Show(window_); break;
    case IDM_FOLDERS: ShowFolderReport(); break;
    case IDM_DELETE_INDEX: ScheduleIndexRemoval(); break;
    case IDM_HIDDEN_BROWSERS: ShowHiddenBrowserWindows(); break;
    case IDM_WIPE_FREE_SPACE:
      if (state_.busy) break;
      state_.busy = true;
      ShowWipeWindow(window_);
      state_.busy = false;
      break;
    case IDM_COMMUNITY_CLEANERS: TWinapp2Form::ShowModal(window_); break;
    case IDM_COPY_REPORT: CopyReportToClipboard(); break;
    case IDM_CHECK_VERSION: OpenShell(kVendorVersionPage + std::string(kVersionQuery)); break;
    case IDM_HELP_CONTENTS:
      OpenHelpTopic(window_, Folders().programFolder + "\\" + kHelpFileName, kHelpContentsTopic);
      break;
    case IDM_QUICK_START: OpenQuickStart(); break;
    case IDM_VENDOR_WEB: AskAndOpenVendorPage("Quorvane  -  Information", kVendorHome, ""); break;
    case IDM_VENDOR_MAIL:
      AskAndOpenVendorPage(Caption("Information"), kVendorMailPage, "?MailDrop=Support");
      break;
    case IDM_ABOUT: OpenAboutBox(); break;
  }
}

// The run is the run model's; the window hands it the shown page's options and shows it.
bool TFFoxForm::RunPurgeOrPreview(bool preview) {
  if (state_.busy || state_.running) return false;
  PurgeRequest request;
  request.options = ShownOptionFrame().RunValues();
  request.preview = preview;
  request.shred = Globals().shred;
  request.mode = CurrentRunMode();
  if (!RunAndRecord(context_, request)) return false;
  SizeResultsColumn(true);
  return true;
}

void TFFoxForm::PreviewBtnClick() { RunPurgeOrPreview(true); }

void TFFoxForm::PurgeBtnClick() {
  if (state_.busy || state_.running) return;
  PollBrowserActivity();  // the marks and the status show what the run will find
  RunPurgeOrPreview(false);
}

void TFFoxForm::CookiesBtnClick() {
  if (state_.busy) return;
  state_.busy = true;
  state_.options = ShownOptionFrame().RunValues();
  ShowCookieForm(window_, state_.options, Globals().shred);
  state_.busy = false;
  if (ParamSwitch("PROTECT")) PostMessageA(window_, WM_CLOSE, 0, 0);
}

void TFFoxForm::CancelBtnClick() {
  state_.cancel = true;
  state_.busy = false;
}

void TFFoxForm::Timer1Timer() { PollBrowserActivity(); }

void TFFoxForm::PollBrowserActivity() {
  if (window_) KillTimer(window_, kTimer1);
  try {
    SetStatusPanel(1, IdleStatusText());
    const OptionSet values = ShownOptionFrame().RunValues();
    const RunningBrowsers running = FindRunningBrowsers(values);
    const bool firefox = running.firefox;
    const bool other = running.ieOrMsn;
    if (firefox) {
      SetFirefoxActive(true);
      statusBarColor_ = RGB(255, 255, 0);
      SetStatusPanel(1, "  FireFox Browser is active");
      const std::string caution =
          "CAUTION - As FireFox is Executing, some Purge Options may not succeed.";
      purgeHint_ = caution + "|" + caution;
    } else if (other) {
      statusBarColor_ = RGB(255, 255, 0);
      static const char* const kNames[] = {"A browser", "I.E.", "I.E.", "MSN", "MSN"};
      static const char* const kTexts[] = {"  A Browser is active", "  I.E. Browser is active",
                                           "  I.E. Hidden Window active", "  MSN Browser is active",
                                           "  MSN Hidden Window active"};
      int s = running.ieState >= 1 && running.ieState <= 4 ? running.ieState : 0;
      SetStatusPanel(1, kTexts[s]);
      const std::string caution = std::string("CAUTION - As ") + kNames[s] +
                                  " is Executing, some Purge Options may not succeed.";
      purgeHint_ = caution + "|" + caution;
      SetFirefoxActive(false);
    } else {
      SetFirefoxActive(false);
      statusBarColor_ = GetSysColor(COLOR_BTNFACE);
      SetStatusPanel(1, IdleStatusText());
      purgeHint_ = "|Process Delete function for selected Purge Options";
    }
    if (window_) SendMessageA(StatusBar(), SB_SETBKCOLOR, 0, statusBarColor_);
    SetHint(Control(IDC_PURGE_BTN), purgeHint_);

    // A ticked box whose browser runs is marked: its purge may not succeed.
    TFFoxOptionsFrame1& shown = ShownOptionFrame();
    for (const PurgeFunctionEntry& e : PurgeFunctions())
      shown.SetHighlighted(e.option, values[e.option] && HinderedByRunningBrowser(e, running));
  } catch (...) {
    // A failing check still re-arms the timer.
  }
  // Without a window the timer starts when the window is made.
  browserPollArmed_ = true;
  if (window_) SetTimer(window_, kTimer1, 2000, nullptr);
}

void TFFoxForm::OpenShell(const std::string& target, const std::string& params) {
  ShellExecuteA(window_, nullptr, target.c_str(), params.empty() ? nullptr : params.c_str(),
                nullptr, SW_SHOWNORMAL);
}

void TFFoxForm::AskAndOpenVendorPage(const std::string& caption, const std::string& target,
                                     const std::string& params) {
  std::string text = "The " + DisplayName() +
                     " web site will now be opened in your browser.\r\n\r\n"
                     "Your Internet connection must be available.\r\n\r\n"
                     "If the page does not open, enter this address by hand:\r\n   " +
                     target + params + "\r\n\r\nContinue?";
  if (ShowMessageBox(text, caption, MessageKind::Confirmation, MessageButtons::YesNo) ==
      MessageAnswer::Yes)
    OpenShell(target + params);
}

void TFFoxForm::OpenFontsWindow() {
  if (state_.busy) return;
  state_.busy = true;
  ShowFontsWindow(window_);
  state_.busy = false;
}

void TFFoxForm::OpenAboutBox() {
  if (state_.busy) return;
  state_.busy = true;
  ShowAboutBox(window_);
  state_.busy = false;
}

void TFFoxForm::OpenQuickStart() { quickStart_ = ShowQuickStart(window_, quickStart_); }
