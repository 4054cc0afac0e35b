#include "core/text_util.h"

#include <charconv>

#ifdef _WIN32
#include "platform/case_mapping.h"
#endif

namespace {
#ifdef _WIN32
bool AllAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}
#endif

std::string MapCase(std::string_view s, bool upper) {
#ifdef _WIN32
  // Beyond ASCII the code page decides what a character is: in a double-byte code page the
  // second byte of a character may look like a letter, and must not change.
  if (!AllAscii(s)) return SystemCaseMap(s, upper);
#endif
  std::string r(s);
  for (char& c : r) {
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return r;
}
}  // namespace

std::string UpperCase(std::string_view s) { return MapCase(s, true); }

std::string LowerCase(std::string_view s) { return MapCase(s, false); }

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

bool StartsWithText(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

bool TryParseInt(std::string_view s, long long& out) {
  std::string t = Trim(s);
  std::string_view v = t;
  if (!v.empty() && v[0] == '+') v.remove_prefix(1);
  if (v.empty()) return false;
  auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
  return ec == std::errc() && p == v.data() + v.size();
}

int ParseIntOr(std::string_view s, int fallback) {
  long long v;
  if (!TryParseInt(s, v) || v < INT32_MIN || v > INT32_MAX) return fallback;
  return static_cast<int>(v);
}

std::string ReplaceAll(std::string s, std::string_view from, std::string_view to) {
  if (from.empty()) return s;
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

std::string PadLeft(std::string_view s, size_t width) {
  std::string r(s);
  if (r.size() < width) r.insert(0, width - r.size(), ' ');
  return r;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string line =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}
