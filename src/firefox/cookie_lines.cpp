#include "firefox/cookie_lines.h"

#include <algorithm>

#include "core/text_util.h"

namespace {
// Start and end of a field, or npos when the line has fewer fields.
std::pair<size_t, size_t> FieldBounds(std::string_view line, int field) {
  size_t start = 0;
  for (int i = 0; i < field; ++i) {
    size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) return {std::string_view::npos, std::string_view::npos};
    start = tab + 1;
  }
  size_t end = line.find('\t', start);
  return {start, end == std::string_view::npos ? line.size() : end};
}
}  // namespace

std::string MakeCookieLine(const std::string& host, bool httpOnly, const std::string& path,
                           bool secure, const std::string& expiry, const std::string& name,
                           const std::string& value) {
  return host + '\t' + (httpOnly ? "TRUE" : "FALSE") + '\t' + path + '\t' +
         (secure ? "TRUE" : "FALSE") + '\t' + expiry + '\t' + name + '\t' + value;
}

std::string CookieLineField(std::string_view line, int field) {
  auto [start, end] = FieldBounds(line, field);
  if (start == std::string_view::npos) return {};
  return std::string(line.substr(start, end - start));
}

std::string ReplaceCookieLineField(std::string_view line, int field, std::string_view value) {
  auto [start, end] = FieldBounds(line, field);
  if (start == std::string_view::npos) return std::string(line);
  return std::string(line.substr(0, start)) + std::string(value) + std::string(line.substr(end));
}

std::string CookieLineHost(std::string_view line) {
  size_t end = line.find_first_of("\t\r\n");
  return LowerCase(line.substr(0, end));
}

void SortCookieLines(std::vector<CookieLine>& lines) {
  // Upper-cased once, not in every comparison: a profile can hold tens of thousands of cookies.
  std::vector<std::pair<std::string, size_t>> keys;
  keys.reserve(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) keys.emplace_back(UpperCase(lines[i].text), i);
  std::stable_sort(keys.begin(), keys.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<CookieLine> sorted;
  sorted.reserve(lines.size());
  for (const auto& k : keys) sorted.push_back(std::move(lines[k.second]));
  lines = std::move(sorted);
}

void SplitCookiesTxt(std::vector<std::string> fileLines, std::vector<std::string>& header,
                     std::vector<CookieLine>& cookies) {
  size_t first = 0;
  while (fileLines.size() - first >= 2 && (fileLines[first].empty() || fileLines[first][0] == '#'))
    header.push_back(std::move(fileLines[first++]));
  for (size_t i = first; i < fileLines.size(); ++i) cookies.push_back({std::move(fileLines[i])});
}

std::string JoinCookiesTxt(const std::vector<std::string>& header,
                           const std::vector<CookieLine>& cookies) {
  std::string out;
  for (const auto& h : header) out += h + '\n';
  for (const auto& c : cookies) out += c.text + '\n';
  return out;
}

std::vector<std::string> CookieSummaryLines(bool preview, long long randomizedHosts,
                                            long long processedHosts) {
  std::vector<std::string> out;
  const std::string completed = "  Purge \"FireFox Cookies\" Function Completed.";
  if (randomizedHosts > 0) {
    const std::string n = std::to_string(randomizedHosts);
    const char* noun = randomizedHosts == 1 ? " Cookie" : " Cookies";
    out.push_back("    " + n + noun + (preview ? " to Randomize." : " Randomized."));
  }
  if (processedHosts > 0) {
    out.push_back(completed + "   " + std::to_string(processedHosts) +
                  (processedHosts == 1 ? " Entry Processed." : " Entries Processed."));
  } else {
    out.push_back(kNoCookieEntriesLine);
    out.push_back(completed);
  }
  return out;
}
