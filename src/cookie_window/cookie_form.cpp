#include "cookie_window/cookie_form.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <memory>
#include <set>
#include <vector>

#include "cookie_window/cookie_help_form.h"
#include "cookie_window/prot_edit_form.h"
#include "cookie_window/site_permissions.h"
#include "cookies/keep_list_files.h"
#include "core/folders.h"
#include "core/font_setting.h"
#include "core/message_box.h"
#include "core/modal.h"
#include "core/os_flags.h"
#include "core/report_context.h"
#include "core/settings.h"
#include "core/text_util.h"
#include "core/window_placement.h"
#include "firefox/browser_activity.h"
#include "firefox/cookie_purge.h"
#include "firefox/firefox_profile.h"
#include "firefox/sqlite_table.h"
#include "ie/url_server_link.h"
#include "platform/files.h"
#include "platform/window.h"
#include "resource.h"

namespace {
constexpr const char* kMessageCaption = "Quorvane  -  Message";
constexpr const char* kErrorCaption = "Quorvane  -  Error Condition";
constexpr const char* kOnlyInProtect = "Only in Protect File - no Cookie";
constexpr const char* kDeleted = "Deleted";
// A deletion whose cookie file could not be written: the cookies are all still there.
constexpr const char* kNotWritten = "not deleted - Cookie File not written";
constexpr const char* kFirefoxActive = "not deleted - FireFox is Active";
// An owner-data list holds at most this many items (the list-view control's own limit).
constexpr size_t kListCapacity = 100000000;
constexpr UINT_PTR kButtonTimer = 1;

enum Tab { kFirefoxTab = 0, kIeNormalTab = 1, kIeProtectedTab = 2 };
enum Column { kAddress = 0, kStatus = 1, kBrowser = 2, kComment = 3 };

// Kept while the program runs.
struct ProcessState {
  bool yesToAllDelete = false;
  bool yesToAllRandom = false;
  bool busy = false;
  bool ieListingStopped = false;  // the list refused more IE items once: count, do not list
  int sortColumn = 0;
  std::array<bool, 4> ascending{true, false, false, false};
};
ProcessState& Process() {
  static ProcessState p;
  return p;
}

// Set for the length of a command or a listing, put back however it ends: a listing started
// by a command leaves the command busy.
struct BusyGuard {
  bool was = Process().busy;
  BusyGuard() { Process().busy = true; }
  ~BusyGuard() { Process().busy = was; }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;
};

struct Row {
  std::array<std::string, 4> text;
  // IE: the cookie's text file as the cache index named it. Column 3 shows it until a command
  // writes its result there, so deleting never takes the file name from the shown text.
  std::string localFile;
};

// Yes, No, Yes To All.
enum class Confirm { Yes, No, YesToAll };
struct ConfirmRequest {
  std::string caption, text;
};
INT_PTR CALLBACK ConfirmProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* r = reinterpret_cast<ConfirmRequest*>(lp);
      SetWindowTextString(dialog, r->caption);
      SetDlgItemTextA(dialog, IDC_CF_TEXT, r->text.c_str());
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      if (id == IDYES || id == IDNO || id == IDC_CF_YESALL) EndModalDialog(dialog, id);
      if (id == IDCANCEL) EndModalDialog(dialog, IDNO);
      return TRUE;
    }
  }
  return FALSE;
}
Confirm AskConfirm(HWND owner, const std::string& caption, const std::string& text) {
  ConfirmRequest r{caption, text};
  const INT_PTR a =
      ShowModalDialog(IDD_COOKIE_CONFIRM, owner, ConfirmProc, reinterpret_cast<LPARAM>(&r));
  return a == IDYES ? Confirm::Yes : a == IDC_CF_YESALL ? Confirm::YesToAll : Confirm::No;
}

void Tell(const std::string& text, const std::string& caption,
          MessageKind kind = MessageKind::Information) {
  ShowMessageBox(text, caption, kind, MessageButtons::Ok);
}

// One 9-line record of an IE cookie text file: name, value, host/path, and six more.
struct IeCookieRecord {
  std::string name, value, hostPath;
};
std::vector<IeCookieRecord> ReadIeCookieFile(const std::string& path) {
  std::vector<IeCookieRecord> records;
  std::string text;
  if (path.empty() || !ReadWholeFile(path, text)) return records;
  const std::vector<std::string> lines = SplitLines(text);
  for (size_t i = 0; i + 2 < lines.size(); i += 9)
    records.push_back({lines[i], lines[i + 1], lines[i + 2]});
  return records;
}

class TCookieForm {
 public:
  TCookieForm(const OptionSet& options, const ShredSettings& shred) {
    run_.secureErase = options[OptionField::SecureDelete] == 1;
    run_.shred = shred;
    run_.options = options;
  }
  static INT_PTR CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);

 private:
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnInit();
  void OnCommand(int id, int code);
  LRESULT OnNotify(NMHDR* n);
  void Layout();
  void SetupTabs();
  void SetColumnCaptions();
  void ListCookies();
  void ListFirefox();
  void ListIe();
  void FinishListing();
  void MarkKeepStatus();
  void MarkBrowserSetting();
  void ShowDetails();
  void SortBy(int column, bool ascending);
  void ColumnClick(int column);
  void ShowSortArrow();
  void Refill();
  std::vector<int> Selected() const;
  void Protect();
  void Randomize();
  void Unprotect();
  void Delete();
  std::string DeleteOne(int row);
  bool FlushDeletes();
  void FinishFirefoxDeletes();
  bool FirefoxRefusal();
  void Open();
  void Edit();
  void Permission(char action);
  void UpdatePermissionButtons();
  bool Busy() const { return Process().busy; }
  void TabChanged();
  void Close();
  void SelectAll();
  void SetStatus(int panel, const std::string& text);
  void ContextMenu();
  void SaveLayout();
  KeepList& Keep() { return tab_ == kFirefoxTab ? ffKeep_ : ieKeep_; }
  bool IeTab() const { return tab_ != kFirefoxTab; }
  HWND Item(int id) const { return GetDlgItem(window_, id); }

  HWND window_ = nullptr, list_ = nullptr, details_ = nullptr, status_ = nullptr, tabs_ = nullptr;
  HFONT listFont_ = nullptr;
  HIMAGELIST arrows_ = nullptr;
  RunState run_;
  CountingReportView view_;
  ReportContext ctx_{run_, view_};
  KeepList ffKeep_{FirefoxKeepListFile()}, ieKeep_{IeKeepListFile()};
  CookieStore store_;
  std::vector<Row> rows_;
  struct PendingDeletes {
    std::set<std::string> present, gone;  // hosts of the cookie lines; hosts to delete
    std::vector<int> rows;                // the rows that read "Deleted" once the write is done
    bool primed = false;
  } pending_;
  int tab_ = kFirefoxTab;
  int detailsHeight_ = 0;
  bool dragging_ = false;
  std::vector<std::pair<HWND, std::string>> hints_;
  std::array<int, 4> widths1_{260, 70, 70, 200};
  std::array<int, 3> widths2_{200, 120, 200};
};

