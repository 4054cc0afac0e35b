// Temp protect entries from arbitrary bytes: the input is a quorvane.pit file whose last line
// is also a path to match and an entry to add and delete. The list's answer is checked
// against a plain scan of the entries as written.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/text_util.h"
#include "files/temp_protect.h"

namespace {
// A plain glob with * and ?, standing in for the system's match.
bool Glob(const std::string& t, const std::string& p) {
  size_t ti = 0, pi = 0, star = std::string::npos, mark = 0;
  while (ti < t.size()) {
    if (pi < p.size() && (p[pi] == '?' || p[pi] == t[ti])) {
      ++ti, ++pi;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++, mark = ti;
    } else if (star != std::string::npos) {
      pi = star + 1, ti = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

char Scan(const TempProtectList& list, const std::string& path, const std::string& name) {
  for (const auto& e : list.Entries()) {
    const std::string pattern = TempProtectPattern(e);
    if (pattern.empty()) continue;
    if ((!name.empty() && Glob(LowerCase(name), pattern)) ||
        (pattern.find('\\') != std::string::npos && Glob(LowerCase(path), pattern)))
      return LowerCase(e.substr(0, 1))[0];
  }
  return ' ';
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines = SplitLines(text);
  const std::string path = lines.empty() ? std::string() : lines.back();
  const size_t slash = path.find_last_of('\\');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  TempProtectList list;
  list.SetLines(lines);
  if (list.Match(path, name, Glob) != Scan(list, path, name)) abort();
  const TempProtectAdd added = list.Add(path);
  const std::string entry = LowerCase(path);
  if (added == TempProtectAdd::BadPrefix) {
    if (StartsWith(entry, "p=") || StartsWith(entry, "i=")) abort();
  } else {
    // The entry is there once, alone with its pattern, and Delete takes it out.
    int same = 0;
    for (const auto& e : list.Entries()) same += TempProtectPattern(e) == TempProtectPattern(entry);
    if (same != 1 && added == TempProtectAdd::Added) abort();
    if (!list.Delete(path)) abort();
  }
  if (list.Match(path, name, Glob) != Scan(list, path, name)) abort();
  return 0;
}
