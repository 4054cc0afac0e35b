#include "files/shred_names.h"

#include <algorithm>

#include "core/text_util.h"

namespace {
constexpr std::string_view kPrefix = "_Dremmit_", kSuffix = ".zap";
}

std::string ShredTempName(int counter) {
  return std::string(kPrefix) + std::to_string(counter) + std::string(kSuffix);
}

bool IsShredLeftoverName(std::string_view name) {
  if (name.size() <= kPrefix.size() + kSuffix.size() || !StartsWithText(name, kPrefix) ||
      !SameText(name.substr(name.size() - kSuffix.size()), kSuffix))
    return false;
  const std::string_view digits =
      name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}