TCookieForm* FormOf(HWND w) {
  return reinterpret_cast<TCookieForm*>(GetWindowLongPtrA(w, DWLP_USER));
}

INT_PTR CALLBACK TCookieForm::Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(w, DWLP_USER, lp);
    auto* f = reinterpret_cast<TCookieForm*>(lp);
    f->window_ = w;
  }
  TCookieForm* f = FormOf(w);
  if (!f) return FALSE;
  try {
    return f->OnMessage(msg, wp, lp);
  } catch (...) {
    return FALSE;  // a failing command leaves the window as it is
  }
}

INT_PTR TCookieForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: OnInit(); return TRUE;
    case WM_SIZE: Layout(); return TRUE;
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return TRUE;
    case WM_NOTIFY:
      SetWindowLongPtrA(window_, DWLP_MSGRESULT, OnNotify(reinterpret_cast<NMHDR*>(lp)));
      return TRUE;
    case WM_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (d->CtlID != IDC_CK_TABS) return FALSE;
      const bool selected = static_cast<int>(d->itemID) == TabCtrl_GetCurSel(tabs_);
      HBRUSH b = CreateSolidBrush(GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
      FillRect(d->hDC, &d->rcItem, b);
      DeleteObject(b);
      char text[100] = {};
      TCITEMA t{TCIF_TEXT};
      t.pszText = text;
      t.cchTextMax = sizeof text;
      TabCtrl_GetItem(tabs_, d->itemID, &t);
      SetBkMode(d->hDC, TRANSPARENT);
      SetTextColor(d->hDC, selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
      DrawTextA(d->hDC, text, -1, &d->rcItem, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      return TRUE;
    }
    case WM_SETCURSOR: {
      HWND over = reinterpret_cast<HWND>(wp);
      for (const auto& [control, hint] : hints_)
        if (control == over) {
          const size_t bar = hint.find('|');
          SetStatus(0, bar == std::string::npos ? hint : hint.substr(bar + 1));
        }
      if (over == window_ && LOWORD(lp) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(window_, &p);
        RECT d;
        GetWindowRect(details_, &d);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&d), 2);
        if (p.y >= d.top - 6 && p.y < d.top) {
          SetCursor(LoadCursor(nullptr, IDC_SIZENS));
          SetWindowLongPtrA(window_, DWLP_MSGRESULT, TRUE);
          return TRUE;
        }
      }
      return FALSE;
    }
    case WM_LBUTTONDOWN: {
      RECT d;
      GetWindowRect(details_, &d);
      MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&d), 2);
      const int y = static_cast<short>(HIWORD(lp));
      if (y >= d.top - 6 && y < d.top) {
        dragging_ = true;
        SetCapture(window_);
      }
      return TRUE;
    }
    case WM_MOUSEMOVE:
      if (dragging_) {
        RECT l, d, c;
        GetWindowRect(list_, &l);
        GetWindowRect(details_, &d);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&l), 2);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&d), 2);
        GetClientRect(window_, &c);
        const int y = static_cast<short>(HIWORD(lp));
        const int area = d.bottom - l.top;
        const int h = d.bottom - y - 3;
        if (AcceptDetailsHeight(h, area, c.bottom)) {
          detailsHeight_ = h;
          Layout();
        }
      }
      return TRUE;
    case WM_LBUTTONUP:
      if (dragging_) ReleaseCapture();
      dragging_ = false;
      return TRUE;
    case WM_MENUSELECT: {
      // The context menu's permission, Delete and Randomize items say why they are disabled
      // while Firefox runs.
      const int id = LOWORD(wp);
      static const char* const kNames[] = {"Block", "Allow", "Session", "Remove"};
      const char* name = id >= IDM_CK_BLOCK && id <= IDM_CK_REMOVE ? kNames[id - IDM_CK_BLOCK]
                         : id == IDM_CK_DELETE                     ? "Delete"
                         : id == IDM_CK_RANDOMIZE                  ? "Randomize"
                                                                   : nullptr;
      if (name && !IeTab() && FirefoxActive())
        SetStatus(0, std::string("\"") + name + "\" Disabled - FireFox is Active");
      return FALSE;
    }
    case WM_TIMER:
      // The main window's poll keeps the Firefox state current; the buttons follow it.
      if (wp == kButtonTimer) UpdatePermissionButtons();
      return TRUE;
    case WM_CLOSE: Close(); return TRUE;
  }
  return FALSE;
}

