// hostperm.1 as a Firefox 1-2 profile holds it, and every line of it taken as an address for
// the site domain. Checks that write-backs and parses settle, that setting and
// removing a host's permission round-trips, and that a found domain is a tail of the host.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cookies/site_rules.h"
#include "core/text_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  HostpermFile file;
  file.Parse(text);
  // A file of nothing but its header line reads back with that line as a record (the last line
  // is never header), so the text settles after the first write-back.
  HostpermFile once;
  once.Parse(file.Serialize());
  const std::string written = once.Serialize();
  HostpermFile again;
  again.Parse(written);
  if (again.Serialize() != written) abort();
  for (const std::string& line : SplitLines(text)) {
    SiteDomain d = ExtractSiteDomain(line);
    if (d.found && d.domain.empty()) abort();
    if (d.found && d.subDomain != "*" && !EndsWith(d.host, d.domain)) abort();
    OriginHostKey(line);
    if (line.find('\t') != std::string::npos || line.find('\r') != std::string::npos ||
        line.empty() || line.size() > 200)
      continue;
    const std::string key = FirefoxHostKey(line);
    if (key.empty()) continue;
    again.Set(line, 'B');
    if (again.Get(line) != "Block") abort();
    again.Set(line, 'R');
    if (!again.Get(line).empty()) abort();
  }
  return 0;
}
