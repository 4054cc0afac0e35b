#pragma once
#include <string>

#include "core/report_context.h"

// "Recent LNKs": deletes the shortcut files of the user's recent-documents folder (found at
// start-up; empty when the shell could not name it), which is "could not be located".
void PurgeRecentLinksIn(ReportContext& ctx, const std::string& folder);