void TCookieForm::OnInit() {
  list_ = Item(IDC_CK_LIST);
  details_ = Item(IDC_CK_DETAILS);
  status_ = Item(IDC_CK_STATUS);
  tabs_ = Item(IDC_CK_TABS);
  ProcessState& ps = Process();
  // 1.
  ps.sortColumn = 0;
  ps.ascending = {true, false, false, false};
  const FontSetting& fs = Globals().fonts.cookies;
  LOGFONTA lf = LogFontOf(fs);
  listFont_ = CreateFontIndirectA(&lf);
  SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_), FALSE);
  SendMessageA(details_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_), FALSE);
  ListView_SetTextColor(list_, RGB(0, 0, 0));
  ListView_SetTextColor(details_, RGB(0, 0, 0));
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
  ListView_SetExtendedListViewStyle(details_, LVS_EX_FULLROWSELECT);
  const int parts[] = {360, -1};
  SendMessageA(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));

  CookieFormLayout layout = ReadCookieFormLayout();
  for (int i = 0; i < 4; ++i)
    if (layout.mainColumns[i] > 0) widths1_[i] = layout.mainColumns[i];
  for (int i = 0; i < 3; ++i)
    if (layout.detailColumns[i] > 0) widths2_[i] = layout.detailColumns[i];
  detailsHeight_ = layout.detailsHeight;
  for (int i = 0; i < 4; ++i) {
    LVCOLUMNA c{LVCF_WIDTH | LVCF_TEXT};
    c.cx = widths1_[i];
    c.pszText = const_cast<char*>("");
    ListView_InsertColumn(list_, i, &c);
  }
  static const char* const kDetailCaptions[] = {"Cookie", "Data Name", "Data Value"};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNA c{LVCF_WIDTH | LVCF_TEXT};
    c.cx = widths2_[i];
    c.pszText = const_cast<char*>(kDetailCaptions[i]);
    ListView_InsertColumn(details_, i, &c);
  }
  // The header's sort arrows, drawn here: the common controls of these systems draw none.
  arrows_ = ImageList_Create(9, 6, ILC_COLOR24 | ILC_MASK, 2, 0);
  for (int up = 1; up >= 0; --up) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 9, 6);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all{0, 0, 9, 6};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (int row = 0; row < 5; ++row) {
      const int y = up ? row : 4 - row;
      RECT line{4 - row, y, 5 + row, y + 1};
      FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_AddMasked(arrows_, bmp, RGB(255, 255, 255));
    DeleteObject(bmp);
  }
  Header_SetImageList(ListView_GetHeader(list_), arrows_);

  hints_ = {{Item(IDC_CK_PROTECT), "|Protect the Selected Cookies from Purge"},
            {Item(IDC_CK_UNPROTECT), "|Remove Protection from the Selected Cookies"},
            {Item(IDC_CK_HELP), "|Help for this Window"},
            {Item(IDC_CK_CLOSE), "|Close This Window"},
            {Item(IDC_CK_REFRESH), "|Refresh the list using the Filter"},
            {Item(IDC_CK_DELETE), "|Delete the Selected Cookies"},
            {Item(IDC_CK_OPEN), "|Open the Selected web domain in FireFox"},
            {Item(IDC_CK_RANDOMIZE), "|Keep the Selected Cookies with Random values"},
            {Item(IDC_CK_EDIT), "|Edit the Protect File entries"},
            {Item(IDC_CK_BLOCK), ""},
            {Item(IDC_CK_ALLOW), ""},
            {Item(IDC_CK_SESSION), ""},
            {Item(IDC_CK_REMOVE), ""}};
  // 2.
  SetupTabs();
  tab_ = kFirefoxTab;
  TabCtrl_SetCurSel(tabs_, 0);
  SetColumnCaptions();
  LoadWindowPosition(window_, "CookieForm");
  Layout();
  // 3.
  if (!LoadKeepList(ffKeep_))
    Tell("Unable to open exsting FireFox Protect file - " + ffKeep_.path +
             "\r\n\r\nAny changes made here will be discarded...",
         kMessageCaption);
  if (!LoadKeepList(ieKeep_))
    Tell("Unable to open exsting I.E. Protect file - " + ieKeep_.path +
             "\r\n\r\nAny changes made here will be discarded...",
         kMessageCaption);
  // 4.
  ListCookies();
  SetTimer(window_, kButtonTimer, 2000, nullptr);
}

void TCookieForm::SetupTabs() {
  TabCtrl_DeleteAllItems(tabs_);
  const bool vista = CurrentOsFlags().vista;
  const char* names[] = {"for FireFox Cookies",
                         vista ? "for I.E. Normal Mode Cookies" : "for Internet Explorer Cookies",
                         "for I.E. Protected Mode Cookies"};
  for (int i = 0; i < (vista ? 3 : 2); ++i) {
    TCITEMA t{TCIF_TEXT};
    t.pszText = const_cast<char*>(names[i]);
    TabCtrl_InsertItem(tabs_, i, &t);
  }
}

void TCookieForm::SetColumnCaptions() {
  const char* first = tab_ == kFirefoxTab    ? "Internet Address for FireFox Cookie"
                      : tab_ == kIeNormalTab ? "Internet Address for \"I.E. Normal Mode\""
                                             : "Internet Address for \"I.E. Protected Mode\"";
  const char* captions[] = {first, "Quorvane", IeTab() ? " I.E." : "FireFox",
                            IeTab() ? "Local File" : "Comments"};
  for (int i = 0; i < 4; ++i) {
    LVCOLUMNA c{LVCF_TEXT};
    c.pszText = const_cast<char*>(captions[i]);
    ListView_SetColumn(list_, i, &c);
  }
  UpdatePermissionButtons();
}

void TCookieForm::Layout() {
  RECT c;
  GetClientRect(window_, &c);
  SendMessageA(status_, WM_SIZE, 0, 0);
  RECT s;
  GetWindowRect(status_, &s);
  const int statusHeight = s.bottom - s.top;
  RECT t;
  GetWindowRect(tabs_, &t);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&t), 2);
  const int tabHeight = 22;
  MoveWindow(tabs_, 4, t.top, c.right - 8, tabHeight, TRUE);
  const int top = t.top + tabHeight;
  const int area = c.bottom - statusHeight - 4 - top;
  int h = detailsHeight_;
  if (h <= 0 || !AcceptDetailsHeight(h, area, c.bottom)) h = area * 3 / 10;
  MoveWindow(list_, 4, top, c.right - 8, area - h - 6, TRUE);
  MoveWindow(details_, 4, top + area - h, c.right - 8, h, TRUE);
}

// The filter text (trimmed, lower-cased) occurs in the lower-cased field.
bool FilterPasses(const std::string& filter, const std::string& field) {
  return field.find(filter) != std::string::npos;
}

