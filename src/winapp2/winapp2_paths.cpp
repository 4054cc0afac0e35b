#include "winapp2/winapp2_paths.h"

#include "core/text_util.h"
#include "plugins/plugin_statement.h"

namespace {
std::string AsciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// "/" as "\", runs of separators joined, trailing separators dropped (a drive root keeps its
// own); a server path keeps its leading "\\".
std::string TidyPath(std::string_view path) {
  std::string out;
  for (size_t i = 0; i < path.size(); ++i) {
    const char c = path[i] == '/' ? '\\' : path[i];
    if (c == '\\' && !out.empty() && out.back() == '\\' && out.size() > 1) continue;
    out += c;
  }
  while (out.size() > 1 && out.back() == '\\' && !(out.size() == 3 && out[1] == ':')) out.pop_back();
  if (out.size() == 2 && out[1] == ':') out += '\\';  // a drive alone is its root
  return out;
}

bool HasDotLevel(std::string_view path) {
  for (const std::string& level : SplitPluginPath(ReplaceAll(std::string(path), "/", "\\")))
    if (level == "." || level == "..") return true;
  return false;
}
}  // namespace

Winapp2Expansion ExpandWinapp2Path(std::string_view written, const Winapp2System& system) {
  Winapp2Expansion result;
  if (HasDotLevel(written)) {
    result.problem = "a path with \"..\" is refused";
    return result;
  }
  std::vector<std::string> paths = {""};
  size_t i = 0;
  while (i < written.size()) {
    const size_t open = written.find('%', i);
    const std::string_view literal = written.substr(i, open == std::string_view::npos ? open : open - i);
    for (auto& p : paths) p += literal;
    if (open == std::string_view::npos) break;
    const size_t close = written.find('%', open + 1);
    if (close == std::string_view::npos) {
      result.problem = "a \"%\" without its closing \"%\"";
      return result;
    }
    const std::string name = AsciiUpper(written.substr(open + 1, close - open - 1));
    const auto found = system.variables.find(name);
    if (found == system.variables.end() || found->second.empty()) {
      result.problem = "unknown variable %" + std::string(written.substr(open + 1, close - open - 1)) + "%";
      return result;
    }
    std::vector<std::string> next;
    for (const auto& p : paths)
      for (const auto& folder : found->second) next.push_back(p + folder);
    paths = std::move(next);
    i = close + 1;
  }
  for (const auto& p : paths) {
    std::string tidy = TidyPath(p);
    const std::string full = LexicalFullPath(tidy);
    if (full.empty()) {
      result.problem = "\"" + tidy + "\" is no full path";
      result.paths.clear();
      return result;
    }
    // Windows drops a level's trailing dot and the last level's trailing dots and blanks:
    // "%WinDir%." is the Windows folder itself, which the refusals, comparing names, would not
    // know as such.
    if (full != tidy) {
      result.problem = "\"" + tidy + "\" has a level ending in a dot or blank";
      result.paths.clear();
      return result;
    }
    tidy = Winapp2NativeSystemPath(tidy, system);
    bool seen = false;
    for (const auto& q : result.paths) seen = seen || SameText(q, tidy);
    if (!seen) result.paths.push_back(std::move(tidy));
  }
  return result;
}

std::string Winapp2NativeSystemPath(const std::string& path, const Winapp2System& system) {
  if (!system.wow64 || system.windowsFolder.empty()) return path;
  const std::string system32 = system.windowsFolder + "\\System32";
  if (!StartsWithText(path, system32)) return path;
  if (path.size() > system32.size() && path[system32.size()] != '\\') return path;
  return system.windowsFolder + "\\Sysnative" + path.substr(system32.size());
}

bool SplitWinapp2Key(std::string_view key, std::string& hive, std::string& rest) {
  const size_t slash = key.find('\\');
  const std::string head = AsciiUpper(key.substr(0, slash));
  static const std::pair<const char*, const char*> kHives[] = {
      {"HKCR", "HKCR"}, {"HKCU", "HKCU"}, {"HKLM", "HKLM"}, {"HKU", "HKU"}, {"HKCC", "HKCC"},
      {"HKEY_CLASSES_ROOT", "HKCR"}, {"HKEY_CURRENT_USER", "HKCU"},
      {"HKEY_LOCAL_MACHINE", "HKLM"}, {"HKEY_USERS", "HKU"}, {"HKEY_CURRENT_CONFIG", "HKCC"}};
  for (const auto& [name, shortName] : kHives) {
    if (head != name) continue;
    hive = shortName;
    rest = slash == std::string_view::npos ? std::string() : std::string(key.substr(slash + 1));
    while (!rest.empty() && rest.back() == '\\') rest.pop_back();
    return true;
  }
  return false;
}

std::vector<Winapp2View> Winapp2ViewsOf(std::string_view key, bool wow64) {
  std::string hive, rest;
  if (!wow64 || !SplitWinapp2Key(key, hive, rest)) return {Winapp2View::Own};
  const std::string upper = AsciiUpper(rest);
  const bool software = upper == "SOFTWARE" || upper.rfind("SOFTWARE\\", 0) == 0;
  if (hive == "HKLM" && software) return {Winapp2View::Bits64, Winapp2View::Bits32};
  return {Winapp2View::Own};
}
