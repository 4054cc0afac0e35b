#pragma once
#include <string>
#include <vector>

#include "core/report_context.h"

class TSQLiteDatabase;

// The purge functions "FireFox Typed URLs", "FireFox History File" and "FireFox Forms History":
// rows of Places.sqlite (and favicons.sqlite) and FormHistory.sqlite in an SQLite profile, the
// whole History.dat and FormHistory.dat in a legacy one. None touches a profile while Firefox
// runs. Each writes only its body lines; the run's frame writes the header and the footer.
void PurgeFirefoxTypedUrls(ReportContext& ctx);
void PurgeFirefoxHistory(ReportContext& ctx);
void PurgeFirefoxForms(ReportContext& ctx);

// True when every statement ran (and, for the history and forms, the compaction did not fail).
bool DeleteTypedUrls(ReportContext& ctx);
bool DeleteHistory(ReportContext& ctx);
bool DeleteFormHistory(ReportContext& ctx);

// Which database a compaction reports on.
enum class CompactKind { History, FormHistory, Cookie };
// VACUUM of the main database (and of the attached ones named) when the run's Compact Files
// is Yes; true when off or done, false after its error line.
bool CompactDatabase(ReportContext& ctx, TSQLiteDatabase& db, CompactKind kind,
                     const std::vector<std::string>& attached = {});

// A database the last refresh found and that is still there. Opening a missing file would
// create an empty database in its place (the profile's folder still there) and report on that.
bool DatabaseStillThere(bool found, const std::string& path);

// The refusal line (and level 7 outside a preview) while Firefox runs; true when refused.
bool RefusedWhileFirefoxRuns(ReportContext& ctx);

// Deletes one whole data file (or reports it in a preview); true when it was (or would be)
// deleted.
bool PurgeDataFile(ReportContext& ctx, const std::string& path);