void TCookieForm::ListCookies() {
  // The IE listing lets messages run: nothing may sort or replace the rows meanwhile.
  BusyGuard busy;
  rows_.clear();
  ListView_SetItemCountEx(list_, 0, 0);
  ListView_DeleteAllItems(details_);
  if (tab_ == kFirefoxTab)
    ListFirefox();
  else
    ListIe();
}

void TCookieForm::ListFirefox() {
  const TFFoxProfile& p = FFoxProfile();
  std::string error;
  store_ = CookieStore();
  if (p.IsSqliteProfile && !FileExists(p.CookiesFile)) {
    Tell("Unable to find FireFox Cookies file - Cookies.SQLite\r\nExecution will continue...",
         kMessageCaption);
  } else if (!LoadCookieLines(store_, error)) {
    store_ = CookieStore();
    rows_.push_back({{"  ---Unable to access FireFox Cookie file---", "", "", ""}});
    if (FirefoxActive())
      rows_.push_back({{"  ---FireFox must be closed to access its Cookie file---", "", "", ""}});
    rows_.push_back({{"  ---Unable to display FireFox Cookies---", "", "", ""}});
  }
  std::string filter = LowerCase(Trim(WindowText(Item(IDC_CK_FILTER))));
  const std::string raw = WindowText(Item(IDC_CK_FILTER));
  const bool all = raw.empty() || raw == " " || filter.empty();
  long long hosts = 0;
  std::string previous;
  bool first = true, shown = false;
  for (const CookieLine& line : store_.cookies) {
    if (line.text.empty() || line.text[0] == '#') continue;
    const std::string host = CookieLineField(line.text, kCookieHost);
    if (first || host != previous) {
      ++hosts;
      shown = false;
      previous = host;
      first = false;
    }
    if (shown) continue;
    if (all || FilterPasses(filter, LowerCase(host)) ||
        FilterPasses(filter, LowerCase(CookieLineField(line.text, kCookieName))) ||
        FilterPasses(filter, LowerCase(CookieLineField(line.text, kCookieValue)))) {
      rows_.push_back({{host, "", "", ""}});
      shown = true;
    }
  }
  SetStatus(1, "Displayed " + std::to_string(rows_.size()) + " of " + std::to_string(hosts) +
                   " Cookie Addresses");
  FinishListing();
}

void TCookieForm::ListIe() {
  UrlServerLink& link = UrlLink();
  link.SetProtectedMode(tab_ == kIeProtectedTab);
  const std::string filter = UpperCase(Trim(WindowText(Item(IDC_CK_FILTER))));
  long long passed = 0;
  ProcessState& ps = Process();
  for (bool more = link.First("Cookie:"); more; more = link.Next()) {
    const CacheEntryView e = link.CurrentEntry();
    if (!StartsWithText(e.url, "Cookie:")) continue;
    if (!filter.empty()) {
      bool pass = false;
      for (const IeCookieRecord& r : ReadIeCookieFile(e.localFile))
        pass = pass || UpperCase(r.name).find(filter) != std::string::npos ||
               UpperCase(r.value).find(filter) != std::string::npos ||
               UpperCase(r.hostPath).find(filter) != std::string::npos;
      if (!pass) continue;
    }
    ++passed;
    if (ps.ieListingStopped) continue;
    if (rows_.size() >= kListCapacity) {
      ps.ieListingStopped = true;
      Tell(
          "The number of Entries to process exceeds \r\nthe Windows ListView Capacity.\r\n"
          "Execution will continue without listing.",
          kMessageCaption);
      continue;
    }
    rows_.push_back({{e.url, "", "", e.localFile}, e.localFile});
    if (rows_.size() % 500 == 0) PumpWaitingMessages();
  }
  link.Close();
  link.SetProtectedMode(false);
  SetStatus(1, "Displayed " + std::to_string(rows_.size()) + " of " + std::to_string(passed) +
                   " Cookie Addreses");
  FinishListing();
}

void TCookieForm::FinishListing() {
  MarkKeepStatus();
  MarkBrowserSetting();
  Process().sortColumn = 0;
  Process().ascending = {true, false, false, false};
  SortBy(0, true);
  ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), 0);
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (!rows_.empty())
    ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  InvalidateRect(list_, nullptr, TRUE);
  ShowDetails();
}

void TCookieForm::MarkKeepStatus() {
  const std::vector<std::string>& entries = Keep().Entries();
  for (Row& r : rows_) r.text[kStatus] = KeepStatusMark(entries, LowerCase(r.text[kAddress]));
}

void TCookieForm::MarkBrowserSetting() {
  for (Row& r : rows_)
    r.text[kBrowser] = IeTab() ? GetIePermission(r.text[kAddress])
                               : GetFirefoxPermission(LowerCase(r.text[kAddress]));
}

std::vector<int> TCookieForm::Selected() const {
  std::vector<int> s;
  for (int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED); i >= 0;
       i = ListView_GetNextItem(list_, i, LVNI_SELECTED))
    s.push_back(i);
  return s;
}

void TCookieForm::ShowDetails() {
  ListView_DeleteAllItems(details_);
  const std::vector<int> sel = Selected();
  if (sel.size() != 1 || sel[0] >= static_cast<int>(rows_.size())) return;
  const Row& row = rows_[sel[0]];
  std::vector<std::array<std::string, 3>> details;
  if (!IeTab()) {
    for (const CookieLine& l : store_.cookies)
      if (CookieLineField(l.text, kCookieHost) == row.text[kAddress])
        details.push_back({row.text[kAddress], CookieLineField(l.text, kCookieName),
                           CookieLineField(l.text, kCookieValue)});
  } else if (row.text[kComment] != kOnlyInProtect) {
    for (const IeCookieRecord& r : ReadIeCookieFile(row.localFile)) {
      std::string hostPath = r.hostPath;
      if (EndsWith(hostPath, "/")) hostPath.pop_back();
      details.push_back({hostPath, r.name, r.value});
    }
  }
  for (size_t i = 0; i < details.size(); ++i) {
    LVITEMA it{LVIF_TEXT};
    it.iItem = static_cast<int>(i);
    it.pszText = const_cast<char*>(details[i][0].c_str());
    ListView_InsertItem(details_, &it);
    ListView_SetItemText(details_, static_cast<int>(i), 1,
                         const_cast<char*>(details[i][1].c_str()));
    ListView_SetItemText(details_, static_cast<int>(i), 2,
                         const_cast<char*>(details[i][2].c_str()));
  }
}

