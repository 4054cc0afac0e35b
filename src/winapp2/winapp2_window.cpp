#include "winapp2/winapp2_window.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/message_box.h"
#include "core/modal.h"
#include "core/report_rules.h"
#include "core/text_util.h"
#include "core/window_placement.h"
#include "files/temp_protect_list.h"
#include "platform/ansi_utf8.h"
#include "platform/window.h"
#include "platform/window_procedure.h"
#include "plugins/plugin_forms.h"
#include "resource.h"
#include "winapp2/winapp2_catalog.h"
#include "winapp2/winapp2_clean.h"
#include "winapp2/winapp2_update.h"

namespace {
constexpr const char* kPlaceKey = "Winapp2Form";

// One detected entry as the window lists it; the tick is kept here, so that a filter hides
// rows without losing theirs.
struct Row {
  const Winapp2Listed* listed;
  bool ticked;
  std::string name, group;          // as shown (ANSI)
  std::optional<std::string> note;  // made when first shown: a refusal takes some working out
};

std::string NoteOf(const Winapp2Listed& l, const Winapp2Facts& facts) {
  if (const std::string refusal = Winapp2EntryRefusal(*l.entry, facts); !refusal.empty())
    return "refused: " + Utf8ToAnsi(refusal);
  if (l.covered) return "its browser databases are left to the browser options";
  if (!l.entry->warning.empty()) return "warning: " + Utf8ToAnsi(l.entry->warning);
  return {};
}

// Entries a Set All never ticks: the aggressive companion file's and those with a warning.
bool SetAllSkips(const Winapp2Entry& e) { return e.aggressive || !e.warning.empty(); }

std::string ProblemSummary(const Winapp2Catalog& c) {
  std::string text;
  if (!c.database.dropped.empty()) {
    text = CountPhrase(static_cast<long long>(c.database.dropped.size()), "entry", "entries") +
           "not loaded:";
    for (const auto& d : c.database.dropped)
      text += " \"" + Utf8ToAnsi(d.name) + "\" (" + d.why + ");";
  }
  if (!c.problems.empty()) {
    if (!text.empty()) text += "  ";
    text += CountPhrase(static_cast<long long>(c.problems.size()), "line", "lines") +
            "refused, e.g. " + Utf8ToAnsi(c.problems.front());
  }
  return text;
}

class Winapp2Window : public Dialog {
 private:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  bool OnNotify(NMHDR* header) override;
  bool OnClose() override {
    Close();
    return true;
  }
  bool OnSize() override {
    Layout();
    return true;
  }
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  HWND List() const { return Item(IDC_W2_LIST); }
  const std::string& Note(size_t row);
  size_t RowAt(int item) const;
  void Load();
  void Fill();
  void ShowKeys();
  int SelectedRow() const;
  void SetAll(bool on);
  void Tick(size_t row, bool on);
  void Apply();
  void Preview();
  void Update();
  void Close();
  void Layout();

  Winapp2Catalog catalog_;
  std::vector<Row> rows_;
  std::set<std::string> undetectedTicks_;  // kept in the file, though not listed here
  bool filling_ = false;
  SIZE design_{};
  std::vector<std::pair<int, RECT>> placed_;
};

bool Winapp2Window::OnInit() {
  RECT c;
  GetClientRect(window_, &c);
  design_ = {c.right, c.bottom};
  for (int id : {IDC_W2_COUNT, IDC_W2_FILTER_LABEL, IDC_W2_FILTER, IDC_W2_LIST, IDC_W2_KEYS_LABEL,
                 IDC_W2_KEYS, IDC_W2_ALLON, IDC_W2_ALLOFF, IDC_W2_UPDATE, IDC_W2_PREVIEW,
                 IDC_W2_APPLY, IDC_W2_CLOSE, IDC_W2_PROBLEMS}) {
    RECT r;
    GetWindowRect(Item(id), &r);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
    placed_.push_back({id, r});
  }
  SetWindowTextA(window_, "Quorvane - Community Cleaners");
  HWND list = List();
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  const char* titles[] = {"Entry", "Group", "Note"};
  const int widths[] = {250, 110, 200};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<char*>(titles[i]);
    col.cx = widths[i];
    ListView_InsertColumn(list, i, &col);
  }
  LoadWindowPosition(window_, kPlaceKey);
  // Previews honour the temp protect entries, as the run does.
  LoadTempProtectList();
  Load();
  return true;
}

