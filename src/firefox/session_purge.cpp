#include "firefox/session_purge.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/report_rules.h"
#include "core/text_util.h"
#include "firefox/firefox_profile.h"
#include "firefox/history_purge.h"
#include "platform/files.h"

namespace {
constexpr const char* kCompleted = "  Purge \"FireFox Session\" Function Completed.";
}  // namespace

void PurgeFirefoxSession(ReportContext& ctx) {
  if (RefusedWhileFirefoxRuns(ctx)) return;
  const TFFoxProfile& p = FFoxProfile();
  if (p.DataPath.empty() || !DirectoryExists(p.DataPath)) {
    ctx.AddReportLine("    Profile folder not found..");
    ctx.AddReportLine(kCompleted);
    return;
  }
  std::vector<std::string> files;
  for (const char* name : {"sessionstore.jsonlz4", "sessionstore.js", "sessionstore.bak"})
    if (FileExists(p.DataPath + "\\" + name)) files.push_back(p.DataPath + "\\" + name);
  // The backups: recovery.jsonlz4, recovery.baklz4, previous.jsonlz4 and the upgrade copies,
  // whatever their names become.
  for (const auto& path : FilePathsIn(p.DataPath + "\\sessionstore-backups", "*"))
    files.push_back(path);
  long long done = 0;
  for (const auto& path : files) {
    if (ctx.Cancelled()) break;
    if (PurgeDataFile(ctx, path)) ++done;
  }
  if (done == 0) {
    ctx.AddReportLine("    No Session Files found to delete.");
    ctx.AddReportLine(kCompleted);
  } else {
    ctx.AddReportLine(std::string(kCompleted) + "   " + std::to_string(done) +
                      (done == 1 ? " Session File Processed." : " Session Files Processed."));
  }
}
