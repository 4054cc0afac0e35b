// The cookie window: its creation, the window procedure, layout, tabs and closing. The lists
// of each tab are in cookie_form_listing.cpp, the commands in cookie_form_commands.cpp.
#include "cookie_window/cookie_form.h"

#include <algorithm>
#include <string>
#include <vector>

#include "cookie_window/cookie_help_form.h"
#include "cookie_window/site_permissions.h"
#include "cookies/keep_list_files.h"
#include "core/font_setting.h"
#include "core/message_box.h"
#include "core/modal.h"
#include "core/os_flags.h"
#include "core/settings.h"
#include "core/tab_colours.h"
#include "core/window_placement.h"
#include "firefox/browser_activity.h"
#include "platform/common_controls.h"
#include "platform/window.h"
#include "resource.h"

namespace {
constexpr UINT_PTR kButtonTimer = 1;
}  // namespace

TCookieForm::ProcessState& TCookieForm::Process() {
  static ProcessState p;
  return p;
}

void ForgetCookieFormProcessState() { TCookieForm::ForgetProcessState(); }

void TCookieForm::Tell(const std::string& text, const std::string& caption, MessageKind kind) {
  ShowMessageBox(text, caption, kind, MessageButtons::Ok);
}

INT_PTR TCookieForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (d->CtlID != IDC_CK_TABS) return FALSE;
      const bool selected = static_cast<int>(d->itemID) == TabCtrl_GetCurSel(tabs_);
      // The selected tab takes the program's own highlight, the main window's selected tab.
      HBRUSH b = CreateSolidBrush(selected ? selectedTab_ : GetSysColor(COLOR_BTNFACE));
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
          return Reply(TRUE);
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
        GetWindowRect(window_, &c);
        const int y = static_cast<short>(HIWORD(lp));
        const int area = d.bottom - l.top;
        const int h = d.bottom - y - 3;
        if (AcceptDetailsHeight(h, area, c.bottom - c.top)) {
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
      // while the tab's browser runs (and, on the Chromium tab, the permission items always).
      const int id = LOWORD(wp);
      static const char* const kNames[] = {"Block", "Allow", "Session", "Remove"};
      const bool permission = id >= IDM_CK_BLOCK && id <= IDM_CK_REMOVE;
      const char* name = permission               ? kNames[id - IDM_CK_BLOCK]
                         : id == IDM_CK_DELETE    ? "Delete"
                         : id == IDM_CK_RANDOMIZE ? "Randomize"
                                                  : nullptr;
      if (!name) return FALSE;
      const std::string why = DisabledReason(permission, ActiveBrowser(Selected()));
      if (!why.empty()) SetStatus(0, std::string("\"") + name + "\" Disabled - " + why);
      return FALSE;
    }
  }
  return Dialog::OnMessage(msg, wp, lp);
}

bool TCookieForm::OnTimer(UINT_PTR id) {
  // The main window's poll keeps the Firefox state current, the Chromium browsers are asked
  // here; the buttons follow both.
  if (id == kButtonTimer) {
    PollChromiumBrowsers();
    UpdatePermissionButtons();
  }
  return true;
}

bool TCookieForm::OnSize() {
  Layout();
  return true;
}

bool TCookieForm::OnClose() {
  Close();
  return true;
}

bool TCookieForm::OnInit() {
  list_ = Item(IDC_CK_LIST);
  details_ = Item(IDC_CK_DETAILS);
  status_ = Item(IDC_CK_STATUS);
  tabs_ = Item(IDC_CK_TABS);
  // 1.
  ResetSort();
  selectedTab_ = ScreenTabColours().mainSelected;
  // "RESET" and "ANYPOS" open the window as designed: its own font, column widths and height.
  const CookieFormLayout layout = ReadCookieFormLayout();
  if (layout.stored) {
    LOGFONTA lf = LogFontOf(Globals().fonts.cookies);
    listFont_ = CreateFontIndirectA(&lf);
    SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_), FALSE);
    SendMessageA(details_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_), FALSE);
  }
  ListView_SetTextColor(list_, RGB(0, 0, 0));
  ListView_SetTextColor(details_, RGB(0, 0, 0));
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
  ListView_SetExtendedListViewStyle(details_, LVS_EX_FULLROWSELECT);
  const int parts[] = {360, -1};
  SendMessageA(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));

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
  arrows_ = CreateImageList(9, 6, ILC_COLOR24 | ILC_MASK, 2, 0);
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
    AddMaskedImage(arrows_, bmp, RGB(255, 255, 255));
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
  return true;
}

