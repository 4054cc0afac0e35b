#include "app/small_windows.h"

#include <commdlg.h>
#include <richedit.h>

#include <memory>

#include "core/folders.h"
#include "core/font_setting.h"
#include "core/modal.h"
#include "core/run_mode.h"
#include "core/settings.h"
#include "core/version.h"
#include "firefox/sqlite_module.h"
#include "platform/files.h"
#include "platform/window.h"
#include "platform/window_procedure.h"
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

class FontsWindow : public Dialog {
  bool OnInit() override {
    SetWindowTextString(window_, DisplayName() + " - Configure Display Fonts");
    SetDlgItemTextA(window_, IDC_SET_COOKIE_FONT, "Set Cookies Font");
    SetDlgItemTextA(window_, IDC_COOKIE_FONT_LABEL, "Configure Font for Cookies Window Display:");
    return true;
  }
  bool OnCommand(int id, int) override {
    switch (id) {
      case IDC_SET_MAIN_FONT: PickFont(window_, Globals().fonts.main, true); return true;
      case IDC_SET_COOKIE_FONT: PickFont(window_, Globals().fonts.cookies, false); return true;
      case IDOK:
      case IDCANCEL: EndModalDialog(window_, id); return true;
    }
    return false;
  }
};

class AboutBox : public Dialog {
  bool OnInit() override {
    SetWindowTextString(window_, "About " + DisplayName());
    SetDlgItemTextA(window_, IDC_ABOUT_NAME, DisplayName().c_str());
    SetDlgItemTextA(window_, IDC_ABOUT_VERSION, kVersionText);
    SetDlgItemTextA(window_, IDC_ABOUT_BUILD, kBuildText);
    SetWindowTextString(Item(IDC_ABOUT_SQLITE), "Databases opened with " + SqliteModuleInUse());
    return true;
  }
  bool OnCommand(int id, int) override {
    if (id != IDOK && id != IDCANCEL) return false;
    EndModalDialog(window_, id);
    return true;
  }
};

DWORD CALLBACK StreamFromString(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  auto* rest = reinterpret_cast<std::string*>(cookie);
  LONG n = std::min<LONG>(size, static_cast<LONG>(rest->size()));
  memcpy(buffer, rest->data(), n);
  rest->erase(0, n);
  *done = n;
  return 0;
}

// Kept by the main window by its handle; the object goes with the window.
class QuickStartWindow : public Dialog {
  bool OnInit() override {
    SetWindowTextString(window_, DisplayName() + " - Quick Start");
    std::string rtf;
    if (ReadWholeFile(Folders().programFolder + "\\qvrnqst.rtf", rtf)) {
      EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&rtf), 0, StreamFromString};
      SendDlgItemMessageA(window_, IDC_QS_TEXT, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
      SendDlgItemMessageA(window_, IDC_QS_TEXT, EM_SETSEL, 0, 0);
    }
    CheckDlgButton(window_, IDC_QS_NOSHOW,
                   Globals().messages.quickStartOpt == "N" ? BST_CHECKED : BST_UNCHECKED);
    return true;
  }
  bool OnCommand(int id, int) override {
    if (id == IDC_QS_NOSHOW) {
      const bool noShow = IsDlgButtonChecked(window_, IDC_QS_NOSHOW) == BST_CHECKED;
      Globals().messages.quickStartOpt.assign(1, noShow ? 'N' : 'S');
      return true;
    }
    if (id == IDOK || id == IDCANCEL) {
      ShowWindow(window_, SW_HIDE);
      return true;
    }
    return false;
  }
};
}  // namespace

void ShowFontsWindow(HWND owner) {
  FontsWindow window;
  ShowModalDialog(IDD_FONTS, owner, window);
}

void ShowAboutBox(HWND owner) {
  AboutBox box;
  ShowModalDialog(IDD_ABOUT, owner, box);
}

HWND ShowQuickStart(HWND owner, HWND existing) {
  if (!existing || !IsWindow(existing)) {
    static const bool richEditLoaded = LoadLibraryA("riched20.dll") != nullptr;  // "RichEdit20A"
    if (!richEditLoaded) return nullptr;
    existing =
        Dialog::CreateOwnedByWindow(std::make_unique<QuickStartWindow>(), IDD_QUICKSTART, owner);
  }
  if (existing) ShowWindow(existing, SW_SHOW);
  return existing;
}

// The splash answers nothing itself: a dialog of its own only to be made from its template.
HWND CreateSplash() {
  HWND splash = Dialog::CreateOwnedByWindow(std::make_unique<Dialog>(), IDD_SPLASH, nullptr);
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
