#include "firefox/profile_rules.h"

#include "app/text_util.h"

namespace {
std::vector<long long> VersionParts(const std::string& v) {
  std::vector<long long> parts;
  size_t start = 0;
  for (;;) {
    size_t dot = v.find('.', start);
    long long n = 0;
    if (!TryParseInt(v.substr(start, dot == std::string::npos ? std::string::npos : dot - start),
                     n))
      n = 0;
    parts.push_back(n);
    if (dot == std::string::npos) return parts;
    start = dot + 1;
  }
}
}  // namespace

bool CompareVersions(const std::string& a, const std::string& b) {
  std::vector<long long> x = VersionParts(a), y = VersionParts(b);
  size_t n = std::max(x.size(), y.size());
  x.resize(n, 0);
  y.resize(n, 0);
  for (size_t i = 0; i < n; ++i)
    if (x[i] != y[i]) return x[i] > y[i];
  return false;
}

bool IsProfileSection(const std::string& name) { return LowerCase(name.substr(0, 7)) == "profile"; }

int DefaultProfileIndex(const std::vector<ProfilesIniSection>& sections) {
  int index = -1;
  for (size_t i = 0; i < sections.size(); ++i) {
    if (!IsProfileSection(sections[i].name)) continue;
    if (index == -1 || sections[i].isDefault == "1") index = static_cast<int>(i);
  }
  for (const auto& install : sections) {
    if (LowerCase(install.name.substr(0, 7)) != "install" || install.isDefault.empty()) continue;
    const std::string wanted = LowerCase(ReplaceAll(install.isDefault, "/", "\\"));
    for (size_t i = 0; i < sections.size(); ++i)
      if (IsProfileSection(sections[i].name) &&
          LowerCase(ReplaceAll(sections[i].path, "/", "\\")) == wanted)
        return static_cast<int>(i);
  }
  return index;
}

std::string ProfileFolder(const ProfilesIniSection& s, const std::string& firefoxFolder) {
  std::string folder;
  if (s.isRelative == "0")
    folder = s.path;
  else if (!s.path.empty())
    folder = firefoxFolder + "\\" + s.path;
  return ReplaceAll(folder, "/", "\\");
}

std::string ParseCacheDirPref(const std::vector<std::string>& lines) {
  const std::string key = "\"browser.cache.disk.parent_directory\"";
  for (const auto& line : lines) {
    size_t at = line.find(key);
    if (at == std::string::npos) continue;
    // Past the key and the comma that follows it.
    size_t from = at + 38;
    if (from > line.size()) return {};
    size_t open = line.find('"', from);
    if (open == std::string::npos) return {};
    size_t close = line.find('"', open + 1);
    if (close == std::string::npos) return {};
    return ReplaceAll(line.substr(open + 1, close - open - 1), "\\\\", "\\");
  }
  return {};
}