// Reads the files and the selection and lists what is detected, ticks as saved.
void Winapp2Window::Load() {
  const HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  catalog_ = LoadWinapp2Catalog();
  SetCursor(old);
  std::set<std::string> saved = LoadWinapp2Selection();
  rows_.clear();
  for (const Winapp2Listed& l : catalog_.detected) {
    rows_.push_back({&l, saved.erase(l.entry->name) > 0, Utf8ToAnsi(l.entry->name),
                     Utf8ToAnsi(l.group), std::nullopt});
  }
  undetectedTicks_ = std::move(saved);
  // Grouped: by group (the aggressive entries last), then by name.
  std::stable_sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) {
    const bool aa = a.listed->entry->aggressive, ba = b.listed->entry->aggressive;
    if (aa != ba) return ba;
    if (!SameText(a.group, b.group)) return UpperCase(a.group) < UpperCase(b.group);
    return UpperCase(a.name) < UpperCase(b.name);
  });
  SetDlgItemTextA(window_, IDC_W2_COUNT,
                  catalog_.problem.empty()
                      ? (std::to_string(catalog_.detected.size()) + " of " +
                         std::to_string(catalog_.total) + " entries detected")
                            .c_str()
                      : (catalog_.problem + ": click Update to download it").c_str());
  SetDlgItemTextA(window_, IDC_W2_PROBLEMS, ProblemSummary(catalog_).c_str());
  EnableWindow(Item(IDC_W2_APPLY), FALSE);
  Fill();
}

// The rows the filter lets through (name or group containing its text, any case).
void Winapp2Window::Fill() {
  filling_ = true;
  HWND list = List();
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  const std::string filter = UpperCase(Trim(WindowText(Item(IDC_W2_FILTER))));
  int at = 0;
  for (size_t i = 0; i < rows_.size(); ++i) {
    const Row& r = rows_[i];
    if (!filter.empty() && UpperCase(r.name).find(filter) == std::string::npos &&
        UpperCase(r.group).find(filter) == std::string::npos)
      continue;
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = at;
    item.pszText = const_cast<char*>(r.name.c_str());
    item.lParam = static_cast<LPARAM>(i);
    at = ListView_InsertItem(list, &item);
    ListView_SetItemText(list, at, 1, const_cast<char*>(r.group.c_str()));
    ListView_SetItemText(list, at, 2, LPSTR_TEXTCALLBACKA);
    ListView_SetCheckState(list, at, r.ticked);
    ++at;
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  PumpWaitingMessages();
  filling_ = false;
  ShowKeys();
}

const std::string& Winapp2Window::Note(size_t row) {
  if (!rows_[row].note) rows_[row].note = NoteOf(*rows_[row].listed, catalog_.facts);
  return *rows_[row].note;
}

size_t Winapp2Window::RowAt(int item) const {
  LVITEMA it = {};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  ListView_GetItem(List(), &it);
  return static_cast<size_t>(it.lParam);
}

int Winapp2Window::SelectedRow() const {
  const int at = ListView_GetNextItem(List(), -1, LVNI_SELECTED);
  return at < 0 ? -1 : static_cast<int>(RowAt(at));
}

// The selected entry's keys; with none selected, every line of the files that was refused.
void Winapp2Window::ShowKeys() {
  HWND box = Item(IDC_W2_KEYS);
  SendMessageA(box, LB_RESETCONTENT, 0, 0);
  const int row = SelectedRow();
  std::vector<std::string> lines;
  if (row >= 0) {
    lines = Winapp2EntryLines(*rows_[row].listed->entry);
    if (!Note(row).empty()) lines.push_back("; " + Note(row));
  } else {
    lines = catalog_.problems;
  }
  EnableWindow(Item(IDC_W2_PREVIEW), row >= 0);
  int widest = 0;
  HDC dc = GetDC(box);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0)));
  for (const auto& l : lines) {
    const std::string shown = Utf8ToAnsi(l);
    SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    SIZE size;
    if (GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &size))
      widest = std::max<int>(widest, size.cx);
  }
  SelectObject(dc, old);
  ReleaseDC(box, dc);
  SendMessageA(box, LB_SETHORIZONTALEXTENT, widest + 8, 0);
}

void Winapp2Window::Tick(size_t row, bool on) {
  if (rows_[row].ticked == on) return;
  rows_[row].ticked = on;
  EnableWindow(Item(IDC_W2_APPLY), TRUE);
}

void Winapp2Window::SetAll(bool on) {
  filling_ = true;
  HWND list = List();
  for (int i = 0, n = ListView_GetItemCount(list); i < n; ++i) {
    const size_t row = RowAt(i);
    if (on && SetAllSkips(*rows_[row].listed->entry)) continue;
    Tick(row, on);
    ListView_SetCheckState(list, i, on);
  }
  filling_ = false;
}

void Winapp2Window::Apply() {
  std::vector<std::string> names(undetectedTicks_.begin(), undetectedTicks_.end());
  for (const Row& r : rows_)
    if (r.ticked) names.push_back(r.listed->entry->name);
  if (!SaveWinapp2Selection(names)) {
    // The ticks stay unsaved, and Apply stays there to try again.
    ShowMessageBox("The Community Cleaners selection could not be saved to " +
                       Winapp2SelectionFilePath() + ".",
                   Caption("Error"), MessageKind::Error, MessageButtons::Ok);
    return;
  }
  EnableWindow(Item(IDC_W2_APPLY), FALSE);
}

void Winapp2Window::Preview() {
  const int row = SelectedRow();
  if (row < 0) return;
  KeptReportView view;
  RunState state;
  state.preview = true;
  state.detail = true;
  ReportContext ctx(state, view);
  CleanWinapp2Entry(ctx, *rows_[row].listed->entry, catalog_.facts);
  PluginTestRequest request;
  request.caption = "Quorvane - Preview of a Community Cleaner";
  request.title = "Preview:   " + rows_[row].name;
  request.report = view.Lines().Copy();
  if (request.report.size() == 1) request.report.push_back("    Nothing found to delete.");
  TPlugTstForm::ShowModal(window_, request);
}

