// Community cleaning databases from arbitrary bytes: the reader's result is checked for what the
// engine relies on (named entries, keys with a path and masks, readable DetectOS ranges, lines
// numbered within the file), and every path an entry names is expanded on a fixed 64-bit
// system and checked against the refusals the run applies to the folders it reaches.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "core/text_util.h"
#include "plugins/plugin_statement.h"
#include "winapp2/winapp2_file.h"
#include "winapp2/winapp2_paths.h"
#include "winapp2/winapp2_rules.h"

namespace {
void CheckAt(bool ok, int line) {
  if (ok) return;
  fprintf(stderr, "winapp2_file_fuzz: check at line %d failed\n", line);
  abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

// A plain recursive glob without regard to ASCII case, the reference for Winapp2MaskMatch on
// short texts.
bool Glob(const std::string& t, size_t ti, const std::string& p, size_t pi) {
  if (pi == p.size()) return ti == t.size();
  if (p[pi] == '*') return Glob(t, ti, p, pi + 1) || (ti < t.size() && Glob(t, ti + 1, p, pi));
  auto fold = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
  return ti < t.size() && (p[pi] == '?' || fold(p[pi]) == fold(t[ti])) && Glob(t, ti + 1, p, pi + 1);
}

const Winapp2System& FixedSystem() {
  static const Winapp2System s = [] {
    Winapp2System s;
    s.wow64 = true;
    s.windowsFolder = "C:\\Windows";
    s.variables = {{"WINDIR", {"C:\\Windows"}},
                   {"SYSTEMDRIVE", {"C:"}},
                   {"USERPROFILE", {"C:\\Users\\Fuzz"}},
                   {"APPDATA", {"C:\\Users\\Fuzz\\AppData\\Roaming"}},
                   {"LOCALAPPDATA", {"C:\\Users\\Fuzz\\AppData\\Local"}},
                   {"PROGRAMFILES", {"C:\\Program Files", "C:\\Program Files (x86)"}},
                   {"SHARE", {"\\\\server\\share"}}};
    return s;
  }();
  return s;
}

const Winapp2Refusals& FixedRefusals() {
  static const Winapp2Refusals r = {
      {"C:\\USERS", "C:\\USERS\\FUZZ", "C:\\WINDOWS", "C:\\PROGRAM FILES"},
      {"C:\\WINDOWS", "C:\\WINDOWS\\SYSNATIVE", "C:\\PROGRAM FILES", "C:\\PROGRAM FILES (X86)"}};
  return r;
}

// A path as expanded: full, "\" only, no "." or ".." level, no "%", no doubled or trailing
// separator but a drive root's or a server path's own; and expanding it again gives itself.
void CheckExpanded(const std::string& path) {
  Check(!LexicalFullPath(path).empty());
  Check(path.find('/') == std::string::npos && path.find('%') == std::string::npos);
  Check(path.find("\\\\", 1) == std::string::npos);
  Check(path.size() <= 3 || path.back() != '\\');
  for (const auto& level : SplitFullPath(path).names) Check(level != "." && level != "..");
  Check(!StartsWithText(path + "\\", "C:\\Windows\\System32\\"));
  const Winapp2Expansion again = ExpandWinapp2Path(path, FixedSystem());
  Check(again.problem.empty() && again.paths.size() == 1 && again.paths[0] == path);
}

// A folder the run may not empty, remove or walk is refused however the path writes it: the
// system reaches the folder its lexical full path names.
void CheckFolder(const std::string& folder, const Winapp2FileKey& key) {
  const std::string problem = Winapp2FolderProblem(folder, key, FixedRefusals());
  const std::string full = LexicalFullPath(folder);
  Check(problem.empty() == Winapp2FolderProblem(full, key, FixedRefusals()).empty());
  bool everything = key.removeSelf || key.recurse;
  for (const auto& m : key.masks) everything = everything || TakesEveryFile(m);
  if (SplitFullPath(full).names.empty() && everything) Check(!problem.empty());
  if (!Winapp2PatternProblem(folder).empty()) Check(!SplitFullPath(folder).names.empty());
}

void CheckMask(const std::string& mask, const std::string& name) {
  Check(!mask.empty());
  Check(Winapp2MaskMatch(mask, mask));
  const std::wstring wmask(mask.begin(), mask.end()), wname(name.begin(), name.end());
  const bool narrow = Winapp2MaskMatch(name, mask);
  Check(narrow == Winapp2MaskMatch(wname, wmask));
  if (TakesEveryFile(mask)) Check(narrow);
  if (!TakesEveryFile(mask) && name.size() < 16 && mask.size() < 16)
    Check(narrow == Glob(name, 0, mask, 0));
}

void CheckPath(const std::string& written, const Winapp2FileKey* key) {
  const Winapp2Expansion e = ExpandWinapp2Path(written, FixedSystem());
  Check(e.problem.empty() != e.paths.empty());
  std::set<std::string> seen;
  for (const auto& p : e.paths) {
    CheckExpanded(p);
    Check(seen.insert(UpperCase(p)).second);
    if (key) CheckFolder(p, *key);
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Winapp2Database db = ParseWinapp2(text);
  int lines = 1;
  for (char c : text) lines += c == '\n';
  int last = 0;
  for (const auto& p : db.problems) {
    Check(p.line >= last && p.line >= 1 && p.line <= lines && !p.text.empty());
    last = p.line;
  }
  // The byte-order mark and CRLF line ends change nothing.
  if (text.rfind("\xEF\xBB\xBF", 0) != 0) {
    const Winapp2Database marked = ParseWinapp2("\xEF\xBB\xBF" + text);
    Check(marked.entries.size() == db.entries.size() && marked.problems.size() == db.problems.size());
  }
  const Winapp2Database lf = ParseWinapp2(ReplaceAll(text, "\r\n", "\n"));
  Check(lf.entries.size() == db.entries.size() && lf.problems.size() == db.problems.size());

  std::set<std::string> names;
  int entryLine = 0;
  for (const Winapp2Entry& e : db.entries) {
    Check(!e.name.empty() && e.line > entryLine && e.line <= lines);
    entryLine = e.line;
    Check(names.insert(UpperCase(e.name)).second);
    if (!e.detectOS.empty()) {
      Winapp2OsRange range;
      Check(ParseWinapp2OsRange(e.detectOS, range) && range.low <= range.high);
    }
    for (const auto& f : e.detectFiles) CheckPath(f, nullptr);
    for (const auto& k : e.fileKeys) {
      Check(!k.path.empty() && !k.masks.empty() && k.line > e.line);
      Check(!k.removeSelf || k.recurse);
      CheckPath(k.path, &k);
      const std::string lastLevel = k.path.substr(k.path.find_last_of("\\/") + 1);
      for (const auto& m : k.masks) {
        CheckMask(m, lastLevel);
        CheckMask(m, e.name);
      }
    }
    for (const auto& x : e.excludes) {
      if (x.kind == Winapp2Exclude::Reg) continue;
      Check(!x.path.empty());
      CheckPath(x.path, nullptr);
      if (x.kind == Winapp2Exclude::File) Check(!x.masks.empty());
    }
  }
  // Any text as a DetectOS value: a range read is never empty.
  Winapp2OsRange range;
  if (ParseWinapp2OsRange(text, range)) Check(range.low <= range.high);
  return 0;
}
