#pragma once
#include <string>

#include "core/report_context.h"
#include "files/delete_outcome.h"

// The one routine through which every purge deletes a data file. Deletes nothing (false) in a
// Preview or with "KeepFiles"; otherwise deletes plainly or shreds, as the run's secure-erase
// choice and shred settings say. The file is addressed by its bare name from inside its folder;
// the alternate name (its short 8.3 form, say) is tried when the path itself is not found. On
// false, LastDeleteError() says why; a file in use also sets the run's locked-file flag.
bool DeleteDataFile(ReportContext& ctx, const std::string& path, const std::string& alternate = {});

// DeleteDataFile for a file that may be a link nobody has ruled out (a name an index or a
// profile gives): a link is removed itself, never deleted through, overwritten or followed.
bool DeleteDataFileOrLink(ReportContext& ctx, const std::string& path,
                          const std::string& alternate = {});

// Deletes `path`, or `alternate` when `path` is not found (errors 2, 3, 206) and `alternate` is
// non-empty and does not begin with a blank. True when deleted.
bool PlainDeleteFile(const std::string& path, const std::string& alternate = {});
