#include "wipe/wipe_fill.h"

#include <windows.h>

#include <vector>

#include "platform/file_compression.h"
#include "wipe/wipe_clock.h"

namespace {
// Under Wine each WriteFile has a fixed cost of its own (about 2 ms here, whatever the size):
// filling a volume in 8 MiB calls took a third of the time that 1 MiB calls took.
constexpr DWORD kLargeWrite = 8u << 20;
// FAT32 holds no file of 4 GiB; a file per GiB also keeps each one's removal short.
constexpr uint64_t kLargeFileLimit = 1ull << 30;
// Small enough that NTFS keeps such a file inside its MFT record: these take the record space
// that small deleted files left, which no large file reaches.
constexpr DWORD kSmallFileBytes = 512;

bool IsDiskFull(DWORD error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

// The sector, which an unbuffered write must be a whole number of.
DWORD SectorSizeOf(const std::string& folder) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  const std::string root = folder.size() >= 2 && folder[1] == ':' ? folder.substr(0, 2) + "\\" : "";
  if (!root.empty() && GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector,
                                         &freeClusters, &clusters)) {
    // A size that is no power of two is not believed.
    if (bytesPerSector >= 512 && bytesPerSector <= 65536 &&
        (bytesPerSector & (bytesPerSector - 1)) == 0)
      return bytesPerSector;
  }
  return 4096;
}

// The large files are opened to be deleted when closed, so that the space returns the moment
// they close, also when the process ends without cleaning up; the small ones are removed by
// name, and the next start removes any a crash left.
class Fill {
 public:
  Fill(std::string folder, const WipeOptions& options, uint64_t freeAtStart)
      : folder_(std::move(folder)), options_(options), bound_(FillBound(freeAtStart)) {
    progress_.target =
        options.byteLimit && options.byteLimit < freeAtStart ? options.byteLimit : freeAtStart;
  }
  ~Fill() { Release(); }

  // False when cancelled or failed; `failure` then says which step failed (empty on cancel).
  bool Run() {
    if (!Report()) return false;
    return TimeOneSmallFile() && FillLarge(SectorSizeOf(folder_)) && FillSmall();
  }
  // Closes the large files (which deletes them) and deletes the small ones.
  void Release() {
    for (HANDLE h : large_) CloseHandle(h);
    large_.clear();
    for (const std::string& name : small_) DeleteFileA((folder_ + "\\" + name).c_str());
    small_.clear();
  }
  uint64_t Written() const { return progress_.written; }
  bool cancelled = false;
  std::string failure;

 private:
  enum class Step { Written, Full, Failed };

  std::string NextPath(std::string& name) {
    name = FillFileName(next_++);
    return folder_ + "\\" + name;
  }
  bool LimitReached(uint64_t more) const {
    return options_.byteLimit && progress_.written + more > options_.byteLimit;
  }
  bool Report() {
    progress_.seconds = clock_.Seconds();
    if (options_.progress && !options_.progress(progress_)) cancelled = true;
    return !cancelled;
  }
  bool Fail(const std::string& detail) {
    failure = detail;
    return false;
  }
  // Counts bytes written; false once the drive has taken so much more than it had free that it
  // will not fill.
  bool Count(DWORD written) {
    progress_.written += written;
    return progress_.written <= bound_ || Fail(kDriveDoesNotFill);
  }

  // Zeros in a compressed file take next to no space: the folder's compression was turned
  // off, and a file that has it all the same (or is sparse) is not filled in vain.
  bool TakesItsSpace(HANDLE h, const std::string& name) {
    DWORD attributes = AttributesOfHandle(h);
    if (attributes & FILE_ATTRIBUTE_COMPRESSED) {
      ClearCompression(h);
      attributes = AttributesOfHandle(h);
    }
    if (attributes & FILE_ATTRIBUTE_COMPRESSED) return Fail(name + " is compressed");
    if (attributes & FILE_ATTRIBUTE_SPARSE_FILE) return Fail(name + " is sparse");
    return true;
  }

