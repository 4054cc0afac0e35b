#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/report_lines.h"

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

// The header a record gets when its run starts, completed by RunLogHeader when the run ends: a
// run killed on the way still leaves it. "==== 12/08/2026 07:48:30  Auto  Purge  running"
std::string RunLogRunningHeader(const RunLogTime& t, const std::string& modeName, bool preview);
// The record of a run that never started because another copy was running.
std::string RunLogSkippedHeader(const RunLogTime& t, const std::string& modeName, bool preview);
// A record's header: "==== " and a date and time in the program's formats.
bool IsRunLogHeader(std::string_view line);

// The first line of every log this version begins. A log that does not start with it was
// written by an earlier version, which logged every item.
std::string RunLogBanner(const RunLogTime& t);
bool IsRunLogBanner(std::string_view line);

// What the log keeps of a report line unless "Log each item" is ticked: the log is a record of
// runs, never a list of the tracks they removed.
enum class LogLineUse {
  Keep,        // headings, closing lines, counts, errors and cautions
  ResultOnly,  // an error about one item: its result text, without the item
  Leave,       // an item: a path, URL, host, name or value
};
LogLineUse RunLogLineUse(std::string_view line);
// The lines a record holds: the report whole when items are logged; else as RunLogLineUse
// says, closed by a line counting the items left out when there were any.
ReportLines RunLogLines(const ReportLines& report, bool logItems);
std::vector<std::string> RunLogLines(const std::vector<std::string>& report, bool logItems);

// The header and the report's lines, each ended by CR LF.
std::string RunLogRecord(const std::string& header, const ReportLines& lines);
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

// What is found at a "LOG=" target before anything is written there.
struct LogTargetFacts {
  bool exists = false;
  bool isFolder = false;
  std::string firstLine;  // of an existing file
};
// Why "LOG=" must not write to `target` (its full path as the system resolves it): a device, a
// file of the program's own (in the data folder, or anything in the program folder), a folder,
// or a file that is not a report of a run. Empty when it may.
std::string LogTargetRefusal(const std::string& target, const std::string& dataFolder,
                             const std::string& programFolder, const LogTargetFacts& facts);
