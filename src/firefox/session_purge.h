#pragma once
#include "core/report_context.h"

// "FireFox Session": the files from which Firefox restores the last session's tabs with their
// back and forward history (sessionstore.jsonlz4, its older forms, and the copies kept in
// sessionstore-backups for crash recovery). Left behind, they bring back what a history purge
// removed the next time Firefox restores the session.
void PurgeFirefoxSession(ReportContext& ctx);
