#include "ie/cookie_text.h"

#include <vector>

#include "cookies/keep_list.h"

namespace {
// Where each line's text lies: a line ends at LF, CR LF or a lone CR, as a text list reads it.
struct LineSpan {
  size_t begin, length;
};

std::vector<LineSpan> LineSpans(const std::string& text) {
  std::vector<LineSpan> spans;
  size_t begin = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n' && text[i] != '\r') continue;
    spans.push_back({begin, i - begin});
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    begin = i + 1;
  }
  if (begin < text.size()) spans.push_back({begin, text.size() - begin});
  return spans;
}
}  // namespace

std::string RandomizeCookieText(const std::string& text, const std::function<int(int)>& random) {
  std::string out = text;
  const std::vector<LineSpan> spans = LineSpans(text);
  for (size_t i = 1; i + 1 < spans.size(); i += 9) {
    const LineSpan& s = spans[i];
    const std::string value =
        ScrambleCookieValue(std::string_view(text).substr(s.begin, s.length), random);
    out.replace(s.begin, s.length, value);
  }
  return out;
}
