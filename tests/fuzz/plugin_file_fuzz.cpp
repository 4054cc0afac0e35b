// Plugin files from arbitrary bytes: every line is macro-expanded against a fixed system (and
// against none, and behind a known macro), parsed and checked for the properties the engine
// relies on; the whole file then goes through the text and XML removals, whose results are
// checked against the input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/text_util.h"
#include "plugins/plugin_statement.h"

namespace {
// A plain recursive glob, the reference for PluginWildcardMatch on short texts.
bool Glob(const std::string& t, size_t ti, const std::string& p, size_t pi) {
  if (pi == p.size()) return ti == t.size();
  if (p[pi] == '*') return Glob(t, ti, p, pi + 1) || (ti < t.size() && Glob(t, ti + 1, p, pi));
  return ti < t.size() && (p[pi] == '?' || p[pi] == t[ti]) && Glob(t, ti + 1, p, pi + 1);
}

PluginMacroSources FixedSystem() {
  PluginMacroSources s;
  s.named = [](const std::string& n) -> std::optional<std::string> {
    if (n == "APPDATA") return std::string("C:\\Users\\Fuzz\\AppData\\Roaming");
    if (n == "USER") return std::string("#USER#%USER%^HKCU:K[V]");
    return std::nullopt;
  };
  s.registryString = [](const std::string& root, const std::string& key,
                        const std::string& value) -> std::optional<std::string> {
    if (root == "HKCU" && !key.empty()) return key + "#" + value;
    return std::nullopt;
  };
  s.environment = [](const std::string& line) {
    std::string r = line;
    const size_t at = r.find("%USER%");
    if (at != std::string::npos) r.replace(at, 6, "%USER%x#APPDATA#");
    return r;
  };
  return s;
}

// Names the failed check on stderr before aborting, so a finding says what broke.
void CheckAt(bool ok, int line) {
  if (ok) return;
  fprintf(stderr, "plugin_file_fuzz: check at line %d failed\n", line);
  abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

bool Dots(const std::string& segment) {
  const std::string t = Trim(segment);
  return !t.empty() && t.find_first_not_of('.') == std::string::npos;
}

// A statement that may run never names a drive or a hive as a whole, nor reaches one by a
// wildcard, a "." or ".." segment (at either separator), or an empty pattern; and it then runs
// on the full path Windows makes of what it names. Checked on that resolved path.
void CheckReach(const PluginStatement& s) {
  PluginPathFacts facts;
  facts.refusedFolders = {"C:\\USERS\\FUZZ"};
  PluginStatement r = s;
  if (!ResolvePluginStatement(r, facts).empty()) return;
  if (s.kind == 'R') {
    std::string key = s.key;
    while (!key.empty() && key.front() == '\\') key.erase(0, 1);
    Check(!Trim(key).empty());
    Check(!HasPluginWildcard(SplitPluginPath(key).front()));
    if (s.command == "DELVALS" || s.command == "DELKEYS" || s.command == "DELSKVS")
      Check(!s.pattern.empty());
    if (s.root == "HKCU" && s.command != "DEL1VAL") Check(UpperCase(key) != "SOFTWARE");
    return;
  }
  if (s.command == "EXECUTE" || s.command == "EXEHIDE") return;
  std::string segment;
  for (char c : s.path + "\\") {
    if (c == '\\' || c == '/') {
      Check(!Dots(segment));
      segment.clear();
    } else {
      segment += c;
    }
  }
  const std::string full = LexicalFullPath(s.path);
  Check(!full.empty() && LexicalFullPath(full) == full);
  const PluginPathParts parts = SplitFullPath(full);
  Check(!parts.root.empty() && r.path == full);
  Check(r.path.find('/') == std::string::npos);
  const size_t folders = parts.names.size() - (s.command == "DELFOLD" ? 0 : 1);
  if (s.command == "DELFOLD") {
    Check(folders >= 1);
    Check(!SameText(r.path, "C:\\USERS\\FUZZ"));
  } else {
    Check(!parts.names.empty() && r.fileName == parts.names.back());
  }
  if (folders >= 1) Check(!HasPluginWildcard(parts.names.front()));
}

size_t TotalSize(const std::vector<std::string>& lines) {
  size_t n = lines.size();
  for (const auto& l : lines) n += l.size();
  return n;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // Read as the engine reads a file: byte-order marks honoured, UTF-16 narrowed (here to
  // ASCII); a file without a mark is its lines as they stand.
  std::vector<std::string> lines;
  const std::string problem = PluginFileLines(
      text,
      [](const std::u16string& w) -> std::optional<std::string> {
        std::string a;
        for (char16_t c : w) {
          if (c >= 0x80) return std::nullopt;
          a += static_cast<char>(c);
        }
        return a;
      },
      lines);
  Check(problem.empty() || lines.empty());
  if (text.rfind("\xEF\xBB\xBF", 0) != 0 && text.rfind("\xFF\xFE", 0) != 0 &&
      text.rfind("\xFE\xFF", 0) != 0)
    Check(problem.empty() && lines == SplitLines(text));
  const PluginMacroSources system = FixedSystem();
  std::string element = "ITEM", needle = "X";
  for (const auto& raw : lines) {
    const std::string line = UpperCase(raw);
    if (IsLevelLine(line)) Check(PluginLevelOf(line) >= 0);
    const std::string expanded = ExpandPluginMacrosWith(line, system);
    Check(expanded == UpperCase(expanded));
    // Without sources, or without a character that opens a macro, nothing is replaced.
    Check(ExpandPluginMacrosWith(line, PluginMacroSources{}) == line);
    if (line.find_first_of("#^%") == std::string::npos) {
      Check(expanded == line);
      // A known macro before such a text is replaced, the text after it kept up to 255
      // characters.
      Check(ExpandPluginMacrosWith("#APPDATA#" + line, system) ==
            "C:\\USERS\\FUZZ\\APPDATA\\ROAMING" + line.substr(0, 255));
    }
    const PluginStatement s = ParsePluginStatement(expanded);
    Check(s.kind == 'T' || s.kind == 'F' || s.kind == 'R');
    // Joined again, folder and file name give the operand (a doubled backslash before the
    // file name comes back single).
    if (s.kind == 'F' && s.command != "DELFOLD" && !s.folder.empty() && s.command != "DELTEXT" &&
        s.command != "DELEXML" && s.path.find("\\\\") == std::string::npos)
      Check(JoinPluginPath(s.folder, s.fileName) == s.path);
    if (s.kind == 'R' && s.command != "DEL1VAL" && s.command != "DEL1KEY")
      Check(s.invalidType == (s.matchMode == '?'));
    if (s.kind != 'T' && !s.invalidType) CheckReach(s);
    Check(!PluginTraceLines(s).empty());
    Check(Rot13(Rot13(raw)) == raw);
    if (s.command == "DELEXML" && !s.text.empty()) element = s.text;
    if (s.command == "DELTEXT" && !s.text.empty()) needle = s.text;
    if (raw.size() < 24) {
      const size_t mid = raw.size() / 2;
      const std::string t = raw.substr(0, mid), p = raw.substr(mid);
      Check(PluginWildcardMatch(t, p) == Glob(UpperCase(t), 0, UpperCase(p), 0));
    }
  }

  std::vector<std::string> kept = lines;
  const std::vector<std::string> gone = RemoveTextLines(kept, needle);
  Check(gone.size() + kept.size() == lines.size());
  for (const auto& l : kept) Check(UpperCase(l).find(needle) == std::string::npos);

  std::vector<std::string> xml = lines, removed;
  size_t before = TotalSize(xml);
  std::vector<std::string> previous = xml;
  while (RemoveFirstXmlElement(xml, element, removed)) {
    const size_t after = TotalSize(xml);
    Check(after < before);  // every pass removes at least the start tag
    before = after;
    // Each piece reported is text of one line as it stood before the removal.
    for (const auto& piece : removed) {
      bool found = false;
      for (const auto& l : previous) found = found || l.find(piece) != std::string::npos;
      Check(found);
    }
    removed.clear();
    previous = xml;
  }
  return 0;
}
