#pragma once
#include <string>

// One wipe of a drive at a time, across every running copy of the program (a named mutex per
// drive). Without it a second wipe would find the first's fill files in the wipe folder, delete
// them and fail, and a start-up cleanup would remove a folder that is being filled.
class WipeLock {
 public:
  // Takes the lock of the wipe folder under `parent` (a drive's root) when no other wipe holds
  // it. A thread that holds it already takes it again.
  explicit WipeLock(const std::string& parent);
  ~WipeLock();
  WipeLock(const WipeLock&) = delete;
  WipeLock& operator=(const WipeLock&) = delete;
  bool Held() const { return held_; }

 private:
  void* mutex_ = nullptr;
  bool held_ = false;
};

// True when another wipe holds the lock of `parent` now.
bool WipeRunsOn(const std::string& parent);
