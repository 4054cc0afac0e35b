#pragma once
#include <string>

#include "platform/shared_file.h"

// One wipe of a drive at a time, across every running copy of the program (a named mutex per
// drive). Without it a second wipe would find the first's fill files in the wipe folder, delete
// them and fail, and a start-up cleanup would remove a folder that is being filled.
class WipeLock {
 public:
  // Takes the lock of the wipe folder under `parent` (a drive's root) when no other wipe holds
  // it. A thread that holds it already takes it again.
  explicit WipeLock(const std::string& parent);
  bool Held() const { return lock_.Held(); }

 private:
  NamedMutexLock lock_;
};

// True when another wipe holds the lock of `parent` now.
bool WipeRunsOn(const std::string& parent);