void TCookieForm::SortBy(int column, bool ascending) {
  auto less = [&](const Row& a, const Row& b) {
    int c = CompareStringA(LOCALE_USER_DEFAULT, 0, a.text[column].c_str(), -1,
                           b.text[column].c_str(), -1) -
            CSTR_EQUAL;
    if (c == 0 && column != 0)
      // Ties fall back to the address, always ascending.
      return CompareStringA(LOCALE_USER_DEFAULT, 0, a.text[0].c_str(), -1, b.text[0].c_str(), -1) ==
             CSTR_LESS_THAN;
    return ascending ? c < 0 : c > 0;
  };
  std::stable_sort(rows_.begin(), rows_.end(), less);
  ShowSortArrow();
}

void TCookieForm::ShowSortArrow() {
  HWND header = ListView_GetHeader(list_);
  const ProcessState& ps = Process();
  for (int i = 0; i < 4; ++i) {
    HDITEMA h{HDI_FORMAT | HDI_IMAGE};
    Header_GetItem(header, i, &h);
    h.fmt &= ~(HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
    if (i == ps.sortColumn) {
      h.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
      h.iImage = ps.ascending[i] ? 0 : 1;
    }
    Header_SetItem(header, i, &h);
  }
}

void TCookieForm::ColumnClick(int column) {
  ProcessState& ps = Process();
  // A running command holds row numbers: sorting under it would turn them to other cookies.
  if (ps.busy || column < 0 || column > 3) return;
  // Each column turns its own direction round; column 0 starts ascending, so its first click
  // sorts descending, while the others start descending and sort ascending first.
  ps.ascending[column] = !ps.ascending[column];
  ps.sortColumn = column;
  SortBy(column, ps.ascending[column]);
  Refill();
}

void TCookieForm::Refill() {
  ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), LVSICF_NOSCROLL);
  InvalidateRect(list_, nullptr, TRUE);
}

LRESULT TCookieForm::OnNotify(NMHDR* n) {
  if (n->idFrom == IDC_CK_LIST) {
    switch (n->code) {
      case LVN_GETDISPINFOA: {
        auto* d = reinterpret_cast<NMLVDISPINFOA*>(n);
        if ((d->item.mask & LVIF_TEXT) && d->item.iItem >= 0 &&
            d->item.iItem < static_cast<int>(rows_.size()) && d->item.iSubItem >= 0 &&
            d->item.iSubItem < 4 && d->item.cchTextMax > 0)
          lstrcpynA(d->item.pszText, rows_[d->item.iItem].text[d->item.iSubItem].c_str(),
                    d->item.cchTextMax);
        return 0;
      }
      case LVN_ITEMCHANGED:
      case LVN_ODSTATECHANGED: ShowDetails(); return 0;
      case LVN_COLUMNCLICK: ColumnClick(reinterpret_cast<NMLISTVIEW*>(n)->iSubItem); return 0;
      case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<NMLVKEYDOWN*>(n)->wVKey;
        if (key == VK_DELETE) Delete();
        if (key == 'A' && (GetKeyState(VK_CONTROL) & 0x8000)) SelectAll();
        return 0;
      }
      case NM_RCLICK: ContextMenu(); return 0;
    }
  }
  if (n->idFrom == IDC_CK_TABS && n->code == TCN_SELCHANGING) return Busy() ? TRUE : FALSE;
  if (n->idFrom == IDC_CK_TABS && n->code == TCN_SELCHANGE) TabChanged();
  return 0;
}

void TCookieForm::SelectAll() { ListView_SetItemState(list_, -1, LVIS_SELECTED, LVIS_SELECTED); }

void TCookieForm::ContextMenu() {
  POINT p;
  GetCursorPos(&p);
  POINT c = p;
  ScreenToClient(list_, &c);
  LVHITTESTINFO hit{c};
  if (ListView_HitTest(list_, &hit) < 0) return;
  HMENU menu = CreatePopupMenu();
  const std::pair<int, const char*> items[] = {
      {IDM_CK_PROTECT, "Protect"},    {IDM_CK_UNPROTECT, "UnProtect"},
      {IDM_CK_BLOCK, "Block"},        {IDM_CK_ALLOW, "Allow"},
      {IDM_CK_SESSION, "Session"},    {IDM_CK_REMOVE, "Remove"},
      {IDM_CK_OPEN, "Open"},          {IDM_CK_DELETE, "Delete"},
      {IDM_CK_RANDOMIZE, "Randomize"}};
  for (const auto& [id, text] : items) {
    // The permission, Delete and Randomize items follow their buttons (disabled while Firefox
    // runs, Session on IE).
    const bool enabled = id >= IDM_CK_BLOCK && id <= IDM_CK_REMOVE
                             ? IsWindowEnabled(Item(id - IDM_CK_BLOCK + IDC_CK_BLOCK))
                         : id == IDM_CK_DELETE    ? IsWindowEnabled(Item(IDC_CK_DELETE))
                         : id == IDM_CK_RANDOMIZE ? IsWindowEnabled(Item(IDC_CK_RANDOMIZE))
                                                  : true;
    AppendMenuA(menu, MF_STRING | (enabled ? 0 : MF_GRAYED), id, text);
  }
  TrackPopupMenu(menu, TPM_LEFTALIGN, p.x, p.y + 10, 0, window_, nullptr);
  DestroyMenu(menu);
}

void TCookieForm::SetStatus(int panel, const std::string& text) {
  SendMessageA(status_, SB_SETTEXTA, panel, reinterpret_cast<LPARAM>(text.c_str()));
}

