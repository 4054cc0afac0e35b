#pragma once
#include "core/report_context.h"

// Windows' own tracks that only a system call removes. Each call is looked up by name when the
// purge runs: a system (or Wine) without it gets a "not available" line at level 1.

// "Event Logs": every channel wevtapi lists, classic and operational, cleared with EvtClearLog;
// one line a channel. Needs administrator rights (the run checks them first).
void ClearEventLogs(ReportContext& ctx);

// "DNS Cache": the resolver cache, through dnsapi's DnsFlushResolverCache.
void FlushDnsCache(ReportContext& ctx);

// "Clipboard History": the Win+V history (Windows 10 1809 and later) through the clipboard's
// ClearHistory, which keeps pinned items as Windows does.
void ClearClipboardHistory(ReportContext& ctx);
