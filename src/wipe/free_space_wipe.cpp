#include "wipe/free_space_wipe.h"

#include <windows.h>

#include <vector>

#include "core/text_util.h"
#include "platform/links.h"

namespace {
// Under Wine each WriteFile has a fixed cost of its own (about 2 ms here, whatever the size):
// filling a volume in 8 MiB calls took a third of the time that 1 MiB calls took.
constexpr DWORD kLargeWrite = 8u << 20;
// FAT32 holds no file of 4 GiB; a file per GiB also keeps each one's removal short.
constexpr uint64_t kLargeFileLimit = 1ull << 30;
// Small enough that NTFS keeps such a file inside its MFT record: these take the record space
// that small deleted files left, which no large file reaches.
constexpr DWORD kSlackFileBytes = 512;
constexpr int kMaxSlackFiles = 4096;

// Without trailing backslashes, but a drive's root keeps its own ("C:\\").
std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '\\' && !(path.size() == 3 && path[1] == ':'))
    path.pop_back();
  return path;
}

std::string WipeFolderOf(const std::string& parent) {
  std::string p = WithoutTrailingSlash(parent);
  if (p.empty() || p.back() != '\\') p += '\\';
  return p + kWipeFolderName;
}

// The drive root of a path that begins with a letter and a colon.
std::string RootOf(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' ? DriveRoot(path[0]) : std::string();
}

uint64_t FreeBytesOf(const std::string& path) {
  ULARGE_INTEGER available{}, total{}, totalFree{};
  if (!GetDiskFreeSpaceExA(path.c_str(), &available, &total, &totalFree)) return 0;
  return available.QuadPart;
}

DWORD SectorSizeOf(const std::string& path) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  const std::string root = RootOf(path);
  if (!root.empty() && GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector,
                                         &freeClusters, &clusters)) {
    // Unbuffered writes must be whole sectors; a size that is no power of two is not believed.
    if (bytesPerSector >= 512 && bytesPerSector <= 65536 &&
        (bytesPerSector & (bytesPerSector - 1)) == 0)
      return bytesPerSector;
  }
  return 4096;
}

// A folder that is a link, or that resolves elsewhere than where it lies, is never filled or
// emptied: the wipe's files go only where the wipe made them.
bool IsLinkedFolder(const std::string& parent, const std::string& folder, DWORD attributes) {
  if (IsLinkByReparse(folder, attributes)) return true;
  const std::string final = FinalPathOf(folder);
  const std::string parentFinal = WithoutTrailingSlash(FinalPathOf(parent));
  if (final.empty() || parentFinal.empty()) return false;
  std::string expected = parentFinal;
  if (expected.back() != '\\') expected += '\\';
  return !SameText(final, expected + kWipeFolderName);
}

bool IsDiskFull(DWORD error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

std::string ErrorDetail(const std::string& step, DWORD error) {
  return step + " - error " + std::to_string(error);
}

class Stopwatch {
 public:
  Stopwatch() {
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
  }
  double Seconds() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart - start_.QuadPart) / double(frequency_.QuadPart);
  }

 private:
  LARGE_INTEGER frequency_{}, start_{};
};

// One fill of the wipe folder. The large files are opened to be deleted when closed, so that
// the space returns the moment they close, also when the process ends without cleaning up; the
// small ones are removed by name, and the next start removes any a crash left.
class Fill {
 public:
  Fill(std::string folder, const WipeOptions& options, uint64_t target, const Stopwatch& clock)
      : folder_(std::move(folder)), options_(options), clock_(clock) {
    progress_.target = target;
  }
  ~Fill() { Release(); }

