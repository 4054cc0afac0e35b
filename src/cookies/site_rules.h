#pragma once
#include <string>
#include <string_view>
#include <vector>

// Pure rules of the browsers' own per-site cookie settings: the site domain of an address (the
// key of Internet Explorer's per-site decisions), the permission values Firefox stores, and the
// text file hostperm.1 of Firefox 1 and 2.

struct SiteDomain {
  bool found = false;
  std::string host, domain, subDomain;
};
// The site of a URL or cookie address (Cookie:user@host/path): the host, its registrable
// domain as the browser keys it (example.com, example.co.uk, an IP address whole) and what
// stands before the domain.
SiteDomain ExtractSiteDomain(std::string_view address);

// Firefox's host key: lower-cased, one leading dot removed.
std::string FirefoxHostKey(std::string_view host);
// What the permission column shows for a cookie permission value: "Allow" (1), "Block" (2),
// "Session" (8), else empty.
std::string FirefoxPermissionText(std::string_view value);
// The stored value of an action letter: 'A' "1", 'B' "2", 'S' "8"; empty for any other.
std::string FirefoxPermissionValue(char action);
// The host of a permission origin of current Firefox ("https://host:port^attributes"), as a
// host key; empty when the origin is not http or https.
std::string OriginHostKey(std::string_view origin);

// hostperm.1: a header of comment and empty lines written back unchanged, then one record per
// line of up to four TAB-separated fields: kind ("host"), type ("cookie"), value, host.
struct HostpermRecord {
  int count = 0;
  std::string fields[4];
};
class HostpermFile {
 public:
  // Lines are lower-cased on reading. The header is the leading run of empty and "#" lines,
  // never including the last line.
  void Parse(const std::string& text);
  // Header (or "# Permission File" when there was none), then the records; LF line ends.
  std::string Serialize() const;
  // "Allow", "Block", "Session", "unknown" for any other value, empty when the host has no
  // cookie record.
  std::string Get(std::string_view host) const;
  // 'A', 'B', 'S' set or append the host's cookie record, 'R' removes its cookie records; true
  // when done.
  bool Set(std::string_view host, char action);
  bool changed = false;
  const std::vector<HostpermRecord>& Records() const { return records_; }

 private:
  int Find(const std::string& key) const;
  std::vector<std::string> header_;
  std::vector<HostpermRecord> records_;
};
