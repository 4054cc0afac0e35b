#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A run's report lines held compactly: one block of text and where each line starts. A report
// of a large purge has hundreds of thousands of lines; a string of its own for each would cost
// several times their text.
class ReportLines {
 public:
  void Add(std::string_view line);
  // Replacing a line of another length moves the lines after it; a report replaces its first
  // line at most, once.
  void Replace(size_t index, std::string_view line);
  void clear();
  size_t size() const { return starts_.size(); }
  bool empty() const { return starts_.empty(); }
  std::string_view operator[](size_t index) const;
  // Each line as a string of its own, for the callers that keep or edit them.
  std::vector<std::string> Copy() const;

 private:
  size_t End(size_t index) const;
  std::string text_;
  std::vector<std::uint32_t> starts_;
};

ReportLines LinesOf(const std::vector<std::string>& lines);
