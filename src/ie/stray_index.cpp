#include "ie/stray_index.h"

#include "app/text_util.h"

std::string LocalFileKey(std::string_view localFile) {
  std::string key = UpperCase(localFile);
  if (!key.empty() && key.back() == '.') key.pop_back();
  return key;
}

void StrayIndex::Add(std::string_view localFile, std::string url) {
  records_.push_back({LocalFileKey(localFile), std::move(url), false});
  first_.emplace(records_.back().key, records_.size() - 1);  // a later twin never wins
}

bool StrayIndex::MarkFound(const std::string& upperPath) {
  auto it = first_.find(upperPath);
  if (it == first_.end()) return false;
  records_[it->second].found = true;
  return true;
}
