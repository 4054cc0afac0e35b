#pragma once
#include <string>
#include <string_view>
#include <deque>
#include <unordered_map>

// The index list of one "I.E. Strays" kind: a record per index entry, in enumeration order,
// looked up by local file key while the container folder is scanned. A hash index by key
// answers what a scan of the list from its start would: the first record with that key.

// An entry's local file name as the folder scan compares it: upper-cased, one trailing "."
// removed.
std::string LocalFileKey(std::string_view localFile);
// Appends the text upper-cased as UpperCase does in the "C" locale the program runs in (a to z
// only), without a library call per character: the scan of a large cache does this for every
// file and every index entry.
void AppendUpper(std::string& to, std::string_view text);

struct StrayRecord {
  std::string key;
  std::string url;
  bool found = false;
};

class StrayIndex {
 public:
  StrayIndex() = default;
  StrayIndex(StrayIndex&&) = default;  // the records stay where they are
  StrayIndex& operator=(StrayIndex&&) = default;
  StrayIndex(const StrayIndex&) = delete;  // a copy's index would look at the original's keys
  void Add(std::string_view localFile, std::string url);
  // Marks the first record whose key is the upper-cased path found; false when none has it.
  bool MarkFound(const std::string& upperPath);
  const std::deque<StrayRecord>& Records() const { return records_; }
  size_t Size() const { return records_.size(); }

 private:
  // A deque keeps every record where it is, so the hash index can look at the records' own
  // keys instead of holding a second copy of each.
  std::deque<StrayRecord> records_;
  std::unordered_map<std::string_view, size_t> first_;
};
