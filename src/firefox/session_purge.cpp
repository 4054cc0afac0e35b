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

// The files of the backups folder: recovery.jsonlz4, recovery.baklz4, previous.jsonlz4 and
// the upgrade copies, whatever their names become.
std::vector<std::string> BackupFiles(const std::string& folder) {
  std::vector<std::string> paths;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return paths;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      paths.push_back(folder + "\\" + fd.cFileName);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  std::sort(paths.begin(), paths.end());
  return paths;
}
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
  for (const auto& path : BackupFiles(p.DataPath + "\\sessionstore-backups")) files.push_back(path);
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
