#pragma once
#include <cstdint>
#include <string>

// What the last deletion of a data file came to, for the report line its caller writes; set by
// the plain delete and the shred alike.

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
