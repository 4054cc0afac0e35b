// Index entry fields (local file names) from arbitrary bytes: each line is one entry's local
// file name. The hash index must answer as a scan of the records from the first would: the
// first record with the key is marked, later twins never.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/text_util.h"
#include "ie/stray_index.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> names = SplitLines(text);
  StrayIndex index;
  for (size_t i = 0; i < names.size(); ++i) index.Add(names[i], std::to_string(i));
  if (index.Size() != names.size()) abort();
  // Look every name up once (upper-cased, as the folder scan does), in reverse order.
  std::vector<bool> expected(names.size(), false);
  for (size_t k = names.size(); k-- > 0;) {
    const std::string path = UpperCase(names[k]);
    size_t first = names.size();
    for (size_t i = 0; i < names.size(); ++i)
      if (index.Records()[i].key == path) {
        first = i;
        break;
      }
    if (index.MarkFound(path) != (first < names.size())) abort();
    if (first < names.size()) expected[first] = true;
  }
  for (size_t i = 0; i < names.size(); ++i) {
    if (index.Records()[i].found != expected[i]) abort();
    const std::string& key = index.Records()[i].key;
    if (key != LocalFileKey(names[i]) || key.size() + 1 < names[i].size()) abort();
  }
  return 0;
}
