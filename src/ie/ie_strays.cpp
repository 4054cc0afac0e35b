#include "ie/ie_strays.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <vector>

#include "core/message_box.h"
#include "core/os_flags.h"
#include "core/report_rules.h"
#include "core/text_util.h"
#include "files/secure_erase.h"
#include "ie/cache_rules.h"
#include "ie/ie_discovery.h"
#include "ie/ie_rules.h"
#include "ie/stray_index.h"
#include "platform/files.h"
#include "platform/links.h"
#include "platform/reparse_rules.h"

namespace rt = result_text;

namespace {
struct FolderScan {
  ReportContext& ctx;
  StrayIndex& index;
  long& count;
  const FileLinksBelow& links;
  long listed = 0;
  // The kind's protected-mode folders, upper-cased: a normal kind's folder may hold its
  // protected twin (user data + "\Low"), whose files have an index of their own.
  std::vector<std::string> skipped;
};

bool IsIndexFileName(std::string_view upper) {
  return upper == "DESKTOP.INI" || upper == "CONTAINER.DAT" || upper == "INDEX.DAT";
}

void ReportStrayFailure(ReportContext& ctx, unsigned long error, const std::string& upperPath) {
  const IeDeleteResult r = MapDeleteError(error, DeleteFlavour::Stray);
  ctx.AddReportLine(r.text + upperPath);
  if (r.text == rt::kLocked)
    ctx.State().lockedFile = true;  // the run's closing note on files in use
  else
    ctx.SetAttention();
  ctx.RaiseLevel(r.level);
}

void DeleteStray(FolderScan& scan, const std::string& folder, const std::string& relative,
                 const std::string& folderFinal, const ListedEntry& e,
                 const std::string& upperPath) {
  ReportContext& ctx = scan.ctx;
  // A name the code page cannot hold and no short name: no call can reach the file, and the
  // look-alike name may be another file's.
  if (e.Address().empty()) {
    ReportStrayFailure(ctx, ERROR_INVALID_NAME, upperPath);
    return;
  }
  const std::string path = folder + "\\" + e.Address();
  DeleteOutcome outcome;
  // A link goes itself; what it points at is outside the container and stays.
  if (IsLinkReparse(e.attributes, e.reparseTag) ||
      scan.links.Has(relative.empty() ? e.name : relative + "\\" + e.name,
                     folder + "\\" + e.name, e.name, folderFinal)) {
    outcome = RemoveFileLink(ctx, path);
  } else {
    if (e.attributes & FILE_ATTRIBUTE_READONLY)
      SetFileAttributesA(path.c_str(), e.attributes & ~FILE_ATTRIBUTE_READONLY);
    outcome = DeleteDataFile(ctx, path, e.lossy ? std::string() : e.shortName);
  }
  // "KeepFiles" keeps the file without an error: the run reports it as the purge would.
  if (outcome.deleted || (outcome.error == 0 && ctx.State().keepFiles)) {
    ctx.AddDetailLine(DeletedResultText(outcome) + upperPath);
    return;
  }
  if (ctx.Cancelled()) return;  // a shred stopped by Cancel: the file stays, and that is no error
  ReportStrayFailure(ctx, outcome.error, upperPath);
}

// The folder's own files, then its sub-folders depth first; links to folders are not entered.
void ScanFolder(FolderScan& scan, const std::string& folder, const std::string& relative,
                bool recurse) {
  ReportContext& ctx = scan.ctx;
  std::string upperPath;
  AppendUpper(upperPath, folder);
  upperPath += '\\';
  const size_t nameAt = upperPath.size();
  std::vector<std::pair<std::string, std::string>> subFolders;  // name, address
  const std::string folderFinal = scan.links.FolderFinal(folder);
  // Listed wide: the ANSI listing gives a name the code page cannot hold as a best-fit
  // look-alike, which may be the name of another file, one the index names.
  ListFolderWide(folder + "\\*.*", [&](ListedEntry&& e) {
    if (e.IsFolder()) {
      if (recurse && !IsLinkReparse(e.attributes, e.reparseTag)) {
        upperPath.resize(nameAt);
        AppendUpper(upperPath, e.name);
        if (std::find(scan.skipped.begin(), scan.skipped.end(), upperPath) != scan.skipped.end())
          return true;
        if (e.Address().empty())  // no name any call can enter it by
          ReportStrayFailure(ctx, ERROR_INVALID_NAME, upperPath);
        else
          subFolders.emplace_back(e.name, e.Address());
      }
      return true;
    }
    // A message check per file costs a round trip to the window system that 50 000 files
    // feel; every tenth keeps Cancel as quick to answer.
    if (++scan.listed % 10 == 0) ctx.View().PumpMessages();
    if (ctx.Cancelled()) {
      ctx.AddReportLine("*** Cancelled by operator.");
      return false;
    }
    upperPath.resize(nameAt);
    AppendUpper(upperPath, e.name);
    if (IsIndexFileName(std::string_view(upperPath).substr(nameAt))) return true;
    if (scan.index.MarkFound(upperPath)) return true;
    ++scan.count;
    ctx.CountItem();
    if (ctx.State().preview)
      ctx.AddDetailLine(DeleteResultText(true) + upperPath);
    else
      DeleteStray(scan, folder, relative, folderFinal, e, upperPath);
    return true;
  });
  for (const auto& [name, address] : subFolders) {
    if (ctx.Cancelled()) return;
    ScanFolder(scan, folder + "\\" + address, relative.empty() ? name : relative + "\\" + name,
               true);
  }
}

// Reads the kind's whole index; false (with its report line or message) when it could not.
bool BuildIndexList(ReportContext& ctx, CacheEnumerator& cache, const CacheKind& kind,
                    StrayIndex& index) {
  try {
    for (bool more = cache.First(kind.prefix); more; more = cache.Next()) {
      CacheEntryView e = cache.CurrentEntry();
      index.Add(e.localFile, std::move(e.url));
    }
  } catch (const std::bad_alloc&) {
    StraysOutOfMemory() = true;
    index = StrayIndex();
    ShowMessageBox(
        "Insufficient RAM to perform the \"Strays\" processing.\r\nTry again after some "
        "Cache is purged.\r\nFunction Terminated.",
        Caption("Message"), MessageKind::Error, MessageButtons::Ok);
    ctx.SetAttention();
    ctx.RaiseLevel(9);
    return false;
  }
  const CacheStatus status = cache.Status();
  if (status.error) {
    ctx.AddReportLine("*** Error Accessing Cache ***  " + status.text);
    ctx.RaiseLevel(7);
    return false;
  }
  return true;
}

void RemoveOrphans(ReportContext& ctx, CacheEnumerator& cache, const StrayIndex& index,
                   bool protectedKind, long& count) {
  for (const StrayRecord& r : index.Records()) {
    if (r.found) continue;
    if (ctx.Cancelled()) {
      ctx.AddReportLine("*** Cancelled by operator.");
      return;
    }
    std::string result = DeleteResultText(true);
    if (!ctx.State().preview) {
      const DeleteEntryResult d = cache.DeleteEntry(ctx, r.url, "");
      // The server may not touch some entries at low integrity: those are not ours to report.
      if (!d.ok && protectedKind && d.indexError == ERROR_ACCESS_DENIED) continue;
      result = d.ok ? DeleteResultText(false) : rt::kDeleteFailed;
    }
    ++count;
    ctx.CountItem();
    if (result == rt::kDeleteFailed) {
      ctx.AddReportLine(result + r.url);
      ctx.SetAttention();
      ctx.RaiseLevel(7);
    } else {
      ctx.AddDetailLine(result + r.url);
    }
  }
}

}  // namespace

