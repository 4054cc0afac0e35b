#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The decisions of a free-space wipe that need no system call: which drives may be filled, which
// names are the wipe's own, and how its progress and outcome read.

// What the system says a drive is (the values of GetDriveType, named).
enum class DriveKind { Unknown, NoRootDir, Removable, Fixed, Remote, CdRom, RamDisk };
DriveKind DriveKindOf(unsigned driveType);

// Below this much free space a wipe is refused: the disk is as good as full already, and filling
// the last bytes would only starve other programs.
constexpr uint64_t kWipeMinimumFreeBytes = 1ull << 20;

// Why the drive may not be wiped; empty when it may. Only a local fixed drive is filled: a
// network drive is another machine's disk, and a CD or a removable drive is not where the Temp
// folder's deleted files lie (and may be worn by a full write).
std::string WipeRefusal(DriveKind kind, uint64_t freeBytes);

// The folder of the wipe's own at the root of the drive, and the names of its fill files. The
// name is fixed so that a wipe cut off (power lost, process killed) is found and removed at the
// next start; nothing but a name made by FillFileName is ever deleted from it.
inline constexpr const char* kWipeFolderName = "QuorvaneWipe.$$$";
std::string FillFileName(uint32_t number);
bool IsFillFileName(const std::string& name);

// After the large files, the wipe writes up to this many small files.
constexpr int kMaxSmallFiles = 4096;

// How far a wipe has come.
struct WipeProgress {
  uint64_t written = 0;
  uint64_t target = 0;  // the free space when the wipe began
  double seconds = 0;
  bool largeFilesDone = false;  // the small files are being written
  int smallFiles = 0;           // small files written so far
  // What one small file takes: timed on one before the large files, then the average.
  double smallFileSeconds = 0;
};

// How a wipe is watched, and what a test makes of the disk.
struct WipeOptions {
  // Called before the first write, after every large write (8 MiB at most) and every 64 small
  // files, and at the end of each phase; returning false cancels.
  std::function<bool(const WipeProgress&)> progress;
  // Counts the disk as full once this many bytes are written (0: only when it is). Lets a test
  // fill a folder on a large disk as if it were a small one.
  uint64_t byteLimit = 0;
  // The free space taken as measured at the start (0: the drive's own). With a larger byte limit
  // it stands for a drive that takes more zeros than it had free, as a compressed one does.
  uint64_t freeBytes = 0;
};

// Seconds the rest will take at the rate so far; none until a rate is known.
std::optional<double> SecondsLeft(uint64_t written, uint64_t target, double elapsedSeconds);
// The same for a whole wipe: the large files' bytes at their rate, then the small files left,
// each as long as one took.
std::optional<double> SecondsLeft(const WipeProgress& p);

// A drive that has taken this much without filling up keeps zeros without using space (an
// NTFS-compressed folder, a sparse or deduplicating file system): the wipe stops there rather
// than write on for ever. The free space at the start, 10 % more and 64 MiB.
uint64_t FillBound(uint64_t freeAtStart);
inline constexpr const char* kDriveDoesNotFill =
    "the drive does not fill: more than its free space was written (a compressed, sparse or "
    "deduplicating drive keeps zeros without using space)";
// Said when the drive's wipe lock is held by another wipe.
inline constexpr const char* kWipeAlreadyRunning = "a wipe of this drive is already running";
// "1,234,567"
std::string GroupedNumber(uint64_t value);
// "0:02:05" (hours:minutes:seconds, rounded to the second)
std::string ClockText(double seconds);

// How a wipe ended, as its report line and window say it.
enum class WipeOutcome { Completed, Cancelled, Refused, Failed };
struct WipeSummary {
  std::string drive;  // "C:\"
  uint64_t bytesWritten = 0;
  double seconds = 0;
  WipeOutcome outcome = WipeOutcome::Completed;
  std::string detail;  // the refusal, or the failed step with its error code
};
std::string WipeResultText(const WipeSummary& s);
// The four report lines of a wipe: drive, bytes written, time, result.
std::string WipeDriveLine(const WipeSummary& s);
std::string WipeBytesLine(const WipeSummary& s);
std::string WipeTimeLine(const WipeSummary& s);
std::string WipeResultLine(const WipeSummary& s);
