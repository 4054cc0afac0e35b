#include "core/run_log_rules.h"

#include <cstdio>

#include "core/report_rules.h"
#include "core/text_util.h"

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

std::string HeaderStart(const RunLogTime& t) {
  char when[64];
  snprintf(when, sizeof when, "%02d/%02d/%04d %02d:%02d:%02d", t.month, t.day, t.year, t.hour,
           t.minute, t.second);
  return "==== " + std::string(when) + "  ";
}

std::string RunHeader(const RunLogTime& t, const std::string& modeName, bool preview,
                      const std::string& status) {
  return HeaderStart(t) + modeName + "  " + (preview ? "Preview" : "Purge") + "  " + status;
}

std::string LineCount(size_t n) { return std::to_string(n) + (n == 1 ? " Line" : " Lines"); }

bool IsDigits(std::string_view s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return !s.empty();
}

constexpr std::string_view kBannerText = "Log of runs begun";

// A result column: a right-aligned label ending in " - " at column 17 (the plugins' at 19), or
// the " -Error-" form with a Windows error code.
size_t ResultColumnWidth(std::string_view line) {
  // The one heading of that shape: it names a plugin file, not an item.
  if (StartsWith(line, "Process Plugin - ")) return 0;
  for (size_t width : {size_t{17}, size_t{19}}) {
    if (line.size() < width || line.substr(width - 3, 3) != " - ") continue;
    const std::string_view label = line.substr(0, width - 3);
    if (label.back() == ' ' || Trim(label).empty()) continue;
    bool plain = true;
    for (char c : label)
      if (!(c == ' ' || c == '.' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
        plain = false;
    if (plain) return width;
  }
  if (StartsWith(line, " -Error-") && line.size() > 8 && line[8] >= '0' && line[8] <= '9')
    return line.size() < kResultWidth ? line.size() : kResultWidth;
  return 0;
}

// A path, address or value in a line that has no result column: a plugin's key or statement,
// a URL, a drive or share path.
bool NamesAnItem(std::string_view line) {
  for (std::string_view mark : {":\\", ":/", "\\\\", "@", "="})
    if (line.find(mark) != std::string_view::npos) return true;
  return false;
}
}  // namespace

std::string RunLogHeader(const RunLogTime& t, const std::string& modeName, bool preview,
                         int highestLevel, size_t lineCount) {
  return RunHeader(t, modeName, preview,
                   "Highest Level " + std::to_string(highestLevel) + "  " + LineCount(lineCount));
}

std::string RunLogRunningHeader(const RunLogTime& t, const std::string& modeName, bool preview) {
  return RunHeader(t, modeName, preview, "running");
}

std::string RunLogSkippedHeader(const RunLogTime& t, const std::string& modeName, bool preview) {
  return RunHeader(t, modeName, preview, "Skipped");
}

bool IsRunLogHeader(std::string_view line) {
  // "==== MM/DD/YYYY HH:MM:SS  "
  if (line.size() < 26 || !StartsWith(line, "==== ") || line.substr(24, 2) != "  ") return false;
  const std::string_view when = line.substr(5, 19);
  for (size_t i : {2u, 5u})
    if (when[i] != '/') return false;
  if (when[10] != ' ' || when[13] != ':' || when[16] != ':') return false;
  for (auto [from, n] : {std::pair{0, 2}, {3, 2}, {6, 4}, {11, 2}, {14, 2}, {17, 2}})
    if (!IsDigits(when.substr(from, n))) return false;
  return true;
}

std::string RunLogBanner(const RunLogTime& t) { return HeaderStart(t) + std::string(kBannerText); }

bool IsRunLogBanner(std::string_view line) {
  return IsRunLogHeader(line) && line.substr(26) == kBannerText;
}

LogLineUse RunLogLineUse(std::string_view line) {
  if (ResultColumnWidth(line) > 0)
    return IsErrorLine(line) ? LogLineUse::ResultOnly : LogLineUse::Leave;
  if (IsErrorLine(line) || StartsWith(line, "*** ")) return LogLineUse::Keep;
  // A plugin's detail lines ("* " and the statement they came from) quote what they reach.
  if (StartsWith(line, "* ") || NamesAnItem(line)) return LogLineUse::Leave;
  return LogLineUse::Keep;
}

ReportLines RunLogLines(const ReportLines& report, bool logItems) {
  if (logItems) return report;
  ReportLines kept;
  size_t left = 0;
  for (size_t i = 0; i < report.size(); ++i) {
    const std::string_view line = report[i];
    switch (RunLogLineUse(line)) {
      case LogLineUse::Keep: kept.Add(line); break;
      case LogLineUse::ResultOnly:
        kept.Add(std::string(line.substr(0, ResultColumnWidth(line))) + "(item not logged)");
        break;
      case LogLineUse::Leave: ++left; break;
    }
  }
  if (left > 0)
    kept.Add("  " + std::to_string(left) + (left == 1 ? " item line" : " item lines") +
             " not logged (\"Log each item\" is off).");
  return kept;
}

std::vector<std::string> RunLogLines(const std::vector<std::string>& report, bool logItems) {
  return RunLogLines(LinesOf(report), logItems).Copy();
}

std::string RunLogRecord(const std::string& header, const ReportLines& lines) {
  std::string record = header + "\r\n";
  for (size_t i = 0; i < lines.size(); ++i) (record += lines[i]) += "\r\n";
  return record;
}

std::string RunLogRecord(const std::string& header, const std::vector<std::string>& lines) {
  return RunLogRecord(header, LinesOf(lines));
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

namespace {
// A name Windows takes for a device in any folder, with or without an extension.
bool IsDeviceName(std::string_view name) {
  std::string base = UpperCase(name.substr(0, name.find('.')));
  while (!base.empty() && (base.back() == ' ' || base.back() == '.')) base.pop_back();
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
    if (base == device) return true;
  return base.size() == 4 && (StartsWith(base, "COM") || StartsWith(base, "LPT")) &&
         base[3] >= '0' && base[3] <= '9';
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool IsSameOrInside(const std::string& path, const std::string& folder) {
  if (folder.empty()) return false;
  const std::string p = UpperCase(path), f = UpperCase(folder);
  return p == f || (StartsWith(p, f) && (p[f.size()] == '\\' || p[f.size()] == '/'));
}

// The files the program keeps in its data folder, and the temporary names it writes them by.
bool IsOwnDataFileName(std::string_view name) {
  const std::string upper = UpperCase(name);
  if (StartsWith(upper, "QUORVANE.") || EndsWith(upper, ".QV-NEW")) return true;
  for (std::string_view own : {"IECOOKIE.DAT", "IEPRMODE.DAT", "PLUGINS.DAT", "VASKBOOT.DAT",
                               "WINAPP2.INI", "WINAPP3.INI", "WINAPP2.SEL"})
    if (upper == own) return true;
  return false;
}
}  // namespace

std::string LogTargetRefusal(const std::string& target, const std::string& dataFolder,
                             const std::string& programFolder, const LogTargetFacts& facts) {
  const std::string name = target.substr(target.find_last_of("\\/") + 1);
  if (StartsWith(target, "\\\\.\\") || StartsWith(target, "\\\\?\\") ||
      StartsWith(target, "//./") || IsDeviceName(name))
    return "it names a device";
  if (IsSameOrInside(target, programFolder) ||
      (SameText(FolderOf(target), dataFolder) && IsOwnDataFileName(name)))
    return "it is one of Quorvane's own files";
  if (facts.isFolder) return "it is a folder";
  if (facts.exists && !IsRunLogHeader(facts.firstLine))
    return "it is not the report of an earlier run";
  return {};
}
