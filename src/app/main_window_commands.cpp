// The main window's buttons, menu commands and browser-activity display.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "app/help_file.h"
#include "app/main_window.h"
#include "app/purge_run.h"
#include "app/small_windows.h"
#include "app/wipe_window.h"
#include "chromium/chromium_purge.h"
#include "cookie_window/cookie_form.h"
#include "core/command_line.h"
#include "core/folders.h"
#include "core/message_box.h"
#include "core/run_log.h"
#include "core/run_mode.h"
#include "core/settings.h"
#include "core/version.h"
#include "files/temp_protect_form.h"
#include "firefox/browser_activity.h"
#include "ie/index_removal.h"
#include "platform/files.h"
#include "platform/window.h"
#include "resource.h"

namespace {
constexpr UINT_PTR kTimer1 = 1;

constexpr OptionField kFirefoxOptions[] = {OptionField::Cache,   OptionField::Cookies,
                                           OptionField::History, OptionField::FFTypedUrls,
                                           OptionField::Forms,   OptionField::FFSession};
constexpr OptionField kChromiumOptions[] = {
    OptionField::ChromiumHistory, OptionField::ChromiumTypedUrls, OptionField::ChromiumForms,
    OptionField::ChromiumCookies, OptionField::ChromiumCache,     OptionField::ChromiumSession};
constexpr OptionField kIeOptions[] = {
    OptionField::Visited,     OptionField::IECache,    OptionField::IECookies,
    OptionField::IEHistory,   OptionField::IEUserData, OptionField::IESearches,
    OptionField::IETypedUrls, OptionField::IEStrays,   OptionField::IEDomStore};
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

bool TFFoxForm::RunPurgeOrPreview(bool preview) {
  if (state_.busy || state_.running) return false;
  PurgeRequest request;
  request.options = ShownOptionFrame().RunValues();
  request.preview = preview;
  request.shred = Globals().shred;
  BeginRunLog(CurrentRunMode(), preview);
  return RunPurge(context_, request);
}

// The finished report, as the list shows it, goes to the log of runs. A log that cannot be
// written adds its line but raises no level; a "LOG=" report that could not be written raises
// the run's level, as the record it then leaves in the log says.
void TFFoxForm::RecordRun(bool preview) {
  const RunLogNote note = FinishRunLog({CurrentRunMode(), preview, state_.highestLevel, lines_});
  if (note.level > 0) {
    context_.RaiseLevel(note.level);
    context_.SetAttention();
  }
  if (!note.line.empty()) {
    AddLine(note.line);
    SizeResultsColumn(true);
  }
}

void TFFoxForm::PreviewBtnClick() {
  if (RunPurgeOrPreview(true)) RecordRun(true);
}

void TFFoxForm::PurgeBtnClick() {
  if (state_.busy || state_.running) return;
  state_.browserFlag = false;
  PollBrowserActivity();
  if (!RunPurgeOrPreview(false)) return;
  if (state_.browserFlag) {
    ReplaceLine(0, kCautionLine);
    context_.RaiseLevel(9);
    context_.SetAttention();
  }
  RecordRun(false);
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
    const bool firefox = TisFireFoxActive();
    const bool other = TisIEorMSNactive();
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
      int s = BrowserState() >= 1 && BrowserState() <= 4 ? BrowserState() : 0;
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

    TFFoxOptionsFrame1& shown = ShownOptionFrame();
    const OptionSet values = shown.RunValues();
    auto colour = [&](OptionField f, bool browserRunning) {
      bool mark = browserRunning && values[f];
      shown.SetHighlighted(f, mark);
      if (mark) state_.browserFlag = true;
    };
    for (OptionField f : kFirefoxOptions) colour(f, firefox);
    for (OptionField f : kIeOptions) colour(f, other);
    // Finding the browsers reads each one's Local State: only when a Chromium box is ticked.
    const bool chromiumTicked =
        std::any_of(std::begin(kChromiumOptions), std::end(kChromiumOptions),
                    [&](OptionField f) { return values[f] != 0; });
    const bool chromium = chromiumTicked && AnyChromiumBrowserRunning();
    for (OptionField f : kChromiumOptions) colour(f, chromium);
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
