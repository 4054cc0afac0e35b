// profiles.ini and Prefs.js from arbitrary bytes. The input is split into sections the way
// GetPrivateProfileString reads an ini file, and the default profile chosen from them is
// checked against the rules it must keep; the same lines are read as Prefs.js and as version
// texts, whose comparison must be a strict order.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/text_util.h"
#include "firefox/profile_rules.h"

namespace {
void CheckAt(bool ok, int line) {
  if (ok) return;
  fprintf(stderr, "profile_rules_fuzz: check at line %d failed\n", line);
  abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

struct IniSection {
  std::string name;
  std::vector<std::pair<std::string, std::string>> keys;
};

// "[name]" opens a section (the name up to ']', blanks trimmed); "key=value" belongs to the
// open one, both sides trimmed. Lines before the first section and lines without '=' are
// ignored, as the profile API does.
std::vector<IniSection> SplitIni(const std::vector<std::string>& lines) {
  std::vector<IniSection> sections;
  for (const std::string& raw : lines) {
    const std::string line = Trim(raw);
    if (!line.empty() && line[0] == '[') {
      const size_t close = line.find(']');
      sections.push_back({Trim(line.substr(1, close == std::string::npos ? std::string::npos
                                                                        : close - 1)),
                          {}});
      continue;
    }
    const size_t eq = line.find('=');
    if (sections.empty() || eq == std::string::npos) continue;
    sections.back().keys.push_back({Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))});
  }
  return sections;
}

// A key of the first section of that name (both compared ignoring case), first occurrence.
std::string ReadString(const std::vector<IniSection>& ini, const std::string& section,
                       const std::string& key, const std::string& fallback = {}) {
  for (const IniSection& s : ini) {
    if (!SameText(s.name, section)) continue;
    for (const auto& [k, v] : s.keys)
      if (SameText(k, key)) return v;
    return fallback;
  }
  return fallback;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = SplitLines(text);
  const std::vector<IniSection> ini = SplitIni(lines);
  std::vector<ProfilesIniSection> sections;
  for (const IniSection& s : ini)
    sections.push_back({s.name, ReadString(ini, s.name, "Path"),
                        ReadString(ini, s.name, "IsRelative"),
                        ReadString(ini, s.name, "Default", "0")});

  bool anyProfile = false;
  int lastDefault = -1, firstProfile = -1;
  for (size_t i = 0; i < sections.size(); ++i) {
    const bool profile = IsProfileSection(sections[i].name);
    Check(profile == (sections[i].name.size() >= 7 &&
                      SameText(sections[i].name.substr(0, 7), "profile")));
    if (!profile) continue;
    anyProfile = true;
    if (firstProfile < 0) firstProfile = static_cast<int>(i);
    if (sections[i].isDefault == "1") lastDefault = static_cast<int>(i);
  }
  const int index = DefaultProfileIndex(sections);
  Check(index >= -1 && index < static_cast<int>(sections.size()));
  Check((index == -1) == !anyProfile);
  if (index >= 0) {
    Check(IsProfileSection(sections[index].name));
    // Either the profile an installation names, or the Default=1 / first rule.
    const int fallback = lastDefault >= 0 ? lastDefault : firstProfile;
    if (index != fallback) {
      bool named = false;
      const std::string path = LowerCase(ReplaceAll(sections[index].path, "/", "\\"));
      for (const auto& s : sections)
        named = named || (StartsWithText(s.name, "install") && !s.isDefault.empty() &&
                          LowerCase(ReplaceAll(s.isDefault, "/", "\\")) == path);
      Check(named);
    }
  }

  const std::string firefox = "C:\\Users\\Fuzz\\AppData\\Roaming\\Mozilla\\Firefox";
  for (const auto& s : sections) {
    const std::string folder = ProfileFolder(s, firefox);
    Check(folder.find('/') == std::string::npos);
    Check(folder.empty() == s.path.empty());
    const std::string path = ReplaceAll(s.path, "/", "\\");
    if (s.isRelative == "0")
      Check(folder == path);
    else if (!s.path.empty())
      Check(folder == firefox + "\\" + path);
  }

  // Prefs.js: whatever comes back sat between quotes; a value written the way Firefox writes
  // it (backslashes doubled) reads back as it was.
  const std::string found = ParseCacheDirPref(lines);
  Check(found.find('"') == std::string::npos && found.size() <= size);
  for (const std::string& line : lines) {
    if (line.find('"') != std::string::npos) continue;
    std::vector<std::string> prefs{"user_pref(\"browser.cache.disk.parent_directory\", \"" +
                                   ReplaceAll(line, "\\", "\\\\") + "\");"};
    prefs.insert(prefs.end(), lines.begin(), lines.end());
    Check(ParseCacheDirPref(prefs) == line);
    break;
  }

  // Versions: a strict order (irreflexive, antisymmetric, transitive) over the first lines.
  const size_t n = lines.size() < 8 ? lines.size() : 8;
  for (size_t i = 0; i < n; ++i) {
    Check(!CompareVersions(lines[i], lines[i]));
    for (size_t j = 0; j < n; ++j) {
      const bool ij = CompareVersions(lines[i], lines[j]);
      Check(!(ij && CompareVersions(lines[j], lines[i])));
      for (size_t k = 0; ij && k < n; ++k)
        if (CompareVersions(lines[j], lines[k])) Check(CompareVersions(lines[i], lines[k]));
    }
  }
  return 0;
}
