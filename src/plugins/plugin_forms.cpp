#include "plugins/plugin_forms.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "core/folders.h"
#include "core/message_box.h"
#include "core/modal.h"
#include "core/report_rules.h"
#include "core/text_util.h"
#include "core/window_placement.h"
#include "files/temp_protect_list.h"
#include "platform/files.h"
#include "platform/window.h"
#include "platform/window_procedure.h"
#include "plugins/plugin_engine.h"
#include "plugins/plugin_selection.h"
#include "resource.h"

namespace {
// Hints shown as tool tips over the controls.
void AddHint(HWND dialog, HWND& tips, int id, const char* text) {
  if (!tips)
    tips = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                           dialog, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!tips) return;
  SendMessageA(tips, TTM_SETMAXTIPWIDTH, 0, 400);
  TOOLINFOA ti = {};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = dialog;
  ti.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, id));
  ti.lpszText = const_cast<char*>(text);
  SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

HFONT BoldCourier() {
  static HFONT font =
      CreateFontA(-13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
  return font;
}

void AddOneColumn(HWND list) {
  LVCOLUMNA col = {};
  col.mask = LVCF_WIDTH;
  col.cx = 200;
  ListView_InsertColumn(list, 0, &col);
}

std::string ItemText(HWND list, int index) {
  char buffer[MAX_PATH] = {};
  ListView_GetItemText(list, index, 0, buffer, sizeof buffer);
  return buffer;
}

// --- the test window ---------------------------------------------------------------------

// The test window's list as the engine's report view.
class TestListView : public ReportView {
 public:
  explicit TestListView(HWND list) : list_(list) {}
  void ClearLines() override { ListView_DeleteAllItems(list_); }
  void AddLine(const std::string& line) override {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = ListView_GetItemCount(list_);
    item.pszText = const_cast<char*>(line.c_str());
    ListView_InsertItem(list_, &item);
  }
  void ReplaceLine(size_t index, const std::string& line) override {
    ListView_SetItemText(list_, static_cast<int>(index), 0, const_cast<char*>(line.c_str()));
  }
  size_t LineCount() const override { return ListView_GetItemCount(list_); }
  void ShowStatus(const std::string&) override {}
  void PumpMessages() override { PumpWaitingMessages(); }

 private:
  HWND list_;
};

void SizeTestColumn(HWND form) {
  HWND list = GetDlgItem(form, IDC_PLUGT_LIST);
  if (ListView_GetItemCount(list) > 0) {
    ListView_SetColumnWidth(list, 0, LVSCW_AUTOSIZE);
    InvalidateRect(list, nullptr, TRUE);
  }
}

void RunTest(HWND form, const PluginTestRequest& r) {
  HWND list = GetDlgItem(form, IDC_PLUGT_LIST);
  TestListView view(list);
  RunState state;
  state.detail = true;
  state.preview = r.preview;
  state.secureErase = r.secureErase;
  state.shred = r.shred;
  ReportContext ctx(state, view);
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  view.ClearLines();
  for (const std::string& line : r.report) view.AddLine(line);
  if (!r.report.empty()) {
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    SizeTestColumn(form);
    return;
  }
  if (!r.perPluginTotals) PluginEntryCount() = 0;
  try {
    RunPlugin(ctx, r.lines, r.perPluginTotals);
  } catch (...) {
  }
  if (!r.perPluginTotals)
    view.AddLine("   " + CountPhrase(PluginEntryCount(), "Entry", "Entries") +
                 "processed for this Plugin");
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  SizeTestColumn(form);
}

class TestWindow : public Dialog {
 public:
  explicit TestWindow(const PluginTestRequest& request) : request_(request) {}

 private:
  bool OnInit() override;
  bool OnSize() override;
  bool OnCommand(int id, int) override {
    if (id == IDC_PLUGT_CLOSE || id == IDCANCEL) Close();
    return true;
  }
  bool OnClose() override {
    Close();
    return true;
  }
  void Close() {
    SaveWindowPosition(window_, "PlugTstForm");
    EndModalDialog(window_, IDOK);
  }

  const PluginTestRequest& request_;
};

bool TestWindow::OnInit() {
  SetWindowTextA(window_, request_.caption.c_str());
  SetDlgItemTextA(window_, IDC_PLUGT_TITLE, request_.title.c_str());
  HWND list = Item(IDC_PLUGT_LIST);
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(BoldCourier()), FALSE);
  AddOneColumn(list);
  LoadWindowPosition(window_, "PlugTstForm");
  RunTest(window_, request_);
  return true;
}

