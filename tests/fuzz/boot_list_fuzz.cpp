// "VaskBoot.dat" from arbitrary bytes, as VaskIndx reads it: at most ten folders, each a full
// local path that cannot climb out of itself, none twice; and a list written from them reads
// back as the same folders.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "core/text_util.h"
#include "ie/boot_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> folders = BootListFolders(text);
  if (folders.size() > 10) abort();
  std::set<std::string> seen;
  BootFolders again{};
  for (size_t i = 0; i < folders.size(); ++i) {
    const std::string& f = folders[i];
    if (f.size() < 4 || f[1] != ':' || f[2] != '\\') abort();
    if (f.find("\\..\\") != std::string::npos || EndsWith(f, "\\..")) abort();
    if (f.find('\n') != std::string::npos || f.find('\r') != std::string::npos) abort();
    if (!seen.insert(UpperCase(f)).second) abort();
    again[i] = f;
  }
  if (BootListFolders(BootListText("Quorvane", again)) != folders) abort();
  return 0;
}
