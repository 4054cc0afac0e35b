#include "ie/cache_rules.h"

#include "core/report_rules.h"
#include "core/text_util.h"

namespace {
constexpr CacheKind kKinds[] = {
    {1, "Cookies", "Cookie:", 'C', 1},
    {2, "Cache", "*.*", 'N', 2},
    {3, "Visited URLs", "Visited:", 'V', 3},
    {4, "UserData", "UserData", 'U', 1},
    {5, "DOMstore", "DOMstore", 'M', 1},
    {101, "Protected Mode Cookies", "Cookie:", 'C', 1},
    {102, "Protected Mode Cache", "*.*", 'N', 2},
    {103, "Protected Mode Visited URLs", "Visited:", 'V', 3},
    {104, "Protected Mode UserData", "UserData", 'U', 1},
    {105, "Protected Mode DOMstore", "DOMstore", 'M', 1},
};
constexpr uint32_t kStickyEntry = 4;
constexpr long long kMinute100ns = 600000000LL;
}  // namespace

const CacheKind* FindCacheKind(int code) {
  for (const CacheKind& k : kKinds)
    if (k.code == code) return &k;
  return nullptr;
}

std::string ReportTypeCode(const CacheKind& kind, uint32_t entryType) {
  char letter = kind.typeLetter;
  if (letter == 'N' && (entryType & kStickyEntry)) letter = 'S';
  return std::string(1, letter) + (IsProtectedKind(kind.code) ? 'p' : ' ');
}

// Whole minutes rather than fractions of a day: the same figures, without a 5-days-3-hours age
// coming out as 2 hours and 59 minutes through rounding.
std::string FormatEntryAge(long long age100ns) {
  const long long minutes = age100ns > 0 ? age100ns / kMinute100ns : 0;
  std::string days = std::to_string(minutes / 1440);
  if (days.size() < 3) days.insert(0, 3 - days.size(), '0');
  if (days[0] == '0') days[0] = ' ';
  auto two = [](long long n) { return std::string(n < 10 ? "0" : "") + std::to_string(n); };
  return days + "-" + two(minutes % 1440 / 60) + ":" + two(minutes % 60);
}

IeDeleteResult MapDeleteError(unsigned long code, DeleteFlavour flavour) {
  const MappedError m = MapDeleteErrorCode(code);
  IeDeleteResult r{ResultColumn(m.text), m.level};
  if (r.text == result_text::kLocked) {
    r.level = 1;
    if (flavour == DeleteFlavour::LocalFile) r.text = result_text::kLockedUrl;
  }
  return r;
}

bool LocalFileGone(unsigned long code) {
  return code == 2 || code == 3;  // ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND
}

bool IsDatedHistoryPrefix(std::string_view prefix) {
  return prefix.size() > 18 && prefix[0] == ':' && prefix[17] == ':' && prefix[18] == ' ';
}

bool LocalFileInFolder(std::string_view path, std::string_view folder) {
  while (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
  if (folder.size() < 3 || path.size() <= folder.size() + 1) return false;
  // Whole characters compared through the system's case mapping: byte by byte, the second
  // byte of a double-byte character could match a letter of another character.
  if (!StartsWithText(path, folder)) return false;
  if (path[folder.size()] != '\\') return false;
  const std::string_view rest = path.substr(folder.size() + 1);
  if (rest.find(':') != std::string_view::npos || rest.back() == '\\') return false;
  // A full path holds no "." or ".." component; one that does was not made the system's way.
  size_t start = 0;
  for (size_t i = 0; i <= rest.size(); ++i) {
    if (i < rest.size() && rest[i] != '\\' && rest[i] != '/') continue;
    const std::string_view part = rest.substr(start, i - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = i + 1;
  }
  return true;
}

bool PlainEnumerationServes(std::string_view prefix) {
  return prefix == "Cookie:" || prefix == "Visited:" || prefix == "*.*";
}

bool ExEnumerationIsStub(const ExProbe& probe) {
  if (probe.found) return false;
  if (probe.error == 120) return true;  // ERROR_CALL_NOT_IMPLEMENTED
  return probe.underWine && (probe.error == 2 || probe.error == 0);
}

std::string KeepListBypassLine(int code) {
  static constexpr const char* kWhat[] = {"", "Cookie", "Cache", "Visited URLs", "UserData",
                                          "DOMstore"};
  const int base = code % 100;
  const std::string what = base >= 1 && base <= 5 ? kWhat[base] : "Cache";
  return std::string("*** Error - Bypassed ") + (code > 100 ? "P-M " : "") + what +
         " processing as existing Protect file could not be opened";
}
