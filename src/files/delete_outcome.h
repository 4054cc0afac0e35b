#pragma once
#include <cstdint>
#include <string>

#include "core/report_rules.h"

// What one deletion of a data file came to, for the report line its caller writes; given back by
// the plain delete, the shred and the removal of a link alike.
struct DeleteOutcome {
  bool deleted = false;
  // Windows error of the failed open, move or delete; 0 when deleted, and when nothing was tried
  // (a Preview, "KeepFiles").
  uint32_t error = 0;
  // The file had more than one name (hard links) and, the deletion being a secure erase, only
  // this name went: overwriting would have changed what the other names hold.
  bool nameOnly = false;
  explicit operator bool() const { return deleted; }
};

// Only the outcome of a removal that gives back no more than its Windows error (0: removed).
inline DeleteOutcome OutcomeOfError(uint32_t error) { return {error == 0, error, false}; }

// The result column of a deletion that succeeded, `width` wide: "deleted", or kHardLinkOnly when
// only this name went.
inline constexpr const char* kHardLinkOnly = "Hard link only - ";
std::string DeletedResultText(const DeleteOutcome& outcome, size_t width = kResultWidth);