bool TestWindow::OnSize() {
  RECT rc;
  GetClientRect(window_, &rc);
  HWND list = Item(IDC_PLUGT_LIST);
  RECT lr;
  GetWindowRect(list, &lr);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&lr), 2);
  RECT br;
  HWND close = Item(IDC_PLUGT_CLOSE);
  GetWindowRect(close, &br);
  const int bw = br.right - br.left, bh = br.bottom - br.top;
  MoveWindow(close, rc.right - bw - 12, rc.bottom - bh - 8, bw, bh, TRUE);
  MoveWindow(list, lr.left, lr.top, std::max<int>(rc.right - lr.left - 12, 50),
             std::max<int>(rc.bottom - lr.top - bh - 18, 50), TRUE);
  SizeTestColumn(window_);
  return true;
}

// --- the selection window ----------------------------------------------------------------

HWND PlugList(HWND form) { return GetDlgItem(form, IDC_PLUG_LIST); }

void UpdateRunButtons(HWND form) {
  const bool selected = ListView_GetNextItem(PlugList(form), -1, LVNI_SELECTED) >= 0;
  EnableWindow(GetDlgItem(form, IDC_PLUG_TEST), selected);
  EnableWindow(GetDlgItem(form, IDC_PLUG_EXEC), selected);
}

