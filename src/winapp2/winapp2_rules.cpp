#include "winapp2/winapp2_rules.h"

#include "plugins/plugin_statement.h"
#include "winapp2/winapp2_paths.h"

namespace {
template <typename Char>
Char FoldAscii(Char c) {
  return c >= 'a' && c <= 'z' ? static_cast<Char>(c - 'a' + 'A') : c;
}

std::string Folded(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = FoldAscii(c);
  return out;
}

template <typename Char>
bool EveryFile(std::basic_string_view<Char> mask) {
  size_t stars = 0, dots = 0;
  for (Char c : mask) {
    if (c == '*') ++stars;
    else if (c == '.') ++dots;
    else return false;
  }
  // "*", "**", "*.*": a name without an extension is taken by "*.*" as by "*".
  return stars > 0 && dots <= 1 && (dots == 0 || (mask.front() == '*' && mask.back() == '*'));
}

bool IsDriveRoot(const std::string& folder) { return SplitFullPath(folder).names.empty(); }

bool Listed(const std::string& folder, const std::vector<std::string>& list) {
  return Winapp2FolderListed(folder, list);
}

// "A\B" is `below` or equal to "A" (folded, at a level boundary).
bool AtOrBelow(std::string_view path, std::string_view top) {
  const std::string p = Folded(path), t = Folded(top);
  if (p.size() < t.size() || p.compare(0, t.size(), t) != 0) return false;
  return p.size() == t.size() || p[t.size()] == '\\' || (!t.empty() && t.back() == '\\');
}

bool MatchesAny(std::string_view name, const std::vector<std::string>& masks) {
  for (const auto& m : masks)
    if (Winapp2MaskMatch(name, m)) return true;
  return false;
}
}  // namespace

bool Winapp2FolderListed(std::string_view folder, const std::vector<std::string>& list) {
  auto bare = [](std::string_view f) {
    while (f.size() > 3 && (f.back() == '\\' || f.back() == '/')) f.remove_suffix(1);
    return f;
  };
  const std::string_view f = bare(folder);
  for (const std::string& entry : list) {
    const std::string_view r = bare(entry);
    if (r.size() != f.size()) continue;
    size_t i = 0;
    while (i < f.size() && FoldAscii(f[i]) == FoldAscii(r[i])) ++i;
    if (i == f.size()) return true;
  }
  return false;
}

bool Winapp2MaskMatch(std::wstring_view name, std::wstring_view mask) {
  if (EveryFile(mask)) return true;
  return WildcardMatchFolded(name, mask, FoldAscii<wchar_t>);
}

bool Winapp2MaskMatch(std::string_view name, std::string_view mask) {
  if (EveryFile(mask)) return true;
  return WildcardMatchFolded(name, mask, FoldAscii<char>);
}

bool TakesEveryFile(std::string_view mask) { return EveryFile(mask); }

std::string Winapp2PatternProblem(const std::string& pattern) {
  const PluginPathParts parts = SplitFullPath(pattern);
  if (!parts.names.empty() && HasPluginWildcard(parts.names.front()))
    return "a wildcard among the folders of " + parts.root + " is refused";
  return {};
}

std::string Winapp2FolderProblem(const std::string& folder, const Winapp2FileKey& key,
                                 const Winapp2Refusals& refusals) {
  const bool root = IsDriveRoot(folder);
  const bool whole = root || Listed(folder, refusals.whole) || Listed(folder, refusals.noWalk);
  if (!whole) return {};
  for (const auto& mask : key.masks)
    if (TakesEveryFile(mask)) return folder + " may not be emptied as a whole";
  if (key.removeSelf) return folder + " may not be removed";
  if (key.recurse && (root || Listed(folder, refusals.noWalk)))
    return folder + " may not be walked through (RECURSE)";
  return {};
}

std::string Winapp2RegKeyProblem(const Winapp2RegKey& key) {
  std::string hive, rest;
  if (!SplitWinapp2Key(key.key, hive, rest)) return "names no registry key";
  if (key.hasValue) return {};
  if (!PluginKeyProblem("DELKEY", hive, Folded(rest)).empty())
    return "names a key no entry may delete whole";
  return {};
}

bool IsBrowserDatabaseName(std::string_view name) {
  static constexpr std::string_view kDatabases[] = {"COOKIES.SQLITE", "PLACES.SQLITE", "COOKIES",
                                                     "HISTORY"};
  static constexpr std::string_view kCompanions[] = {"", "-WAL", "-SHM", "-JOURNAL"};
  const std::string n = Folded(name);
  for (auto db : kDatabases)
    for (auto tail : kCompanions)
      if (n.size() == db.size() + tail.size() && n.compare(0, db.size(), db) == 0 &&
          n.compare(db.size(), tail.size(), tail) == 0)
        return true;
  return false;
}

bool MaskReachesBrowserDatabase(std::string_view mask) {
  if (TakesEveryFile(mask)) return false;
  for (std::string_view db : {"cookies.sqlite", "places.sqlite", "Cookies", "History"})
    if (Winapp2MaskMatch(db, mask)) return true;
  return false;
}

bool EntryReachesBrowserDatabase(const Winapp2Entry& entry) {
  for (const auto& key : entry.fileKeys)
    for (const auto& mask : key.masks)
      if (MaskReachesBrowserDatabase(mask)) return true;
  return false;
}

bool Winapp2FileKept(std::string_view folder, std::string_view name,
                     const std::vector<Winapp2Keep>& keeps) {
  for (const auto& k : keeps) {
    if (k.kind == Winapp2Exclude::File) {
      if (Folded(folder) == Folded(k.folder) && MatchesAny(name, k.masks)) return true;
    } else if (k.kind == Winapp2Exclude::Path) {
      if (AtOrBelow(folder, k.folder) && (k.masks.empty() || MatchesAny(name, k.masks)))
        return true;
    }
  }
  return false;
}

bool Winapp2KeyKept(std::string_view key, const std::vector<Winapp2Keep>& keeps) {
  for (const auto& k : keeps)
    if (k.kind == Winapp2Exclude::Reg && !k.hasValue && AtOrBelow(key, k.key)) return true;
  return false;
}

bool Winapp2ValueKept(std::string_view key, std::string_view value,
                      const std::vector<Winapp2Keep>& keeps) {
  for (const auto& k : keeps) {
    if (k.kind != Winapp2Exclude::Reg) continue;
    if (!k.hasValue && AtOrBelow(key, k.key)) return true;
    if (k.hasValue && Folded(key) == Folded(k.key) && Folded(value) == Folded(k.value)) return true;
  }
  return false;
}

bool Winapp2KeepsBelow(std::string_view key, const std::vector<Winapp2Keep>& keeps) {
  for (const auto& k : keeps)
    if (k.kind == Winapp2Exclude::Reg && AtOrBelow(k.key, key) &&
        (k.hasValue || Folded(k.key) != Folded(key)))
      return true;
  return false;
}
