#include "firefox/profile_rules.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "core/text_util.h"

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

namespace {
uint32_t Read16(const std::string& b, size_t at) {
  if (at + 2 > b.size()) throw std::out_of_range("pe");
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
}
uint32_t Read32(const std::string& b, size_t at) {
  if (at + 4 > b.size() || at + 4 < at) throw std::out_of_range("pe");
  return Read16(b, at) | Read16(b, at + 2) << 16;
}

struct Section {
  uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

size_t RvaToOffset(const std::vector<Section>& sections, uint32_t rva) {
  for (const Section& s : sections) {
    const uint32_t size = std::max(s.virtualSize, s.rawSize);
    if (rva >= s.virtualAddress && rva - s.virtualAddress < size) {
      if (rva - s.virtualAddress >= s.rawSize) break;  // in memory only, not in the file
      return static_cast<size_t>(s.rawOffset) + (rva - s.virtualAddress);
    }
  }
  throw std::out_of_range("pe");
}
}  // namespace

PeModuleFacts ReadPeModuleFacts(const std::string& image) {
  PeModuleFacts facts;
  try {
    if (image.size() < 64 || image[0] != 'M' || image[1] != 'Z') return facts;
    const size_t pe = Read32(image, 0x3c);
    if (Read32(image, pe) != 0x00004550) return facts;  // "PE\0\0"
    const size_t coff = pe + 4;
    facts.machine = Read16(image, coff);
    const uint32_t sectionCount = Read16(image, coff + 2);
    const uint32_t optionalSize = Read16(image, coff + 16);
    const size_t optional = coff + 20;
    const uint32_t magic = Read16(image, optional);
    size_t directories;
    if (magic == 0x10b)
      directories = optional + 96;
    else if (magic == 0x20b)
      directories = optional + 112;
    else
      return facts;
    const uint32_t directoryCount = Read32(image, directories - 4);
    std::vector<Section> sections;
    for (uint32_t i = 0; i < sectionCount; ++i) {
      const size_t at = optional + optionalSize + 40 * static_cast<size_t>(i);
      sections.push_back({Read32(image, at + 12), Read32(image, at + 8), Read32(image, at + 16),
                          Read32(image, at + 20)});
    }
    if (directoryCount > 0 && Read32(image, directories + 4) != 0) {
      const size_t exports = RvaToOffset(sections, Read32(image, directories));
      const uint32_t nameCount = Read32(image, exports + 24);
      const size_t names = RvaToOffset(sections, Read32(image, exports + 32));
      if (nameCount > image.size() / 4) return facts;
      for (uint32_t i = 0; i < nameCount; ++i) {
        const size_t name =
            RvaToOffset(sections, Read32(image, names + 4 * static_cast<size_t>(i)));
        const size_t end = image.find('\0', name);
        if (end == std::string::npos) return facts;
        facts.exports.push_back(image.substr(name, end - name));
      }
    }
    std::sort(facts.exports.begin(), facts.exports.end());
    facts.valid = true;
  } catch (const std::out_of_range&) {
    facts.valid = false;
  }
  return facts;
}

const std::vector<std::string>& SqliteEntryPointsCalled() {
  static const std::vector<std::string> names{"sqlite3_close",           "sqlite3_column_blob",
                                              "sqlite3_column_bytes",    "sqlite3_column_count",
                                              "sqlite3_column_decltype", "sqlite3_column_double",
                                              "sqlite3_column_int64",    "sqlite3_column_name",
                                              "sqlite3_column_text",     "sqlite3_column_type",
                                              "sqlite3_errcode",         "sqlite3_errmsg",
                                              "sqlite3_finalize",        "sqlite3_open",
                                              "sqlite3_prepare",         "sqlite3_step"};
  return names;
}

std::string SqliteModuleUnusable(const PeModuleFacts& facts) {
  if (!facts.valid) return {};
  if (facts.machine != kMachineI386) return "not a 32-bit module";
  for (const std::string& name : SqliteEntryPointsCalled())
    if (!std::binary_search(facts.exports.begin(), facts.exports.end(), name))
      return "does not export " + name;
  return {};
}

int ChooseSqliteModuleOption(const std::vector<SqliteModuleOption>& options) {
  for (size_t i = 0; i < options.size(); ++i)
    if (options[i].present && SqliteModuleUnusable(options[i].facts).empty())
      return static_cast<int>(i);
  return -1;
}
