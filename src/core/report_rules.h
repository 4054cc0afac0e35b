#pragma once
#include <string>
#include <string_view>

// The 17-character result column that begins every per-item report line.
namespace result_text {
inline constexpr const char* kDeleted = "       deleted - ";
inline constexpr const char* kToDelete = "     to delete - ";
inline constexpr const char* kDeleteFailed = " Delete failed - ";
inline constexpr const char* kErrorInUrl = "  Error in URL - ";
inline constexpr const char* kFileNotFound = "File not Found - ";
inline constexpr const char* kPathNotFound = "Path not Found - ";
inline constexpr const char* kDirNotEmpty = " Dir Not Empty - ";
inline constexpr const char* kLocked = "        Locked - ";
inline constexpr const char* kLockedUrl = "    Locked URL - ";
inline constexpr const char* kAccessDenied = " Access Denied - ";
inline constexpr const char* kToRandomize = "  to Randomize - ";
inline constexpr const char* kRandomized = "    Randomized - ";
}  // namespace result_text
constexpr size_t kResultWidth = 17;
// The result column of an item a run deletes, as the run decides it: "to delete" in a Preview,
// "deleted" in a Purge, right-aligned to `width` (the plugin commands' column is two wider).
std::string DeleteResultText(bool preview, size_t width = kResultWidth);

// What a Windows error code of a file deletion becomes: its result text (the " -Error-" form
// may be longer than 17) and the error level it raises to (0: unchanged).
struct MappedError {
  std::string text;
  int level;
};
MappedError MapDeleteErrorCode(unsigned long code);
// The result column: the first 17 characters of a result text.
std::string ResultColumn(std::string_view text);

// Blue in the results list, and a stop for the Tab key.
bool IsErrorLine(std::string_view line);
// The level an error line raises the run to at least, whatever raised it besides: 3 for the
// error lines (" -Error-", "-Error-", "*** Error", "*-* Error"), 1 for the Recycle Bin's failure
// line, whose level is 1, none for a browser's refusal in a Preview; 0 for any other line.
int ErrorLineLevel(std::string_view line, bool preview);
inline constexpr const char* kRecycleBinFailedLine =
    " -Error- \"Purge Recycle Bin\" Function Failed to Complete.";
// A separator line (" - - - - ..."), where Page Down stops.
bool IsSeparatorLine(std::string_view line);

// "N singular " or "N plurals ".
std::string CountPhrase(long long n, std::string_view singular, std::string_view plural);

inline constexpr const char* kSeparatorLine = " - - - - - - - - - - - - - - - - -";
