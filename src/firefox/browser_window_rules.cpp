#include "firefox/browser_window_rules.h"

#include "app/text_util.h"

bool IsFirefoxClassAndTitle(const std::string& className, const std::string& title) {
  const std::string cls = UpperCase(className);
  if (cls != "MOZILLAWINDOWCLASS" && cls != "MOZILLAUIWINDOWCLASS") return false;
  const std::string t = UpperCase(title);
  if (t.size() < 15) return false;
  return EndsWith(t, "MOZILLA FIREFOX") || StartsWith(t, "MOZILLA FIREFOX");
}

namespace {
bool HasIeTitle(const std::string& t, const std::string& custom) {
  if (t.size() > 26 && EndsWith(t, "MICROSOFT INTERNET EXPLORER")) return true;
  if (t.size() > 24 && EndsWith(t, "WINDOWS INTERNET EXPLORER")) return true;
  return !custom.empty() && t.size() >= custom.size() && EndsWith(t, custom);
}
}  // namespace

bool IsIeClassAndTitle(const std::string& className, const std::string& title,
                       const std::string& ieCustomTitle, bool listing) {
  const std::string cls = UpperCase(className);
  if (cls == "IEFRAME") return !listing || HasIeTitle(UpperCase(title), ieCustomTitle);
  return cls == "CABINETWCLASS" && HasIeTitle(UpperCase(title), ieCustomTitle);
}

bool IsMsnClass(const std::string& className) {
  const std::string cls = UpperCase(className);
  return cls == "MSN6 WINDOW" || cls == "MSN9 WINDOW";
}

bool IsMsnBrowserChildTitle(const std::string& title) { return UpperCase(title) == "BROWSER"; }
