#include "app/main_window.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <stdexcept>

#include "app/help_file.h"
#include "core/command_line.h"
#include "core/folders.h"
#include "core/message_box.h"
#include "core/program_window.h"
#include "core/run_mode.h"
#include "core/settings.h"
#include "core/window_placement.h"
#include "ie/ie_hooks.h"
#include "platform/common_controls.h"
#include "platform/window.h"
#include "resource.h"
#include "system/shutdown_action.h"

namespace {
constexpr const char* kClassName = "TFFoxForm";
constexpr int kTopBarHeight = 36;
constexpr int kBreakerHeight = 5;
constexpr int kBottomPanelHeight = 40;
constexpr int kDesignWidth = 592, kDesignHeight = 434;
constexpr COLORREF kSilver = RGB(0xC0, 0xC0, 0xC0);
constexpr UINT_PTR kTimer1 = 1, kTimerMsg = 2, kQsTimer = 3;
TFFoxForm* g_mainForm = nullptr;

// Tab and Page Down act wherever the focus is inside the main window (an option box, a page,
// a button), not only in the results list: every message this thread takes is looked at first.
LRESULT CALLBACK KeyPreviewHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && wp == PM_REMOVE && g_mainForm) {
    MSG* m = reinterpret_cast<MSG*>(lp);
    HWND main = g_mainForm->Handle();
    if (m->message == WM_KEYDOWN && (m->wParam == VK_TAB || m->wParam == VK_NEXT) &&
        (m->hwnd == main || IsChild(main, m->hwnd)) && g_mainForm->PreviewKey(m->wParam))
      m->message = WM_NULL;  // consumed
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

HWND MakeChild(HWND parent, const char* cls, const char* text, DWORD style, int id,
               DWORD exStyle = 0) {
  return CreateWindowExA(exStyle, cls, text, WS_CHILD | style, 0, 0, 10, 10, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

bool RegisterMainClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSEXA wc{sizeof wc};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = Window::Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(IDI_QUORVANE));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
  wc.lpszClassName = kClassName;
  registered = RegisterClassExA(&wc) != 0;
  return registered;
}
}  // namespace

TFFoxForm* MainForm() { return g_mainForm; }

void HandleProgramFailure(const std::string& message, const void* address) {
  char where[16];
  snprintf(where, sizeof where, "%08X",
           static_cast<unsigned>(reinterpret_cast<uintptr_t>(address)));
  ShowMessageBox(
      message + ". Occurred at: " + where + "\r\n\r\nPlease report this message to the vendor...",
      Caption("Program Error"), MessageKind::Error, MessageButtons::Ok);
  static bool handling = false;  // a failure while closing must not start another close
  if (handling) return;
  handling = true;
  if (TFFoxForm* form = MainForm()) {
    form->State().busy = false;
    form->State().running = false;
    form->Close();
    if (IsWindow(form->Handle())) DestroyWindow(form->Handle());
  }
  handling = false;
}

HWND TFFoxForm::StatusBar() const { return Control(IDC_STATUSBAR); }

TFFoxForm::~TFFoxForm() {
  if (g_mainForm == this) g_mainForm = nullptr;
}

bool TFFoxForm::Create() {
  Initialise();
  return MakeWindow();
}

void TFFoxForm::Initialise(bool runsPrepared) {
  g_mainForm = this;
  for (RunMode mode : kAllModes) frames_[ModeIndex(mode)].Create(nullptr, mode);
  RunInitialisation(runsPrepared);
}

bool TFFoxForm::MakeWindow() {
  if (window_) return true;
  EnsureCommonControls();
  if (!RegisterMainClass()) return false;
  // Designed at 592 x 434, centred; a stored position replaces this below.
  const int left = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - kDesignWidth) / 2);
  const int top = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - kDesignHeight) / 2);
  if (!Window::Create(WS_EX_CONTROLPARENT, kClassName, "Quorvane",
                      WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, left, top, kDesignWidth,
                      kDesignHeight, nullptr, nullptr))
    return false;
  controlsMade_ = true;
  g_mainForm = this;
  SetProgramMainWindow(window_);
  keyHook_ = SetWindowsHookExA(WH_GETMESSAGE, KeyPreviewHook, nullptr, GetCurrentThreadId());
  CreateControls();
  CreatePages();
  ShowInitialState();
  Layout();
  ShowModel();
  return true;
}

