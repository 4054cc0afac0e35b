#pragma once
#include <string>
#include <utility>
#include <vector>

// A Windows private-profile (.ini) file, read through the system's own calls and replaced whole;
// nothing stays open between calls.
class ProfileFile {
 public:
  explicit ProfileFile(std::string path) : path_(std::move(path)) {}
  const std::string& Path() const { return path_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& fallback = {}) const;
  // Leading decimal digits of the value, as GetPrivateProfileInt reads them.
  int ReadInt(const std::string& section, const std::string& key, int fallback) const;
  bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;
  bool HasKey(const std::string& section, const std::string& key) const;
  // The file becomes `text` whole or stays as it was (see WriteWholeFile). The system's calls
  // write a key by truncating the file and writing it again, which a process ended in between
  // leaves empty.
  bool ReplaceText(const std::string& text) const;
  // Section names in file order.
  std::vector<std::string> SectionNames() const;
  // The lines of a section as the system returns them, split at their first "=" (a line
  // without one has an empty value): one read where reading key by key costs a file access
  // each.
  std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& section) const;

 private:
  std::string path_;
};