void Winapp2Window::Update() {
  if (IsWindowEnabled(Item(IDC_W2_APPLY)) && AskToSaveChanges()) Apply();
  const HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  const Winapp2UpdateResult result = UpdateWinapp2File(Winapp2UpdateAddress());
  SetCursor(old);
  ShowMessageBox(result.message, Caption(result.replaced ? "Information" : "Error"),
                 result.replaced ? MessageKind::Information : MessageKind::Error,
                 MessageButtons::Ok);
  if (result.replaced) Load();
}

void Winapp2Window::Close() {
  if (IsWindowEnabled(Item(IDC_W2_APPLY)) && AskToSaveChanges()) Apply();
  SaveWindowPosition(window_, kPlaceKey);
  SaveTempProtectList();
  EndModalDialog(window_, IDOK);
}

bool Winapp2Window::OnCommand(int id, int code) {
  if (id == IDC_W2_FILTER) {
    if (code == EN_CHANGE) Fill();
    return true;
  }
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_W2_ALLON: SetAll(true); break;
    case IDC_W2_ALLOFF: SetAll(false); break;
    case IDC_W2_UPDATE: Update(); break;
    case IDC_W2_PREVIEW: Preview(); break;
    case IDC_W2_APPLY: Apply(); break;
    case IDC_W2_CLOSE:
    case IDCANCEL: Close(); break;
  }
  return true;
}

bool Winapp2Window::OnNotify(NMHDR* header) {
  if (header->idFrom == IDC_W2_LIST && header->code == LVN_GETDISPINFOA) {
    LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
    if ((item.mask & LVIF_TEXT) && item.iSubItem == 2 && item.cchTextMax > 0)
      lstrcpynA(item.pszText, Note(RowAt(item.iItem)).c_str(), item.cchTextMax);
    return true;
  }
  if (header->idFrom != IDC_W2_LIST || header->code != LVN_ITEMCHANGED) return false;
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
  if (filling_ || !(change->uChanged & LVIF_STATE)) return true;
  if ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) ShowKeys();
  const UINT before = change->uOldState & LVIS_STATEIMAGEMASK;
  const UINT after = change->uNewState & LVIS_STATEIMAGEMASK;
  if (!before || !after || before == after) return true;
  const size_t row = static_cast<size_t>(change->lParam);
  const bool on = after == INDEXTOSTATEIMAGEMASK(2);
  const Winapp2Entry& entry = *rows_[row].listed->entry;
  // An entry with a warning is ticked only when the user says Yes to it.
  if (on && !entry.warning.empty() &&
      ShowMessageBox(Utf8ToAnsi(entry.warning) + "\r\n\r\nTick \"" + rows_[row].name + "\"?",
                     "Quorvane -  Warning", MessageKind::Warning,
                     MessageButtons::YesNo) != MessageAnswer::Yes) {
    filling_ = true;
    ListView_SetCheckState(List(), change->iItem, FALSE);
    filling_ = false;
    return true;
  }
  Tick(row, on);
  return true;
}

// The two lists share the window's width and take its height; the buttons keep to the bottom,
// Apply and Close to the bottom right.
void Winapp2Window::Layout() {
  if (placed_.empty()) return;
  RECT c;
  GetClientRect(window_, &c);
  const int dx = std::max<int>(c.right - design_.cx, 0), dy = std::max<int>(c.bottom - design_.cy, 0);
  const int half = dx / 2;
  for (const auto& [id, r] : placed_) {
    int left = r.left, top = r.top, width = r.right - r.left, height = r.bottom - r.top;
    switch (id) {
      case IDC_W2_LIST: width += half; height += dy; break;
      case IDC_W2_FILTER: width += half; break;
      case IDC_W2_KEYS: left += half; width += dx - half; height += dy; break;
      case IDC_W2_KEYS_LABEL: left += half; break;
      case IDC_W2_ALLON: case IDC_W2_ALLOFF: case IDC_W2_UPDATE: top += dy; break;
      case IDC_W2_PREVIEW: left += half; top += dy; break;
      case IDC_W2_APPLY: case IDC_W2_CLOSE: left += dx; top += dy; break;
      case IDC_W2_PROBLEMS: top += dy; width += dx; break;
      default: break;
    }
    MoveWindow(Item(id), left, top, width, height, TRUE);
  }
  InvalidateRect(window_, nullptr, TRUE);
}

INT_PTR Winapp2Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_GETMINMAXINFO && !placed_.empty()) {
    KeepClientAtLeast(window_, design_, lp);  // every button stays in view
    return TRUE;
  }
  return Dialog::OnMessage(msg, wp, lp);
}
}  // namespace

void TWinapp2Form::ShowModal(HWND owner) {
  Winapp2Window window;
  ShowModalDialog(IDD_WINAPP2, owner, window);
}
