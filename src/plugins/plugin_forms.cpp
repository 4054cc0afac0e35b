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

INT_PTR CALLBACK TestProc(HWND form, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      const auto& r = *reinterpret_cast<const PluginTestRequest*>(lp);
      SetWindowTextA(form, "Quorvane - Test Selected Plugin");
      SetDlgItemTextA(form, IDC_PLUGT_TITLE, r.title.c_str());
      HWND list = GetDlgItem(form, IDC_PLUGT_LIST);
      SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(BoldCourier()), FALSE);
      AddOneColumn(list);
      LoadWindowPosition(form, "PlugTstForm");
      RunTest(form, r);
      return TRUE;
    }
    case WM_SIZE: {
      RECT rc;
      GetClientRect(form, &rc);
      HWND list = GetDlgItem(form, IDC_PLUGT_LIST);
      RECT lr;
      GetWindowRect(list, &lr);
      MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&lr), 2);
      RECT br;
      HWND close = GetDlgItem(form, IDC_PLUGT_CLOSE);
      GetWindowRect(close, &br);
      const int bw = br.right - br.left, bh = br.bottom - br.top;
      MoveWindow(close, rc.right - bw - 12, rc.bottom - bh - 8, bw, bh, TRUE);
      MoveWindow(list, lr.left, lr.top, std::max<int>(rc.right - lr.left - 12, 50),
                 std::max<int>(rc.bottom - lr.top - bh - 18, 50), TRUE);
      SizeTestColumn(form);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDC_PLUGT_CLOSE || LOWORD(wp) == IDCANCEL) {
        SaveWindowPosition(form, "PlugTstForm");
        EndModalDialog(form, IDOK);
      }
      return TRUE;
    case WM_CLOSE:
      SaveWindowPosition(form, "PlugTstForm");
      EndModalDialog(form, IDOK);
      return TRUE;
  }
  return FALSE;
}

// --- the selection window ----------------------------------------------------------------

struct SelState {
  const RunState* run = nullptr;
  std::string shownName;
  bool filling = false;
  HWND tips = nullptr;
  // Layout: the designed client size and places, the list's width the splitter gave it, and
  // whether the splitter is being dragged.
  SIZE design{};
  std::vector<std::pair<int, RECT>> placed;
  int listWidth = 0;
  bool dragging = false;
};

SelState& Sel() {
  static SelState s;
  return s;
}

HWND PlugList(HWND form) { return GetDlgItem(form, IDC_PLUG_LIST); }

void UpdateRunButtons(HWND form) {
  const bool selected = ListView_GetNextItem(PlugList(form), -1, LVNI_SELECTED) >= 0;
  EnableWindow(GetDlgItem(form, IDC_PLUG_TEST), selected);
  EnableWindow(GetDlgItem(form, IDC_PLUG_EXEC), selected);
}

void FillPluginList(HWND form) {
  SelState& s = Sel();
  s.filling = true;
  HWND list = PlugList(form);
  ListView_DeleteAllItems(list);
  EnableWindow(GetDlgItem(form, IDC_PLUG_APPLY), FALSE);
  EnableWindow(GetDlgItem(form, IDC_PLUG_TEST), FALSE);
  EnableWindow(GetDlgItem(form, IDC_PLUG_EXEC), FALSE);
  s.shownName.clear();
  SendDlgItemMessageA(form, IDC_PLUG_TEXT, LB_RESETCONTENT, 0, 0);
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
  s.filling = false;
}

