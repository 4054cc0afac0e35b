#include "files/recent_links.h"

#include <windows.h>

#include <vector>

#include "core/report_rules.h"
#include "core/text_util.h"
#include "files/secure_erase.h"

namespace {
struct ListedName {
  std::string upper, shortName;
};

// Files only, hidden and system ones included; folders are not links to delete.
std::vector<ListedName> ListFolder(ReportContext& ctx, const std::string& folder) {
  std::vector<ListedName> names;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (ctx.Cancelled()) {
      ctx.AddReportLine("*** Cancelled by operator.");
      break;
    }
    names.push_back({UpperCase(fd.cFileName), fd.cAlternateFileName});
    ctx.View().PumpMessages();
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return names;
}

bool IsLink(const std::string& upperName) {
  return upperName.size() >= 4 && upperName.compare(upperName.size() - 4, 4, ".LNK") == 0;
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
  const std::string upperFolder = UpperCase(folder);
  long long links = 0;
  for (const ListedName& n : ListFolder(ctx, folder)) {
    if (!IsLink(n.upper)) continue;
    const std::string full = upperFolder + "\\" + n.upper;
    ++links;
    ctx.CountItem();
    if (ctx.State().preview) {
      ctx.AddDetailLine(std::string(result_text::kToDelete) + full);
    } else {
      LastDeleteError() = 0;
      // A file-system link named like a shortcut goes itself, never what it points at.
      if (DeleteDataFileOrLink(ctx, full, n.shortName)) {
        ctx.AddDetailLine(DeletedResultText() + full);
      } else {
        const std::string result = ctx.MapFileError(LastDeleteError());
        ctx.SetAttention();
        ctx.AddReportLine(ResultColumn(result) + full);
      }
    }
    ctx.View().PumpMessages();
  }
  if (links > 0) {
    ctx.AddReportLine("  Purge \"Recent LNKs\" Function Completed.   " + std::to_string(links) +
                      " Links Processed.");
  } else {
    ctx.AddReportLine("    No Links found to delete.");
    ctx.AddReportLine("  Purge \"Recent LNKs\" Function Completed.");
  }
}
