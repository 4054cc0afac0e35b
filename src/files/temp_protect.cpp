#include "files/temp_protect.h"

#include <algorithm>

#include "core/text_util.h"

std::string TempProtectPattern(std::string_view entry) {
  if (entry.size() <= 2) return {};
  return LowerCase(entry.substr(2, 255));
}

void TempProtectList::SetLines(std::vector<std::string> lines) {
  entries_ = std::move(lines);
  std::stable_sort(entries_.begin(), entries_.end());
  Compile();
}

void TempProtectList::Clear() {
  entries_.clear();
  compiled_.clear();
}

// Parsed once per change, not once per file of a purge.
void TempProtectList::Compile() {
  compiled_.clear();
  for (const auto& e : entries_) {
    std::string pattern = TempProtectPattern(e);
    if (pattern.empty()) continue;  // an empty pattern matches nothing
    // A hand-written "P=" in the file means what the editor's "p=" means.
    const char code = LowerCase(e.substr(0, 1))[0];
    const bool backslash = pattern.find('\\') != std::string::npos;
    compiled_.push_back({code, std::move(pattern), backslash});
  }
}

TempProtectAdd TempProtectList::Add(std::string_view text) {
  std::string entry = LowerCase(text);
  if (!StartsWith(entry, "p=") && !StartsWith(entry, "i=")) return TempProtectAdd::BadPrefix;
  if (std::find(entries_.begin(), entries_.end(), entry) != entries_.end())
    return TempProtectAdd::AlreadyPresent;
  const std::string pattern = TempProtectPattern(entry);
  std::erase_if(entries_, [&](const std::string& e) { return TempProtectPattern(e) == pattern; });
  entries_.insert(std::upper_bound(entries_.begin(), entries_.end(), entry), entry);
  modified = true;
  Compile();
  return TempProtectAdd::Added;
}

bool TempProtectList::Delete(std::string_view text) {
  auto at = std::find(entries_.begin(), entries_.end(), LowerCase(text));
  if (at == entries_.end()) return false;
  entries_.erase(at);
  modified = true;
  Compile();
  return true;
}

char TempProtectList::Match(std::string_view fullPath, std::string_view bareName,
                            const WildcardMatcher& matches) const {
  if (compiled_.empty()) return ' ';
  const std::string name = LowerCase(bareName), path = LowerCase(fullPath);
  for (const auto& c : compiled_)
    if ((!name.empty() && matches(name, c.pattern)) || (c.hasBackslash && matches(path, c.pattern)))
      return c.code;
  return ' ';
}
