// Entries typed into the keep-list editor, from arbitrary bytes. Lines before the first
// blank line are the list file the editor opens with; every later line is an edit: "-" and
// the text deletes it, anything else is added as typed. Checks each answer against the list
// before and after the edit, and that an added entry is what a lookup of its address finds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cookies/keep_list.h"
#include "core/text_util.h"

namespace {
void CheckAt(bool ok, int line) {
  if (ok) return;
  fprintf(stderr, "keep_entry_fuzz: check at line %d failed\n", line);
  abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

std::string AddressOf(const std::string& e) { return e.substr(2, 255); }

void CheckAdd(std::vector<std::string>& entries, const std::string& typed) {
  const std::vector<std::string> before = entries;
  const std::string e = LowerCase(typed);
  const ProtEntryAdd result = AddProtEntry(entries, typed);
  if (!StartsWith(e, "p=") && !StartsWith(e, "r=")) {
    Check(result == ProtEntryAdd::BadPrefix && entries == before);
    return;
  }
  if (std::find(before.begin(), before.end(), e) != before.end()) {
    Check(result == ProtEntryAdd::AlreadyPresent && entries == before);
    return;
  }
  Check(result == ProtEntryAdd::Added);
  Check(std::count(entries.begin(), entries.end(), e) == 1);
  Check(std::is_sorted(entries.begin(), entries.end(), KeepEntryLess));
  // Every other entry for the same address went; everything else stayed, in order.
  std::vector<std::string> kept;
  for (const std::string& x : before)
    if (x.size() < 2 || AddressOf(LowerCase(x)) != AddressOf(e)) kept.push_back(x);
  std::vector<std::string> without = entries;
  without.erase(std::find(without.begin(), without.end(), e));
  Check(without == kept);

  // The list the editor hands back finds the entry under its address.
  KeepList list;
  list.ReplaceEntries(entries);
  const std::string host = e.substr(2);
  if (host.size() > 255 || std::find(entries.begin(), entries.end(), host) != entries.end())
    return;
  const KeepMatch m = list.LookupFirefoxHost(host);
  Check(m.found && m.index >= 0 && m.index < list.Count());
  const std::string& hit = list.Entries()[m.index];
  Check(hit == e);
  Check(m.code == (StartsWith(e, "r=") ? 'R' : 'P'));
}

void CheckDelete(std::vector<std::string>& entries, const std::string& typed) {
  const std::vector<std::string> before = entries;
  const std::string e = LowerCase(typed);
  const auto n = std::count(before.begin(), before.end(), e);
  const bool deleted = DeleteProtEntry(entries, typed);
  Check(deleted == (n > 0));
  Check(std::count(entries.begin(), entries.end(), e) == (n > 0 ? n - 1 : 0));
  Check(entries.size() == before.size() - (deleted ? 1 : 0));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = SplitLines(text);
  const auto blank = std::find(lines.begin(), lines.end(), std::string());
  KeepList file;
  file.TakeFileLines(std::vector<std::string>(lines.begin(), blank));
  std::vector<std::string> entries = file.Entries();
  // A few dozen edits reach every rule; more would only slow each run down.
  int edits = 0;
  for (auto it = blank == lines.end() ? blank : blank + 1; it != lines.end() && edits++ < 40;
       ++it) {
    if (StartsWith(*it, "-"))
      CheckDelete(entries, it->substr(1));
    else
      CheckAdd(entries, *it);
  }
  return 0;
}
