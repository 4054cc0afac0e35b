// File names from arbitrary bytes, as a folder a purge walks may hold anything: a name is taken
// for a shred's leftover exactly when it reads, ignoring case, as the name a shred gives.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/text_util.h"
#include "files/shred_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  const std::string digits = name.size() > 13 ? name.substr(9, name.size() - 13) : std::string();
  const bool expected = !digits.empty() &&
                        digits.find_first_not_of("0123456789") == std::string::npos &&
                        SameText(name, "_Dremmit_" + digits + ".zap");
  if (IsShredLeftoverName(name) != expected) abort();
  if (!IsShredLeftoverName(ShredTempName(static_cast<int>(size)))) abort();
  return 0;
}