  // Large unbuffered writes of zeros, file after file, until the disk is full. When a write no
  // longer fits, the size halves down to one sector, so the last free clusters are taken too.
  // A file system that releases space only once written data reaches the disk (ext4's delayed
  // allocation under Wine) has more room after a flush: the disk is full when even one sector
  // does not fit right after one.
  bool FillLarge(DWORD sector) {
    void* zeros = VirtualAlloc(nullptr, kLargeWrite, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!zeros) return Fail(ErrorDetail("allocating the buffer", GetLastError()));
    struct Free {
      void* p;
      ~Free() { VirtualFree(p, 0, MEM_RELEASE); }
    } freeZeros{zeros};
    DWORD size = kLargeWrite;
    bool full = false;
    DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_NO_BUFFERING | FILE_FLAG_WRITE_THROUGH |
                  FILE_FLAG_DELETE_ON_CLOSE;
    while (!full) {
      std::string name;
      const std::string path = NextPath(name);
      // Read access too: turning compression off needs it.
      const DWORD access = GENERIC_READ | GENERIC_WRITE;
      HANDLE h =
          CreateFileA(path.c_str(), access, FILE_SHARE_DELETE, nullptr, CREATE_NEW, flags, nullptr);
      if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER &&
          (flags & FILE_FLAG_NO_BUFFERING)) {
        // A file system that cannot write past its cache refuses unbuffered files; such a
        // volume is filled through the cache, written through at once.
        flags &= ~FILE_FLAG_NO_BUFFERING;
        h = CreateFileA(path.c_str(), access, FILE_SHARE_DELETE, nullptr, CREATE_NEW, flags,
                        nullptr);
      }
      if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        if (IsDiskFull(e)) break;
        return Fail(ErrorDetail("creating " + name, e));
      }
      large_.push_back(h);
      if (!TakesItsSpace(h, name)) return false;
      uint64_t inFile = 0;
      bool flushed = false;
      while (inFile < kLargeFileLimit) {
        if (LimitReached(size)) {
          if (size > sector) {
            size = (size / 2 / sector) * sector;
            continue;
          }
          full = true;
          break;
        }
        DWORD written = 0;
        const BOOL ok = WriteFile(h, zeros, size, &written, nullptr);
        const DWORD e = ok ? 0 : GetLastError();
        inFile += written;
        if (!Count(written)) return false;
        if (ok && written == size) {
          flushed = false;
          if (!Report()) return false;
          continue;
        }
        if (!ok && !IsDiskFull(e)) return Fail(ErrorDetail("writing " + name, e));
        if (written % sector != 0) {
          full = true;
          break;
        }
        if (size > sector) {
          size = (size / 2 / sector) * sector;
          continue;
        }
        if (flushed) {
          full = true;
          break;
        }
        FlushFileBuffers(h);
        flushed = true;
        size = kLargeWrite;
      }
      // Unbuffered and write-through, the zeros are on the disk already and this costs
      // nothing; Wine ignores both flags and would drop the cached zeros of a file deleted
      // before they were written out, so the file is flushed before it goes.
      FlushFileBuffers(h);
    }
    return Report();
  }

  // One small file of zeros, flushed like the large ones; Step::Full when it found no room. One
  // made to be deleted on close stays open, as the large files do.
  Step WriteSmallFile(DWORD flags = 0) {
    static const char zeros[kSmallFileBytes] = {};
    std::string name;
    const std::string path = NextPath(name);
    const bool held = flags & FILE_FLAG_DELETE_ON_CLOSE;
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_WRITE, held ? FILE_SHARE_DELETE : 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH | flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD e = GetLastError();
      if (IsDiskFull(e)) return Step::Full;
      failure = ErrorDetail("creating " + name, e);
      return Step::Failed;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(h, zeros, kSmallFileBytes, &written, nullptr);
    const DWORD e = ok ? 0 : GetLastError();
    if (ok) FlushFileBuffers(h);
    if (held) {
      large_.push_back(h);
    } else {
      CloseHandle(h);
      small_.push_back(name);
    }
    if (!Count(written)) return Step::Failed;
    if (!ok && !IsDiskFull(e)) {
      failure = ErrorDetail("writing " + name, e);
      return Step::Failed;
    }
    if (!ok || written < kSmallFileBytes) return Step::Full;
    ++progress_.smallFiles;
    return Step::Written;
  }

  // The time left counts the small files too, from what the first one took. It is deleted on
  // close, so that a crash before the small files leaves none behind.
  bool TimeOneSmallFile() {
    if (LimitReached(kSmallFileBytes)) return true;
    const double start = clock_.Seconds();
    if (WriteSmallFile(FILE_FLAG_DELETE_ON_CLOSE) == Step::Failed) return false;
    progress_.smallFileSeconds = clock_.Seconds() - start;
    return true;
  }

  // Many small files, each taking a record's worth of the file system's own tables.
  bool FillSmall() {
    progress_.largeFilesDone = true;
    const double start = clock_.Seconds();
    const int before = progress_.smallFiles;
    while (progress_.smallFiles < kMaxSmallFiles && !LimitReached(kSmallFileBytes)) {
      const Step step = WriteSmallFile();
      if (step == Step::Failed) return false;
      if (step == Step::Full) break;
      const int done = progress_.smallFiles - before;
      if (done % 64 == 0) {
        progress_.smallFileSeconds = (clock_.Seconds() - start) / done;
        if (!Report()) return false;
      }
    }
    progress_.smallFiles = kMaxSmallFiles;  // nothing is left to do
    return Report();
  }

  std::string folder_;
  const WipeOptions& options_;
  const uint64_t bound_;
  const Stopwatch clock_;
  WipeProgress progress_;
  std::vector<HANDLE> large_;
  std::vector<std::string> small_;
  uint32_t next_ = 1;
};
}  // namespace

FillOutcome FillAndRelease(const std::string& folder, const WipeOptions& options,
                           uint64_t freeAtStart) {
  Fill fill(folder, options, freeAtStart);
  FillOutcome outcome;
  const bool ok = fill.Run();
  outcome.written = fill.Written();
  fill.Release();  // the space goes back before anything else happens
  outcome.cancelled = fill.cancelled;
  if (!ok && !fill.cancelled) outcome.failure = fill.failure;
  return outcome;
}
