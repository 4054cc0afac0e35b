#pragma once
#include <string>

#include "core/report_context.h"

// "Recent LNKs": deletes the shortcut files of the user's recent-documents folder (the Firefox
// profile record's RecentFolder, found at start-up; empty when the shell could not name it).
void PurgeRecentLinks(ReportContext& ctx);
// The same on a given folder; an empty one is "could not be located".
void PurgeRecentLinksIn(ReportContext& ctx, const std::string& folder);
