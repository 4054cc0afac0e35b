// Module files from arbitrary bytes, read for their machine and export names as the SQLite
// library is chosen. The reader must stay inside the bytes, report only what they hold, and
// answer the same for any longer or shorter copy it can read fully; the choice of a module
// must follow from those facts alone.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "firefox/profile_rules.h"

namespace {
void CheckAt(bool ok, int line) {
  if (ok) return;
  fprintf(stderr, "pe_module_fuzz: check at line %d failed\n", line);
  abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

bool Same(const PeModuleFacts& a, const PeModuleFacts& b) {
  return a.valid == b.valid && a.machine == b.machine && a.exports == b.exports;
}

// The rule written out: an unreadable file is left to the loader, else a 32-bit module
// exporting every entry point called.
bool Usable(const PeModuleFacts& f) {
  if (!f.valid) return true;
  if (f.machine != kMachineI386) return false;
  for (const std::string& name : SqliteEntryPointsCalled())
    if (std::find(f.exports.begin(), f.exports.end(), name) == f.exports.end()) return false;
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string image(reinterpret_cast<const char*>(data), size);
  const PeModuleFacts facts = ReadPeModuleFacts(image);
  if (size < 64 || image[0] != 'M' || image[1] != 'Z') Check(!facts.valid && facts.exports.empty());
  if (facts.valid) {
    Check(std::is_sorted(facts.exports.begin(), facts.exports.end()));
    const size_t pe = static_cast<uint8_t>(image[0x3c]) | static_cast<uint8_t>(image[0x3d]) << 8 |
                      static_cast<uint8_t>(image[0x3e]) << 16 |
                      static_cast<size_t>(static_cast<uint8_t>(image[0x3f])) << 24;
    Check(pe + 6 <= size && image.compare(pe, 4, std::string("PE\0\0", 4)) == 0);
    Check(facts.machine ==
          (static_cast<uint8_t>(image[pe + 4]) | static_cast<unsigned>(static_cast<uint8_t>(image[pe + 5])) << 8));
    // Every name came from the bytes, NUL-terminated there.
    for (size_t i = 0; i < facts.exports.size() && i < 16; ++i)
      Check(image.find(facts.exports[i] + std::string(1, '\0')) != std::string::npos);
    // Bytes after what was read change nothing.
    Check(Same(ReadPeModuleFacts(image + std::string(64, '\xff')), facts));
  }
  // A shorter copy that still reads fully reads the same.
  const PeModuleFacts half = ReadPeModuleFacts(image.substr(0, size / 2));
  if (half.valid) Check(Same(half, facts));

  Check(SqliteModuleUnusable(facts).empty() == Usable(facts));
  if (facts.valid && facts.machine != kMachineI386)
    Check(SqliteModuleUnusable(facts) == "not a 32-bit module");

  // The same exports with every entry point added serve; with one taken out they do not.
  PeModuleFacts full = facts;
  full.valid = true;
  full.machine = kMachineI386;
  for (const std::string& name : SqliteEntryPointsCalled()) full.exports.push_back(name);
  std::sort(full.exports.begin(), full.exports.end());
  Check(SqliteModuleUnusable(full).empty());
  const auto& called = SqliteEntryPointsCalled();
  const std::string& missing = called[size % called.size()];
  PeModuleFacts lacking = full;
  std::erase(lacking.exports, missing);
  Check(SqliteModuleUnusable(lacking) == "does not export " + missing);

  // The first present option that serves is chosen; the presence flags come from the bytes.
  const PeModuleFacts kinds[] = {facts, full, lacking, half};
  std::vector<SqliteModuleOption> options;
  for (size_t i = 0; i < 6 && i < size; ++i)
    options.push_back({"module" + std::to_string(i), (data[i] & 1) != 0, kinds[(data[i] >> 1) % 4]});
  const int chosen = ChooseSqliteModuleOption(options);
  int expected = -1;
  for (size_t i = 0; i < options.size() && expected < 0; ++i)
    if (options[i].present && Usable(options[i].facts)) expected = static_cast<int>(i);
  Check(chosen == expected);
  return 0;
}