std::vector<std::string> ShownLines(HWND form) {
  HWND box = GetDlgItem(form, IDC_PLUG_TEXT);
  std::vector<std::string> lines;
  const LRESULT n = SendMessageA(box, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    std::string text(static_cast<size_t>(SendMessageA(box, LB_GETTEXTLEN, i, 0)) + 1, '\0');
    SendMessageA(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(strnlen(text.c_str(), text.size()));
    lines.push_back(text);
  }
  return lines;
}

void ApplyChanges(HWND form) {
  if (Folders().cdMode) return;
  HWND list = PlugList(form);
  std::vector<std::string> names;
  for (int i = 0, n = ListView_GetItemCount(list); i < n; ++i)
    if (ListView_GetCheckState(list, i)) names.push_back(ItemText(list, i));
  if (!SavePluginSelection(names)) {
    // The ticks stay unsaved, and Apply stays there to try again.
    ShowMessageBox("The Plugin selection could not be saved to " + PluginSelectionFile() + ".",
                   Caption("Error"), MessageKind::Error, MessageButtons::Ok);
    return;
  }
  EnableWindow(GetDlgItem(form, IDC_PLUG_APPLY), FALSE);
}

void SetAllChecks(HWND form, bool on) {
  HWND list = PlugList(form);
  for (int i = 0, n = ListView_GetItemCount(list); i < n; ++i) ListView_SetCheckState(list, i, on);
}

void CloseSelection(HWND form) {
  if (IsWindowEnabled(GetDlgItem(form, IDC_PLUG_APPLY)) && AskToSaveChanges()) ApplyChanges(form);
  SaveWindowPosition(form, "PlugSelForm");
  SaveTempProtectList();
  EndModalDialog(form, IDOK);
}

RECT PlaceOf(HWND form, int id) {
  RECT r;
  GetWindowRect(GetDlgItem(form, id), &r);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Keeps a list width that leaves both lists at least this wide.
constexpr int kNarrowest = 40;

// The splitter is the strip between the two lists.
bool OnSplitter(HWND form, int x, int y) {
  const RECT list = PlaceOf(form, IDC_PLUG_LIST), text = PlaceOf(form, IDC_PLUG_TEXT);
  return x >= list.right && x < text.left && y >= list.top && y < list.bottom;
}

class SelectionWindow : public Dialog {
 public:
  explicit SelectionWindow(const RunState& run) : run_(run) {}

 private:
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool OnInit() override;
  bool OnNotify(NMHDR* header) override;
  bool OnCommand(int id, int code) override;
  bool OnClose() override {
    CloseSelection(window_);
    return true;
  }
  bool OnSize() override {
    Layout();
    return true;
  }
  // Errors while filling or clicking the list leave the window usable.
  bool ReportsFailures() const override { return false; }
  void FillPluginList();
  void ShowPluginText();
  void RunShownPlugin(bool execute);
  void RememberDesign();
  const RECT& Designed(int id) const;
  int FittingListWidth(int width) const;
  void Layout();

  const RunState& run_;
  std::string shownName_;
  bool filling_ = false;
  HWND tips_ = nullptr;
  // Layout: the designed client size and places, the list's width the splitter gave it, and
  // whether the splitter is being dragged.
  SIZE design_{};
  std::vector<std::pair<int, RECT>> placed_;
  int listWidth_ = 0;
  bool dragging_ = false;
};

void SelectionWindow::FillPluginList() {
  filling_ = true;
  HWND list = PlugList(window_);
  ListView_DeleteAllItems(list);
  EnableWindow(Item(IDC_PLUG_APPLY), FALSE);
  EnableWindow(Item(IDC_PLUG_TEST), FALSE);
  EnableWindow(Item(IDC_PLUG_EXEC), FALSE);
  shownName_.clear();
  SendDlgItemMessageA(window_, IDC_PLUG_TEXT, LB_RESETCONTENT, 0, 0);
  std::vector<std::string> names;
  // Listed wide: a name the code page cannot hold is listed by the short name that reaches it.
  for (const ListedEntry& e : ListFolderWide(PluginFolder() + "\\*.*"))
    if (!e.IsFolder() && !e.Address().empty() && IsPluginFileName(e.Address()))
      names.push_back(UpperCase(e.Address()));
  std::sort(names.begin(), names.end());
  for (size_t i = 0; i < names.size(); ++i) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(names[i].c_str());
    const int at = ListView_InsertItem(list, &item);
    ListView_SetCheckState(list, at, PluginSelected(names[i]));
  }
  ListView_SetColumnWidth(list, 0, LVSCW_AUTOSIZE_USEHEADER);
  PumpWaitingMessages();
  filling_ = false;
}

void SelectionWindow::ShowPluginText() {
  HWND list = PlugList(window_);
  HWND box = Item(IDC_PLUG_TEXT);
  const int at = ListView_GetNextItem(list, -1, LVNI_SELECTED);
  if (at < 0) {
    SendMessageA(box, LB_RESETCONTENT, 0, 0);
    shownName_.clear();
    return;
  }
  const std::string name = ItemText(list, at);
  if (name == shownName_) return;
  SendMessageA(box, LB_RESETCONTENT, 0, 0);
  shownName_ = name;
  std::vector<std::string> lines;
  std::string problem;
  ReadPluginLines(PluginFolder() + "\\" + name, lines, &problem);
  if (!problem.empty()) lines = {problem};
  HDC dc = GetDC(box);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (const auto& l : lines) {
    SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(l.c_str()));
    SIZE size;
    if (GetTextExtentPoint32A(dc, l.c_str(), static_cast<int>(l.size()), &size))
      widest = std::max(widest, size.cx);
  }
  SIZE mi = {};
  GetTextExtentPoint32A(dc, "Mi", 2, &mi);
  SelectObject(dc, old);
  ReleaseDC(box, dc);
  SendMessageA(box, LB_SETHORIZONTALEXTENT, widest + mi.cx / 2, 0);
}

void SelectionWindow::RunShownPlugin(bool execute) {
  PluginTestRequest r;
  r.lines = ShownLines(window_);
  if (execute) {
    r.title = "Execute:   " + shownName_;
    r.preview = run_.preview;
    r.perPluginTotals = false;
    r.secureErase = run_.secureErase;
    r.shred = run_.shred;
  } else {
    r.title = "Test:   " + shownName_;
  }
  TPlugTstForm::ShowModal(window_, r);
}

