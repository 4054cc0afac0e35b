#include "wipe/wipe_lock.h"

#include <windows.h>

#include "core/text_util.h"
#include "platform/files.h"

namespace {
// In the global namespace, so that a copy in another session (another user signed in, a
// service) sees it too. A name holds no backslash past the namespace.
std::string MutexNameOf(const std::string& parent) {
  const std::string full = FullPathName(parent);
  std::string path = UpperCase(full.empty() ? parent : full);
  while (path.size() > 1 && path.back() == '\\') path.pop_back();
  for (char& c : path)
    if (c == '\\') c = '/';
  return "Global\\QuorvaneWipe " + path;
}
}  // namespace

WipeLock::WipeLock(const std::string& parent) {
  mutex_ = CreateMutexA(nullptr, FALSE, MutexNameOf(parent).c_str());
  // Made by a copy of another user, the mutex may refuse this one access: that copy is wiping.
  if (!mutex_) return;
  // An abandoned mutex is a wipe that ended without letting go (a crash): its folder is a
  // leftover, and this wipe may have it.
  const DWORD wait = WaitForSingleObject(mutex_, 0);
  held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

WipeLock::~WipeLock() {
  if (held_) ReleaseMutex(mutex_);
  if (mutex_) CloseHandle(mutex_);
}

bool WipeRunsOn(const std::string& parent) { return !WipeLock(parent).Held(); }
