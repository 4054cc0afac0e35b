// Cookie text files of the IE cache from arbitrary bytes. Randomizing keeps the length, every
// line end and every byte that is no letter or digit, moves letters and digits only within
// their own class, and never touches a line the nine-line rule does not name.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ie/cookie_text.h"

namespace {
int ClassOf(unsigned char c) {
  if (c >= 'a' && c <= 'z') return 1;
  if (c >= 'A' && c <= 'Z') return 2;
  if (c >= '0' && c <= '9') return 3;
  return 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  unsigned seed = static_cast<unsigned>(size);
  const std::string out = RandomizeCookieText(text, [&seed](int n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) % static_cast<unsigned>(n));
  });
  if (out.size() != text.size()) abort();
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char a = text[i], b = out[i];
    if (ClassOf(a) != ClassOf(b)) abort();
    if (ClassOf(a) == 0 && a != b) abort();
  }
  // The identity scramble changes nothing.
  if (RandomizeCookieText(text, [](int) { return 0; }) != text) abort();
  return 0;
}