  // False when cancelled or failed; `failure` then says which step failed (empty on cancel).
  bool Run(DWORD sector) {
    if (!Report()) return false;
    return FillLarge(sector) && FillSlack();
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
  bool Fail(const std::string& step, DWORD error) {
    failure = ErrorDetail(step, error);
    return false;
  }

  // Large unbuffered writes of zeros, file after file, until the disk is full. When a write no
  // longer fits, the size halves down to one sector, so the last free clusters are taken too.
  bool FillLarge(DWORD sector) {
    void* zeros = VirtualAlloc(nullptr, kLargeWrite, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!zeros) return Fail("allocating the buffer", GetLastError());
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
      HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                             flags, nullptr);
      if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER &&
          (flags & FILE_FLAG_NO_BUFFERING)) {
        // A file system that cannot write past its cache refuses unbuffered files; such a
        // volume is filled through the cache, written through at once.
        flags &= ~FILE_FLAG_NO_BUFFERING;
        h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW, flags,
                        nullptr);
      }
      if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        if (IsDiskFull(e)) break;
        return Fail("creating " + name, e);
      }
      large_.push_back(h);
      uint64_t inFile = 0;
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
        progress_.written += written;
        inFile += written;
        if (ok && written == size) {
          if (!Report()) return false;
          continue;
        }
        if (!ok && !IsDiskFull(e)) return Fail("writing " + name, e);
        if (size <= sector || written % sector != 0) {
          full = true;
          break;
        }
        size = (size / 2 / sector) * sector;
        if (size < sector) size = sector;
      }
      // Unbuffered and write-through, the zeros are on the disk already and this costs
      // nothing; Wine ignores both flags and would drop the cached zeros of a file deleted
      // before they were written out, so the file is flushed before it goes.
      FlushFileBuffers(h);
    }
    return Report();
  }

  // Many small files, each taking a record's worth of the file system's own tables.
  bool FillSlack() {
    static const char zeros[kSlackFileBytes] = {};
    for (int i = 0; i < kMaxSlackFiles; ++i) {
      if (LimitReached(kSlackFileBytes)) break;
      std::string name;
      const std::string path = NextPath(name);
      HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
      if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        if (IsDiskFull(e)) break;
        return Fail("creating " + name, e);
      }
      small_.push_back(name);
      DWORD written = 0;
      const BOOL ok = WriteFile(h, zeros, kSlackFileBytes, &written, nullptr);
      const DWORD e = ok ? 0 : GetLastError();
      if (ok) FlushFileBuffers(h);  // as for the large files
      CloseHandle(h);
      progress_.written += written;
      if (!ok && !IsDiskFull(e)) return Fail("writing " + name, e);
      if (!ok || written < kSlackFileBytes) break;
      if (i % 64 == 63 && !Report()) return false;
    }
    return Report();
  }

  std::string folder_;
  const WipeOptions& options_;
  const Stopwatch& clock_;
  WipeProgress progress_;
  std::vector<HANDLE> large_;
  std::vector<std::string> small_;
  uint32_t next_ = 1;
};
}  // namespace

std::string DriveRoot(char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  return std::string(1, letter) + ":\\";
}

std::string TempFolderDrive() {
  char path[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathA(sizeof path, path);
  if (n == 0 || n > MAX_PATH) return {};
  return RootOf(path);
}

std::string WipeRefusalOf(const std::string& root) {
  return WipeRefusal(DriveKindOf(GetDriveTypeA(root.c_str())), FreeBytesOf(root));
}

WipeSummary WipeFreeSpace(const std::string& root, const WipeOptions& options) {
  WipeSummary s;
  s.drive = root;
  if (std::string why = WipeRefusalOf(root); !why.empty()) {
    s.outcome = WipeOutcome::Refused;
    s.detail = why;
    return s;
  }
  return FillAndRemove(root, options);
}

WipeSummary FillAndRemove(const std::string& parent, const WipeOptions& options) {
  const Stopwatch clock;
  WipeSummary s;
  s.drive = parent;
  const std::string folder = WipeFolderOf(parent);
  auto failed = [&](const std::string& detail) {
    s.outcome = WipeOutcome::Failed;
    s.detail = detail;
    s.seconds = clock.Seconds();
    return s;
  };
  if (!RemoveWipeFolder(parent))
    return failed(std::string("a folder ") + kWipeFolderName + " not the wipe's own is in the way");
  if (!CreateDirectoryA(folder.c_str(), nullptr))
    return failed(ErrorDetail("creating the folder", GetLastError()));
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || IsLinkedFolder(parent, folder, attributes))
    return failed("the wipe folder is a link");

  uint64_t target = FreeBytesOf(folder);
  if (options.byteLimit && options.byteLimit < target) target = options.byteLimit;
  bool ok;
  {
    Fill fill(folder, options, target, clock);
    ok = fill.Run(SectorSizeOf(folder));
    s.bytesWritten = fill.Written();
    fill.Release();  // the space goes back before anything else happens
    if (fill.cancelled) s.outcome = WipeOutcome::Cancelled;
    if (!ok && !fill.cancelled) {
      s.outcome = WipeOutcome::Failed;
      s.detail = fill.failure;
    }
  }
  if (!RemoveWipeFolder(parent) && s.outcome != WipeOutcome::Failed) {
    s.outcome = WipeOutcome::Failed;
    s.detail = "the wipe folder could not be removed";
  }
  s.seconds = clock.Seconds();
  return s;
}

