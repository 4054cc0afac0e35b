#pragma once
#include "core/report_context.h"

// "ClipBoard": empties the Windows clipboard; bypassed in a Preview.
void ClearClipboard(ReportContext& ctx);
