#pragma once
#include <string>

#include "core/report_context.h"
#include "files/delete_outcome.h"

// The one routine through which every purge deletes a data file. Deletes nothing (not deleted,
// error 0) in a Preview or with "KeepFiles"; otherwise deletes plainly or shreds, as the run's
// secure-erase choice and shred settings say. The file is addressed by its bare name from inside
// its folder; the alternate name (its short 8.3 form, say) is tried when the path itself is not
// found. A file in use also sets the run's locked-file flag.
DeleteOutcome DeleteDataFile(ReportContext& ctx, const std::string& path,
                             const std::string& alternate = {});

// DeleteDataFile for a file that may be a link nobody has ruled out (a name an index or a
// profile gives): a link is removed itself, never deleted through, overwritten or followed.
DeleteOutcome DeleteDataFileOrLink(ReportContext& ctx, const std::string& path,
                                   const std::string& alternate = {});

// The removal of a link a walk found, never of what it points at; nothing with "KeepFiles".
DeleteOutcome RemoveFileLink(ReportContext& ctx, const std::string& path);

// Deletes `path`, or `alternate` when `path` is not found (errors 2, 3, 206) and `alternate` is
// non-empty and does not begin with a blank.
DeleteOutcome PlainDeleteFile(const std::string& path, const std::string& alternate = {});

// Which reports the line of a file that went (or would go) reaches; a failure's line reaches
// every report.
enum class FileLine { DetailOnly, Always };
// One whole file a purge takes, known to exist: listed "to delete" in a Preview, else deleted
// through DeleteDataFileOrLink, with its line. True, and counted in the run, when it went or
// would go.
bool PreviewOrDeleteFile(ReportContext& ctx, const std::string& path, FileLine line);
