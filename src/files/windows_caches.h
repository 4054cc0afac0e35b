#pragma once
#include <string>
#include <vector>

#include "core/report_context.h"

// Files Windows keeps of what was looked at and what crashed, emptied through the folder purge:
// the temp protect list is honoured, links are removed and never followed, a file in use is
// "Locked" and stays. Nothing else in the folders named is touched.

// One folder's part of a purge: the entries matching `mask` (sub-folders by the same mask); a
// mask without wildcards names one file, and only that file is looked at.
struct FolderPart {
  std::string folder, mask;
};

// "Thumbnail Cache": Explorer's thumbcache_*.db and iconcache_*.db, and the older
// IconCache.db, under the user's local application data.
std::vector<FolderPart> ThumbnailCacheParts(const std::string& localAppData);
void PurgeThumbnailCacheIn(ReportContext& ctx, const std::string& localAppData);
void PurgeThumbnailCache(ReportContext& ctx);

// "Error Reports": Windows Error Reporting's ReportArchive, ReportQueue and Temp folders, the
// user's and (where the user may delete there) the machine's, the user's CrashDumps; with
// administrator rights the Windows folder's MEMORY.DMP and Minidump\*.dmp.
struct ErrorReportRoots {
  std::string localAppData, programData, windows;
};
void PurgeErrorReportsIn(ReportContext& ctx, const ErrorReportRoots& roots);
void PurgeErrorReports(ReportContext& ctx);
