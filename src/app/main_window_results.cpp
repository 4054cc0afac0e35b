// The main window's results list and status area: report lines, colours, keys, clipboard copy.
#include <windows.h>
#include <commctrl.h>

#include <ctime>

#include "app/main_window.h"
#include "chromium/chromium_browsers.h"
#include "core/command_line.h"
#include "core/folders.h"
#include "core/font_setting.h"
#include "core/os_flags.h"
#include "core/report_rules.h"
#include "core/run_mode.h"
#include "core/settings.h"
#include "core/settings_backup.h"
#include "core/text_util.h"
#include "core/version.h"
#include "files/temp_folders.h"
#include "firefox/browser_activity.h"
#include "firefox/firefox_profile.h"
#include "firefox/sqlite_module.h"
#include "ie/ie_hooks.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/window.h"
#include "resource.h"
#include "winapp2/winapp2_catalog.h"

namespace {
constexpr UINT_PTR kTimerMsg = 2;
constexpr const char* kNormalStatusText =
    "New Users - click \"Help\" and select \"Getting Started Information\"";

// A line's text, as much as the list's buffer holds.
void AnswerLineText(const ReportLines& lines, LVITEMA& item) {
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  const size_t index = static_cast<size_t>(item.iItem);
  const std::string_view line = index < lines.size() ? lines[index] : std::string_view();
  const size_t length = std::min(line.size(), static_cast<size_t>(item.cchTextMax - 1));
  memcpy(item.pszText, line.data(), length);
  item.pszText[length] = '\0';
}
}  // namespace

std::string TFFoxForm::NormalStatusText() const {
  return ParamSwitch("NOVER") ? std::string() : kNormalStatusText;
}

// The list holds no text of its own: it asks for a line's text (LVN_GETDISPINFO) when it shows it.
bool TFFoxForm::ListLine(size_t index, std::string_view) {
  return SendMessageA(resultsList_, LVM_SETITEMCOUNT, index + 1,
                      LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL) != 0;
}

// Without a window the line is kept, and listed when the window is made.
void TFFoxForm::AddLine(const std::string& line) {
  if (window_ && !ListLine(lines_.size(), line)) return;
  lines_.Add(line);
}

void TFFoxForm::ReplaceLine(size_t index, const std::string& line) {
  if (index >= lines_.size()) return;
  lines_.Replace(index, line);
  if (!window_) return;
  resultsColumn_.LineReplaced(resultsList_, index, line);
  SendMessageA(resultsList_, LVM_REDRAWITEMS, index, index);
}

// A purge can count tens of thousands of items a second; repainting the label for each would
// cost more than the work. It shows the latest text at most every 50 ms, and whenever the
// window's messages run.
void TFFoxForm::ShowStatus(const std::string& text) {
  pendingStatus_ = text;
  statusPending_ = true;
  if (GetTickCount() - lastStatusTick_ >= 50) FlushStatus();
}

void TFFoxForm::FlushStatus() {
  if (!statusPending_) return;
  statusPending_ = false;
  lastStatusTick_ = GetTickCount();
  SetStatusLabel(pendingStatus_, statusLabelError_);
}

void TFFoxForm::PumpMessages() {
  FlushStatus();
  PumpWaitingMessages();
}