void TCookieForm::OnCommand(int id, int code) {
  switch (id) {
    case IDC_CK_PROTECT:
    case IDM_CK_PROTECT: Protect(); break;
    case IDC_CK_UNPROTECT:
    case IDM_CK_UNPROTECT: Unprotect(); break;
    case IDC_CK_RANDOMIZE:
    case IDM_CK_RANDOMIZE: Randomize(); break;
    case IDC_CK_DELETE:
    case IDM_CK_DELETE: Delete(); break;
    case IDC_CK_OPEN:
    case IDM_CK_OPEN: Open(); break;
    case IDC_CK_EDIT: Edit(); break;
    case IDC_CK_REFRESH:
      if (!Busy()) ListCookies();
      break;
    case IDOK:
      // Enter in the filter edit refreshes the list.
      if (!Busy() && GetFocus() == Item(IDC_CK_FILTER)) ListCookies();
      break;
    case IDC_CK_HELP: ShowCookieHelp(window_); break;
    case IDC_CK_CLOSE:
    case IDCANCEL: Close(); break;
    case IDC_CK_BLOCK:
    case IDM_CK_BLOCK: Permission('B'); break;
    case IDC_CK_ALLOW:
    case IDM_CK_ALLOW: Permission('A'); break;
    case IDC_CK_SESSION:
    case IDM_CK_SESSION: Permission('S'); break;
    case IDC_CK_REMOVE:
    case IDM_CK_REMOVE: Permission('R'); break;
  }
}

// Firefox rewrites its cookie store from memory while it runs: a cookie deleted under it comes
// back, and a mark made then cannot be checked against what the browser holds. Delete and
// Randomize are refused on its tab then, as the permission buttons are. True when refused.
bool TCookieForm::FirefoxRefusal() {
  if (IeTab() || !FirefoxActive()) return false;
  UpdatePermissionButtons();
  return true;
}

void TCookieForm::Protect() {
  ProcessState& ps = Process();
  if (ps.busy) return;
  BusyGuard busy;
  const std::vector<int> sel = Selected();
  if (sel.empty()) {
    Tell("No entry selected for Protect function", kErrorCaption, MessageKind::Error);
    return;
  }
  KeepList& keep = Keep();
  for (int i : sel) {
    Row& row = rows_[i];
    const std::string address = LowerCase(row.text[kAddress]);
    KeepMatch m = keep.LookupFirefoxHost(address);
    if (m.found && m.code == 'R' && row.text[kComment] != kOnlyInProtect) {
      if (!IeTab() && FirefoxActive()) {
        // The scrambled cookie cannot go now; protecting it would keep the scrambled value.
        row.text[kComment] = kFirefoxActive;
        continue;
      }
      if (!ps.yesToAllRandom) {
        const Confirm a = AskConfirm(
            window_, "Quorvane  -  Random to Protect Confirmation",
            "When changing from \"Random\" to \"Protect\"\r\nQuorvane will delete the current "
            "Cookie\r\nso that it can be recreated by the sender.\r\n\r\n"
            "Press \"Yes\" to confirm this Request\r\n\r\nPress \"No\" to deny this Request\r\n\r\n"
            "Press \"Yes To All\" to confirm all Random to Protect Requests\r\n"
            " [this turns off \"Confirmation\" for Random to Protect]");
        if (a == Confirm::No) continue;
        if (a == Confirm::YesToAll) ps.yesToAllRandom = true;
      }
      const std::string result = DeleteOne(i);
      row.text[kComment] = result == kDeleted ? kOnlyInProtect : "not deleted - " + result;
      m = keep.LookupFirefoxHost(address);
    }
    if (m.found) keep.RemoveAt(m.index);
    row.text[kStatus] = "Protect";
    keep.Add("p=" + address);
    keep.modified = true;
  }
  FinishFirefoxDeletes();
  Refill();
}

void TCookieForm::Randomize() {
  ProcessState& ps = Process();
  if (ps.busy || FirefoxRefusal()) return;
  BusyGuard busy;
  const std::vector<int> sel = Selected();
  if (sel.empty()) {
    Tell("No entry selected for Randomize function", kErrorCaption, MessageKind::Error);
    return;
  }
  KeepList& keep = Keep();
  for (int i : sel) {
    Row& row = rows_[i];
    if (row.text[kStatus] == "Random") continue;
    const std::string address = LowerCase(row.text[kAddress]);
    row.text[kStatus] = "Random";
    if (KeepMatch m = keep.LookupFirefoxHost(address); m.found) keep.RemoveAt(m.index);
    keep.Add("r=" + address);
    keep.modified = true;
  }
  Refill();
}

void TCookieForm::Unprotect() {
  ProcessState& ps = Process();
  if (ps.busy) return;
  BusyGuard busy;
  KeepList& keep = Keep();
  const std::vector<int> sel = Selected();
  bool any = false;
  for (auto it = sel.rbegin(); it != sel.rend(); ++it) {
    Row& row = rows_[*it];
    const std::string mark = row.text[kStatus];
    if (mark != "Protect" && mark != "Random") continue;
    any = true;
    row.text[kStatus] = "";
    row.text[kComment] = "Protect removed";
    const std::string entry = (mark == "Protect" ? "p=" : "r=") + LowerCase(row.text[kAddress]);
    const auto& entries = keep.Entries();
    for (int k = 0; k < keep.Count(); ++k)
      if (LowerCase(entries[k]) == entry) {
        keep.RemoveAt(k);
        break;
      }
    keep.modified = true;
  }
  Refill();
  if (!any)
    Tell("No \"Protect\" entry selected for Unprotect function", kErrorCaption, MessageKind::Error);
}

// Deletes one item's cookies; the result text of the comment column. A Firefox deletion is
// only noted here: FinishFirefoxDeletes writes the command's deletions and answers for them.
std::string TCookieForm::DeleteOne(int i) {
  Row& row = rows_[i];
  if (IeTab()) {
    UrlServerLink& link = UrlLink();
    link.SetProtectedMode(tab_ == kIeProtectedTab);
    DeleteEntryResult r = link.DeleteEntry(ctx_, row.text[kAddress], row.localFile);
    link.SetProtectedMode(false);
    if (r.ok) return kDeleted;
    const uint32_t code = r.error ? r.error : r.indexError;
    if (code == ERROR_FILE_NOT_FOUND) return "Error - Data file not found";
    if (code == 5 || code == 32 || code == 33 || code == 1224) return "Locked";
    return "Error-" + std::to_string(code);
  }
  if (!pending_.primed) {
    for (const CookieLine& l : store_.cookies) pending_.present.insert(CookieLineHost(l.text));
    pending_.primed = true;
  }
  const std::string host = LowerCase(row.text[kAddress]);
  pending_.gone.insert(host);
  if (!pending_.present.erase(host)) return "Cookie File not found to Delete";
  pending_.rows.push_back(i);
  return kDeleted;
}

