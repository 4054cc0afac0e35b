#pragma once
#include <cstdint>
#include <string>

#include "core/report_context.h"

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

// Overwrites the file (method '0' Quick, '1' Thorough with `passes` passes, '2' Both), truncates
// it, moves it to a meaningless name and deletes it there. False leaves the file (partly
// overwritten after a cancel) under its own name.
bool ShredFile(ReportContext& ctx, const std::string& path, char method, int passes);

// A pass hands the system this much of its pattern per write (whole blocks, the block pattern
// repeated), and tests the cancel flag and lets messages run between writes. One block per call
// with write-through made a shred of a large file dozens of times slower than the disk; the bytes
// on disk and their order are the same either way.
constexpr size_t kShredWriteBytes = 4 << 20;

// Windows error of the last failed open, move or delete; 0 after a successful deletion.
uint32_t& LastDeleteError();

// True when the last deletion found a file with more than one name (hard links) and, being a
// secure erase, removed only this name: overwriting would have changed what the other names
// hold, so the content stays as it was.
bool& LastDeleteNameOnly();
// The result column of a deletion that succeeded, as wide as the caller's `deleted` text: that
// text, or kHardLinkOnly right-aligned to the same width when only this name went. Asked once
// per deletion: it clears LastDeleteNameOnly().
inline constexpr const char* kHardLinkOnly = "Hard link only - ";
std::string DeletedResultText(const std::string& deleted = "       deleted - ");
