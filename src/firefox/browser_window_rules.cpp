#include "firefox/browser_window_rules.h"

#include "core/text_util.h"

namespace {
bool IsClassOf(const std::string& upperClass, const char* const (&classes)[2]) {
  for (const char* c : classes)
    if (upperClass == UpperCase(c)) return true;
  return false;
}
}  // namespace

bool IsFirefoxClassAndTitle(const std::string& className, const std::string& title) {
  const std::string cls = UpperCase(className);
  if (!IsClassOf(cls, kFirefoxWindowClasses)) return false;
  std::string t = UpperCase(title);
  if (t.size() < 15) return false;
  if (EndsWith(t, "MOZILLA FIREFOX") || StartsWith(t, "MOZILLA FIREFOX")) return true;
  // Firefox 57 and later end a private window's title with "Private Browsing" after the
  // product name, and the Developer Edition and Nightly builds name themselves instead of
  // "Mozilla Firefox"; all of them keep the profile's databases open just the same.
  constexpr const char* kPrivate = " PRIVATE BROWSING";
  if (EndsWith(t, kPrivate)) t.resize(t.size() - std::char_traits<char>::length(kPrivate));
  for (const char* product : {"MOZILLA FIREFOX", "FIREFOX DEVELOPER EDITION", "FIREFOX NIGHTLY"})
    if (EndsWith(t, product)) return true;
  return false;
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
  if (cls == UpperCase(kIeWindowClasses[0]))
    return !listing || HasIeTitle(UpperCase(title), ieCustomTitle);
  return cls == UpperCase(kIeWindowClasses[1]) && HasIeTitle(UpperCase(title), ieCustomTitle);
}

bool IsMsnClass(const std::string& className) {
  const std::string cls = UpperCase(className);
  return IsClassOf(cls, kMsnWindowClasses);
}

bool IsMsnBrowserChildTitle(const std::string& title) { return UpperCase(title) == "BROWSER"; }
