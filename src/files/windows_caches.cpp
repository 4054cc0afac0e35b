#include "files/windows_caches.h"

#include <windows.h>

#include "core/report_rules.h"
#include "core/text_util.h"
#include "files/secure_erase.h"
#include "files/temp_folders.h"
#include "files/temp_protect_list.h"
#include "platform/files.h"
#include "platform/shell_folders.h"

namespace {
std::string SpecialFolderPath(int csidl) {
  const SpecialFolder f = GetSpecialFolder(csidl);
  return f.ok ? f.text : std::string();
}

std::string WindowsFolder() {
  char buf[MAX_PATH] = {};
  const UINT n = GetWindowsDirectoryA(buf, sizeof buf);
  return n > 0 && n < sizeof buf ? buf : "";
}

// Whether the user may delete in a folder: the machine-wide report folders refuse a standard
// user, and every file there would be an error line.
bool MayDeleteIn(const std::string& folder) {
  HANDLE h = CreateFileA(folder.c_str(), FILE_DELETE_CHILD,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

// A part that names one file: the folder around it is not walked (the Windows folder, the whole
// local application data), the file alone is checked against the protect list and taken.
long long TakeOneFile(ReportContext& ctx, const FolderPart& part) {
  const std::string path = part.folder + "\\" + part.mask;
  if (!FileExists(path)) return 0;
  const std::string shown = UpperCase(path);
  if (TempProtectEntries().Match(shown, UpperCase(part.mask), SystemWildcardMatch) == 'p') {
    ctx.AddDetailLine(FolderPurgeTexts().protectedItem + shown);
    return 0;
  }
  PreviewOrDeleteFile(ctx, shown, FileLine::DetailOnly);
  return 1;
}

// The matching entries of each folder that exists go through the folder purge (protect list,
// links and files in use as in the temp folders); the folders themselves stay.
void PurgeFolderSet(ReportContext& ctx, const std::string& caption,
                    const std::vector<FolderPart>& parts) {
  FolderPurgeOptions options;
  if (BypassedForUnreadableProtectList(ctx, options, caption)) return;
  long long count = 0;
  for (const FolderPart& part : parts) {
    if (ctx.Cancelled()) return;
    if (part.folder.empty() || !DirectoryExists(part.folder)) continue;
    if (part.mask.find_first_of("*?") == std::string::npos) {
      count += TakeOneFile(ctx, part);
      continue;
    }
    options.mask = part.mask;
    count += PurgeFolderTree(ctx, part.folder, options);
  }
  if (ctx.Cancelled()) return;
  if (count > 0) {
    ctx.AddReportLine("  Purge \"" + caption + "\" Function Completed.  " +
                      CountPhrase(count, "File/Directory", "Files/Directories") + "Processed.");
  } else {
    ctx.AddReportLine("    No Files/Directories found to delete.");
    ctx.AddReportLine("  Purge \"" + caption + "\" Function Completed.");
  }
}
}  // namespace

std::vector<FolderPart> ThumbnailCacheParts(const std::string& localAppData) {
  if (localAppData.empty()) return {};
  const std::string explorer = localAppData + "\\Microsoft\\Windows\\Explorer";
  return {
      {explorer, "thumbcache_*.db"}, {explorer, "iconcache_*.db"}, {localAppData, "IconCache.db"}};
}

void PurgeThumbnailCacheIn(ReportContext& ctx, const std::string& localAppData) {
  PurgeFolderSet(ctx, "Thumbnail Cache", ThumbnailCacheParts(localAppData));
}

void PurgeThumbnailCache(ReportContext& ctx) {
  PurgeThumbnailCacheIn(ctx, SpecialFolderPath(kCsidlLocalAppData));
}

void PurgeErrorReportsIn(ReportContext& ctx, const ErrorReportRoots& roots) {
  std::vector<FolderPart> parts;
  auto reports = [&](const std::string& root, bool machine) {
    if (root.empty()) return;
    for (const char* sub : {"ReportArchive", "ReportQueue", "Temp"}) {
      const std::string folder = root + "\\Microsoft\\Windows\\WER\\" + sub;
      if (!machine || MayDeleteIn(folder)) parts.push_back({folder, "*.*"});
    }
  };
  reports(roots.localAppData, false);
  reports(roots.programData, true);
  if (!roots.localAppData.empty()) parts.push_back({roots.localAppData + "\\CrashDumps", "*.*"});
  // The system's own crash dumps are the administrators' to remove.
  if (!roots.windows.empty()) {
    const std::string memoryDump = roots.windows + "\\MEMORY.DMP";
    const std::string minidumps = roots.windows + "\\Minidump";
    if (ctx.State().elevated) {
      parts.push_back({roots.windows, "MEMORY.DMP"});
      parts.push_back({minidumps, "*.dmp"});
    } else if (FileExists(memoryDump) || DirectoryExists(minidumps)) {
      ctx.AddReportLine(
          "    MEMORY.DMP and Minidump not processed - they need administrator rights.");
    }
  }
  PurgeFolderSet(ctx, "Error Reports", parts);
}

void PurgeErrorReports(ReportContext& ctx) {
  PurgeErrorReportsIn(ctx, {SpecialFolderPath(kCsidlLocalAppData),
                            SpecialFolderPath(kCsidlCommonAppData), WindowsFolder()});
}
