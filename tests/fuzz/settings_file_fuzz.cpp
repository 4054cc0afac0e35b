// A settings file from arbitrary bytes, changed as the program changes it: the values of three
// sections, each from the input's last line (a value is cut at a line break). Checks that the
// changed text opens a section and holds every value, and that setting the same values again
// changes nothing, which is what keeps an unchanged file from being written.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/profile_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const size_t lastBreak = text.rfind('\n', text.size() > 1 ? text.size() - 2 : 0);
  const std::string value = lastBreak == std::string::npos ? text : text.substr(lastBreak + 1);
  const std::vector<ProfileValue> values = {{"PnowOptions", "ClipBoardOption", value},
                                            {"Positions", "FFoxForm", "0 1 2 3 4"},
                                            {"fonts", "Main0Name", value.substr(0, 7)}};
  const std::string changed = WithProfileValues(text, values);
  if (!HoldsProfileSection(changed)) abort();
  for (const ProfileValue& v : values)
    if (changed.find("\n" + v.key + "=" + v.value.substr(0, v.value.find_first_of("\r\n"))) ==
        std::string::npos)
      abort();
  if (WithProfileValues(changed, values) != changed) abort();
  return 0;
}
