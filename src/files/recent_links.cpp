#include "files/recent_links.h"

#include <windows.h>

#include <vector>

#include "core/report_rules.h"
#include "core/os_flags.h"
#include "core/text_util.h"
#include "files/secure_erase.h"
#include "platform/files.h"

namespace {
struct ListedName {
  std::string upper;  // as reported
  // What reaches the file: the listed name, or the short name when the code page cannot hold
  // the listed one (empty when it has none); and the short name as a second way in.
  std::string address, shortName;
};

// Files only, hidden and system ones included; folders are not links to delete. Listed wide:
// the ANSI listing turns a name the code page cannot hold into a look-alike that may be the
// name of another file.
std::vector<ListedName> ListFolder(ReportContext& ctx, const std::string& folder) {
  std::vector<ListedName> names;
  for (const ListedEntry& e : ListFolderWide(folder + "\\*.*")) {
    if (e.IsFolder()) continue;
    if (ctx.Cancelled()) {
      ctx.AddReportLine("*** Cancelled by operator.");
      break;
    }
    names.push_back({UpperCase(e.name), e.Address(), e.lossy ? std::string() : e.shortName});
    ctx.View().PumpMessages();
  }
  return names;
}

bool IsLink(const std::string& upperName) {
  return upperName.size() >= 4 && upperName.compare(upperName.size() - 4, 4, ".LNK") == 0;
}

// Deletes one file of the purge (preview: only named) with the report lines of the links.
void DeleteListed(ReportContext& ctx, const std::string& folder, const ListedName& n) {
  const std::string full = UpperCase(folder) + "\\" + n.upper;
  ctx.CountItem();
  if (ctx.State().preview) {
    ctx.AddDetailLine(DeleteResultText(true) + full);
  } else {
    // The short name stands in when the listed name does not reach the file; it is given with
    // its folder, never resolved in the current one. A file that no name reaches is said.
    const std::string shortPath = n.shortName.empty() ? std::string() : folder + "\\" + n.shortName;
    if (n.address.empty()) {
      ctx.SetAttention();
      ctx.AddReportLine(ResultColumn(ctx.MapFileError(ERROR_INVALID_NAME)) + full);
    } else if (const DeleteOutcome outcome =
                   DeleteDataFileOrLink(ctx, folder + "\\" + n.address, shortPath)) {
      // A file-system link named like a shortcut goes itself, never what it points at.
      ctx.AddDetailLine(DeletedResultText(outcome) + full);
    } else {
      const std::string result = ctx.MapFileError(outcome.error);
      ctx.SetAttention();
      ctx.AddReportLine(ResultColumn(result) + full);
    }
  }
  ctx.View().PumpMessages();
}

// Windows 7 and later keep the recent items of the taskbar and Quick Access in jump lists, one
// file per program in these two folders; they are recent documents as much as the links are.
// Nothing is said when neither folder exists.
void PurgeJumpLists(ReportContext& ctx, const std::string& recent) {
  long long files = 0;
  bool found = false;
  for (const char* sub : {"AutomaticDestinations", "CustomDestinations"}) {
    const std::string folder = recent + "\\" + sub;
    const DWORD a = GetFileAttributesA(folder.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) continue;
    found = true;
    for (const ListedName& n : ListFolder(ctx, folder)) {
      ++files;
      DeleteListed(ctx, folder, n);
    }
  }
  if (!found) return;
  if (files > 0)
    ctx.AddReportLine("    Jump Lists:  " + std::to_string(files) + " Files Processed.");
  else
    ctx.AddReportLine("    No Jump List files found to delete.");
}
}  // namespace

// The links are addressed by full path rather than through the process's current directory,
// which other code of the run relies on.
void PurgeRecentLinksIn(ReportContext& ctx, const std::string& folder) {
  if (folder.empty()) {
    ctx.AddReportLine(" -Error- Recent LNKs:  not processed as folder could not be located");
    ctx.RaiseLevel(3);
    return;
  }
  long long links = 0;
  for (const ListedName& n : ListFolder(ctx, folder)) {
    if (!IsLink(n.upper)) continue;
    ++links;
    DeleteListed(ctx, folder, n);
  }
  if (CurrentOsFlags().win7 && !ctx.Cancelled()) PurgeJumpLists(ctx, folder);
  if (links > 0) {
    ctx.AddReportLine("  Purge \"Recent LNKs\" Function Completed.   " + std::to_string(links) +
                      " Links Processed.");
  } else {
    ctx.AddReportLine("    No Links found to delete.");
    ctx.AddReportLine("  Purge \"Recent LNKs\" Function Completed.");
  }
}