void SelectionWindow::RememberDesign() {
  RECT c;
  GetClientRect(window_, &c);
  design_ = {c.right, c.bottom};
  placed_.clear();
  for (int id : {IDC_PLUG_LABEL1, IDC_PLUG_LIST, IDC_PLUG_LABEL2, IDC_PLUG_TEXT, IDC_PLUG_ALLON,
                 IDC_PLUG_ALLOFF, IDC_PLUG_TEST, IDC_PLUG_EXEC, IDC_PLUG_APPLY, IDC_PLUG_CLOSE})
    placed_.push_back({id, PlaceOf(window_, id)});
  const RECT list = PlaceOf(window_, IDC_PLUG_LIST);
  listWidth_ = list.right - list.left;
}

const RECT& SelectionWindow::Designed(int id) const {
  for (const auto& [control, r] : placed_)
    if (control == id) return r;
  static const RECT none{};
  return none;
}

int SelectionWindow::FittingListWidth(int width) const {
  RECT c;
  GetClientRect(window_, &c);
  const RECT& list = Designed(IDC_PLUG_LIST);
  const RECT& text = Designed(IDC_PLUG_TEXT);
  const int gap = text.left - list.right;
  const int rightMargin = design_.cx - text.right;
  const int widest = c.right - rightMargin - gap - kNarrowest - list.left;
  return std::max(kNarrowest, std::min(width, widest));
}

// The lists take the window's new size, the buttons keep to the bottom (Apply and Close to the
// bottom right), and the contents list starts where the splitter left the plugin list.
void SelectionWindow::Layout() {
  if (placed_.empty()) return;
  RECT c;
  GetClientRect(window_, &c);
  const int dx = c.right - design_.cx, dy = c.bottom - design_.cy;
  const RECT& list = Designed(IDC_PLUG_LIST);
  const RECT& text = Designed(IDC_PLUG_TEXT);
  const RECT& label2 = Designed(IDC_PLUG_LABEL2);
  const int width = FittingListWidth(listWidth_);
  const int textLeft = list.left + width + (text.left - list.right);
  auto move = [&](int id, int left, int top, int w, int h) {
    MoveWindow(Item(id), left, top, std::max(w, 0), std::max(h, 0), TRUE);
  };
  move(IDC_PLUG_LIST, list.left, list.top, width, list.bottom - list.top + dy);
  move(IDC_PLUG_TEXT, textLeft, text.top, text.right + dx - textLeft, text.bottom - text.top + dy);
  move(IDC_PLUG_LABEL2, textLeft + 10, label2.top, label2.right - label2.left,
       label2.bottom - label2.top);
  for (int id : {IDC_PLUG_ALLON, IDC_PLUG_ALLOFF, IDC_PLUG_TEST, IDC_PLUG_EXEC}) {
    const RECT& r = Designed(id);
    move(id, r.left, r.top + dy, r.right - r.left, r.bottom - r.top);
  }
  for (int id : {IDC_PLUG_APPLY, IDC_PLUG_CLOSE}) {
    const RECT& r = Designed(id);
    move(id, r.left + dx, r.top + dy, r.right - r.left, r.bottom - r.top);
  }
  InvalidateRect(window_, nullptr, TRUE);
}

