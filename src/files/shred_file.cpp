#include "files/shred_file.h"

#include <windows.h>

#include <algorithm>

#include "files/allocation_unit.h"
#include "files/delete_outcome.h"
#include "files/drive_geometry.h"
#include "files/shred_names.h"
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
  if (!FindFile().First(path, fd)) return -1;
  return (int64_t(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
}

// A shred that stopped short: the file stays, whatever `error` (0 too) says.
DeleteOutcome NotDeleted(uint32_t error) { return {false, error, false}; }

// The number of names (hard links) of the open file; 1 when the system cannot tell.
DWORD LinkCount(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(file, &info) && info.nNumberOfLinks > 1 ? info.nNumberOfLinks
                                                                            : 1;
}

// The file's times as they were before the shred. The overwrite and the truncation leave them
// so: a half-shredded file that looked new would be skipped by the temp purge's age filter, run
// after run. The system is asked not to update them through the handle (all bits set); Wine
// accepts that and ignores it (a write to a Unix file sets its time), so where the first write
// of the process moved the time they are put back after every write.
class KeptFileTimes {
 public:
  explicit KeptFileTimes(HANDLE file) : file_(file) {
    kept_ = GetFileTime(file, &created_, &accessed_, &written_) != FALSE;
    static const FILETIME kNoUpdate{0xFFFFFFFF, 0xFFFFFFFF};
    if (kept_) SetFileTime(file, nullptr, &kNoUpdate, &kNoUpdate);
  }
  // `changed`: the write changed the file (a failed one tells nothing).
  void AfterWrite(bool changed) {
    if (!kept_) return;
    static int systemKeepsThem = -1;  // decided by the first write that changed a file
    if (systemKeepsThem < 0 && changed) {
      FILETIME c, a, w;
      systemKeepsThem = GetFileTime(file_, &c, &a, &w) && CompareFileTime(&w, &written_) == 0;
    }
    if (systemKeepsThem == 0) SetFileTime(file_, nullptr, &accessed_, &written_);
  }

 private:
  HANDLE file_;
  bool kept_ = false;
  FILETIME created_{}, accessed_{}, written_{};
};

// What an overwrite ended with.
enum class Overwrite { Done, Failed, Linked };

// Overwrites the file's whole allocation units (`unit`, 0 when unknown) `passes` times with the
// pattern sequence (0 passes: zeros once). Failed when the file could not be opened or a cancel
// was seen (the cancel is reported once); Linked, before anything is written, when the file has
// gained a second name since the shred looked. `error` gets the Windows error of a failed open.
Overwrite OverwriteFile(ReportContext& ctx, const std::string& path, int passes, uint32_t unit,
                        uint32_t& error) {
  ShredProcessState& shared = Shared();
  if (passes < 0) passes = 1;
  ShredPattern pattern = passes == 0 ? ShredPattern::Zero : ShredPattern::R1;

  int64_t length = 0;
  {
    // Opened with no sharing only to learn that nobody holds the file.
    FileHandle probe(CreateFileA(path.c_str(), 0, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!probe.Valid()) {
      error = GetLastError();
      return Overwrite::Failed;
    }
    length = OverwriteLength(FoundFileSize(path), unit);
  }

  const size_t blockLength = shared.blockLength;
  // A thorough shred given no passes writes zeros, which it has not made yet.
  if (pattern == ShredPattern::Zero) shared.patterns.MakeZero(blockLength);
  // Whole blocks, the last one reaching past the length rather than falling short of it.
  const int64_t blocks = (length + int64_t(blockLength) - 1) / int64_t(blockLength);
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
      error = GetLastError();
      return Overwrite::Failed;
    }
    if (pass == 0 && LinkCount(file.Get()) > 1) return Overwrite::Linked;
    KeptFileTimes times(file.Get());
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
      times.AfterWrite(written > 0);
      done += n;
    }
    FlushFileBuffers(file.Get());
    file.Close();
    if (complete && shared.observer) shared.observer->PassWritten(path, pass);

    if (RenewPatternsAfter(pattern, count - pass - 1)) shared.patterns.MakeRandom(blockLength);
    pattern = NextShredPattern(pattern);
  }
  ctx.View().PumpMessages();
  return ctx.Cancelled() ? Overwrite::Failed : Overwrite::Done;
}

// Attributes that stand in the way of a shred: read-only refuses the writes, and Windows refuses
// to truncate a hidden or system file opened with plain attributes. They are cleared for the
// shred and put back on whatever name the file is left under when the shred fails.
constexpr DWORD kInTheWay = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
// The attributes SetFileAttributes takes; the others (directory, compressed, ...) are not its.
constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                            FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

class ClearedAttributes {
 public:
  ClearedAttributes(const std::string& path, DWORD attributes)
      : original_(attributes & kSettable), cleared_(false) {
    if (original_ & kInTheWay) {
      const DWORD rest = original_ & ~kInTheWay;
      cleared_ = SetFileAttributesA(path.c_str(), rest ? rest : FILE_ATTRIBUTE_NORMAL) != FALSE;
    }
  }
  // The file stays, under `name`: it gets its attributes back.
  void Restore(const std::string& name) const {
    if (cleared_) SetFileAttributesA(name.c_str(), original_);
  }

