#include "wipe/wipe_lock.h"

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

// Made by a copy of another user, the mutex may refuse this one access: that copy is wiping.
// An abandoned one is a wipe that ended without letting go (a crash): its folder is a leftover,
// and this wipe may have it.
WipeLock::WipeLock(const std::string& parent) : lock_(MutexNameOf(parent), 0) {}

bool WipeRunsOn(const std::string& parent) { return !WipeLock(parent).Held(); }
