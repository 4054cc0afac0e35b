#include "files/temp_protect_form.h"

#include <string>

#include "core/message_box.h"
#include "core/text_util.h"
#include "files/temp_protect_list.h"
#include "platform/window.h"
#include "resource.h"

namespace {
HWND g_form = nullptr;
// The editor's own copy: a purge run loads and frees the process-wide list meanwhile.
TempProtectList g_entries;
bool g_loaded = true;

HFONT ListFont() {
  static HFONT font =
      CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
  return font;
}

void FillList(HWND form) {
  HWND list = GetDlgItem(form, IDC_TPROT_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const auto& e : g_entries.Entries())
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
}

std::string EditText(HWND form) { return WindowText(GetDlgItem(form, IDC_TPROT_EDIT)); }

void AddClick(HWND form) {
  const std::string text = EditText(form);
  switch (g_entries.Add(text)) {
    case TempProtectAdd::BadPrefix:
      ShowMessageBox(
          "The entry must begin with: \r\n    \"p=\" for Protect or\r\n"
          "    \"i=\" for Ignore delete error\r\n\r\nAdd Function ignored.",
          "Quorvane  -  Error Message", MessageKind::Error, MessageButtons::Ok);
      return;
    case TempProtectAdd::AlreadyPresent: return;
    case TempProtectAdd::Added:
      FillList(form);
      SetDlgItemTextA(form, IDC_TPROT_EDIT, "");
      return;
  }
}

void DeleteClick(HWND form) {
  if (!g_entries.Delete(EditText(form))) {
    ShowMessageBox(
        "Unable to locate the specified \r\nentry for Deletion.\r\n\r\n"
        "Delete Function ignored.",
        "Quorvane  -  Error Message", MessageKind::Error, MessageButtons::Ok);
    return;
  }
  FillList(form);
  SetDlgItemTextA(form, IDC_TPROT_EDIT, "");
}

// A list that could not be read is not written back: its file keeps what it holds. Changes
// that could not be kept are never dropped without a word.
void CloseForm(HWND form) {
  const bool changed = g_entries.modified;
  if (!SaveTempProtectList(g_entries) && changed)
    ShowMessageBox(g_loaded ? "Unable to save the protect file - quorvane.pit\r\n"
                              "Execution will continue without saving the changes."
                            : "The existing Protect file could not be opened - quorvane.pit\r\n"
                              "It was left as it is; the changes made here were not saved.",
                   "Quorvane  -  Message", MessageKind::Information, MessageButtons::Ok);
  DestroyWindow(form);
}

INT_PTR CALLBACK FormProc(HWND form, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      g_loaded = LoadTempProtectList(g_entries);
      SendDlgItemMessageA(form, IDC_TPROT_LIST, WM_SETFONT, reinterpret_cast<WPARAM>(ListFont()),
                          FALSE);
      SendDlgItemMessageA(form, IDC_TPROT_LIST, LB_SETHORIZONTALEXTENT, 2000, 0);
      FillList(form);
      EnableWindow(GetDlgItem(form, IDC_TPROT_ADD), FALSE);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wp), code = HIWORD(wp);
      if (id == IDC_TPROT_EDIT && code == EN_CHANGE) {
        EnableWindow(GetDlgItem(form, IDC_TPROT_ADD), EditText(form).size() >= 3);
      } else if (id == IDC_TPROT_LIST && code == LBN_SELCHANGE) {
        HWND list = GetDlgItem(form, IDC_TPROT_LIST);
        const LRESULT at = SendMessageA(list, LB_GETCURSEL, 0, 0);
        if (at >= 0 && at < g_entries.Count())
          SetDlgItemTextA(form, IDC_TPROT_EDIT, LowerCase(g_entries.Entries()[at]).c_str());
      } else if (id == IDC_TPROT_ADD && code == BN_CLICKED) {
        AddClick(form);
      } else if (id == IDC_TPROT_DELETE && code == BN_CLICKED) {
        DeleteClick(form);
      } else if ((id == IDC_TPROT_CLOSE && code == BN_CLICKED) || id == IDCANCEL) {
        CloseForm(form);
      }
      return TRUE;
    }
    case WM_CLOSE: CloseForm(form); return TRUE;
    case WM_DESTROY: g_form = nullptr; return FALSE;
  }
  return FALSE;
}
}  // namespace

HWND TProtTempForm::Show(HWND owner) {
  const bool opening = !g_form;
  if (opening)
    g_form = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TEMP_PROTECT),
                                owner, FormProc, 0);
  if (g_form) {
    ShowWindow(g_form, SW_SHOWNORMAL);
    SetForegroundWindow(g_form);
    // Said before any entry is typed: what is added here cannot be kept.
    if (opening && !g_loaded)
      ShowMessageBox("Unable to open existing Temp Protect file - " + TempProtectFile() +
                         "\r\n\r\nAny changes made here will be discarded...",
                     "Quorvane  -  Message", MessageKind::Information, MessageButtons::Ok);
  }
  return g_form;
}

HWND TProtTempForm::Handle() { return g_form; }
