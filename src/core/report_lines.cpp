#include "core/report_lines.h"

void ReportLines::Add(std::string_view line) {
  starts_.push_back(static_cast<std::uint32_t>(text_.size()));
  text_.append(line);
}

void ReportLines::Replace(size_t index, std::string_view line) {
  if (index >= size()) return;
  const size_t start = starts_[index];
  const size_t oldSize = End(index) - start;
  text_.replace(start, oldSize, line);
  if (line.size() == oldSize) return;
  const std::uint32_t grown = static_cast<std::uint32_t>(line.size() - oldSize);  // wraps when shrinking
  for (size_t i = index + 1; i < size(); ++i) starts_[i] += grown;
}

void ReportLines::clear() {
  // The memory goes too: the next report may be a short one.
  std::string().swap(text_);
  std::vector<std::uint32_t>().swap(starts_);
}

size_t ReportLines::End(size_t index) const {
  return index + 1 < size() ? starts_[index + 1] : text_.size();
}

std::string_view ReportLines::operator[](size_t index) const {
  return std::string_view(text_).substr(starts_[index], End(index) - starts_[index]);
}

std::vector<std::string> ReportLines::Copy() const {
  std::vector<std::string> lines;
  lines.reserve(size());
  for (size_t i = 0; i < size(); ++i) lines.emplace_back((*this)[i]);
  return lines;
}

ReportLines LinesOf(const std::vector<std::string>& lines) {
  ReportLines r;
  for (const std::string& line : lines) r.Add(line);
  return r;
}
