#include "firefox/browser_activity.h"

#include <stdexcept>

#include "core/command_line.h"
#include "core/text_util.h"
#include "firefox/browser_window_rules.h"
#include "firefox/firefox_profile.h"
#include "platform/registry.h"
#include "platform/window.h"

namespace {
int g_browserState = 0;
bool g_firefoxActive = false;

// One pass over the top-level windows, stopping at the first that `test` accepts.
struct Search {
  bool wantVisible;
  bool (*test)(HWND);
  HWND found = nullptr;
};

BOOL CALLBACK SearchProc(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  if (!IsWindow(window)) return FALSE;
  if ((IsWindowVisible(window) != FALSE) != s->wantVisible) return TRUE;
  if (!s->test(window)) return TRUE;
  s->found = window;
  return FALSE;
}

// Whether any top-level window has one of the classes. Asking for each class is cheap, while
// walking all top-level windows is not under Wine, where it starts the display driver (some
// 30 ms for a run that makes no window); the walk is made only when a candidate is there.
bool AnyTopLevelOfClass(const char* const (&classes)[2]) {
  for (const char* c : classes)
    if (FindWindowExA(nullptr, nullptr, c, nullptr)) return true;
  return false;
}

HWND FindTopLevel(bool visible, bool (*test)(HWND)) {
  Search s{visible, test};
  EnumWindows(SearchProc, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

BOOL CALLBACK FindBrowserChild(HWND child, LPARAM param) {
  if (!IsMsnBrowserChildTitle(WindowTitle(child))) return TRUE;
  *reinterpret_cast<bool*>(param) = true;
  return FALSE;
}

bool IsIeForActivity(HWND w) { return IsIeWindow(w, false); }
}  // namespace

const std::string& IeCustomTitle() {
  static const std::string title = [] {
    RegKey key;
    if (key.OpenRead(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Main") !=
        ERROR_SUCCESS)
      return std::string();
    return UpperCase(key.ReadString("Window Title").value_or(""));
  }();
  return title;
}

bool IsFirefoxWindow(HWND window) {
  return IsFirefoxClassAndTitle(WindowClass(window), WindowTitle(window));
}

bool IsIeWindow(HWND window, bool listing) {
  return IsIeClassAndTitle(WindowClass(window), WindowTitle(window), IeCustomTitle(), listing);
}

bool IsMsnWindow(HWND window) {
  if (!IsMsnClass(WindowClass(window))) return false;
  bool found = false;
  EnumChildWindows(window, FindBrowserChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool IsProfileLockHeld(const std::string& profileFolder) {
  if (profileFolder.empty()) return false;
  // Firefox opens parent.lock without sharing for as long as it uses the profile, and leaves
  // the file behind when it ends: only a refused open means a running Firefox.
  HANDLE h = CreateFileA((profileFolder + "\\parent.lock").c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

bool TisFireFoxActive() {
  bool active = false;
  try {
    // Window titles miss a Firefox whose windows are all hidden or titled otherwise, and one
    // started without a window (-headless); each holds the profile's lock all the same.
    active = (AnyTopLevelOfClass(kFirefoxWindowClasses) &&
              FindTopLevel(true, IsFirefoxWindow) != nullptr) ||
             IsProfileLockHeld(FFoxProfile().DataPath);
    if (ParamSwitch("AbortFFA"))
      throw std::runtime_error("Exception Test - FFoxActv - TisFireFoxActive");
  } catch (...) {
    // A failed check answers with what it had found.
  }
  return active;
}

bool TisIEorMSNactive() {
  g_browserState = 0;
  try {
    const bool ie = AnyTopLevelOfClass(kIeWindowClasses);
    const bool msn = AnyTopLevelOfClass(kMsnWindowClasses);
    if (ie && FindTopLevel(true, IsIeForActivity))
      g_browserState = 1;
    else if (ie && FindTopLevel(false, IsIeForActivity))
      g_browserState = 2;
    else if (msn && FindTopLevel(true, IsMsnWindow))
      g_browserState = 3;
    else if (msn && FindTopLevel(false, IsMsnWindow))
      g_browserState = 4;
    if (ParamSwitch("AbortIEA"))
      throw std::runtime_error("Exception Test - FFoxActv - TisIEorMSNactive");
  } catch (...) {
  }
  return g_browserState > 0;
}

int BrowserState() { return g_browserState; }
bool FirefoxActive() { return g_firefoxActive; }
void SetFirefoxActive(bool active) { g_firefoxActive = active; }

namespace {
struct Listing {
  const std::function<void(const std::string&)>* add;
  int count = 0;
};

BOOL CALLBACK ListProc(HWND window, LPARAM param) {
  auto* l = reinterpret_cast<Listing*>(param);
  if (!IsWindow(window)) return FALSE;
  if (IsWindowVisible(window)) return TRUE;
  const std::string title = WindowTitle(window);
  std::string line;
  if (IsIeWindow(window, true))
    line = "Hidden I.E. Window - Title = " + title;
  else if (IsFirefoxWindow(window))
    line = "Hidden FireFox Window - Title = " + title;
  else if (IsMsnWindow(window))
    line = "HiddenMSN Window - Title = " + title;
  else
    return TRUE;
  (*l->add)(line);
  (*l->add)(" ");
  ++l->count;
  return TRUE;
}
}  // namespace

void ListHiddenBrowserWindows(const std::function<void(const std::string&)>& addLine) {
  addLine("Display Hidden Browser Windows ");
  addLine(" ");
  Listing l{&addLine};
  try {
    EnumWindows(ListProc, reinterpret_cast<LPARAM>(&l));
  } catch (...) {
  }
  addLine(l.count == 1 ? "1 - Browser Window Found"
                       : "   " + std::to_string(l.count) + " - Browser Windows Found");
}