void TCookieForm::SetupTabs() {
  TabCtrl_DeleteAllItems(tabs_);
  const bool vista = CurrentOsFlags().vista;
  std::vector<const char*> names = {"for FireFox Cookies", vista ? "for I.E. Normal Mode Cookies"
                                                                 : "for Internet Explorer Cookies"};
  if (vista) names.push_back("for I.E. Protected Mode Cookies");
  names.push_back("for Chromium Cookies");
  for (size_t i = 0; i < names.size(); ++i) {
    TCITEMA t{TCIF_TEXT};
    t.pszText = const_cast<char*>(names[i]);
    TabCtrl_InsertItem(tabs_, static_cast<int>(i), &t);
  }
}

int TCookieForm::TabOfIndex(int index) const {
  if (index < 0) return kFirefoxTab;
  return index == TabCtrl_GetItemCount(tabs_) - 1 ? kChromiumTab : index;
}

int TCookieForm::IndexOfTab(int tab) const {
  return tab == kChromiumTab ? TabCtrl_GetItemCount(tabs_) - 1 : tab;
}

void TCookieForm::SetColumnCaptions() {
  const char* first = tab_ == kFirefoxTab    ? "Internet Address for FireFox Cookie"
                      : tab_ == kChromiumTab ? "Internet Address for Chromium Cookie"
                      : tab_ == kIeNormalTab ? "Internet Address for \"I.E. Normal Mode\""
                                             : "Internet Address for \"I.E. Protected Mode\"";
  // The Chromium tab's third column names the browsers and profiles holding the host.
  const char* browser = tab_ == kFirefoxTab    ? "FireFox"
                        : tab_ == kChromiumTab ? "Browser"
                                               : " I.E.";
  const char* captions[] = {first, "Quorvane", browser, IeTab() ? "Local File" : "Comments"};
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
  RECT w;
  GetWindowRect(window_, &w);
  int h = detailsHeight_;
  if (h <= 0 || !AcceptDetailsHeight(h, area, w.bottom - w.top)) h = area * 3 / 10;
  MoveWindow(list_, 4, top, c.right - 8, area - h - 6, TRUE);
  MoveWindow(details_, 4, top + area - h, c.right - 8, h, TRUE);
}

bool TCookieForm::OnNotify(NMHDR* n) {
  if (n->idFrom == IDC_CK_LIST) {
    switch (n->code) {
      case LVN_GETDISPINFOA: {
        auto* d = reinterpret_cast<NMLVDISPINFOA*>(n);
        if ((d->item.mask & LVIF_TEXT) && d->item.iItem >= 0 &&
            d->item.iItem < static_cast<int>(rows_.size()) && d->item.iSubItem >= 0 &&
            d->item.iSubItem < 4 && d->item.cchTextMax > 0)
          lstrcpynA(d->item.pszText, rows_[d->item.iItem].text[d->item.iSubItem].c_str(),
                    d->item.cchTextMax);
        return Reply(0);
      }
      case LVN_ITEMCHANGED:
      case LVN_ODSTATECHANGED:
        ShowDetails();
        // On the Chromium tab Delete and Randomize follow the browsers holding the selection.
        if (tab_ == kChromiumTab) UpdatePermissionButtons();
        return Reply(0);
      case LVN_COLUMNCLICK:
        ColumnClick(reinterpret_cast<NMLISTVIEW*>(n)->iSubItem);
        return Reply(0);
      case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<NMLVKEYDOWN*>(n)->wVKey;
        if (key == VK_DELETE) Delete();
        if (key == 'A' && (GetKeyState(VK_CONTROL) & 0x8000)) SelectAll();
        return Reply(0);
      }
      case NM_RCLICK: ContextMenu(); return Reply(0);
    }
  }
  if (n->idFrom == IDC_CK_TABS && n->code == TCN_SELCHANGING) return Reply(Busy() ? TRUE : FALSE);
  if (n->idFrom == IDC_CK_TABS && n->code == TCN_SELCHANGE) TabChanged();
  return Reply(0);
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

bool TCookieForm::OnCommand(int id, int code) {
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
  return true;
}

void TCookieForm::TabChanged() {
  if (Busy()) {
    // Refused while a command runs: the tab control's own selection goes back.
    TabCtrl_SetCurSel(tabs_, IndexOfTab(tab_));
    InvalidateRect(tabs_, nullptr, TRUE);
    return;
  }
  SaveKeepList(ieKeep_);
  tab_ = TabOfIndex(TabCtrl_GetCurSel(tabs_));
  ResetSort();
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
  if (arrows_) DestroyImageList(arrows_);
  arrows_ = nullptr;
  EndModalDialog(window_, IDOK);
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
    ShowModalDialog(IDD_COOKIE_FORM, owner, form);
  }
  CloseFirefoxPermissions();
}
