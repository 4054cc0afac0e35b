#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The index list of one "I.E. Strays" kind: a record per index entry, in enumeration order,
// looked up by local file key while the container folder is scanned. A hash index by key
// answers what a scan of the list from its start would: the first record with that key.

// An entry's local file name as the folder scan compares it: upper-cased, one trailing "."
// removed.
std::string LocalFileKey(std::string_view localFile);

struct StrayRecord {
  std::string key;
  std::string url;
  bool found = false;
};

class StrayIndex {
 public:
  void Add(std::string_view localFile, std::string url);
  // Marks the first record whose key is the upper-cased path found; false when none has it.
  bool MarkFound(const std::string& upperPath);
  const std::vector<StrayRecord>& Records() const { return records_; }
  size_t Size() const { return records_.size(); }

 private:
  std::vector<StrayRecord> records_;
  std::unordered_map<std::string, size_t> first_;
};