void TFFoxForm::ApplyMainFont() {
  if (!window_) return;
  LOGFONTA lf = LogFontOf(Globals().fonts.main);
  HFONT font = CreateFontIndirectA(&lf);
  SendMessageA(resultsList_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  resultsColumn_.Forget();  // the lines are as wide as the new font makes them
  if (resultsFont_) DeleteObject(resultsFont_);
  resultsFont_ = font;
}

void TFFoxForm::ClearResults() {
  lines_.clear();
  tabSearchPos_ = -1;
  if (window_) {
    SendMessageA(resultsList_, WM_SETREDRAW, FALSE, 0);
    ApplyMainFont();
    SendMessageA(resultsList_, LVM_DELETEALLITEMS, 0, 0);
    SizeResultsColumn(false);
    SendMessageA(resultsList_, WM_SETREDRAW, TRUE, 0);
  }
  SetStatusLabel(NormalStatusText(), false);
  PumpMessages();
}

void TFFoxForm::SizeResultsColumn(bool toContents) {
  if (!window_) return;
  if (toContents && !lines_.empty()) {
    SendMessageA(resultsList_, LVM_SETCOLUMNWIDTH, 0,
                 resultsColumn_.ContentsWidth(resultsList_, lines_));
    return;
  }
  RECT r;
  GetClientRect(resultsList_, &r);
  SendMessageA(resultsList_, LVM_SETCOLUMNWIDTH, 0, std::max(10L, static_cast<long>(r.right - 50)));
}

void TFFoxForm::SetStatusLabel(const std::string& text, bool errorColour) {
  statusLabelError_ = errorColour;
  statusLabel_ = text;
  if (!window_) return;
  SetWindowTextString(Control(IDC_STATUS_LABEL), text);
  InvalidateRect(Control(IDC_STATUS_LABEL), nullptr, TRUE);
}

void TFFoxForm::SetPageDownHint(bool visible) {
  if (!window_) return;
  ShowWindow(Control(IDC_PGDN_HINT), visible ? SW_SHOW : SW_HIDE);
  if (visible) {
    SetWindowPos(Control(IDC_PGDN_HINT), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetTimer(window_, kTimerMsg, 5000, nullptr);
  } else {
    KillTimer(window_, kTimerMsg);
  }
}

bool TFFoxForm::PageDownHintVisible() const { return IsWindowVisible(Control(IDC_PGDN_HINT)); }

void TFFoxForm::SetStatusPanel(int panel, const std::string& text) {
  statusPanels_[panel] = text;
  SendMessageA(StatusBar(), SB_SETTEXTA, panel, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string TFFoxForm::StatusPanelText(int panel) const {
  if (!window_) return statusPanels_[panel];
  LRESULT info = SendMessageA(StatusBar(), SB_GETTEXTLENGTHA, panel, 0);
  std::string s(LOWORD(info) + 1, '\0');
  SendMessageA(StatusBar(), SB_GETTEXTA, panel, reinterpret_cast<LPARAM>(s.data()));
  s.resize(LOWORD(info));
  return s;
}

void TFFoxForm::SetHint(HWND control, const std::string& hint) {
  if (control) hints_[control] = hint;
}

std::string TFFoxForm::HintOf(HWND control) const {
  auto it = hints_.find(control);
  return it == hints_.end() ? std::string() : it->second;
}

// Hints are "short|long"; the status bar shows the long one.
void TFFoxForm::ShowHintFor(HWND control) {
  std::string hint = HintOf(control);
  size_t bar = hint.find('|');
  SetStatusPanel(0, bar == std::string::npos ? hint : hint.substr(bar + 1));
}

// The run's furniture: only a window has it. A settings file given back from its copy at start
// is said under the run's first lines, once: an unattended run is read in its log.
void TFFoxForm::RunStarting(int gaugeStep) {
  if (const std::string note = TakeSettingsRecoveryNote(); !note.empty()) AddLine(note);
  if (!window_) return;
  SetPageDownHint(false);
  HWND cancel = Control(IDC_CANCEL_BTN);
  ShowWindow(cancel, SW_SHOW);
  EnableWindow(cancel, TRUE);
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  PumpMessages();
  gaugeWidth_ = gaugeStep;
  Layout();
  ShowWindow(Control(IDC_GAUGE), SW_SHOW);
  ShowWindow(Control(IDC_GAUGE_BAR), SW_SHOW);
  SizeResultsColumn(false);
  SendMessageA(resultsList_, WM_SETREDRAW, FALSE, 0);
}

void TFFoxForm::FunctionFinished() {
  if (!window_) return;
  gaugeWidth_ = std::min(198, gaugeWidth_ + state_.gaugeStep);
  SetWindowPos(Control(IDC_GAUGE_BAR), nullptr, 0, 0, gaugeWidth_, 16,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFFoxForm::RunEnded(bool errorStatus) {
  statusPending_ = false;  // the run's last count gives way to its closing status
  if (errorStatus) {
    SetStatusLabel(" Errors in Purge function  -  Use the TAB key to locate the Error... ", true);
  } else {
    SetStatusLabel(NormalStatusText(), false);
    if (ParamSwitch("totals")) {
      SetStatusLabel("Total Processed - " + std::to_string(state_.processed), false);
    } else if (!window_) {
      pageDownHintDue_ = true;  // a page's size is known once the list is there
    } else {
      int perPage = static_cast<int>(SendMessageA(resultsList_, LVM_GETCOUNTPERPAGE, 0, 0));
      if (static_cast<int>(lines_.size()) > perPage) SetPageDownHint(true);
    }
  }
  if (window_) {
    HWND cancel = Control(IDC_CANCEL_BTN);
    ShowWindow(cancel, SW_HIDE);
    EnableWindow(cancel, FALSE);
    PumpMessages();
    SizeResultsColumn(true);
    SendMessageA(resultsList_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(resultsList_, nullptr, TRUE);
    PumpMessages();
    // The full gauge stays a moment for the user to see.
    if (Watched()) Sleep(500);
    ShowWindow(Control(IDC_GAUGE_BAR), SW_HIDE);
    ShowWindow(Control(IDC_GAUGE), SW_HIDE);
  }
  gaugeWidth_ = 0;
  state_.busy = false;
  if (window_) {
    Layout();
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  }
  ShowResultsPage();
  if (closeAfterRun_) {
    closeAfterRun_ = false;
    if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);  // handled once the run has returned
  }
}

void TFFoxForm::ShowResultsPage() {
  SizeResultsColumn(true);
  SelectMainPage(kResultsPage);
}

void TFFoxForm::SelectResultLine(int index) {
  ListView_SetItemState(resultsList_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(resultsList_, index, LVIS_SELECTED | LVIS_FOCUSED,
                        LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(resultsList_, index, FALSE);
  SetFocus(resultsList_);
}

bool TFFoxForm::PreviewKey(WPARAM key) {
  if (state_.busy || (key != VK_TAB && key != VK_NEXT)) return false;
  key == VK_TAB ? TabKeyDown() : PageDownKeyDown();
  return true;
}

void TFFoxForm::TabKeyDown() {
  if (state_.busy || lines_.empty()) return;
  const int count = static_cast<int>(lines_.size());
  int start = tabSearchPos_ >= count - 1 ? 0 : tabSearchPos_ + 1;
  int found = -1;
  for (int i = start; i < count && found < 0; ++i)
    if (IsErrorLine(lines_[i])) found = i;
  if (found < 0) found = count - 1;
  SelectResultLine(found);
  tabSearchPos_ = found;
}

void TFFoxForm::PageDownKeyDown() {
  if (state_.busy) return;
  const int count = static_cast<int>(lines_.size());
  const int perPage = static_cast<int>(SendMessageA(resultsList_, LVM_GETCOUNTPERPAGE, 0, 0));
  if (count <= perPage) return;
  const int top = static_cast<int>(SendMessageA(resultsList_, LVM_GETTOPINDEX, 0, 0));
  int target = count - 1;
  for (int i = top + perPage + 1; i < count; ++i)
    if (IsSeparatorLine(lines_[i])) {
      target = i - 1;
      break;
    }
  if (target > 0)
    SelectResultLine(target);
  else
    ListView_EnsureVisible(resultsList_, 0, FALSE);
}

LRESULT TFFoxForm::ResultsListKeys::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
  if (msg == WM_KEYDOWN && form_.PreviewKey(wp)) return 0;  // the key itself is consumed
  if (msg == WM_SIZE) {
    const LRESULT r = Default(msg, wp, lp);
    form_.SizeResultsColumn(true);
    InvalidateRect(window_, nullptr, TRUE);
    return r;
  }
  return Default(msg, wp, lp);
}

LRESULT TFFoxForm::OnNotify(NMHDR* header) {
  if (header->hwndFrom == resultsList_ && header->code == LVN_GETDISPINFOA) {
    AnswerLineText(lines_, reinterpret_cast<NMLVDISPINFOA*>(header)->item);
    return 0;
  }
  if (header->hwndFrom == resultsList_ && header->code == NM_CUSTOMDRAW) {
    auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
      size_t i = cd->nmcd.dwItemSpec;
      cd->clrText = i < lines_.size() && IsErrorLine(lines_[i]) ? RGB(0, 0, 0xFF) : RGB(0, 0, 0);
      return CDRF_DODEFAULT;
    }
    return CDRF_DODEFAULT;
  }
  if (header->code == TCN_SELCHANGE) {
    if (header->hwndFrom == Control(IDC_OPTION_TABS))
      OnOptionPageChanged();
    else
      OnMainPageChanged();
  }
  return 0;
}

void TFFoxForm::CopyReportToClipboard() {
  std::string text;
  for (size_t i = 0; i < lines_.size(); ++i) text.append(lines_[i]).append("\r\n");
  char stamp[64];
  time_t now = time(nullptr);
  tm local = *localtime(&now);
  strftime(stamp, sizeof stamp, "%m/%d/%Y - %I:%M ", &local);
  std::string when = std::string(stamp) + (local.tm_hour < 12 ? "am" : "pm");
  text += " \r\n";
  text +=
      "via " + DisplayName() + " - " + kVersionText + " - " + kBuildText + " - " + when + "\r\n";
  text += "    FireFox Product version - " + FFoxProfile().ProductVersion;
  if (CurrentOsFlags().vista) text += "    TisVista=True";
  text += "\r\n";
  text += "  Params = " + FullCommandLine() + "\r\n";
  RegKey key;
  if (key.OpenRead(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion") ==
      ERROR_SUCCESS)
    if (auto lab = key.ReadString("BuildLab"); lab && !lab->empty())
      text += "    Windows Build - " + *lab + "\r\n";
  if (std::string ie = IeVersionText(); !ie.empty()) text += "     I.E. Version - " + ie + "\r\n";
  text += " \r\n";

  if (!OpenClipboard(window_)) return;
  EmptyClipboard();
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
    memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
    GlobalUnlock(mem);
    if (!SetClipboardData(CF_TEXT, mem)) GlobalFree(mem);
  }
  CloseClipboard();
}

void TFFoxForm::ShowFolderReport() {
  RefreshProfileStatus();
  ClearResults();
  const TFFoxProfile& p = FFoxProfile();
  AddLine("Following are the Files and Folders:");
  AddLine("");
  AddLine("  FireFox Exec Path - " + p.ExecPath);
  AddLine("  FireFox Data Path - " + p.DataPath);
  if (p.IsSqliteProfile) {
    AddLine("        Cookie File - " + p.CookiesFile);
    AddLine("       History File - " + p.PlacesFile);
    AddLine("  Form History File - " + p.FormHistoryFile);
  } else {
    AddLine("        Cookie File - " + p.CookiesTxtFile);
    AddLine("       History File - " + p.HistoryDatFile);
    AddLine("  Form History File - " + p.FormHistoryDatFile);
  }
  if (!StartsWith(p.ProfileCacheFolder, kFolderNotFound) &&
      StartsWith(p.LocalCacheFolder, kFolderNotFound))
    AddLine("        Cache [1.0] - " + p.ProfileCacheFolder);
  AddLine("       Cache Folder - " + p.LocalCacheFolder);
  if (!StartsWith(p.Cache2Folder, kFolderNotFound) && !p.Cache2Folder.empty())
    AddLine("      Cache2 Folder - " + p.Cache2Folder);
  // After the lines whose order users and their scripts know: which SQLite opens the databases.
  AddLine("      SQLite Module - " + SqliteModuleInUse() +
          (p.SqliteModuleNote.empty() ? "" : " (" + p.SqliteModuleNote + ")"));
  AddLine(" ");
  for (const std::string& line : IeFolderReportLines(CurrentOsFlags().vista)) AddLine(line);
  AddLine(" Recent LNKs Folder - " + p.RecentFolder);
  for (const SelectedTempFolder& t : SelectTempFolders(ReadTempFolders(SettingsFile())))
    AddLine(PadLeft(t.name, 20) + ":  " + t.path);
  AddLine(" ");
  for (const std::string& line : ChromiumFolderLines(FindChromiumBrowsers())) AddLine(line);
  AddLine(" ");
  AddLine("");
  AddLine(" Quorvane Exec Path - " + UpperCase(Folders().programFolder));
  AddLine(" Quorvane Data Path - " + Folders().dataFolder);
  if (Folders().ffDatExe) AddLine("Alternate Data Path - " + Folders().programFolder);
  AddLine("       Plugins Path - " + Folders().programFolder + "\\Plugins");
  AddLine(" Community Cleaners - " + Winapp2FilePath() +
          (FileExists(Winapp2FilePath()) ? "" : " (not present)"));
  ShowResultsPage();
}

void TFFoxForm::ShowHiddenBrowserWindows() {
  ClearResults();
  ListHiddenBrowserWindows([this](const std::string& line) { AddLine(line); });
  ShowResultsPage();
}
