// The boxes of the Chromium browsers and of the Firefox session on every option page: named for
// their browser family, inside the page and clear of every other control, and off when an
// older settings file knows nothing of them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "app/option_frame.h"
#include "core/settings.h"
#include "platform/profile_file.h"
#include "support/test_support.h"

namespace {
using F = OptionField;
const F kNewBoxes[] = {F::ChromiumHistory, F::ChromiumTypedUrls, F::ChromiumForms,
                       F::ChromiumCookies, F::ChromiumCache,     F::ChromiumSession,
                       F::FFSession};

std::string TextOf(HWND w) {
  char text[128] = {};
  GetWindowTextA(w, text, sizeof text);
  return text;
}

RECT RectIn(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST(BrowserOptionBoxesTest, EveryPageShowsTheBoxesNamedForTheirBrowserClearOfTheOthers) {
  FakeTopWindow top("QvBoxesTestWindow", "boxes", false);
  const char* captions[] = {"Chromium History", "Chromium Typed URLs", "Chromium Forms",
                            "Chromium Cookies", "Chromium Cache",      "Chromium Session",
                            "FireFox Session"};
  for (RunMode mode : kAllModes) {
    TFFoxOptionsFrame1 frame;
    frame.Create(top.Handle(), mode);
    ASSERT_NE(frame.Handle(), nullptr);
    // Room for every box: a page that scrolls is OptionPageLayoutTest's.
    SetWindowPos(frame.Handle(), nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    RECT page;
    GetClientRect(frame.Handle(), &page);
    for (size_t i = 0; i < std::size(kNewBoxes); ++i) {
      HWND box = frame.Control(kNewBoxes[i]);
      ASSERT_NE(box, nullptr) << captions[i];
      EXPECT_EQ(TextOf(box), captions[i]);
      EXPECT_STREQ(InfoOf(kNewBoxes[i]).caption, captions[i]);
      const RECT r = RectIn(frame.Handle(), box);
      EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= page.right && r.bottom <= page.bottom)
          << captions[i];
      // The whole caption shows beside the check mark.
      HDC dc = GetDC(box);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0)));
      SIZE text{};
      GetTextExtentPoint32A(dc, captions[i], static_cast<int>(strlen(captions[i])), &text);
      SelectObject(dc, old);
      ReleaseDC(box, dc);
      EXPECT_LE(text.cx + GetSystemMetrics(SM_CXMENUCHECK) + 4, r.right - r.left) << captions[i];
      // No other control of the page shares any of its pixels: the page's own, nor those of
      // the box area holding it.
      HWND area = GetParent(box);
      for (HWND holder : {frame.Handle(), area})
        for (HWND other = GetWindow(holder, GW_CHILD); other;
             other = GetWindow(other, GW_HWNDNEXT)) {
          if (other == box || other == area) continue;
          const RECT o = RectIn(frame.Handle(), other);
          RECT both;
          EXPECT_FALSE(IntersectRect(&both, &r, &o)) << captions[i] << " and " << TextOf(other);
        }
    }
    DestroyWindow(frame.Handle());
  }
}

TEST(BrowserOptionBoxesTest, AnOlderSettingsFileLoadsThemOffAndANewOneOn) {
  TempFolder folder;
  const std::string path = folder.File("Quorvane.ini");
  WriteFileText(path, "[StndOptions]\r\nCacheOption=1\r\nHistoryOption=1\r\n");
  OptionSet old = ReadOptionSet(ProfileFile(path), "StndOptions");
  EXPECT_EQ(old[F::History], 1);
  for (F f : kNewBoxes) EXPECT_EQ(old[f], 0) << InfoOf(f).key;

  OptionSet on;
  for (F f : kNewBoxes) on[f] = 1;
  SettingsChanges changes(path);
  WriteOptionSet(changes, "StndOptions", on);
  ASSERT_TRUE(changes.Commit());
  EXPECT_EQ(ReadOptionSet(ProfileFile(path), "StndOptions"), on);
  for (const char* key :
       {"ChromiumHistoryOption=1", "ChromiumCookiesOption=1", "FFSessionOption=1"})
    EXPECT_NE(ReadFileText(path).find(key), std::string::npos) << key;
}
}  // namespace