bool SelectionWindow::OnInit() {
  RememberDesign();
  SetWindowTextA(window_, "Quorvane - Select Plugins for Plugin Option");
  HWND list = PlugList(window_);
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  AddOneColumn(list);
  tips_ = nullptr;
  AddHint(window_, tips_, IDC_PLUG_LIST,
          "Click the name of a Plugin to display its contents for testing.  Set Checkmarks by "
          "clicking the CheckBoxes, then Click Apply");
  AddHint(window_, tips_, IDC_PLUG_TEXT,
          "Click the name of a Plugin to display its contents here for testing.");
  AddHint(window_, tips_, IDC_PLUG_APPLY, "Save the above selections for the Plugin option");
  AddHint(window_, tips_, IDC_PLUG_CLOSE, "Return to the Config Window");
  AddHint(window_, tips_, IDC_PLUG_ALLON, "Set Checkmarks On for all Plugins");
  AddHint(window_, tips_, IDC_PLUG_ALLOFF, "Set Checkmarks Off for all Plugins");
  AddHint(window_, tips_, IDC_PLUG_TEST, "Test Selected Plugin - no actual deletes");
  AddHint(window_, tips_, IDC_PLUG_EXEC,
          "Execute Selected Plugin - with actual deletes\r\nUses current setting for Secure Erase");
  LoadWindowPosition(window_, "PlugSelForm");
  // File and folder commands honour the temp protect entries while the window is open.
  LoadTempProtectList();
  FillPluginList();
  return true;
}

bool SelectionWindow::OnNotify(NMHDR* header) {
  if (header->idFrom != IDC_PLUG_LIST || header->code != LVN_ITEMCHANGED) return false;
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
  if (filling_) return true;
  if (change->uChanged & LVIF_STATE) {
    const UINT before = change->uOldState & LVIS_STATEIMAGEMASK;
    const UINT after = change->uNewState & LVIS_STATEIMAGEMASK;
    if (before && after && before != after) EnableWindow(Item(IDC_PLUG_APPLY), TRUE);
    if ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) ShowPluginText();
  }
  UpdateRunButtons(window_);
  return true;
}

bool SelectionWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_PLUG_APPLY: ApplyChanges(window_); break;
    case IDC_PLUG_ALLON: SetAllChecks(window_, true); break;
    case IDC_PLUG_ALLOFF: SetAllChecks(window_, false); break;
    case IDC_PLUG_TEST: RunShownPlugin(false); break;
    case IDC_PLUG_EXEC: RunShownPlugin(true); break;
    case IDC_PLUG_CLOSE:
    case IDCANCEL: CloseSelection(window_); break;
  }
  return true;
}

INT_PTR SelectionWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_GETMINMAXINFO: {
      // Never smaller than designed: every button stays in view.
      if (placed_.empty()) return FALSE;
      KeepClientAtLeast(window_, design_, lp);
      return TRUE;
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == window_ && LOWORD(lp) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(window_, &p);
        if (OnSplitter(window_, p.x, p.y)) {
          SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
          return Reply(TRUE);
        }
      }
      return FALSE;
    case WM_LBUTTONDOWN:
      if (OnSplitter(window_, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)))) {
        dragging_ = true;
        SetCapture(window_);
      }
      return TRUE;
    case WM_MOUSEMOVE:
      if (dragging_) {
        // The plugin list ends where the mouse is; the contents list begins past the strip.
        const int x = static_cast<short>(LOWORD(lp));
        listWidth_ = FittingListWidth(x - Designed(IDC_PLUG_LIST).left);
        Layout();
      }
      return TRUE;
    case WM_LBUTTONUP:
      if (dragging_) ReleaseCapture();
      dragging_ = false;
      return TRUE;
  }
  return Dialog::OnMessage(msg, wp, lp);
}
}  // namespace

bool AskToSaveChanges() {
  const std::string text =
      "You have not saved your changes.\r\n\r\n"
      "Select 'Yes' if you wish to save your changes.\r\n\r\n"
      "Select 'No' if you wish to lose your changes.";
  return ShowMessageBox(text, "Quorvane -  Warning", MessageKind::Warning, MessageButtons::YesNo) ==
         MessageAnswer::Yes;
}

void TPlugSelForm::ShowModal(HWND owner, const RunState& run) {
  SelectionWindow window(run);
  ShowModalDialog(IDD_PLUG_SEL, owner, window);
}

void TPlugTstForm::ShowModal(HWND owner, const PluginTestRequest& request) {
  TestWindow window(request);
  ShowModalDialog(IDD_PLUG_TST, owner, window);
}
