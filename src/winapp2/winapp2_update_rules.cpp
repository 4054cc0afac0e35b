#include "winapp2/winapp2_update_rules.h"

#include <unordered_set>

#include "core/text_util.h"

namespace {
std::vector<std::string> NamesMissingFrom(const Winapp2Database& from, const Winapp2Database& in) {
  std::unordered_set<std::string> present;
  present.reserve(in.entries.size());
  for (const Winapp2Entry& e : in.entries) present.insert(e.name);
  std::vector<std::string> missing;
  for (const Winapp2Entry& e : from.entries)
    if (!present.count(e.name)) missing.push_back(e.name);
  return missing;
}

std::string Entries(size_t n) { return std::to_string(n) + (n == 1 ? " entry" : " entries"); }
}  // namespace

Winapp2Changes CompareWinapp2(const Winapp2Database& before, const Winapp2Database& after) {
  return {NamesMissingFrom(after, before), NamesMissingFrom(before, after)};
}

std::string Winapp2DownloadProblem(std::string_view bytes, const Winapp2Database& parsed) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  const size_t first = bytes.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return "the address gave an empty file";
  // A proxy's or a portal's answer, a moved page: HTML, never a database.
  if (bytes[first] == '<') return "the address gave a web page, not a Winapp2.ini file";
  if (parsed.entries.empty()) return "the file holds no cleaning entry";
  // A file of other text with a few "[...]" lines would yield entries; today's database has
  // hardly a line the reader refuses.
  if (parsed.problems.size() > parsed.entries.size())
    return "most of the file cannot be read (" + std::to_string(parsed.problems.size()) +
           " lines refused for " + Entries(parsed.entries.size()) + ")";
  return {};
}

bool IsWinapp2UpdateAddress(std::string_view address) {
  const std::string a = Trim(address);
  return (StartsWithText(a, "http://") && a.size() > 7) ||
         (StartsWithText(a, "https://") && a.size() > 8);
}

std::string Winapp2ChangeText(const Winapp2Database& before, bool hadFile,
                              const Winapp2Database& after, const Winapp2Changes& changes) {
  const std::string version = after.version.empty() ? "" : " (version " + after.version + ")";
  if (!hadFile) return "Winapp2.ini downloaded" + version + ": " + Entries(after.entries.size()) + ".";
  std::string text = "Winapp2.ini updated" + version + ": " + Entries(after.entries.size()) +
                     ", " + std::to_string(before.entries.size()) + " before";
  if (changes.added.empty() && changes.removed.empty()) return text + "; no entry added or removed.";
  return text + "; " + std::to_string(changes.added.size()) + " added, " +
         std::to_string(changes.removed.size()) + " removed.";
}
