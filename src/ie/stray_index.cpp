#include "ie/stray_index.h"

void AppendUpper(std::string& to, std::string_view text) {
  const size_t at = to.size();
  to.append(text);
  for (size_t i = at; i < to.size(); ++i)
    if (to[i] >= 'a' && to[i] <= 'z') to[i] = static_cast<char>(to[i] - 'a' + 'A');
}

std::string LocalFileKey(std::string_view localFile) {
  std::string key;
  AppendUpper(key, localFile);
  if (!key.empty() && key.back() == '.') key.pop_back();
  return key;
}

void StrayIndex::Add(std::string_view localFile, std::string url) {
  records_.push_back({LocalFileKey(localFile), std::move(url), false});
  first_.emplace(std::string_view(records_.back().key), records_.size() - 1);  // a later twin never wins
}

bool StrayIndex::MarkFound(const std::string& upperPath) {
  auto it = first_.find(upperPath);
  if (it == first_.end()) return false;
  records_[it->second].found = true;
  return true;
}