void TFFoxForm::CreateControls() {
  guiFont_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTA lf{};
  GetObjectA(guiFont_, sizeof lf, &lf);
  lf.lfWeight = FW_BOLD;
  boldFont_ = CreateFontIndirectA(&lf);
  lf.lfHeight = lf.lfHeight * 4 / 3;
  purgeFont_ = CreateFontIndirectA(&lf);

  struct ButtonDef {
    int id;
    const char* text;
    const char* hint;
  };
  const ButtonDef buttons[] = {
      {IDC_COOKIES_BTN, "Cookies", "Select Cookies to Keep [protect from Purge]"},
      {IDC_PREVIEW_BTN, "Preview",
       "Show what would be deleted by 'Purge' for selected Purge Options"},
      {IDC_PURGE_BTN, "Purge", "Process Delete function for selected Purge Options"},
      {IDC_EXIT_BTN, "Exit", "Terminate Execution of this program"},
      {IDC_CANCEL_BTN, "  Cancel / Stop", "Cancel / Stop processing"},
  };
  for (const auto& b : buttons) {
    HWND h = MakeChild(window_, WC_BUTTONA, b.text, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, b.id);
    SendMessageA(h, WM_SETFONT,
                 reinterpret_cast<WPARAM>(b.id == IDC_PURGE_BTN ? purgeFont_ : guiFont_), 0);
    SetHint(h, b.hint);
  }
  ShowWindow(Control(IDC_CANCEL_BTN), SW_HIDE);
  for (int id : {IDC_VERSION, IDC_BUILD})
    SendMessageA(MakeChild(window_, WC_STATICA, "", WS_VISIBLE | SS_RIGHT, id), WM_SETFONT,
                 reinterpret_cast<WPARAM>(guiFont_), 0);
  MakeChild(window_, WC_STATICA, "", WS_VISIBLE, IDC_BREAKER);

  for (int id : {IDC_MAIN_TABS, IDC_OPTION_TABS, IDC_CONFIG_TABS}) {
    HWND tabs = MakeChild(window_, WC_TABCONTROLA, "",
                          WS_CLIPSIBLINGS | TCS_OWNERDRAWFIXED | TCS_FIXEDWIDTH | WS_TABSTOP |
                              (id == IDC_MAIN_TABS ? WS_VISIBLE : 0),
                          id);
    SendMessageA(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont_), 0);
  }
  auto addTabs = [&](int id, std::initializer_list<const char*> captions, int width) {
    HWND tabs = Control(id);
    TabCtrl_SetItemSize(tabs, width, 20);
    int i = 0;
    for (const char* c : captions) {
      TCITEMA item{TCIF_TEXT};
      item.pszText = const_cast<char*>(c);
      SendMessageA(tabs, TCM_INSERTITEMA, i++, reinterpret_cast<LPARAM>(&item));
    }
  };
  addTabs(IDC_MAIN_TABS, {"  Purge Options  ", "   Configure   ", "  Display Results  "}, 130);
  addTabs(IDC_OPTION_TABS,
          {InfoOf(RunMode::Standard).pageCaption, InfoOf(RunMode::PurgeNow).pageCaption,
           InfoOf(RunMode::Startup).pageCaption, InfoOf(RunMode::Shutdown).pageCaption},
          130);
  addTabs(IDC_CONFIG_TABS,
          {"  General  ", "Purge Now", "  Startup  ", "  Shutdown  ", "  Temp Folders  "}, 100);

  resultsList_ = MakeChild(
      window_, WC_LISTVIEWA, "",
      WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
          LVS_OWNERDATA,
      IDC_RESULTS);
  ListView_SetExtendedListViewStyle(resultsList_, LVS_EX_FULLROWSELECT);
  LVCOLUMNA col{LVCF_WIDTH};
  col.cx = 500;
  SendMessageA(resultsList_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&col));
  resultsListKeys_.Subclass(resultsList_);

  MakeChild(window_, WC_STATICA, "", WS_VISIBLE | WS_BORDER, IDC_GAUGE);
  MakeChild(window_, WC_STATICA, "", 0, IDC_GAUGE_BAR);
  HWND label =
      MakeChild(window_, WC_STATICA, "", WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, IDC_STATUS_LABEL);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_), 0);
  HWND hint =
      MakeChild(window_, WC_STATICA,
                "You can use the <Page Down> key to advance to the next off-screen summary line.",
                WS_BORDER | SS_CENTER | SS_CENTERIMAGE, IDC_PGDN_HINT);
  SendMessageA(hint, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_), 0);
  HWND status = MakeChild(window_, STATUSCLASSNAMEA, "", WS_VISIBLE, IDC_STATUSBAR);
  int parts[2] = {400, -1};
  SendMessageA(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

void TFFoxForm::Layout() {
  if (!window_) return;
  RECT rc;
  GetClientRect(window_, &rc);
  const int w = rc.right, h = rc.bottom;
  SendMessageA(StatusBar(), WM_SIZE, 0, 0);
  RECT sb;
  GetWindowRect(StatusBar(), &sb);
  const int statusHeight = sb.bottom - sb.top;

  HDWP dwp = BeginDeferWindowPos(20);
  auto place = [&](int id, int x, int y, int cx, int cy) {
    dwp = DeferWindowPos(dwp, Control(id), nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(IDC_COOKIES_BTN, 8, 6, 76, 24);
  place(IDC_PREVIEW_BTN, 90, 6, 76, 24);
  place(IDC_PURGE_BTN, 172, 3, 92, 30);
  place(IDC_EXIT_BTN, 270, 6, 76, 24);
  place(IDC_CANCEL_BTN, 352, 6, 110, 24);
  place(IDC_VERSION, w - 130, 4, 122, 14);
  place(IDC_BUILD, w - 130, 18, 122, 14);
  place(IDC_BREAKER, 0, kTopBarHeight, w, kBreakerHeight);
  const int tabsTop = kTopBarHeight + kBreakerHeight + 2;
  const int bottomTop = h - statusHeight - kBottomPanelHeight;
  place(IDC_MAIN_TABS, 4, tabsTop, w - 8, bottomTop - tabsTop);
  place(IDC_GAUGE, 8, bottomTop + 11, 200, 18);
  place(IDC_GAUGE_BAR, 9, bottomTop + 12, gaugeWidth_, 16);
  // The label takes the gauge's room while no run shows the gauge.
  const int labelLeft = state_.busy ? 216 : 8;
  place(IDC_STATUS_LABEL, labelLeft, bottomTop + 8, w - labelLeft - 8, 24);
  place(IDC_PGDN_HINT, 8, bottomTop + 6, w - 16, 28);
  EndDeferWindowPos(dwp);
  InvalidateRect(Control(IDC_STATUS_LABEL), nullptr, TRUE);  // moved: its old pixels are stale

  RECT page{4, tabsTop, w - 4, bottomTop};
  TabCtrl_AdjustRect(Control(IDC_MAIN_TABS), FALSE, &page);
  for (int id : {IDC_OPTION_TABS, IDC_CONFIG_TABS})
    SetWindowPos(Control(id), HWND_BOTTOM, page.left, page.top, page.right - page.left,
                 page.bottom - page.top, SWP_NOACTIVATE);
  SetWindowPos(resultsList_, nullptr, page.left, page.top, page.right - page.left,
               page.bottom - page.top, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(Control(IDC_MAIN_TABS), HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (auto& f : frames_)
    if (f.Made()) PlaceOnPageTabs(f.Handle());
  for (const auto& p : configPages_)
    if (p.Handle()) PlaceOnPageTabs(p.Handle());
  if (!closing_ && configPages_[kTempFoldersPage].Handle()) SizeTempFolderRows();
  SizeResultsColumn(true);
}

// The four rows of the Temp Folders page follow the window's width.
void TFFoxForm::SizeTempFolderRows() {
  RECT client;
  GetClientRect(window_, &client);
  HWND temp = configPages_[kTempFoldersPage].Handle();
  for (int i = 0; i < 4; ++i) {
    HWND row = GetDlgItem(temp, IDC_TEMP_LABEL_0 + i);
    RECT r;
    GetWindowRect(row, &r);
    MapWindowPoints(nullptr, temp, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(row, nullptr, 0, 0, std::max(40L, static_cast<long>(client.right - 70 - r.left)),
                 r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// A page within the option and configuration tabs, which lie on one another.
void TFFoxForm::PlaceOnPageTabs(HWND page) {
  HWND tabs = Control(IDC_OPTION_TABS);
  RECT inner;
  GetWindowRect(tabs, &inner);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&inner), 2);
  TabCtrl_AdjustRect(tabs, FALSE, &inner);
  SetWindowPos(page, HWND_TOP, inner.left, inner.top, inner.right - inner.left,
               inner.bottom - inner.top, SWP_NOACTIVATE);
}

LRESULT TFFoxForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (!controlsMade_) return Default(msg, wp, lp);
  switch (msg) {
    case WM_SIZE:
      if (!closing_) Layout();
      return 0;
    case WM_SHOWWINDOW:
      // Every page is made as the window first shows: an unattended run whose window never
      // shows makes none.
      if (wp) {
        for (auto& f : frames_) f.Handle();
        for (int i = 0; i < 5; ++i) ConfigPageHandle(static_cast<ConfigPage>(i));
        OnMainPageChanged();
      }
      break;
    case WM_GETMINMAXINFO: {
      auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
      mmi->ptMinTrackSize = {590, 424};
      return 0;
    }
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)); return 0;
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_DRAWITEM:
      if (reinterpret_cast<DRAWITEMSTRUCT*>(lp)->CtlType == ODT_TAB) {
        OnDrawTab(reinterpret_cast<DRAWITEMSTRUCT*>(lp));
        return TRUE;
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (HBRUSH b = OnControlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)))
        return reinterpret_cast<LRESULT>(b);
      break;
    case WM_ERASEBKGND: {
      // The top bar and the bottom panel are silver whatever the system's face colour is.
      LRESULT r = Default(msg, wp, lp);
      HDC dc = reinterpret_cast<HDC>(wp);
      RECT rc;
      GetClientRect(window_, &rc);
      RECT top{0, 0, rc.right, kTopBarHeight};
      FillRect(dc, &top, BrushOf(kSilver));
      RECT sb;
      GetWindowRect(StatusBar(), &sb);
      RECT bottom{0, rc.bottom - (sb.bottom - sb.top) - kBottomPanelHeight, rc.right,
                  rc.bottom - (sb.bottom - sb.top)};
      FillRect(dc, &bottom, BrushOf(kSilver));
      return r;
    }
    case WM_TIMER: OnTimer(wp); return 0;
    case WM_KEYDOWN:
      if (PreviewKey(wp)) return 0;
      break;
    case WM_SETCURSOR: ShowHintFor(reinterpret_cast<HWND>(wp)); break;
    case WM_CLOSE: Close(); return 0;
    case WM_DESTROY:
      CloseHelp();
      if (g_mainForm == this) {
        g_mainForm = nullptr;
        SetProgramMainWindow(nullptr);
      }
      if (keyHook_) UnhookWindowsHookEx(keyHook_);
      keyHook_ = nullptr;
      for (HFONT f : {purgeFont_, boldFont_, resultsFont_})
        if (f) DeleteObject(f);
      PostQuitMessage(0);
      return 0;
  }
  return Default(msg, wp, lp);
}

void TFFoxForm::OnTimer(UINT_PTR id) {
  switch (id) {
    case kTimer1: Timer1Timer(); break;
    case kTimerMsg:
      KillTimer(window_, kTimerMsg);
      SetPageDownHint(false);
      break;
    case kQsTimer:
      KillTimer(window_, kQsTimer);
      OpenQuickStart();
      break;
  }
}

void TFFoxForm::Close() {
  if (state_.busy) return;
  if (state_.running) {
    closeAfterRun_ = true;  // the cancelled run still uses the window; close when it returns
    return;
  }
  if (closing_) return;
  closing_ = true;
  if (window_)
    for (UINT_PTR t : {kTimer1, kTimerMsg, kQsTimer}) KillTimer(window_, t);
  EndUrlServerLink();
  if (window_)
    SaveWindowPosition(window_, "FFoxForm");
  else
    SaveUnmadeMainWindowPosition();
  if (CurrentRunMode() == RunMode::Shutdown && !StartShutdownAction()) state_.attention = true;
  if (window_) DestroyWindow(window_);
}

void TFFoxForm::ExitBtnClick() {
  if (state_.busy) return;
  if (ParamSwitch("AbortX")) throw std::runtime_error("Exception Test - FFoxMain - Exit1click");
  PostMessageA(window_, WM_CLOSE, 0, 0);
}
