#include "ie/cache_purge.h"

#include <windows.h>

#include <cstdlib>

#include "cookies/keep_list_files.h"
#include "cookies/no_protection_window.h"
#include "core/folders.h"
#include "core/message_box.h"
#include "core/os_flags.h"
#include "core/program_window.h"
#include "core/report_rules.h"
#include "ie/cache_rules.h"
#include "ie/cookie_text.h"
#include "ie/ie_discovery.h"
#include "platform/files.h"

namespace rt = result_text;

namespace {
unsigned long long U64(const FILETIME& t) {
  return static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

// Local now minus the entry's last access in local time; empty when either will not convert.
std::string EntryAge(const FILETIME& lastAccess) {
  FILETIME local, now;
  SYSTEMTIME st;
  GetLocalTime(&st);
  if (!FileTimeToLocalFileTime(&lastAccess, &local) || !SystemTimeToFileTime(&st, &now)) return {};
  return FormatEntryAge(static_cast<long long>(U64(now) - U64(local)));
}

// Scrambles the value line of every cookie in the entry's text file, replacing the file whole
// or not at all. 0 when done, else the Windows error: the file then stays as it was.
unsigned long RandomizeCookieFile(const std::string& path) {
  if (path.empty()) return ERROR_FILE_NOT_FOUND;
  std::string text;
  if (!ReadWholeFile(path, text)) return GetLastError() ? GetLastError() : ERROR_READ_FAULT;
  if (!WriteWholeFile(path, RandomizeCookieText(text, [](int n) { return std::rand() % n; })))
    return GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
  return 0;
}
}  // namespace

// The full path of an entry's local file when it lies inside the kind's folder; empty when it
// does not. The shared record can be written by any low-integrity program of the user, so a
// name from it is trusted no further than the folder this pass purges.
std::string CheckedLocalFile(const std::string& localFile, int code) {
  const std::string path = FullPathName(localFile);
  return !path.empty() && LocalFileInFolder(path, CacheKindFolder(code)) ? path : std::string();
}

namespace {
bool IsQuietResult(const std::string& result) {
  return result == rt::kToDelete || result == rt::kToRandomize || result == rt::kRandomized ||
         result == rt::kDeleted;
}

// Keep list missing or unreadable, and the no-protection question: true when the pass goes on.
// A list that exists but cannot be read stops every kind, for each consults it; a missing one
// stops only the cookies.
bool PassMayRun(ReportContext& ctx, int code, const KeepList& keep, bool keepMissing,
                bool keepUnreadable, IeOptionRun& run) {
  const bool cookies = code == 1 || code == 101;
  if (keepUnreadable && !cookies) {
    ctx.AddReportLine(KeepListBypassLine(code));
    ctx.RaiseLevel(7);
    ctx.SetAttention();
    return false;
  }
  if (!cookies) return true;
  if (keepMissing || keepUnreadable) {
    ctx.AddReportLine(code == 1 ? "*** Error - Bypassed Cookie processing as existing Protect "
                                  "file could not be opened"
                                : "*** Error - Bypassed P-M Cookie processing as existing "
                                  "Protect file could not be opened");
    ctx.RaiseLevel(7);
    return false;
  }
  using A = IeOptionRun::Answer;
  if (ctx.State().preview || keep.Count() > 0) return true;
  if (run.answer == A::NotAsked && NoProtectionWarningWanted(CookieBrowser::Ie))
    run.answer = ShowNoProtectionWindow(ProgramMainWindow(), CookieBrowser::Ie) ==
                         NoProtectionAnswer::Continue
                     ? A::Continue
                     : A::Bypass;
  if (run.answer == A::Bypass) {
    ctx.AddReportLine("  Purge \"Cookies\" Function Bypassed.");
    run.answer = A::Bypassed;
  }
  return run.answer != A::Bypassed;
}

// One entry: kept silently, or deleted (randomized) and reported.
void ProcessEntry(ReportContext& ctx, CacheEnumerator& cache, const CacheKind& kind,
                  const KeepList& keep, IeOptionRun& run) {
  RunState& st = ctx.State();
  const CacheEntryView e = cache.CurrentEntry();
  const KeepMatch match = keep.LookupIeAddress(e.url, kind.keepMode);
  const int base = kind.code % 100;
  int level = 0;
  std::string result;
  const bool randomize = base == 1 && match.found && match.code == 'R';
  if (match.found && !randomize) return;  // kept: no line, not counted
  // A local file outside the kind's folder is neither deleted nor rewritten, and its entry
  // stays: the line says so.
  std::string localFile;
  if (!e.localFile.empty()) localFile = CheckedLocalFile(e.localFile, kind.code);
  if (randomize) ++run.randomized;
  if (!e.localFile.empty() && localFile.empty()) {
    result = rt::kAccessDenied;
    level = 7;
  } else if (randomize) {
    if (st.preview) {
      result = rt::kToRandomize;
    } else if (const unsigned long error = RandomizeCookieFile(localFile)) {
      const IeDeleteResult mapped = MapDeleteError(error, DeleteFlavour::LocalFile);
      result = mapped.text;
      level = mapped.level;
      if (result == rt::kLockedUrl) st.lockedFile = true;
    } else {
      result = rt::kRandomized;
    }
  } else if (st.preview) {
    result = rt::kToDelete;
  } else if (base == 3) {
    const DeleteEntryResult d = cache.DeleteEntry(ctx, e.url, localFile);
    result = d.kept ? rt::kToDelete : d.ok ? rt::kDeleted : rt::kErrorInUrl;
    if (!d.ok && !d.kept) level = 7;
  } else {
    const DeleteEntryResult d = cache.DeleteEntry(ctx, e.url, localFile);
    const IeDeleteResult mapped = MapDeleteError(d.error, DeleteFlavour::LocalFile);
    result = mapped.text;
    level = mapped.level;
    if (result == rt::kLockedUrl) st.lockedFile = true;  // the run's closing note on files in use
    // The file went but the index refused to let its entry go: not deleted, whatever the file
    // step says.
    if (!d.ok && d.error == 0 && d.indexError != 0) {
      result = rt::kDeleteFailed;
      level = 7;
    }
    // "KeepFiles" kept the file and its entry: nothing was deleted, and the line must not
    // claim it was.
    if (d.kept) {
      result = rt::kToDelete;
      level = 0;
    }
  }

  if (run.entries == 0 && st.detail) ctx.AddReportLine(kEntryHeaderLine);
  const std::string line = result + ReportTypeCode(kind, e.entryType) + EntryAge(e.lastAccess) +
                           "  " + e.url;
  if (IsQuietResult(result)) {
    ctx.AddDetailLine(line);
  } else {
    ctx.AddReportLine(line);
    ctx.SetAttention();
    ctx.RaiseLevel(level);
  }
  ++run.entries;
  ctx.CountItem();
}

bool ProtectedPassWanted(ReportContext& ctx, const std::string& folder) {
  return CurrentOsFlags().vista && !ctx.Cancelled() && !folder.empty() && DirectoryExists(folder);
}

void Footer(ReportContext& ctx, long entries, const std::string& completed) {
  if (entries > 0) {
    ctx.AddReportLine(completed + "  " + CountPhrase(entries, "Entry", "Entries") + "Processed.");
  } else {
    ctx.AddReportLine("    No Entries found to delete.");
    ctx.AddReportLine(completed);
  }
}

}  // namespace

void PurgeCacheKind(ReportContext& ctx, const CacheAccess& access, int code, IeOptionRun& run) {
  const CacheKind* kind = FindCacheKind(code);
  if (!kind) {
    ShowMessageBox("Internal Error - Invalid Cache Code - " + std::to_string(code) +
                       "\r\npassed to the Delete_Unwanted_Cache routine.\r\n\r\nPlease report "
                       "this message to the vendor...",
                   Caption("Error"), MessageKind::Error, MessageButtons::Ok);
    return;
  }
  CacheEnumerator& cache = access.For(code);
  KeepList keep(IeKeepListFile());
  const bool missing = GetFileAttributesA(keep.path.c_str()) == INVALID_FILE_ATTRIBUTES &&
                       (GetLastError() == ERROR_FILE_NOT_FOUND ||
                        GetLastError() == ERROR_PATH_NOT_FOUND);
  const bool unreadable = !missing && !LoadKeepList(keep);
  if (!PassMayRun(ctx, code, keep, missing, unreadable, run)) return;

  // The enumeration is closed however the pass ends.
  struct Closer {
    CacheEnumerator& c;
    ~Closer() { c.Close(); }
  } closer{cache};
  for (bool more = cache.First(kind->prefix); more; more = cache.Next()) {
    if (ctx.Cancelled()) {
      ctx.AddReportLine("*** Cancelled by operator.");
      return;
    }
    try {
      ProcessEntry(ctx, cache, *kind, keep, run);
    } catch (...) {
      // One entry's failure is its own; the pass goes on with the next.
    }
  }
  const CacheStatus status = cache.Status();
  if (status.error) {
    ctx.AddReportLine("*** Error Accessing Cache ***  " + status.text);
    ctx.RaiseLevel(7);
  }
}

void PurgeIeCookies(ReportContext& ctx, const CacheAccess& access) {
  IeOptionRun run;
  PurgeCacheKind(ctx, access, 1, run);
  if (ProtectedPassWanted(ctx, IeFolders().protectedCookiesFolder))
    PurgeCacheKind(ctx, access, 101, run);
  if (run.randomized > 0)
    ctx.AddReportLine("    " + CountPhrase(run.randomized, "Cookie", "Cookies") + "to Randomize.");
  Footer(ctx, run.entries, "  Purge \"Cookies\" Function Completed.");
}

void PurgeIeCache(ReportContext& ctx, const CacheAccess& access) {
  IeOptionRun run;
  PurgeCacheKind(ctx, access, 2, run);
  if (ProtectedPassWanted(ctx, IeFolders().protectedCacheFolder))
    PurgeCacheKind(ctx, access, 102, run);
  Footer(ctx, run.entries, "  \"I.E. Cache\" Function Completed.");
}

void PurgeIeVisited(ReportContext& ctx, const CacheAccess& access) {
  IeOptionRun run;
  PurgeCacheKind(ctx, access, 3, run);
  if (ProtectedPassWanted(ctx, IeFolders().protectedHistoryFolder))
    PurgeCacheKind(ctx, access, 103, run);
  Footer(ctx, run.entries, "  \"I.E. Visited URLs\" Function Completed.");
}

void PurgeIeUserData(ReportContext& ctx, const CacheAccess& access) {
  IeOptionRun run;
  const IeFolderSet& f = IeFolders();
  if (!f.userDataFolder.empty() && DirectoryExists(f.userDataFolder))
    PurgeCacheKind(ctx, access, 4, run);
  if (ProtectedPassWanted(ctx, f.protectedUserDataFolder)) PurgeCacheKind(ctx, access, 104, run);
  Footer(ctx, run.entries, "  Purge \"UserData\" Function Completed.");
}

void PurgeIeDomStore(ReportContext& ctx, const CacheAccess& access) {
  IeOptionRun run;
  const IeFolderSet& f = IeFolders();
  if (f.domStoreFound && DirectoryExists(f.domStoreFolder)) {
    PurgeCacheKind(ctx, access, 5, run);
    if (f.protectedDomStoreFound && ProtectedPassWanted(ctx, f.protectedDomStoreFolder))
      PurgeCacheKind(ctx, access, 105, run);
  }
  Footer(ctx, run.entries, "  Purge \"DOMstore\" Function Completed.");
}

CacheAccess ProgramCacheAccess() {
  static LinkEnumerator normal(UrlLink(), false), protectedMode(UrlLink(), true);
  return {normal, protectedMode};
}

void PurgeIeCookies(ReportContext& ctx) { PurgeIeCookies(ctx, ProgramCacheAccess()); }
void PurgeIeCache(ReportContext& ctx) { PurgeIeCache(ctx, ProgramCacheAccess()); }
void PurgeIeVisited(ReportContext& ctx) { PurgeIeVisited(ctx, ProgramCacheAccess()); }
void PurgeIeUserData(ReportContext& ctx) { PurgeIeUserData(ctx, ProgramCacheAccess()); }
void PurgeIeDomStore(ReportContext& ctx) { PurgeIeDomStore(ctx, ProgramCacheAccess()); }
