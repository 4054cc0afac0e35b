#include "platform/profile_file.h"

#include <windows.h>

#include "platform/files.h"

namespace {
// Returned for a missing key, so that an existing empty value can be told apart.
constexpr const char* kAbsent =
    "\x01\x02"
    "absent"
    "\x02\x01";

// The strings of a list the system writes one after the other, each closed by a null and the
// list by another; `fill` writes it into a buffer of the given size and returns what it wrote.
// A list that fills the buffer may have been cut: the read is repeated with a larger one.
template <typename Fill>
std::vector<std::string> NullSeparatedList(Fill fill) {
  std::vector<char> buf(8192);
  for (;;) {
    const DWORD n = fill(buf.data(), static_cast<DWORD>(buf.size()));
    if (n + 2 < buf.size()) {
      std::vector<std::string> items;
      for (const char* p = buf.data(); *p; p += strlen(p) + 1) items.emplace_back(p);
      return items;
    }
    buf.resize(buf.size() * 4);
  }
}
}  // namespace

std::string ProfileFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& fallback) const {
  std::string buf(4096, '\0');
  for (;;) {
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buf.data(),
                                       static_cast<DWORD>(buf.size()), path_.c_str());
    if (n + 1 < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.resize(buf.size() * 4);
  }
}

int ProfileFile::ReadInt(const std::string& section, const std::string& key, int fallback) const {
  return static_cast<int>(
      GetPrivateProfileIntA(section.c_str(), key.c_str(), fallback, path_.c_str()));
}

bool ProfileFile::ReadBool(const std::string& section, const std::string& key,
                           bool fallback) const {
  return ReadInt(section, key, fallback ? 1 : 0) != 0;
}

bool ProfileFile::HasKey(const std::string& section, const std::string& key) const {
  return ReadString(section, key, kAbsent) != kAbsent;
}

bool ProfileFile::ReplaceText(const std::string& text) const {
  const bool replaced = WriteWholeFile(path_, text);
  // The system may keep the file parsed between calls and trust it while the file's time of
  // last write is the same (Wine does; two writes within one tick of the file system's clock
  // share it): the documented flush, all three names null, lets the next read see the new file.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str());
  return replaced;
}

std::vector<std::string> ProfileFile::SectionNames() const {
  return NullSeparatedList([&](char* buf, DWORD size) {
    return GetPrivateProfileSectionNamesA(buf, size, path_.c_str());
  });
}

std::vector<std::pair<std::string, std::string>> ProfileFile::ReadSection(
    const std::string& section) const {
  std::vector<std::pair<std::string, std::string>> lines;
  for (const std::string& line : NullSeparatedList([&](char*buf, DWORD size) {
         return GetPrivateProfileSectionA(section.c_str(), buf, size, path_.c_str());
       })) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos)
      lines.emplace_back(line, "");
    else
      lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
  }
  return lines;
}
