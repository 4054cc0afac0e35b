#include "cookies/no_protection_window.h"

#include "core/modal.h"
#include "core/run_mode.h"
#include "core/settings.h"
#include "platform/window.h"
#include "resource.h"

namespace {
std::string& StoredChoice(CookieBrowser browser) {
  MessageChoices& m = Globals().messages;
  return browser == CookieBrowser::Firefox ? m.ffCookieMsgOpt : m.cookieMsgOpt;
}

INT_PTR CALLBACK NoProtectionProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lp);
      const auto browser = static_cast<CookieBrowser>(lp);
      SetWindowTextString(dialog,
                          DisplayName() + (browser == CookieBrowser::Firefox
                                               ? " - Warning - No FireFox Cookies are protected"
                                               : " - Warning - No I.E. Cookies are protected"));
      SetDlgItemTextA(
          dialog, IDC_NOPROT_TEXT,
          "You have chosen to purge \"Unprotected Cookies\".\r\n\r\n"
          "No Cookies are marked as Protected.\r\n\r\n"
          "If you choose \"Continue\", all Cookies will be deleted.\r\n"
          "If you choose \"Bypass\", no Cookies will be deleted.\r\n\r\n"
          "You can use the \"Protect\" button to access the \"Protect\" window and then choose "
          "\"Cookies\" to list and protect the current Cookies.");
      CheckDlgButton(dialog, IDC_NOPROT_NOSHOW, BST_UNCHECKED);
      const int ppi = ScreenPixelsPerInch();
      if (ppi >= 106) {
        const int d = 96 + (ppi - 96) * 15 / 100;
        RECT r;
        GetWindowRect(dialog, &r);
        SetWindowPos(dialog, nullptr, 0, 0, (r.right - r.left) * d / 96,
                     (r.bottom - r.top) * d / 96, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      if (id != IDC_NOPROT_CONTINUE && id != IDC_NOPROT_BYPASS && id != IDCANCEL) return FALSE;
      const auto browser = static_cast<CookieBrowser>(GetWindowLongPtrA(dialog, DWLP_USER));
      if (IsDlgButtonChecked(dialog, IDC_NOPROT_NOSHOW) == BST_CHECKED) StoredChoice(browser) = "Y";
      // Closing the window any other way deletes nothing.
      EndModalDialog(dialog, id == IDC_NOPROT_CONTINUE ? IDC_NOPROT_CONTINUE : IDC_NOPROT_BYPASS);
      return TRUE;
    }
  }
  return FALSE;
}
}  // namespace

bool NoProtectionWarningWanted(CookieBrowser browser) { return StoredChoice(browser) != "Y"; }

NoProtectionAnswer ShowNoProtectionWindow(HWND owner, CookieBrowser browser) {
  INT_PTR r =
      ShowModalDialog(IDD_NO_PROTECTION, owner, NoProtectionProc, static_cast<LPARAM>(browser));
  return r == IDC_NOPROT_CONTINUE ? NoProtectionAnswer::Continue : NoProtectionAnswer::Bypass;
}
