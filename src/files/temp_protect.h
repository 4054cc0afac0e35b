#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The temp protect list (quorvane.pit): "p=" entries protect matching files and folders from
// the folder purge, "i=" entries let their deletion fail without raising the error level.
// The pattern is the entry from its third character on (at most 255 characters), in lower
// case, with the wildcards * and ?. Pure logic; the file and the system's wildcard match are
// in temp_protect_list.h.

// Answers whether a lower-case text matches a lower-case wildcard pattern.
using WildcardMatcher = std::function<bool(const std::string& text, const std::string& pattern)>;

enum class TempProtectAdd { Added, AlreadyPresent, BadPrefix };

class TempProtectList {
 public:
  bool modified = false;
  // Set when the list file exists but could not be read: nothing may then be purged on the
  // assumption that nothing is protected.
  bool unreadable = false;

  const std::vector<std::string>& Entries() const { return entries_; }
  int Count() const { return static_cast<int>(entries_.size()); }
  // The lines of the file, kept as they are and sorted.
  void SetLines(std::vector<std::string> lines);
  void Clear();
  // The editor's Add: lower-cased; must begin with "p=" or "i="; an entry with the same
  // pattern is replaced (so "i=x" replaces "p=x").
  TempProtectAdd Add(std::string_view text);
  // The editor's Delete: the lower-cased text must equal an entry.
  bool Delete(std::string_view text);

  // 'p', 'i' (or another entry's first letter) for the first entry, in list order, whose
  // pattern matches the bare name, or (for a pattern with a backslash) the full path, which
  // for a folder ends with a backslash; ' ' when none matches.
  char Match(std::string_view fullPath, std::string_view bareName,
             const WildcardMatcher& matches) const;

 private:
  struct Compiled {
    char code;
    std::string pattern;
    bool hasBackslash;
  };
  void Compile();
  std::vector<std::string> entries_;
  std::vector<Compiled> compiled_;
};

// The pattern of an entry: from the third character, at most 255 characters, lower case.
std::string TempProtectPattern(std::string_view entry);