bool& StraysOutOfMemory() {
  static bool mark = false;
  return mark;
}

void StraysPass(ReportContext& ctx, const CacheAccess& access, int code, const std::string& folder,
                long& count) {
  const CacheKind* kind = FindCacheKind(code);
  if (!kind || StraysOutOfMemory()) return;
  if (folder.empty() || !DirectoryExists(folder) || !HasIndexFile(folder)) return;
  CacheEnumerator& cache = access.For(code);
  StrayIndex index;
  {
    struct Closer {
      CacheEnumerator& c;
      ~Closer() { c.Close(); }
    } closer{cache};
    if (!BuildIndexList(ctx, cache, *kind, index)) return;
  }
  const FileLinksBelow links(folder, !ctx.State().preview);
  FolderScan scan{ctx, index, count, links};
  if (!IsProtectedKind(code)) {
    // The discovered protected folder, and for the user data its "\Low" form even when that
    // has no index file yet: its files are never this kind's strays.
    for (std::string twin : {CacheKindFolder(code + 100),
                             code == 4 ? DropTrailingBackslash(folder) + "\\Low" : std::string()})
      if (!twin.empty()) {
        std::string upper;
        AppendUpper(upper, DropTrailingBackslash(twin));
        scan.skipped.push_back(std::move(upper));
      }
  }
  ScanFolder(scan, folder, {}, code % 100 != 1);  // the cookies folder without sub-folders
  if (ctx.Cancelled()) return;
  RemoveOrphans(ctx, cache, index, IsProtectedKind(code), count);
}

void PurgeIeStrays(ReportContext& ctx, const CacheAccess& access) {
  try {
    long count = 0;
    const bool vista = CurrentOsFlags().vista;
    for (int code : {1, 101, 2, 102, 4, 104, 5, 105}) {
      if (ctx.Cancelled()) break;
      if (IsProtectedKind(code) && !vista) continue;
      StraysPass(ctx, access, code, CacheKindFolder(code), count);
    }
    if (count > 0) {
      ctx.AddReportLine("  \"I.E. Strays\" Function Completed. " +
                        CountPhrase(count, "File/URL", "Files/URLs") + "Processed.");
    } else {
      ctx.AddReportLine("    No Strays found to delete.");
      ctx.AddReportLine("  \"I.E. Strays\" Function Completed. ");
    }
  } catch (...) {
    ctx.AddReportLine("*** Error in above Function.");
    ctx.RaiseLevel(9);
    ctx.SetAttention();
  }
}

void ClearIeHistoryFolders(ReportContext& ctx, const CacheAccess& access) {
  try {
    if (ctx.State().preview) {
      ctx.AddReportLine("  \"I.E. History Folders\" Function bypassed for Preview.");
      return;
    }
    const long normal = access.normal.ClearHistoryContainers();
    ctx.AddReportLine("  Cleared " + CountPhrase(normal, "URL", "URLs") + "from Normal History");
    if (CurrentOsFlags().vista) {
      const long protectedCount = access.protectedMode.ClearHistoryContainers();
      ctx.AddReportLine("  Cleared " + CountPhrase(protectedCount, "URL", "URLs") +
                        "from Protected History");
    }
    ctx.AddReportLine("  \"I.E. History Folders\" Function Completed.");
  } catch (...) {
    ctx.AddReportLine("*** Error in above Function.");
    ctx.RaiseLevel(9);
    ctx.SetAttention();
  }
}

void PurgeIeStrays(ReportContext& ctx) { PurgeIeStrays(ctx, ProgramCacheAccess()); }
void ClearIeHistoryFolders(ReportContext& ctx) { ClearIeHistoryFolders(ctx, ProgramCacheAccess()); }