// The Firefox deletions of one command, made together: one pass over the cookie lines and one
// statement on the database (or one rewrite of Cookies.txt), however many hosts were selected.
// False when the file was not changed; the cookie list is then the file's again.
bool TCookieForm::FlushDeletes() {
  PendingDeletes gone = std::move(pending_);
  pending_ = PendingDeletes();
  if (gone.gone.empty()) return true;
  const std::vector<CookieLine> before = store_.cookies;
  const size_t removed = std::erase_if(
      store_.cookies, [&](const CookieLine& l) { return gone.gone.count(CookieLineHost(l.text)); });
  const TFFoxProfile& p = FFoxProfile();
  bool written = true;
  if (!p.IsSqliteProfile) {
    written = removed == 0 || WriteBackCookiesTxt(ctx_, store_);
  } else {
    try {
      TSQLiteDatabase db(p.CookiesFile);
      db.ExecSQL("CREATE TEMP TABLE IF NOT EXISTS qv_gone_hosts (h TEXT PRIMARY KEY)");
      db.ExecSQL("BEGIN");
      try {
        {
          TSQLiteStatement add(db, "INSERT OR IGNORE INTO temp.qv_gone_hosts VALUES (?)");
          for (const std::string& h : gone.gone) add.Run({h});
        }
        // lower() folds exactly what LIKE ignores: the host's ASCII letter case.
        db.ExecSQL(
            "DELETE FROM moz_cookies WHERE lower(host) IN (SELECT h FROM temp.qv_gone_hosts)");
        db.ExecSQL("COMMIT");
      } catch (...) {
        db.ExecSQL("ROLLBACK");
        throw;
      }
    } catch (...) {
      written = false;
    }
  }
  if (written) return true;
  store_.cookies = before;
  Tell("Delete Entry from Cookies file failed... \r\nExecution will continue...",
       "Quorvane -  Message", MessageKind::Error);
  return false;
}

// Rows read "Deleted" only when the file really lost the cookies.
void TCookieForm::FinishFirefoxDeletes() {
  const std::vector<int> rows = pending_.rows;
  if (FlushDeletes()) return;
  for (int i : rows) rows_[i].text[kComment] = kNotWritten;
}

void TCookieForm::Delete() {
  ProcessState& ps = Process();
  if (ps.busy || FirefoxRefusal()) return;
  // Busy from the confirmation on: the rows selected now are the rows deleted, whatever the
  // messages let run meanwhile ask for.
  BusyGuard busy;
  const std::vector<int> sel = Selected();
  if (sel.empty()) {
    Tell("No entry selected for Delete function", kErrorCaption, MessageKind::Error);
    return;
  }
  if (!ps.yesToAllDelete) {
    const std::string what =
        sel.size() == 1 ? "selected entry, " : std::to_string(sel.size()) + " selected entries,";
    const Confirm a = AskConfirm(window_, "Quorvane  -  Delete Confirmation",
                                 "For your request to delete the " + what +
                                     "\r\n\r\nPress \"Yes\" to confirm this Delete Request\r\n\r\n"
                                     "Press \"No\" to deny this Delete Request\r\n\r\n"
                                     "Press \"Yes To All\" to confirm all Delete Requests\r\n"
                                     " [this turns off \"Confirmation\" for Deletes]");
    if (a == Confirm::No) return;
    if (a == Confirm::YesToAll) ps.yesToAllDelete = true;
  }
  bool hinted = false;
  for (int i : sel) {
    Row& row = rows_[i];
    if (row.text[kComment] == kDeleted) continue;
    const bool marked = row.text[kStatus] == "Protect" || row.text[kStatus] == "Random";
    if (marked && row.text[kComment] == kOnlyInProtect && !hinted) {
      hinted = true;
      Tell("You must use UnProtect to Remove \r\nan entry from the Protect File.",
           "Quorvane  -  Information Message");
      continue;
    }
    const std::string result = DeleteOne(i);
    if (result == kDeleted)
      row.text[kComment] = marked ? kOnlyInProtect : kDeleted;
    else
      row.text[kComment] = "not deleted - " + result;
    PumpWaitingMessages();
  }
  FinishFirefoxDeletes();
  ListView_DeleteAllItems(details_);
  Refill();
}

void TCookieForm::Open() {
  if (Busy()) return;
  const std::vector<int> sel = Selected();
  if (sel.empty()) {
    Tell("No Cookie entry selected for Open function", kErrorCaption, MessageKind::Error);
    return;
  }
  std::string address = rows_[sel[0]].text[kAddress];
  if (IeTab()) {
    if (size_t at = address.find('@'); at != std::string::npos) address.erase(0, at + 1);
  } else if (!address.empty() && address[0] == '.') {
    address.erase(0, 1);
  }
  const std::string quoted = "\"" + address + "\"";
  if (reinterpret_cast<INT_PTR>(ShellExecuteA(window_, nullptr, "FireFox.exe", quoted.c_str(),
                                              nullptr, SW_SHOWNORMAL)) <= 32)
    Tell("Unable to execute FireFox to Open the web domain", kErrorCaption, MessageKind::Error);
}

void TCookieForm::Edit() {
  if (Busy()) return;
  KeepList& keep = Keep();
  const char* who = IeTab() ? "I.E." : "FireFox";
  if (!keep.loaded) {
    Tell(std::string("Unable to open exsting ") + who + " Protect file - \r\n" + keep.path,
         kMessageCaption);
    return;
  }
  std::vector<std::string> entries = ShowProtEditForm(
      window_, std::string("Quorvane - Edit Protect File Entries for ") + who, keep.Entries());
  keep.ReplaceEntries(std::move(entries));
  keep.modified = true;
  ListCookies();
}

