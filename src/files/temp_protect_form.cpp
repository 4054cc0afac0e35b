#include "files/temp_protect_form.h"

#include <string>

#include "core/message_box.h"
#include "core/text_util.h"
#include "files/temp_protect_list.h"
#include "platform/window.h"
#include "platform/window_procedure.h"
#include "resource.h"

namespace {
HFONT ListFont() {
  static HFONT font =
      CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
  return font;
}

class TempProtectForm : public Dialog {
 public:
  HWND Show(HWND owner);

 private:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  bool OnClose() override {
    Close();
    return true;
  }
  void FillList();
  std::string EditText() const { return WindowText(Item(IDC_TPROT_EDIT)); }
  void AddClick();
  void DeleteClick();
  void Close();

  // The editor's own copy: a purge run loads and frees the process-wide list meanwhile.
  TempProtectList entries_;
  bool loaded_ = true;
};

// One editor for the process: opening it again brings the open one forward.
TempProtectForm& Form() {
  static TempProtectForm form;
  return form;
}

void TempProtectForm::FillList() {
  HWND list = Item(IDC_TPROT_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const auto& e : entries_.Entries())
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
}

void TempProtectForm::AddClick() {
  const std::string text = EditText();
  switch (entries_.Add(text)) {
    case TempProtectAdd::BadPrefix:
      ShowMessageBox(
          "The entry must begin with: \r\n    \"p=\" for Protect or\r\n"
          "    \"i=\" for Ignore delete error\r\n\r\nAdd Function ignored.",
          "Quorvane  -  Error Message", MessageKind::Error, MessageButtons::Ok);
      return;
    case TempProtectAdd::AlreadyPresent: return;
    case TempProtectAdd::Added:
      FillList();
      SetDlgItemTextA(window_, IDC_TPROT_EDIT, "");
      return;
  }
}

void TempProtectForm::DeleteClick() {
  if (!entries_.Delete(EditText())) {
    ShowMessageBox(
        "Unable to locate the specified \r\nentry for Deletion.\r\n\r\n"
        "Delete Function ignored.",
        "Quorvane  -  Error Message", MessageKind::Error, MessageButtons::Ok);
    return;
  }
  FillList();
  SetDlgItemTextA(window_, IDC_TPROT_EDIT, "");
}

// A list that could not be read is not written back: its file keeps what it holds. Changes
// that could not be kept are never dropped without a word.
void TempProtectForm::Close() {
  const bool changed = entries_.modified;
  if (!SaveTempProtectList(entries_) && changed)
    ShowMessageBox(loaded_ ? "Unable to save the protect file - quorvane.pit\r\n"
                             "Execution will continue without saving the changes."
                           : "The existing Protect file could not be opened - quorvane.pit\r\n"
                             "It was left as it is; the changes made here were not saved.",
                   "Quorvane  -  Message", MessageKind::Information, MessageButtons::Ok);
  DestroyWindow(window_);
}

bool TempProtectForm::OnInit() {
  loaded_ = LoadTempProtectList(entries_);
  SendDlgItemMessageA(window_, IDC_TPROT_LIST, WM_SETFONT, reinterpret_cast<WPARAM>(ListFont()),
                      FALSE);
  SendDlgItemMessageA(window_, IDC_TPROT_LIST, LB_SETHORIZONTALEXTENT, 2000, 0);
  FillList();
  EnableWindow(Item(IDC_TPROT_ADD), FALSE);
  return true;
}

bool TempProtectForm::OnCommand(int id, int code) {
  if (id == IDC_TPROT_EDIT && code == EN_CHANGE) {
    EnableWindow(Item(IDC_TPROT_ADD), EditText().size() >= 3);
  } else if (id == IDC_TPROT_LIST && code == LBN_SELCHANGE) {
    const LRESULT at = SendMessageA(Item(IDC_TPROT_LIST), LB_GETCURSEL, 0, 0);
    if (at >= 0 && at < entries_.Count())
      SetDlgItemTextA(window_, IDC_TPROT_EDIT, LowerCase(entries_.Entries()[at]).c_str());
  } else if (id == IDC_TPROT_ADD && code == BN_CLICKED) {
    AddClick();
  } else if (id == IDC_TPROT_DELETE && code == BN_CLICKED) {
    DeleteClick();
  } else if ((id == IDC_TPROT_CLOSE && code == BN_CLICKED) || id == IDCANCEL) {
    Close();
  }
  return true;
}

HWND TempProtectForm::Show(HWND owner) {
  const bool opening = !window_;
  if (opening) CreateModeless(IDD_TEMP_PROTECT, owner);
  if (window_) {
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    // Said before any entry is typed: what is added here cannot be kept.
    if (opening && !loaded_)
      ShowMessageBox("Unable to open existing Temp Protect file - " + TempProtectFile() +
                         "\r\n\r\nAny changes made here will be discarded...",
                     "Quorvane  -  Message", MessageKind::Information, MessageButtons::Ok);
  }
  return window_;
}
}  // namespace

HWND TProtTempForm::Show(HWND owner) { return Form().Show(owner); }

HWND TProtTempForm::Handle() { return Form().Handle(); }