bool RemoveWipeFolder(const std::string& parent) {
  const std::string folder = WipeFolderOf(parent);
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (IsLinkedFolder(parent, folder, attributes)) return false;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
        continue;
      if (!IsFillFileName(found.cFileName)) continue;
      const std::string path = folder + "\\" + found.cFileName;
      if (IsLinkToFile(path)) continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  return RemoveDirectoryA(folder.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Every letter is asked for its type rather than taken from GetLogicalDrives: under Wine a
// drive mapped while the session runs (a link added to "dosdevices") answers GetDriveType but is
// missing from that mask. On Windows both say the same.
void RemoveLeftoverWipeFolders() {
  for (char c = 'A'; c <= 'Z'; ++c) {
    const std::string root = DriveRoot(c);
    if (GetDriveTypeA(root.c_str()) != DRIVE_FIXED) continue;
    if (GetFileAttributesA(WipeFolderOf(root).c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    RemoveWipeFolder(root);
  }
}

void WipeTempDriveFreeSpace(ReportContext& ctx) {
  RunState& st = ctx.State();
  WipeSummary s;
  s.drive = TempFolderDrive();
  if (s.drive.empty()) {
    s.outcome = WipeOutcome::Refused;
    s.detail = "the Temp folder has no drive letter";
  } else if (st.preview) {
    if (std::string why = WipeRefusalOf(s.drive); !why.empty()) {
      s.outcome = WipeOutcome::Refused;
      s.detail = why;
    }
  } else {
    WipeOptions options;
    options.progress = [&](const WipeProgress& p) {
      ctx.View().ShowStatus(st.statusTitle + "  -  " + GroupedNumber(p.written) + " bytes written");
      ctx.View().PumpMessages();
      return !ctx.Cancelled();
    };
    s = WipeFreeSpace(s.drive, options);
  }
  ctx.AddReportLine(WipeDriveLine(s));
  if (st.preview && s.outcome == WipeOutcome::Completed) {
    ctx.AddReportLine("    Free bytes - " + GroupedNumber(FreeBytesOf(s.drive)));
    ctx.AddReportLine("        Result - to be wiped by a Purge");
  } else {
    ctx.AddReportLine(WipeBytesLine(s));
    ctx.AddReportLine(WipeTimeLine(s));
    ctx.AddReportLine(WipeResultLine(s));
  }
  if (s.outcome == WipeOutcome::Cancelled) ctx.AddReportLine("*** Cancelled by operator.");
  if (s.outcome == WipeOutcome::Refused || s.outcome == WipeOutcome::Failed) {
    ctx.AddReportLine(" -Error- Free space not wiped - " + s.detail);
    ctx.RaiseLevel(s.outcome == WipeOutcome::Refused ? 7 : 3);
    ctx.SetAttention();
  }
  ctx.AddReportLine("  Purge \"Wipe Free Space\" Function Completed.");
}