 private:
  DWORD original_;
  bool cleared_;
};

// Sets a file's attributes through a handle (Vista and later; looked up by name, as Windows XP
// lacks it). Zero times in the record leave the file's times as they are.
bool SetAttributesByHandle(HANDLE file, DWORD attributes) {
  using SetInfoFn = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
  static const auto setInfo = reinterpret_cast<SetInfoFn>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle"));
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return setInfo && setInfo(file, FileBasicInfo, &basic, sizeof basic);
}

// A file with other names keeps its content for them: only this name goes. Its read-only
// attribute, which every name shares, is cleared only when it refuses the delete, and put back
// through a handle that outlives the name (where the system has no such call, as on Windows
// XP, the other names stay writable).
DeleteOutcome DeleteThisNameOnly(const std::string& path, DWORD attributes) {
  DWORD error = DeleteFileA(path.c_str()) ? 0 : GetLastError();
  if (error == ERROR_ACCESS_DENIED && (attributes & FILE_ATTRIBUTE_READONLY)) {
    FileHandle keep(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    const DWORD writable = attributes & kSettable & ~FILE_ATTRIBUTE_READONLY;
    if (keep.Valid() &&
        SetFileAttributesA(path.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL)) {
      error = DeleteFileA(path.c_str()) ? 0 : GetLastError();
      if (!SetAttributesByHandle(keep.Get(), attributes & kSettable) && error != 0)
        SetFileAttributesA(path.c_str(), attributes & kSettable);
    }
  }
  return {error == 0, error, error == 0};
}
}  // namespace

void SetShredObserver(ShredObserver* observer) { Shared().observer = observer; }

DeleteOutcome ShredFile(ReportContext& ctx, const std::string& path, char method, int passes) {
  ShredProcessState& shared = Shared();
  std::string folder = ExtractFilePath(path);
  if (folder.empty()) folder = CurrentDirectory();

  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // Callers map this code to their report line; 0 would read as "deleted".
    return NotDeleted(GetLastError());
  }
  {
    // Overwriting one name of a hard-linked file would change what its other names hold.
    FileHandle look(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (look.Valid() && LinkCount(look.Get()) > 1) {
      look.Close();
      return DeleteThisNameOnly(path, attributes);
    }
  }
  const std::string tempName =
      folder + (folder.back() == '\\' ? "" : "\\") + ShredTempName(shared.renameCounter++);

  // Learned once for both the block length and the overwrite length: a drive whose unit cannot
  // be learned (a network path, a failed query) is overwritten in whole 512-byte blocks.
  const uint32_t unit = GetAllocationUnit(path) ? CachedAllocationUnit() : 0;
  shared.blockLength = ShredBlockLength(unit);

  const ClearedAttributes cleared(path, attributes);
  // '1' Thorough, '2' Both; anything else is taken as Quick, so a file is never truncated and
  // deleted without being overwritten.
  const bool thorough = method == '1' || method == '2';
  const bool quick = method != '1';
  Overwrite result = Overwrite::Done;
  uint32_t openError = 0;
  if (thorough) {
    shared.patterns.MakeRandom(shared.blockLength);
    result = OverwriteFile(ctx, path, passes, unit, openError);
  }
  // After a cancelled thorough shred the zero pass would only report the cancel a second time.
  if (quick && result != Overwrite::Linked && !(thorough && ctx.Cancelled())) {
    shared.patterns.MakeZero(shared.blockLength);
    result = OverwriteFile(ctx, path, 0, unit, openError);
  }
  if (result == Overwrite::Linked) {
    cleared.Restore(path);
    return DeleteThisNameOnly(path, attributes);
  }
  if (result != Overwrite::Done) {
    cleared.Restore(path);
    return NotDeleted(openError);  // 0 after a cancel: the file stays, and no error says so
  }

  {
    // Opened as it is and cut to nothing on the handle: truncating on open would set the time.
    FileHandle truncated(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!truncated.Valid()) {
      const DWORD error = GetLastError();
      cleared.Restore(path);
      return NotDeleted(error);
    }
    KeptFileTimes times(truncated.Get());
    SetFilePointer(truncated.Get(), 0, nullptr, FILE_BEGIN);
    if (!SetEndOfFile(truncated.Get())) {
      const DWORD error = GetLastError();
      truncated.Close();
      cleared.Restore(path);
      return NotDeleted(error);
    }
    times.AfterWrite(true);
  }
  if (shared.observer) shared.observer->Truncated(path);

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
    if (!DeleteFileA(path.c_str())) cleared.Restore(path);
    return NotDeleted(error);
  }
  if (shared.observer) shared.observer->Moved(tempName);
  // The file is gone only when its temporary name is: a refused delete is this file's failure.
  if (!DeleteFileA(tempName.c_str())) {
    const DWORD error = GetLastError();
    cleared.Restore(tempName);
    return NotDeleted(error);
  }
  return {true, 0, false};
}
