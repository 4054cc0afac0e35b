#include "app/small_windows.h"

#include <commdlg.h>
#include <richedit.h>

#include "core/folders.h"
#include "core/font_setting.h"
#include "core/modal.h"
#include "core/run_mode.h"
#include "core/settings.h"
#include "core/version.h"
#include "firefox/sqlite_module.h"
#include "platform/files.h"
#include "platform/window.h"
#include "resource.h"

namespace {
// Asks the font dialog for one of the two fonts; false when the user cancelled.
bool PickFont(HWND owner, FontSetting& font, bool fixedPitchOnly) {
  LOGFONTA lf = LogFontOf(font);
  CHOOSEFONTA cf{sizeof cf};
  cf.hwndOwner = owner;
  cf.lpLogFont = &lf;
  cf.nSizeMin = 6;
  cf.nSizeMax = 16;
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_LIMITSIZE |
             (fixedPitchOnly ? CF_FIXEDPITCHONLY : 0);
  if (!ChooseFontDialog(cf)) return false;
  font = FontSettingOf(lf, cf.iPointSize > 0 ? cf.iPointSize / 10 : font.size);
  return true;
}

INT_PTR CALLBACK FontsProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowTextString(dialog, DisplayName() + " - Configure Display Fonts");
      SetDlgItemTextA(dialog, IDC_SET_COOKIE_FONT, "Set Cookies Font");
      SetDlgItemTextA(dialog, IDC_COOKIE_FONT_LABEL, "Configure Font for Cookies Window Display:");
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDC_SET_MAIN_FONT: PickFont(dialog, Globals().fonts.main, true); return TRUE;
        case IDC_SET_COOKIE_FONT: PickFont(dialog, Globals().fonts.cookies, false); return TRUE;
        case IDOK:
        case IDCANCEL: EndModalDialog(dialog, LOWORD(wp)); return TRUE;
      }
  }
  return FALSE;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowTextString(dialog, "About " + DisplayName());
      SetDlgItemTextA(dialog, IDC_ABOUT_NAME, DisplayName().c_str());
      SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, kVersionText);
      SetDlgItemTextA(dialog, IDC_ABOUT_BUILD, kBuildText);
      SetWindowTextString(GetDlgItem(dialog, IDC_ABOUT_SQLITE),
                          "Databases opened with " + SqliteModuleInUse());
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        EndModalDialog(dialog, LOWORD(wp));
        return TRUE;
      }
  }
  return FALSE;
}

DWORD CALLBACK StreamFromString(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  auto* rest = reinterpret_cast<std::string*>(cookie);
  LONG n = std::min<LONG>(size, static_cast<LONG>(rest->size()));
  memcpy(buffer, rest->data(), n);
  rest->erase(0, n);
  *done = n;
  return 0;
}

INT_PTR CALLBACK QuickStartProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowTextString(dialog, DisplayName() + " - Quick Start");
      std::string rtf;
      if (ReadWholeFile(Folders().programFolder + "\\qvrnqst.rtf", rtf)) {
        EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&rtf), 0, StreamFromString};
        SendDlgItemMessageA(dialog, IDC_QS_TEXT, EM_STREAMIN, SF_RTF,
                            reinterpret_cast<LPARAM>(&es));
        SendDlgItemMessageA(dialog, IDC_QS_TEXT, EM_SETSEL, 0, 0);
      }
      CheckDlgButton(dialog, IDC_QS_NOSHOW,
                     Globals().messages.quickStartOpt == "N" ? BST_CHECKED : BST_UNCHECKED);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDC_QS_NOSHOW) {
        const bool noShow = IsDlgButtonChecked(dialog, IDC_QS_NOSHOW) == BST_CHECKED;
        Globals().messages.quickStartOpt.assign(1, noShow ? 'N' : 'S');
        return TRUE;
      }
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        ShowWindow(dialog, SW_HIDE);
        return TRUE;
      }
  }
  return FALSE;
}
INT_PTR CALLBACK SplashProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
}  // namespace

void ShowFontsWindow(HWND owner) { ShowModalDialog(IDD_FONTS, owner, FontsProc, 0); }

void ShowAboutBox(HWND owner) { ShowModalDialog(IDD_ABOUT, owner, AboutProc, 0); }

HWND ShowQuickStart(HWND owner, HWND existing) {
  if (!existing || !IsWindow(existing)) {
    static const bool richEditLoaded = LoadLibraryA("riched20.dll") != nullptr;  // "RichEdit20A"
    if (!richEditLoaded) return nullptr;
    existing = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_QUICKSTART),
                                  owner, QuickStartProc, 0);
  }
  if (existing) ShowWindow(existing, SW_SHOW);
  return existing;
}

HWND CreateSplash() {
  HWND splash = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SPLASH), nullptr,
                                   SplashProc, 0);
  if (!splash) return nullptr;
  const int ppi = ScreenPixelsPerInch();
  if (ppi >= 106) {
    RECT r;
    GetWindowRect(splash, &r);
    int width = (r.right - r.left) * (96 + (ppi - 96) * 25 / 100) / 96;
    int height = (r.bottom - r.top) * ppi / 96;
    SetWindowPos(splash, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return splash;
}
