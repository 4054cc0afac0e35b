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

class NoProtectionWindow : public Dialog {
 public:
  explicit NoProtectionWindow(CookieBrowser browser) : browser_(browser) {}

 private:
  bool OnInit() override {
    SetWindowTextString(window_,
                        DisplayName() + (browser_ == CookieBrowser::Firefox
                                             ? " - Warning - No FireFox Cookies are protected"
                                             : " - Warning - No I.E. Cookies are protected"));
    SetDlgItemTextA(
        window_, IDC_NOPROT_TEXT,
        "You have chosen to purge \"Unprotected Cookies\".\r\n\r\n"
        "No Cookies are marked as Protected.\r\n\r\n"
        "If you choose \"Continue\", all Cookies will be deleted.\r\n"
        "If you choose \"Bypass\", no Cookies will be deleted.\r\n\r\n"
        "You can use the \"Protect\" button to access the \"Protect\" window and then choose "
        "\"Cookies\" to list and protect the current Cookies.");
    CheckDlgButton(window_, IDC_NOPROT_NOSHOW, BST_UNCHECKED);
    const int ppi = ScreenPixelsPerInch();
    if (ppi >= 106) {
      const int d = 96 + (ppi - 96) * 15 / 100;
      RECT r;
      GetWindowRect(window_, &r);
      SetWindowPos(window_, nullptr, 0, 0, (r.right - r.left) * d / 96, (r.bottom - r.top) * d / 96,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
  }
  bool OnCommand(int id, int) override {
    if (id != IDC_NOPROT_CONTINUE && id != IDC_NOPROT_BYPASS && id != IDCANCEL) return false;
    if (IsDlgButtonChecked(window_, IDC_NOPROT_NOSHOW) == BST_CHECKED) StoredChoice(browser_) = "Y";
    // Closing the window any other way deletes nothing.
    EndModalDialog(window_, id == IDC_NOPROT_CONTINUE ? IDC_NOPROT_CONTINUE : IDC_NOPROT_BYPASS);
    return true;
  }

  const CookieBrowser browser_;
};
}  // namespace

bool NoProtectionWarningWanted(CookieBrowser browser) { return StoredChoice(browser) != "Y"; }

NoProtectionAnswer ShowNoProtectionWindow(HWND owner, CookieBrowser browser) {
  NoProtectionWindow window(browser);
  const INT_PTR r = ShowModalDialog(IDD_NO_PROTECTION, owner, window);
  return r == IDC_NOPROT_CONTINUE ? NoProtectionAnswer::Continue : NoProtectionAnswer::Bypass;
}
