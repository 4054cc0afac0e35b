#pragma once
#include <string>

#include "core/report_context.h"
#include "ie/cache_enumerator.h"

// "I.E. Strays": files in the cache container folders that no index entry names are deleted,
// and index entries whose file is gone are removed. "I.E. History Folders": the dated history
// containers are emptied.

// One kind of the Strays option (1, 101, 2, 102, 4, 104, 5, 105) over its container folder;
// adds the files and entries it counted to `count`.
void StraysPass(ReportContext& ctx, const CacheAccess& access, int code, const std::string& folder,
                long& count);

void PurgeIeStrays(ReportContext& ctx, const CacheAccess& access);
void ClearIeHistoryFolders(ReportContext& ctx, const CacheAccess& access);
void PurgeIeStrays(ReportContext& ctx);
void ClearIeHistoryFolders(ReportContext& ctx);

// Set once an index list ran out of memory: every later Strays kind is skipped until the
// program ends. Tests clear it.
bool& StraysOutOfMemory();
