#include "cookie_window/prot_edit_form.h"

#include "cookies/keep_list.h"
#include "core/message_box.h"
#include "core/modal.h"
#include "core/text_util.h"
#include "platform/window.h"
#include "resource.h"

namespace {
struct EditorState {
  std::string title;
  std::vector<std::string> entries;
};

void FillList(HWND form, const EditorState& s) {
  HWND list = GetDlgItem(form, IDC_PE_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const auto& e : s.entries)
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
}

std::string EditText(HWND form) { return WindowText(GetDlgItem(form, IDC_PE_EDIT)); }

INT_PTR CALLBACK EditorProc(HWND form, UINT msg, WPARAM wp, LPARAM lp) {
  auto* s = reinterpret_cast<EditorState*>(GetWindowLongPtrA(form, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(form, DWLP_USER, lp);
      s = reinterpret_cast<EditorState*>(lp);
      SetWindowTextString(form, s->title);
      SendDlgItemMessageA(form, IDC_PE_LIST, LB_SETHORIZONTALEXTENT, 2000, 0);
      FillList(form, *s);
      EnableWindow(GetDlgItem(form, IDC_PE_ADD), FALSE);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wp), code = HIWORD(wp);
      if (id == IDC_PE_EDIT && code == EN_CHANGE) {
        EnableWindow(GetDlgItem(form, IDC_PE_ADD), EditText(form).size() >= 3);
      } else if (id == IDC_PE_LIST && code == LBN_SELCHANGE) {
        const LRESULT at = SendDlgItemMessageA(form, IDC_PE_LIST, LB_GETCURSEL, 0, 0);
        if (at >= 0 && at < static_cast<LRESULT>(s->entries.size()))
          SetDlgItemTextA(form, IDC_PE_EDIT, LowerCase(s->entries[at]).c_str());
      } else if (id == IDC_PE_ADD && code == BN_CLICKED) {
        switch (AddProtEntry(s->entries, EditText(form))) {
          case ProtEntryAdd::BadPrefix:
            ShowMessageBox(
                "The entry must begin with: \r\n    \"p=\" for Protect or\r\n"
                "    \"r=\" for Randomize\r\n\r\nAdd Function ignored.",
                "Quorvane  -  Error Message", MessageKind::Error, MessageButtons::Ok);
            break;
          case ProtEntryAdd::AlreadyPresent: break;
          case ProtEntryAdd::Added: FillList(form, *s); break;
        }
      } else if (id == IDC_PE_DELETE && code == BN_CLICKED) {
        if (DeleteProtEntry(s->entries, EditText(form))) {
          FillList(form, *s);
          SetDlgItemTextA(form, IDC_PE_EDIT, "");
        } else {
          ShowMessageBox(
              "Unable to locate the specified \r\nentry for Deletion.\r\n\r\n"
              "Delete Function ignored.",
              "Quorvane  -  Error Message", MessageKind::Error, MessageButtons::Ok);
        }
      } else if (id == IDC_PE_CLOSE || id == IDCANCEL) {
        EndModalDialog(form, IDOK);
      }
      return TRUE;
    }
    case WM_CLOSE: EndModalDialog(form, IDOK); return TRUE;
  }
  return FALSE;
}
}  // namespace

std::vector<std::string> ShowProtEditForm(HWND owner, const std::string& title,
                                          std::vector<std::string> entries) {
  EditorState s{title, std::move(entries)};
  ShowModalDialog(IDD_PROT_EDIT, owner, EditorProc, reinterpret_cast<LPARAM>(&s));
  return s.entries;
}
