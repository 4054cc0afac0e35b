#include "platform/shared_file.h"

#include <windows.h>

SharedFile::SharedFile(const std::string& path)
    : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {
  if (handle_ == INVALID_HANDLE_VALUE) openError_ = GetLastError();
}

SharedFile::~SharedFile() { Close(); }

bool SharedFile::IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

void SharedFile::Close() {
  if (IsOpen()) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

long long SharedFile::Size() const {
  LARGE_INTEGER size;
  if (!IsOpen() || !GetFileSizeEx(handle_, &size)) return -1;
  return size.QuadPart;
}

namespace {
OVERLAPPED At(long long offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(offset);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}
}  // namespace

bool SharedFile::ReadAt(long long offset, size_t count, std::string& out) const {
  out.assign(count, '\0');
  OVERLAPPED o = At(offset);
  DWORD got = 0;
  if (!IsOpen() || !ReadFile(handle_, out.data(), static_cast<DWORD>(count), &got, &o)) {
    out.clear();
    return GetLastError() == ERROR_HANDLE_EOF;
  }
  out.resize(got);
  return true;
}

bool SharedFile::WriteAt(long long offset, const std::string& data) {
  OVERLAPPED o = At(offset);
  DWORD put = 0;
  return IsOpen() && (data.empty() ||
                      (WriteFile(handle_, data.data(), static_cast<DWORD>(data.size()), &put, &o) &&
                       put == data.size()));
}

NamedMutexLock::NamedMutexLock(const std::string& name, unsigned waitMs)
    : mutex_(CreateMutexA(nullptr, FALSE, name.c_str())) {
  if (!mutex_) return;
  const DWORD r = WaitForSingleObject(mutex_, waitMs);
  held_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

NamedMutexLock::~NamedMutexLock() {
  if (held_) ReleaseMutex(mutex_);
  if (mutex_) CloseHandle(mutex_);
}
