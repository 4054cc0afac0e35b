// Every option page of the main window at its designed size, at normal and at 150 % text size:
// each caption whole, no two controls sharing a pixel, each control within the page's width and
// its scrollable height (a box within its box area's), the radio groups and the buttons in sight
// without scrolling, and a box out of sight brought into view by the focus.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/main_window.h"
#include "platform/files.h"
#include "platform/window.h"
#include "resource.h"
#include "support/child_process.h"
#include "support/test_support.h"

namespace {
struct TextSize {
  const char* name;
  DWORD logPixels;
};
constexpr TextSize kTextSizes[] = {{"100 %", 96}, {"150 %", 144}};

// The text size Wine gives a process it starts from now on; the old one comes back after.
class ScopedLogPixels {
 public:
  explicit ScopedLogPixels(DWORD logPixels) {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key_, nullptr);
    DWORD size = sizeof old_;
    had_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_),
                            &size) == ERROR_SUCCESS;
    RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&logPixels),
                   sizeof logPixels);
  }
  ~ScopedLogPixels() {
    if (had_)
      RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_),
                     sizeof old_);
    else
      RegDeleteValueA(key_, "LogPixels");
    RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool had_ = false;
};

RECT RectIn(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The width a control needs to show its whole caption: a check box or radio button's mark
// beside it.
int CaptionWidth(HWND control) {
  const std::string text = WindowText(control);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  const LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
  const bool marked =
      WindowClass(control) == "Button" && (type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON);
  return size.cx + (marked ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 0);
}

// Each control of `holder` shows its whole caption, within the holder's width and the height it
// scrolls to, sharing no pixel with another. Returns how many there are.
size_t ExpectCaptionsWholeApartAndWithinReach(HWND holder) {
  RECT client;
  GetClientRect(holder, &client);
  SCROLLINFO scroll{sizeof scroll, SIF_ALL};
  const bool scrolls = GetWindowLongA(holder, GWL_STYLE) & WS_VSCROLL;
  if (scrolls) GetScrollInfo(holder, SB_VERT, &scroll);
  const int reach = scrolls ? scroll.nMax + 1 : client.bottom, offset = scrolls ? scroll.nPos : 0;
  std::vector<HWND> controls;
  for (HWND c = GetWindow(holder, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    controls.push_back(c);
  for (size_t i = 0; i < controls.size(); ++i) {
    const RECT r = RectIn(holder, controls[i]);
    const std::string name = WindowText(controls[i]);
    EXPECT_LE(CaptionWidth(controls[i]), r.right - r.left) << name;
    EXPECT_TRUE(r.left >= 0 && r.right <= client.right && r.top + offset >= 0 &&
                r.bottom + offset <= reach)
        << name;
    for (size_t j = i + 1; j < controls.size(); ++j) {
      RECT other = RectIn(holder, controls[j]), both;
      EXPECT_FALSE(IntersectRect(&both, &r, &other))
          << name << " and " << WindowText(controls[j]);
    }
  }
  return controls.size();
}
}  // namespace

// Wine takes the text size as a process starts: each size is looked at in a process of its own.
TEST(OptionPageLayoutTest, EveryPageShowsWholeCaptionsApartAndWithinReachAtEachTextSize) {
  for (const TextSize& size : kTextSizes) {
    SCOPED_TRACE(size.name);
    ScopedLogPixels textSize(size.logPixels);
    SetEnvironmentVariableA("QV_LOG_PIXELS", std::to_string(size.logPixels).c_str());
    ChildProcess child(ModuleFileName(),
                       "--gtest_also_run_disabled_tests "
                       "--gtest_filter=DISABLED_OptionPagesInFreshProcess.*");
    ASSERT_TRUE(child.Started());
    EXPECT_TRUE(child.WaitForExit(60000));
    EXPECT_EQ(child.ExitCode(), 0u);
  }
}

TEST(DISABLED_OptionPagesInFreshProcess, LaidOutForTheTextSize) {
  ASSERT_EQ(ScreenPixelsPerInch(), std::atoi(EnvironmentValue("QV_LOG_PIXELS").c_str()));
  ScopedDataFolder data;
  ScopedArguments args{{}};
  MessageBoxRecorder boxes;
  WriteFileText(data.SettingsPath(), "[ShowOption]\r\nQuickStartOpt=N\r\n");
  TFFoxForm form;
  ASSERT_TRUE(form.Create());
  ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
  PumpFor(50);
  for (RunMode mode : kAllModes) {
    SCOPED_TRACE(ModeIndex(mode));
    form.SelectOptionPage(mode);
    TFFoxOptionsFrame1& frame = form.OptionFrame(mode);
    HWND page = frame.Handle();
    RECT client;
    GetClientRect(page, &client);
    // The page's controls, then those of its box area, each within the window holding it.
    size_t count = 0;
    for (HWND holder : {page, GetParent(frame.Control(OptionField::Cache))})
      count += ExpectCaptionsWholeApartAndWithinReach(holder);
    EXPECT_GE(count, static_cast<size_t>(kOptionFieldCount));
    // The radio groups and the buttons are in sight without scrolling.
    std::vector<HWND> pinned;
    for (int id : {IDC_SAVEOPT, IDC_OPTON, IDC_OPTOFF, IDC_OPTRESET})
      pinned.push_back(GetDlgItem(page, id));
    for (const auto& info : OptionFields())
      if (info.isRadio)
        for (int choice : {0, 1}) pinned.push_back(frame.Control(info.field, choice));
    for (HWND control : pinned) {
      const RECT r = RectIn(page, control);
      EXPECT_TRUE(IsWindowVisible(control) && r.left >= 0 && r.top >= 0 &&
                  r.right <= client.right && r.bottom <= client.bottom)
          << WindowText(control);
    }
    SendMessageA(page, WM_VSCROLL, SB_BOTTOM, 0);
    const RECT last = RectIn(page, GetDlgItem(page, IDC_OPTRESET));
    EXPECT_TRUE(last.top >= 0 && last.bottom <= client.bottom);
    SendMessageA(page, WM_VSCROLL, SB_TOP, 0);
    // A box given the focus while out of sight comes into view.
    for (OptionField f : {OptionField::FFSession, OptionField::Plugins, OptionField::Cache}) {
      HWND box = frame.Control(f);
      HWND area = GetParent(box);
      SetFocus(box);
      RECT visible, r = RectIn(area, box);
      GetClientRect(area, &visible);
      EXPECT_TRUE(r.top >= 0 && r.bottom <= visible.bottom) << WindowText(box);
    }
  }
  DestroyWindow(form.Handle());
  PumpWaitingMessages();
}
