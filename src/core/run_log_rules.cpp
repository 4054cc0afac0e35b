#include "core/run_log_rules.h"

#include <cstdio>

namespace {
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Characters no Windows file name holds; a separator or colon is judged by the caller.
bool HasForbiddenCharacter(const std::string& s) {
  for (unsigned char c : s)
    if (c < 32 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*') return true;
  return false;
}

bool IsFullPath(const std::string& v) {
  const bool drive = v.size() > 3 &&
                     ((v[0] >= 'A' && v[0] <= 'Z') || (v[0] >= 'a' && v[0] <= 'z')) &&
                     v[1] == ':' && IsSeparator(v[2]);
  const bool share = v.size() > 2 && IsSeparator(v[0]) && IsSeparator(v[1]) && !IsSeparator(v[2]);
  if (!drive && !share) return false;
  // Past the drive, a colon would name a stream or a device; a path ending in a separator
  // names a folder.
  return v.find(':', 2) == std::string::npos && !IsSeparator(v.back());
}

bool IsPlainFileName(const std::string& v) {
  if (v.empty() || v == "." || v == "..") return false;
  for (char c : v)
    if (IsSeparator(c) || c == ':') return false;
  return true;
}
}  // namespace

std::string RunLogHeader(const RunLogTime& t, const std::string& modeName, bool preview,
                         int highestLevel, size_t lineCount) {
  char when[64];
  snprintf(when, sizeof when, "%02d/%02d/%04d %02d:%02d:%02d", t.month, t.day, t.year, t.hour,
           t.minute, t.second);
  return "==== " + std::string(when) + "  " + modeName + "  " + (preview ? "Preview" : "Purge") +
         "  Highest Level " + std::to_string(highestLevel) + "  " + std::to_string(lineCount) +
         (lineCount == 1 ? " Line" : " Lines");
}

std::string RunLogRecord(const std::string& header, const std::vector<std::string>& lines) {
  std::string record = header + "\r\n";
  for (const std::string& line : lines) record += line + "\r\n";
  return record;
}

bool RunLogNeedsRotation(std::uint64_t size, std::uint64_t adding) {
  return size > 0 && (size >= kRunLogLimit || adding > kRunLogLimit - size);
}

LogArgument LogArgumentOf(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a.size() < 4 || a[3] != '=') continue;
    if ((a[0] | 0x20) == 'l' && (a[1] | 0x20) == 'o' && (a[2] | 0x20) == 'g')
      return {true, a.substr(4)};
  }
  return {};
}

std::string ResolveLogTarget(const std::string& value, const std::string& dataFolder) {
  if (HasForbiddenCharacter(value)) return {};
  if (IsFullPath(value)) return value;
  if (IsPlainFileName(value)) return dataFolder + "\\" + value;
  return {};
}