void ShowPluginText(HWND form) {
  SelState& s = Sel();
  HWND list = PlugList(form);
  HWND box = GetDlgItem(form, IDC_PLUG_TEXT);
  const int at = ListView_GetNextItem(list, -1, LVNI_SELECTED);
  if (at < 0) {
    SendMessageA(box, LB_RESETCONTENT, 0, 0);
    s.shownName.clear();
    return;
  }
  const std::string name = ItemText(list, at);
  if (name == s.shownName) return;
  SendMessageA(box, LB_RESETCONTENT, 0, 0);
  s.shownName = name;
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

void RunShownPlugin(HWND form, bool execute) {
  SelState& s = Sel();
  PluginTestRequest r;
  r.lines = ShownLines(form);
  if (execute) {
    r.title = "Execute:   " + s.shownName;
    r.preview = s.run ? s.run->preview : false;
    r.perPluginTotals = false;
    r.secureErase = s.run && s.run->secureErase;
    if (s.run) r.shred = s.run->shred;
  } else {
    r.title = "Test:   " + s.shownName;
  }
  TPlugTstForm::ShowModal(form, r);
}

void CloseSelection(HWND form) {
  if (IsWindowEnabled(GetDlgItem(form, IDC_PLUG_APPLY))) {
    const std::string text =
        "You have not saved your changes.\r\n\r\n"
        "Select 'Yes' if you wish to save your changes.\r\n\r\n"
        "Select 'No' if you wish to lose your changes.";
    if (ShowMessageBox(text, "Quorvane -  Warning", MessageKind::Warning, MessageButtons::YesNo) ==
        MessageAnswer::Yes)
      ApplyChanges(form);
  }
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

void RememberDesign(HWND form) {
  SelState& s = Sel();
  RECT c;
  GetClientRect(form, &c);
  s.design = {c.right, c.bottom};
  s.placed.clear();
  for (int id : {IDC_PLUG_LABEL1, IDC_PLUG_LIST, IDC_PLUG_LABEL2, IDC_PLUG_TEXT, IDC_PLUG_ALLON,
                 IDC_PLUG_ALLOFF, IDC_PLUG_TEST, IDC_PLUG_EXEC, IDC_PLUG_APPLY, IDC_PLUG_CLOSE})
    s.placed.push_back({id, PlaceOf(form, id)});
  const RECT list = PlaceOf(form, IDC_PLUG_LIST);
  s.listWidth = list.right - list.left;
}

const RECT& Designed(int id) {
  for (const auto& [control, r] : Sel().placed)
    if (control == id) return r;
  static const RECT none{};
  return none;
}

// Keeps a list width that leaves both lists at least this wide.
constexpr int kNarrowest = 40;

int FittingListWidth(HWND form, int width) {
  RECT c;
  GetClientRect(form, &c);
  const RECT& list = Designed(IDC_PLUG_LIST);
  const RECT& text = Designed(IDC_PLUG_TEXT);
  const int gap = text.left - list.right;
  const int rightMargin = Sel().design.cx - text.right;
  const int widest = c.right - rightMargin - gap - kNarrowest - list.left;
  return std::max(kNarrowest, std::min(width, widest));
}

// The lists take the window's new size, the buttons keep to the bottom (Apply and Close to the
// bottom right), and the contents list starts where the splitter left the plugin list.
void LayoutSelection(HWND form) {
  SelState& s = Sel();
  if (s.placed.empty()) return;
  RECT c;
  GetClientRect(form, &c);
  const int dx = c.right - s.design.cx, dy = c.bottom - s.design.cy;
  const RECT& list = Designed(IDC_PLUG_LIST);
  const RECT& text = Designed(IDC_PLUG_TEXT);
  const RECT& label2 = Designed(IDC_PLUG_LABEL2);
  const int width = FittingListWidth(form, s.listWidth);
  const int textLeft = list.left + width + (text.left - list.right);
  auto move = [&](int id, int left, int top, int w, int h) {
    MoveWindow(GetDlgItem(form, id), left, top, std::max(w, 0), std::max(h, 0), TRUE);
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
  InvalidateRect(form, nullptr, TRUE);
}

// The splitter is the strip between the two lists.
bool OnSplitter(HWND form, int x, int y) {
  const RECT list = PlaceOf(form, IDC_PLUG_LIST), text = PlaceOf(form, IDC_PLUG_TEXT);
  return x >= list.right && x < text.left && y >= list.top && y < list.bottom;
}

void InitSelection(HWND form) {
  SelState& s = Sel();
  RememberDesign(form);
  SetWindowTextA(form, "Quorvane - Select Plugins for Plugin Option");
  HWND list = PlugList(form);
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  AddOneColumn(list);
  s.tips = nullptr;
  AddHint(form, s.tips, IDC_PLUG_LIST,
          "Click the name of a Plugin to display its contents for testing.  Set Checkmarks by "
          "clicking the CheckBoxes, then Click Apply");
  AddHint(form, s.tips, IDC_PLUG_TEXT,
          "Click the name of a Plugin to display its contents here for testing.");
  AddHint(form, s.tips, IDC_PLUG_APPLY, "Save the above selections for the Plugin option");
  AddHint(form, s.tips, IDC_PLUG_CLOSE, "Return to the Config Window");
  AddHint(form, s.tips, IDC_PLUG_ALLON, "Set Checkmarks On for all Plugins");
  AddHint(form, s.tips, IDC_PLUG_ALLOFF, "Set Checkmarks Off for all Plugins");
  AddHint(form, s.tips, IDC_PLUG_TEST, "Test Selected Plugin - no actual deletes");
  AddHint(form, s.tips, IDC_PLUG_EXEC,
          "Execute Selected Plugin - with actual deletes\r\nUses current setting for Secure Erase");
  LoadWindowPosition(form, "PlugSelForm");
  // File and folder commands honour the temp protect entries while the window is open.
  LoadTempProtectList();
  FillPluginList(form);
}

INT_PTR CALLBACK SelectionProc(HWND form, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    switch (msg) {
      case WM_INITDIALOG: InitSelection(form); return TRUE;
      case WM_NOTIFY: {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
        if (hdr->idFrom != IDC_PLUG_LIST || hdr->code != LVN_ITEMCHANGED) return FALSE;
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
        if (Sel().filling) return TRUE;
        if (change->uChanged & LVIF_STATE) {
          const UINT before = change->uOldState & LVIS_STATEIMAGEMASK;
          const UINT after = change->uNewState & LVIS_STATEIMAGEMASK;
          if (before && after && before != after)
            EnableWindow(GetDlgItem(form, IDC_PLUG_APPLY), TRUE);
          if ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) ShowPluginText(form);
        }
        UpdateRunButtons(form);
        return TRUE;
      }
      case WM_COMMAND:
        if (HIWORD(wp) != BN_CLICKED) return FALSE;
        switch (LOWORD(wp)) {
          case IDC_PLUG_APPLY: ApplyChanges(form); break;
          case IDC_PLUG_ALLON: SetAllChecks(form, true); break;
          case IDC_PLUG_ALLOFF: SetAllChecks(form, false); break;
          case IDC_PLUG_TEST: RunShownPlugin(form, false); break;
          case IDC_PLUG_EXEC: RunShownPlugin(form, true); break;
          case IDC_PLUG_CLOSE:
          case IDCANCEL: CloseSelection(form); break;
        }
        return TRUE;
      case WM_CLOSE: CloseSelection(form); return TRUE;
      case WM_SIZE: LayoutSelection(form); return TRUE;
      case WM_GETMINMAXINFO: {
        // Never smaller than designed: every button stays in view.
        SelState& s = Sel();
        if (s.placed.empty()) return FALSE;
        RECT frame{0, 0, s.design.cx, s.design.cy};
        AdjustWindowRectEx(&frame, GetWindowLongA(form, GWL_STYLE), FALSE,
                           GetWindowLongA(form, GWL_EXSTYLE));
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
        return TRUE;
      }
      case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wp) == form && LOWORD(lp) == HTCLIENT) {
          POINT p;
          GetCursorPos(&p);
          ScreenToClient(form, &p);
          if (OnSplitter(form, p.x, p.y)) {
            SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
            SetWindowLongPtrA(form, DWLP_MSGRESULT, TRUE);
            return TRUE;
          }
        }
        return FALSE;
      case WM_LBUTTONDOWN:
        if (OnSplitter(form, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)))) {
          Sel().dragging = true;
          SetCapture(form);
        }
        return TRUE;
      case WM_MOUSEMOVE:
        if (Sel().dragging) {
          // The plugin list ends where the mouse is; the contents list begins past the strip.
          const int x = static_cast<short>(LOWORD(lp));
          Sel().listWidth = FittingListWidth(form, x - Designed(IDC_PLUG_LIST).left);
          LayoutSelection(form);
        }
        return TRUE;
      case WM_LBUTTONUP:
        if (Sel().dragging) ReleaseCapture();
        Sel().dragging = false;
        return TRUE;
    }
  } catch (...) {
    // Errors while filling or clicking the list leave the window usable.
  }
  return FALSE;
}
}  // namespace

void TPlugSelForm::ShowModal(HWND owner, const RunState& run) {
  Sel().run = &run;
  ShowModalDialog(IDD_PLUG_SEL, owner, SelectionProc, 0);
  Sel().run = nullptr;
}

void TPlugTstForm::ShowModal(HWND owner, const PluginTestRequest& request) {
  ShowModalDialog(IDD_PLUG_TST, owner, TestProc, reinterpret_cast<LPARAM>(&request));
}
