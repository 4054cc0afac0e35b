#include "core/report_rules.h"

#include "core/text_util.h"

MappedError MapDeleteErrorCode(unsigned long code) {
  switch (code) {
    case 0: return {result_text::kDeleted, 0};
    case 2: return {result_text::kFileNotFound, 7};
    case 3: return {result_text::kPathNotFound, 7};
    case 5:
    case 32:
    case 33:
    case 1224: return {result_text::kLocked, 0};
    case 145: return {result_text::kDirNotEmpty, 1};
    default: return {" -Error-" + std::to_string(code) + std::string(10, ' '), 3};
  }
}

std::string DeleteResultText(bool preview, size_t width) {
  const std::string_view text = preview ? "to delete - " : "deleted - ";
  return std::string(width > text.size() ? width - text.size() : 0, ' ') + std::string(text);
}

std::string ResultColumn(std::string_view text) {
  return std::string(text.substr(0, kResultWidth));
}

bool IsErrorLine(std::string_view line) {
  static constexpr std::string_view kPrefixes[] = {" -Error-",  "-Error-",   "-Caution-",
                                                   "*** Error", "*-* Error", "NOTE - A \"Locked\""};
  static constexpr std::string_view kResults17[] = {
      " Delete failed - ", "  Error in URL - ", "Path not Found - ", "File not Found - ",
      " Dir Not Empty - ", "        Locked - ", "    Locked URL - ", " Access Denied - "};
  static constexpr std::string_view kPluginResults19[] = {
      "  File Not Found - ", "  Path Not Found - ", "   Dir Not Empty - ",
      "          Locked - ", "     Not updated - ", "   del Val fails - ",
      "   del Key fails - ", "    invalid Root - ", "     exec failed - "};
  for (auto p : kPrefixes)
    if (StartsWith(line, p)) return true;
  if (line.size() >= 17)
    for (auto r : kResults17)
      if (line.substr(0, 17) == r) return true;
  if (line.size() >= 19)
    for (auto r : kPluginResults19)
      if (line.substr(0, 19) == r) return true;
  return false;
}

// The lines that say something failed. Most come with their own RaiseLevel; the few that did
// not left a run that had failed looking clean to the window policy, the log and the exit code.
int ErrorLineLevel(std::string_view line, bool preview) {
  // The error lines whose own level is lower: an emptying of the bin that may still finish, and
  // a browser's refusal in a Preview, which was to change nothing anyway.
  if (line == kRecycleBinFailedLine) return 1;
  if (preview && StartsWith(line, " -Error- not Processed as ") &&
      EndsWith(line, " browser is active."))
    return 0;
  static constexpr std::string_view kErrorPrefixes[] = {" -Error-", "-Error-", "*** Error",
                                                        "*-* Error"};
  for (auto p : kErrorPrefixes)
    if (StartsWith(line, p)) return 3;
  return 0;
}

bool IsSeparatorLine(std::string_view line) { return StartsWith(line, " - - - -"); }

std::string CountPhrase(long long n, std::string_view singular, std::string_view plural) {
  return std::to_string(n) + " " + std::string(n == 1 ? singular : plural) + " ";
}
