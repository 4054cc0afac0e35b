#include <windows.h>

#include <algorithm>

#include "files/allocation_unit.h"
#include "files/drive_geometry.h"
#include "files/secure_erase.h"
#include "files/shred_observer.h"
#include "files/shred_patterns.h"
#include "platform/files.h"

namespace {
constexpr char kCancelledLine[] = "*** Cancelled by operator.";

// Shared by every shred of every run, for the life of the process.
struct ShredProcessState {
  int renameCounter = 1001;
  size_t blockLength = kDefaultShredBlock;
  ShredPatterns patterns;
  ShredObserver* observer = nullptr;
};
ShredProcessState& Shared() {
  static ShredProcessState state;
  return state;
}

class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return h_; }
  void Close() {
    if (Valid()) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_;
};

// Size from a directory search, as the file's entry gives it; -1 when it cannot be found.
int64_t FoundFileSize(const std::string& path) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(path.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return -1;
  FindClose(h);
  return (int64_t(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
}

// Overwrites the file's whole allocation units `passes` times with the pattern sequence (0
// passes: zeros once). False when the file could not be opened or a cancel was seen; the
// cancel is reported once.
bool OverwriteFile(ReportContext& ctx, const std::string& path, int passes) {
  ShredProcessState& shared = Shared();
  if (passes < 0) passes = 1;
  ShredPattern pattern = passes == 0 ? ShredPattern::Zero : ShredPattern::R1;

  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);

  int64_t length = 0;
  {
    // Opened with no access and no sharing only to learn that nobody holds the file.
    FileHandle probe(CreateFileA(path.c_str(), 0, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!probe.Valid()) {
      LastDeleteError() = GetLastError();
      return false;
    }
    const int64_t size = FoundFileSize(path);
    if (GetAllocationUnit(path)) length = OverwriteLength(size, CachedAllocationUnit());
  }

  const size_t blockLength = shared.blockLength;
  // A thorough shred given no passes writes zeros, which it has not made yet.
  if (pattern == ShredPattern::Zero) shared.patterns.MakeZero(blockLength);
  const int64_t blocks = length / int64_t(blockLength);
  const int64_t blocksPerWrite = std::max<int64_t>(1, kShredWriteBytes / blockLength);
  const int count = std::max(passes, 1);
  for (int pass = 0; pass < count; ++pass) {
    if (ctx.Cancelled()) {
      ctx.AddReportLine(kCancelledLine);
      break;
    }
    // Not write-through: the pass is written in large pieces and flushed as a whole before the
    // next pass starts, so each pass still reaches the disk, in order.
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
      LastDeleteError() = GetLastError();
      return false;
    }
    SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN);
    const std::vector<uint8_t> buffer =
        RepeatBlock(shared.patterns.Block(pattern), size_t(std::min(blocks, blocksPerWrite)));
    bool complete = true;
    for (int64_t done = 0; done < blocks;) {
      ctx.View().PumpMessages();
      if (ctx.Cancelled()) {
        if (pass == count - 1) ctx.AddReportLine(kCancelledLine);
        complete = false;
        break;
      }
      const int64_t n = std::min(blocksPerWrite, blocks - done);
      DWORD written = 0;
      // A failed write is ignored: the pass goes on over the rest of the file.
      WriteFile(file.Get(), buffer.data(), DWORD(n * int64_t(blockLength)), &written, nullptr);
      done += n;
    }
    FlushFileBuffers(file.Get());
    file.Close();
    if (complete && shared.observer) shared.observer->PassWritten(path, pass);

    if (RenewPatternsAfter(pattern, count - pass - 1)) shared.patterns.MakeRandom(blockLength);
    pattern = NextShredPattern(pattern);
  }
  ctx.View().PumpMessages();
  return !ctx.Cancelled();
}
}  // namespace

void SetShredObserver(ShredObserver* observer) { Shared().observer = observer; }

bool ShredFile(ReportContext& ctx, const std::string& path, char method, int passes) {
  ShredProcessState& shared = Shared();
  std::string folder = ExtractFilePath(path);
  if (folder.empty()) folder = CurrentDirectory();

  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    // Callers map this code to their report line; 0 would read as "deleted".
    LastDeleteError() = GetLastError();
    return false;
  }
  const std::string tempName = folder + (folder.back() == '\\' ? "" : "\\") + "_Dremmit_" +
                               std::to_string(shared.renameCounter++) + ".zap";

  shared.blockLength = kDefaultShredBlock;
  if (GetAllocationUnit(path)) shared.blockLength = ShredBlockLength(CachedAllocationUnit());

  // '1' Thorough, '2' Both; anything else is taken as Quick, so a file is never truncated and
  // deleted without being overwritten.
  const bool thorough = method == '1' || method == '2';
  const bool quick = method != '1';
  bool ok = true;
  if (thorough) {
    shared.patterns.MakeRandom(shared.blockLength);
    ok = OverwriteFile(ctx, path, passes);
  }
  // After a cancelled thorough shred the zero pass would only report the cancel a second time.
  if (quick && !(thorough && ctx.Cancelled())) {
    shared.patterns.MakeZero(shared.blockLength);
    ok = OverwriteFile(ctx, path, 0);
  }
  if (!ok) return false;

  {
    FileHandle truncated(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!truncated.Valid()) {
      LastDeleteError() = GetLastError();
      return false;
    }
  }

  if (GetFileAttributesA(tempName.c_str()) != INVALID_FILE_ATTRIBUTES)
    DeleteFileA(tempName.c_str());
  BOOL moved = MoveFileExA(path.c_str(), tempName.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  DWORD error = moved ? 0 : GetLastError();
  if (!moved && error == ERROR_CALL_NOT_IMPLEMENTED) {
    moved = MoveFileA(path.c_str(), tempName.c_str());
    error = moved ? 0 : GetLastError();
  }
  if (!moved) {
    LastDeleteError() = error;
    DeleteFileA(path.c_str());
    return false;
  }
  if (shared.observer) shared.observer->Moved(tempName);
  DeleteFileA(tempName.c_str());
  return true;
}
