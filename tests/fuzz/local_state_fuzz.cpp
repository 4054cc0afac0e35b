// The JSON files of a Chromium-family browser: "Local State" for its profiles, and the
// Bookmarks file whose pages keep their icons.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "chromium/chromium_sql.h"
#include "chromium/local_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> profiles;
  if (ReadLocalStateProfiles(text, profiles))
    for (const auto& name : profiles)
      if (!SafeProfileName(name)) __builtin_trap();
  std::vector<std::string> urls;
  if (!ReadBookmarkUrls(text, urls) && !urls.empty()) __builtin_trap();
  return 0;
}
