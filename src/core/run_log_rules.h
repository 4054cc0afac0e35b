#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The log of runs: what a record looks like, when the log is set aside, and where "LOG=" sends
// it. Pure, so that it builds natively and the command-line value can be fuzzed.

inline constexpr const char* kRunLogName = "Quorvane.log";
inline constexpr const char* kRunLogOldName = "Quorvane.log.1";
inline constexpr std::uint64_t kRunLogLimit = 1024 * 1024;

struct RunLogTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The line above each run's report, in the program's date and time formats, e.g.
// "==== 12/08/2026 07:48:30  Auto  Purge  Highest Level 7  23 Lines".
std::string RunLogHeader(const RunLogTime& t, const std::string& modeName, bool preview,
                         int highestLevel, size_t lineCount);

// The header and the report's lines, each ended by CR LF.
std::string RunLogRecord(const std::string& header, const std::vector<std::string>& lines);

// Before `adding` bytes go to a log of `size` bytes: true when the log must first be set aside,
// because it would pass the limit. An empty log never is, so one record larger than the limit
// still gets written.
bool RunLogNeedsRotation(std::uint64_t size, std::uint64_t adding);

// The "LOG" value of the arguments as written: a path keeps its case (the other values of the
// command line arrive upper-cased). The first argument that starts with "LOG=", ignoring case.
struct LogArgument {
  bool present = false;
  std::string value;
};
LogArgument LogArgumentOf(const std::vector<std::string>& args);

// The file "LOG=value" writes to: a full path ("C:\Logs\run.txt", "\\server\share\run.txt")
// as it is, a plain file name in the data folder. Empty when the value is neither (a relative
// path, a drive without a root, characters no file name may hold).
std::string ResolveLogTarget(const std::string& value, const std::string& dataFolder);
