// Keep-list files and lookups from arbitrary bytes. The input is a keep-list file; its last
// line doubles as the address looked up. Every indexed answer is checked against a plain
// scan of the sorted list, entry by entry, as the matching rules are written.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cookies/keep_list.h"
#include "core/text_util.h"

namespace {
KeepMatch ScanExact(const KeepList& list, const std::string& host) {
  const std::string l = LowerCase(host);
  for (int i = 0; i < list.Count(); ++i) {
    const std::string& e = list.Entries()[i];
    char code = 'P';
    std::string rest = e;
    if (StartsWith(e, "p=")) {
      rest = e.substr(2);
    } else if (StartsWith(e, "r=")) {
      rest = e.substr(2);
      code = 'R';
    }
    if (rest == l) return {true, i, code};
  }
  return {};
}

// The host's own entry; for ".site" with none, the entry of "site" (never of ".site" for
// "..site").
KeepMatch ScanFirefox(const KeepList& list, const std::string& host) {
  const KeepMatch own = ScanExact(list, host);
  if (own.found || host.size() < 2 || host[0] != '.' || host[1] == '.') return own;
  return ScanExact(list, host.substr(1));
}

bool Contains(const std::string& host, const std::string& e) {
  const std::string pattern = e.substr(3);
  return !pattern.empty() && host.find(pattern) != std::string::npos;
}

KeepMatch ScanIe(const KeepList& list, const std::string& address, int mode) {
  const std::string ul = LowerCase(address), host = ExtractCookieHost(ul);
  for (int i = 0; i < list.Count(); ++i) {
    const std::string& e = list.Entries()[i];
    if (StartsWith(e, "a=*") && Contains(host, e)) return {true, i, 'P'};
    if (mode == 1) {
      if (StartsWith(e, "p=*")) {
        if (Contains(host, e)) return {true, i, 'P'};
      } else if (StartsWith(e, "p=")) {
        if (e.substr(2) == ul) return {true, i, 'P'};
      } else if (StartsWith(e, "r=*")) {
        if (Contains(host, e)) return {true, i, 'R'};
      } else if (StartsWith(e, "r=")) {
        if (e.substr(2) == ul) return {true, i, 'R'};
      }
    } else if (mode == 2 || mode == 3) {
      if (StartsWith(e, "p=") && e.substr(2) == ul) return {true, i, 'P'};
    }
  }
  return {};
}

void Same(const KeepMatch& indexed, const KeepMatch& scanned) {
  if (indexed.found != scanned.found) abort();
  if (indexed.found && (indexed.index != scanned.index || indexed.code != scanned.code)) abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines = SplitLines(text);
  const std::string address = lines.empty() ? std::string() : lines.back();
  KeepList list;
  list.TakeFileLines(lines);
  for (int i = 1; i < list.Count(); ++i)
    if (KeepEntryLess(list.Entries()[i], list.Entries()[i - 1])) abort();
  Same(list.LookupFirefoxHost(address), ScanFirefox(list, address));
  Same(list.FindFirefoxEntry(address), ScanExact(list, address));
  Same(list.LookupFirefoxHost("." + address), ScanFirefox(list, "." + address));
  for (int mode = 0; mode <= 4; ++mode)
    Same(list.LookupIeAddress(address, mode), ScanIe(list, address, mode));
  // Every entry's own pattern, looked up as an address, agrees as well.
  for (const auto& e : list.Entries()) {
    const std::string tail = e.size() > 2 ? e.substr(2) : e;
    Same(list.LookupFirefoxHost(tail), ScanFirefox(list, tail));
    Same(list.LookupIeAddress(tail, 1), ScanIe(list, tail, 1));
    Same(list.LookupIeAddress("x@" + tail, 2), ScanIe(list, "x@" + tail, 2));
  }
  // Normalising twice changes nothing the second time.
  std::vector<std::string> again = list.Entries();
  if (NormalizeKeepList(again) || again != list.Entries()) abort();
  const std::string scrambled = ScrambleCookieValue(address, [](int n) { return n - 1; });
  if (scrambled.size() != address.size()) abort();
  return 0;
}
