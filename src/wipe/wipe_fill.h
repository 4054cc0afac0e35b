#pragma once
#include <cstdint>
#include <string>

#include "wipe/wipe_rules.h"

// The fill of a wipe folder: files of zeros until the drive refuses more, then their removal.
struct FillOutcome {
  uint64_t written = 0;
  bool cancelled = false;
  std::string failure;  // the step that failed; empty when none did
};

// Fills `folder` (made by the caller, on a drive with `freeAtStart` bytes free) and removes every
// file it made before returning, whatever the outcome.
FillOutcome FillAndRelease(const std::string& folder, const WipeOptions& options,
                           uint64_t freeAtStart);
