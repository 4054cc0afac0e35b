#pragma once
#include "core/report_context.h"

// Internet Explorer tracks kept in the current user's registry: the addresses typed into the
// address bars of Internet Explorer and the MSN browsers, and the search providers' previous
// searches.

// Body of "I.E. Typed URLs": lists in a preview, deletes otherwise.
void ClearTypedUrls(ReportContext& ctx);
// Deletes every provider's "PreviousSearches" value, counting each in `counter`; true when at
// least one was deleted.
bool ClearPreviousSearches(ReportContext& ctx, long long& counter);
// Body of "I.E. Searches": bypassed in a preview.
void ClearSearches(ReportContext& ctx);