void TCookieForm::UpdatePermissionButtons() {
  const bool firefoxRunning = !IeTab() && FirefoxActive();
  struct Button {
    int id;
    const char* name;
    const char* ffHint;
    const char* ieHint;
  };
  static const Button kButtons[] = {
      {IDC_CK_BLOCK, "Block", "|Set Selected Entry in FireFox's Cookie Settings to \"Block\"",
       "|Set Selected Entry in I.E.'s Cookie Settings to \"Block\""},
      {IDC_CK_ALLOW, "Allow", "|Set Selected Entry in FireFox's Cookie Settings to \"Allow\"",
       "|Set Selected Entry in I.E.'s Cookie Settings to \"Allow\""},
      {IDC_CK_SESSION, "Session",
       "|Set Selected Entry in FireFox's Cookie Settings to \"Allow for Session\"", ""},
      {IDC_CK_REMOVE, "Remove", "|Remove Selected Entry from FireFox's Cookie Settings",
       "|Remove Selected Entry from I.E.'s Cookie Settings"},
      {IDC_CK_DELETE, "Delete", "|Delete the Selected Cookies", "|Delete the Selected Cookies"},
      {IDC_CK_RANDOMIZE, "Randomize", "|Keep the Selected Cookies with Random values",
       "|Keep the Selected Cookies with Random values"}};
  for (const Button& b : kButtons) {
    bool enabled = !firefoxRunning;
    std::string hint = IeTab() ? b.ieHint : b.ffHint;
    if (firefoxRunning)
      hint = std::string("|\"") + b.name + "\" Button Disabled - FireFox is Active";
    if (IeTab() && b.id == IDC_CK_SESSION) enabled = false;
    EnableWindow(Item(b.id), enabled);
    for (auto& [control, text] : hints_)
      if (control == Item(b.id)) text = hint;
  }
}

void TCookieForm::Permission(char action) {
  if (Busy()) return;
  BusyGuard busy;
  const std::vector<int> sel = Selected();
  if (sel.empty()) {
    Tell("No entry selected for Exception Function", kErrorCaption, MessageKind::Error);
    return;
  }
  if (!IeTab() && FirefoxActive()) {
    UpdatePermissionButtons();
    return;
  }
  if (IeTab() && action == 'S') return;
  static const auto shown = [](char a) -> std::string {
    return a == 'A' ? "Allow" : a == 'B' ? "Block" : a == 'S' ? "Session" : "";
  };
  for (int i : sel) {
    Row& row = rows_[i];
    const bool done = IeTab() ? SetIePermission(row.text[kAddress], action)
                              : SetFirefoxPermission(LowerCase(row.text[kAddress]), action);
    if (done) row.text[kBrowser] = shown(action);
  }
  if (!IeTab() && !FFoxProfile().IsSqliteProfile) {
    // hostperm.1 is written now rather than when the window closes, and read back: the column
    // shows what the file holds, never a setting that was not stored.
    if (!CloseFirefoxPermissions())
      Tell("Unable to write FireFox Permissions file - hostperm.1\r\nExecution will continue...",
           kMessageCaption, MessageKind::Error);
    LoadFirefoxPermissions();
    MarkBrowserSetting();
  }
  Refill();
}

void TCookieForm::TabChanged() {
  if (Busy()) {
    // Refused while a command runs: the tab control's own selection goes back.
    TabCtrl_SetCurSel(tabs_, tab_);
    InvalidateRect(tabs_, nullptr, TRUE);
    return;
  }
  SaveKeepList(ieKeep_);
  tab_ = TabCtrl_GetCurSel(tabs_);
  if (tab_ < 0) tab_ = kFirefoxTab;
  SetColumnCaptions();
  InvalidateRect(tabs_, nullptr, TRUE);
  ListCookies();
}

void TCookieForm::SaveLayout() {
  CookieFormLayout layout;
  for (int i = 0; i < 4; ++i) layout.mainColumns[i] = ListView_GetColumnWidth(list_, i);
  for (int i = 0; i < 3; ++i) layout.detailColumns[i] = ListView_GetColumnWidth(details_, i);
  RECT d;
  GetWindowRect(details_, &d);
  layout.detailsHeight = d.bottom - d.top;
  WriteCookieFormLayout(layout);
}

void TCookieForm::Close() {
  if (Process().busy) return;
  KillTimer(window_, kButtonTimer);
  SaveWindowPosition(window_, "CookieForm");
  SaveLayout();
  SaveKeepList(ffKeep_);
  SaveKeepList(ieKeep_);
  ffKeep_.Clear();
  ieKeep_.Clear();
  HideCookieHelp();
  if (HWND help = CookieHelpWindow()) DestroyWindow(help);
  if (listFont_) DeleteObject(listFont_);
  listFont_ = nullptr;
  if (arrows_) ImageList_Destroy(arrows_);
  arrows_ = nullptr;
  EndModalDialog(window_, IDOK);
}
}  // namespace

std::string KeepStatusMark(const std::vector<std::string>& entries, const std::string& caption) {
  const std::string host = ExtractCookieHost(caption);
  std::string mark;
  for (const std::string& e : entries) {
    if (e == "p=" + caption) {
      mark = "Protect";
    } else if (e == "r=" + caption) {
      mark = "Random";
    } else if (e.size() > 3 && (StartsWith(e, "p=*") || StartsWith(e, "a=*")) &&
               host.find(e.substr(3)) != std::string::npos) {
      mark = "Protect";
    } else if (e.size() > 3 && StartsWith(e, "r=*") &&
               host.find(e.substr(3)) != std::string::npos) {
      mark = "Random";
    }
  }
  return mark;
}

bool AcceptDetailsHeight(int height, int listArea, int windowHeight) {
  if (listArea <= 0) return false;
  if (height * 100 < listArea * 20 || height * 100 > listArea * 60) return false;
  return listArea - height >= 40 + std::max(0, windowHeight - 375);
}

void ShowCookieForm(HWND owner, const OptionSet& options, const ShredSettings& shred) {
  LoadFirefoxPermissions();
  {
    TCookieForm form(options, shred);
    ShowModalDialog(IDD_COOKIE_FORM, owner, TCookieForm::Proc, reinterpret_cast<LPARAM>(&form));
  }
  CloseFirefoxPermissions();
}
