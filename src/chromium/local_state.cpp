#include "chromium/local_state.h"

#include <algorithm>
#include <nlohmann/json.hpp>

bool SafeProfileName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.size() > 200) return false;
  return name.find_first_of("\\/:*?\"<>|") == std::string::npos &&
         std::none_of(name.begin(), name.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 32; });
}

bool ReadLocalStateProfiles(const std::string& text, std::vector<std::string>& profiles) {
  profiles.clear();
  // Parsing without exceptions: a damaged file is an answer, not a failure.
  const nlohmann::json root = nlohmann::json::parse(text, nullptr, false);
  if (root.is_discarded() || !root.is_object()) return false;
  const auto profile = root.find("profile");
  if (profile == root.end() || !profile->is_object()) return false;
  const auto cache = profile->find("info_cache");
  if (cache == profile->end() || !cache->is_object()) return false;
  for (const auto& [name, info] : cache->items())
    if (SafeProfileName(name)) profiles.push_back(name);
  std::sort(profiles.begin(), profiles.end());
  return true;
}
