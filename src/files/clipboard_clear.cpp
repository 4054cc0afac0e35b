#include "files/clipboard_clear.h"

#include <windows.h>

void ClearClipboard(ReportContext& ctx) {
  if (ctx.State().preview) {
    ctx.AddReportLine("  \"Clear Windows ClipBoard\" Function bypassed for Preview.");
  } else {
    bool cleared = false;
    if (OpenClipboard(nullptr)) {
      cleared = EmptyClipboard() != FALSE;
      CloseClipboard();
    }
    if (cleared) {
      ctx.AddReportLine("  \"Clear Windows ClipBoard\" Function Completed.");
    } else {
      // Another program holds the clipboard open.
      ctx.AddReportLine("*** Error in above Function.");
      ctx.RaiseLevel(9);
    }
  }
  ctx.CountItem();
}
