#include "core/profile_text.h"

#include <optional>

#include "core/text_util.h"

namespace {
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// One line with its break ("\r\n", "\n", or none at the end of the text).
using Lines = std::vector<std::string>;

Lines SplitKeepingBreaks(std::string_view text) {
  Lines lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const size_t take = end == std::string_view::npos ? text.size() : end + 1;
    lines.emplace_back(text.substr(0, take));
    text.remove_prefix(take);
  }
  return lines;
}

std::string_view BreakOf(std::string_view line) {
  if (line.ends_with("\r\n")) return line.substr(line.size() - 2);
  if (line.ends_with('\n')) return line.substr(line.size() - 1);
  return {};
}

// The name of the section a line opens ("[name]", blanks around allowed, up to the last "]");
// nothing when it opens none. The first line of a file may carry the UTF-8 mark.
std::optional<std::string> SectionOpenedBy(std::string_view line, bool first) {
  if (first && line.starts_with(kUtf8Mark)) line.remove_prefix(kUtf8Mark.size());
  const std::string trimmed = Trim(line);
  const size_t close = trimmed.rfind(']');
  if (trimmed.empty() || trimmed[0] != '[' || close == std::string::npos) return std::nullopt;
  return Trim(std::string_view(trimmed).substr(1, close - 1));
}

// The key a line names: the text before its "=", or the whole line without one, blanks off.
std::string KeyOf(std::string_view line) { return Trim(line.substr(0, line.find('='))); }

void SetValue(Lines& lines, const ProfileValue& v) {
  const std::string value(v.value.substr(0, v.value.find_first_of("\r\n")));
  const std::string line = v.key + "=" + value;
  const std::string section = Trim(v.section), key = Trim(v.key);
  size_t at = 0;
  for (; at < lines.size(); ++at) {
    const auto opened = SectionOpenedBy(lines[at], at == 0);
    if (opened && SameText(*opened, section)) break;
  }
  if (at == lines.size()) {
    if (!lines.empty() && BreakOf(lines.back()).empty()) lines.back() += "\r\n";
    lines.push_back("[" + v.section + "]\r\n");
    lines.push_back(line + "\r\n");
    return;
  }
  // Blank lines before the next section stay where they are, after the new key.
  size_t lastFilled = at;
  for (size_t i = at + 1; i < lines.size() && !SectionOpenedBy(lines[i], false); ++i) {
    if (SameText(KeyOf(lines[i]), key)) {
      const std::string lineBreak(BreakOf(lines[i]));
      lines[i] = line + lineBreak;
      return;
    }
    if (!Trim(lines[i]).empty()) lastFilled = i;
  }
  if (BreakOf(lines[lastFilled]).empty()) lines[lastFilled] += "\r\n";
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastFilled) + 1, line + "\r\n");
}
}  // namespace

std::string WithProfileValues(std::string_view text, const std::vector<ProfileValue>& values) {
  Lines lines = SplitKeepingBreaks(text);
  for (const ProfileValue& v : values) SetValue(lines, v);
  std::string out;
  out.reserve(text.size() + values.size() * 32);
  for (const std::string& line : lines) out += line;
  return out;
}

bool HoldsProfileSection(std::string_view text) {
  const Lines lines = SplitKeepingBreaks(text);
  for (size_t i = 0; i < lines.size(); ++i)
    if (SectionOpenedBy(lines[i], i == 0)) return true;
  return false;
}
