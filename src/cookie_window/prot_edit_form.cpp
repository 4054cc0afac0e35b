#include "cookie_window/prot_edit_form.h"

#include "cookies/keep_list.h"
#include "core/message_box.h"
#include "core/modal.h"
#include "core/text_util.h"
#include "platform/window.h"
#include "platform/window_procedure.h"
#include "resource.h"

namespace {
class ProtEditForm : public Dialog {
 public:
  ProtEditForm(std::string title, std::vector<std::string> entries)
      : title_(std::move(title)), entries_(std::move(entries)) {}
  std::vector<std::string> TakeEntries() { return std::move(entries_); }

 private:
  bool OnInit() override {
    SetWindowTextString(window_, title_);
    SendDlgItemMessageA(window_, IDC_PE_LIST, LB_SETHORIZONTALEXTENT, 2000, 0);
    FillList();
    EnableWindow(Item(IDC_PE_ADD), FALSE);
    return true;
  }
  bool OnCommand(int id, int code) override;
  bool OnClose() override {
    EndModalDialog(window_, IDOK);
    return true;
  }
  void FillList();
  std::string EditText() const { return WindowText(Item(IDC_PE_EDIT)); }

  std::string title_;
  std::vector<std::string> entries_;
};

void ProtEditForm::FillList() {
  HWND list = Item(IDC_PE_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const auto& e : entries_)
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
}

bool ProtEditForm::OnCommand(int id, int code) {
  if (id == IDC_PE_EDIT && code == EN_CHANGE) {
    EnableWindow(Item(IDC_PE_ADD), EditText().size() >= 3);
  } else if (id == IDC_PE_LIST && code == LBN_SELCHANGE) {
    const LRESULT at = SendDlgItemMessageA(window_, IDC_PE_LIST, LB_GETCURSEL, 0, 0);
    if (at >= 0 && at < static_cast<LRESULT>(entries_.size()))
      SetDlgItemTextA(window_, IDC_PE_EDIT, LowerCase(entries_[at]).c_str());
  } else if (id == IDC_PE_ADD && code == BN_CLICKED) {
    switch (AddProtEntry(entries_, EditText())) {
      case ProtEntryAdd::BadPrefix:
        ShowMessageBox(
            "The entry must begin with: \r\n    \"p=\" for Protect or\r\n"
            "    \"r=\" for Randomize\r\n\r\nAdd Function ignored.",
            "Quorvane  -  Error Message", MessageKind::Error, MessageButtons::Ok);
        break;
      case ProtEntryAdd::AlreadyPresent: break;
      case ProtEntryAdd::Added: FillList(); break;
    }
  } else if (id == IDC_PE_DELETE && code == BN_CLICKED) {
    if (DeleteProtEntry(entries_, EditText())) {
      FillList();
      SetDlgItemTextA(window_, IDC_PE_EDIT, "");
    } else {
      ShowMessageBox(
          "Unable to locate the specified \r\nentry for Deletion.\r\n\r\n"
          "Delete Function ignored.",
          "Quorvane  -  Error Message", MessageKind::Error, MessageButtons::Ok);
    }
  } else if (id == IDC_PE_CLOSE || id == IDCANCEL) {
    EndModalDialog(window_, IDOK);
  }
  return true;
}
}  // namespace

std::vector<std::string> ShowProtEditForm(HWND owner, const std::string& title,
                                          std::vector<std::string> entries) {
  ProtEditForm form(title, std::move(entries));
  ShowModalDialog(IDD_PROT_EDIT, owner, form);
  return form.TakeEntries();
}
