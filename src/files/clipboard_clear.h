#pragma once
#include "app/report_context.h"

// "ClipBoard": empties the Windows clipboard; bypassed in a Preview.
void ClearClipboard(ReportContext& ctx);
