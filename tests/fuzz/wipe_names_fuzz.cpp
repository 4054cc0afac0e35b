// File names from arbitrary bytes, as a listing of the wipe folder may hold anything: a name is
// the wipe's own exactly when it reads, ignoring case, as the name the wipe makes for its number.
// The progress texts of any numbers are formed without fault as well.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "wipe/wipe_rules.h"

namespace {
std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  bool expected = false;
  if (name.size() == FillFileName(0).size()) {
    const std::string digits = name.substr(6, 8);
    if (digits.find_first_not_of("0123456789") == std::string::npos)
      expected = Upper(name) == Upper(FillFileName(static_cast<uint32_t>(std::stoul(digits))));
  }
  if (IsFillFileName(name) != expected) std::abort();
  uint64_t a = 0, b = 0;
  double seconds = 0;
  std::memcpy(&a, data, size < 8 ? size : 8);
  if (size > 8) std::memcpy(&b, data + 8, size < 16 ? size - 8 : 8);
  if (size > 16) std::memcpy(&seconds, data + 16, size < 24 ? size - 16 : 8);
  if (seconds != seconds) seconds = 0;  // NaN
  if (GroupedNumber(a).empty() || ClockText(seconds).empty()) std::abort();
  if (const auto left = SecondsLeft(a, b, seconds); left && *left < 0) std::abort();
  return 0;
}
