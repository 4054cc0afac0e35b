#include "app/option_frame.h"

#include "core/settings.h"
#include "platform/window.h"
#include "resource.h"
#include "run/purge_table.h"

int OptionControlId(OptionField f, int part) {
  static const int kBases[] = {IDC_OPTION_BASE, IDC_OPTION_CHOICE1_BASE, IDC_OPTION_NOTE_BASE};
  return kBases[part] + static_cast<int>(f);
}

namespace {
HBRUSH YellowBrush() {
  static HBRUSH brush = CreateSolidBrush(RGB(255, 255, 0));
  return brush;
}
}  // namespace

void TFFoxOptionsFrame1::Create(HWND parent, RunMode mode) {
  parent_ = parent;
  mode_ = mode;
}

HWND TFFoxOptionsFrame1::Handle() const {
  if (!window_) const_cast<TFFoxOptionsFrame1*>(this)->Make();
  return window_;
}

void TFFoxOptionsFrame1::Make() {
  // Made from window procedures too, where nothing may be thrown: a page that cannot be made
  // leaves the frame keeping the option set, as before. Without its main window it stays
  // unmade too.
  if (!parent_ || !CreateModeless(IDD_OPTION_FRAME, parent_)) return;
  if (!boxArea_.Make(window_)) {
    DestroyWindow(window_);
    return;
  }
  SetDlgItemTextA(window_, IDC_OPTION_HEADING, InfoOf(mode_).heading);
  MakeControls();
  // What the frame kept goes to the controls, which hold it from now on.
  SetValues(values_);
  for (int i = 0; i < kOptionFieldCount; ++i)
    if (disabled_[i]) EnableWindow(Control(static_cast<OptionField>(i)), FALSE);
  if (onMade) onMade(*this);
}

// The check boxes and their notes live in the box area, the radio groups on the page.
HWND TFFoxOptionsFrame1::Control(OptionField f, int choice) const {
  const int id = OptionControlId(f, choice);
  HWND page = Handle();
  if (HWND onPage = GetDlgItem(page, id)) return onPage;
  return GetDlgItem(boxArea_.Handle(), id);
}

OptionSet TFFoxOptionsFrame1::Values() const {
  if (!window_) return values_;
  OptionSet set;
  for (const auto& info : OptionFields()) {
    if (info.isRadio) {
      set[info.field] = IsChecked(Control(info.field, 1)) ? 1 : 0;
    } else {
      set[info.field] = IsChecked(Control(info.field)) ? 1 : 0;
    }
  }
  return set;
}

// "Recycle Bin" and the boxes that need administrator rights are disabled for a reason that
// makes them impossible (Windows cannot empty the bin; the program runs without the rights);
// "FireFox Typed URLs" is disabled for a profile without databases, where its run does
// nothing, and a profile created later makes it work again.
OptionSet TFFoxOptionsFrame1::RunValues() const {
  OptionSet set = Values();
  std::vector<OptionField> impossible = AdminOptions();
  impossible.push_back(OptionField::RecycleBin);
  for (OptionField f : impossible)
    if (disabled_[static_cast<int>(f)]) set[f] = 0;
  return set;
}

void TFFoxOptionsFrame1::SetValues(const OptionSet& set) {
  if (!window_) {
    values_ = NormalisedOptionSet(set);  // as the controls would hold it
    return;
  }
  for (const auto& info : OptionFields()) {
    if (info.isRadio) {
      SetChecked(Control(info.field, 0), set[info.field] == 0);
      SetChecked(Control(info.field, 1), set[info.field] == 1);
    } else {
      SetChecked(Control(info.field), set[info.field] != 0);
    }
  }
}

// "Set All 'On'" picks every track but not the wipe of the free space, which fills a whole
// drive for minutes: that one is ticked on purpose or not at all.
void TFFoxOptionsFrame1::SetAllOptions(bool on) {
  OptionSet set = Values();
  for (const auto& info : OptionFields())
    if (!info.isRadio && !(on && info.field == OptionField::WipeFreeSpace)) set[info.field] = on;
  SetValues(set);
}

void TFFoxOptionsFrame1::EnableOption(OptionField f, bool enabled) {
  disabled_[static_cast<int>(f)] = !enabled;
  if (window_) EnableWindow(Control(f), enabled);
}

void TFFoxOptionsFrame1::SetHighlighted(OptionField f, bool on) {
  int i = static_cast<int>(f);
  if (highlighted_[i] == on) return;
  highlighted_[i] = on;
  if (window_) InvalidateRect(Control(f), nullptr, TRUE);
}

bool TFFoxOptionsFrame1::IsHighlighted(OptionField f) const {
  return highlighted_[static_cast<int>(f)];
}

void TFFoxOptionsFrame1::SaveOptionSet() {
  SettingsChanges changes;
  WriteOptionSet(changes, InfoOf(mode_).section, Values());
  changes.Commit();
}

void TFFoxOptionsFrame1::LoadOptionSet() {
  SetValues(ReadOptionSet(SettingsFile(), InfoOf(mode_).section));
}

// WM_INITDIALOG answers FALSE: the page takes no focus of its own as it is made.
INT_PTR TFFoxOptionsFrame1::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDC_SAVEOPT: SaveOptionSet(); return TRUE;
        case IDC_OPTON: SetAllOptions(true); return TRUE;
        case IDC_OPTOFF: SetAllOptions(false); return TRUE;
        case IDC_OPTRESET: LoadOptionSet(); return TRUE;
      }
      return FALSE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp)) - IDC_OPTION_BASE;
      if (id >= 0 && id < kOptionFieldCount && highlighted_[id]) {
        SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 0));
        return reinterpret_cast<INT_PTR>(YellowBrush());
      }
      return FALSE;
    }
    case WM_SETCURSOR:
      if (onHover) onHover(reinterpret_cast<HWND>(wp));
      return FALSE;
    case WM_SIZE: LayOut(); return FALSE;
    case WM_PAINT: PaintGroupFrames(window_, radioGroups_, layout_.radioGroups, 0); return TRUE;
    // The page's scroll commands and the wheel over its pinned rows move the boxes.
    case WM_VSCROLL:
    case WM_MOUSEWHEEL: return OnScroll(msg, wp);
  }
  return FALSE;
}
