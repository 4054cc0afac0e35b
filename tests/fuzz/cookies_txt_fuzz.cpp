// Cookies.txt as a legacy profile holds it: split into header and cookies, every field read and
// replaced, sorted and written back. Checks that no line is lost or invented on the way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/text_util.h"
#include "firefox/cookie_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines = SplitLines(text);
  const size_t count = lines.size();
  std::vector<std::string> header;
  std::vector<CookieLine> cookies;
  SplitCookiesTxt(lines, header, cookies);
  if (header.size() + cookies.size() != count) abort();
  for (CookieLine& c : cookies) {
    CookieLineHost(c.text);
    for (int f = kCookieHost; f <= kCookieValue; ++f) {
      const std::string field = CookieLineField(c.text, f);
      const std::string same = ReplaceCookieLineField(c.text, f, field);
      if (same != c.text) abort();
    }
  }
  SortCookieLines(cookies);
  if (cookies.size() + header.size() != count) abort();
  JoinCookiesTxt(header, cookies);
  return 0;
}
