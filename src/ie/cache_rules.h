#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Text rules of the Internet Explorer cache index purge, free of Windows calls: the cache
// kinds, the report's type and age columns, and what a failed deletion reports.

// One kind of cache-index entry: the container its search prefix selects, how its lines are
// marked, and the keep-list mode its addresses are looked up with. Codes from 101 up are the
// protected-mode ("Low") twins of codes 1 to 5.
struct CacheKind {
  int code;
  const char* name;
  const char* prefix;
  char typeLetter;  // 'N' for cache entries stands for 'S' when the entry is sticky
  int keepMode;
};
// nullptr for a code that is not a kind.
const CacheKind* FindCacheKind(int code);
inline bool IsProtectedKind(int code) { return code > 100; }

// The two-character type column: the kind's letter (S for a sticky cache entry) and a blank,
// or 'p' for a protected-mode kind.
std::string ReportTypeCode(const CacheKind& kind, uint32_t entryType);

// "ddd-hh:mm" for an age in 100-nanosecond units: days padded with zeros to three digits,
// whose leading zero becomes a blank (" 05-03:27", "123-00:00", "1000-00:00"). A time ahead of
// the clock counts as no age at all.
std::string FormatEntryAge(long long age100ns);

// Whether a failed deletion was of an index entry's own local file (a locked file then reads
// "    Locked URL - ") or of a stray file in a container folder.
enum class DeleteFlavour { LocalFile, Stray };
struct IeDeleteResult {
  std::string text;  // the 17-character result column
  int level;         // the error level it raises to (0: none)
};
IeDeleteResult MapDeleteError(unsigned long code, DeleteFlavour flavour);

// A failed deletion of an entry's local file that says the file is gone: the file itself
// (error 2) or its folder (error 3, a container folder someone removed). Either way nothing is
// left to delete and the entry may go; anything else keeps it.
bool LocalFileGone(unsigned long code);

// The dated history containers (daily and weekly history): a prefix of more than 18
// characters with ':' at positions 1 and 18 and a blank at 19, as in ":2026120720261208: ".
bool IsDatedHistoryPrefix(std::string_view prefix);

// The local file an index entry names comes from the shared record, which a low-integrity
// process can write: it is used only when its full path (as GetFullPathNameA makes it) lies
// strictly below the folder of the kind being purged. Compared without regard to case; a
// stream name (a ':' past the drive) or a device path never qualifies.
bool LocalFileInFolder(std::string_view fullPath, std::string_view folder);

// The plain (non-Ex) enumeration selects a whole container by an exact prefix, and that is
// documented only for the cookies, the visited addresses and the content cache ("*.*").
bool PlainEnumerationServes(std::string_view prefix);

// What one probe of FindFirstUrlCacheEntryExA answered.
struct ExProbe {
  bool found;       // a handle came back
  uint32_t error;   // the error when none did
  bool underWine;   // Wine's Ex calls are stubs that answer error 2 (or none at all)
};
// Whether the Ex enumeration is a stub: "not implemented" anywhere, or Wine's stub answers.
// On Windows error 2 is an ordinary answer and never makes the Ex calls count as missing.
bool ExEnumerationIsStub(const ExProbe& probe);

// Decides once, on first use, whether this process enumerates with the plain calls; the probe
// runs at most once.
class EnumerationChoice {
 public:
  template <typename Probe>
  bool ExIsStub(Probe&& probe) {
    if (!decided_) {
      stub_ = ExEnumerationIsStub(probe());
      decided_ = true;
    }
    return stub_;
  }

 private:
  bool decided_ = false;
  bool stub_ = false;
};

// The error line of a pass bypassed because the keep list exists but could not be read.
std::string KeepListBypassLine(int code);
