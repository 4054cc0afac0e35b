#pragma once
#include <string>

// A file that several copies of the program write while others may read or rename it (the log
// of runs, with a viewer holding it open): opened, or created, sharing read, write and delete.
class SharedFile {
 public:
  explicit SharedFile(const std::string& path);
  ~SharedFile();
  SharedFile(const SharedFile&) = delete;
  SharedFile& operator=(const SharedFile&) = delete;

  bool IsOpen() const;
  unsigned long OpenError() const { return openError_; }  // GetLastError of a failed open
  void Close();
  long long Size() const;  // -1 when unknown
  // Up to `count` bytes from `offset`; false when reading failed.
  bool ReadAt(long long offset, size_t count, std::string& out) const;
  // All of `data` at `offset` (past the end grows the file); false when not all of it went.
  bool WriteAt(long long offset, const std::string& data);

 private:
  void* handle_;
  unsigned long openError_ = 0;
};

// A named mutex held for one scope, so that copies of the program take turns; waits up to
// `waitMs`. One abandoned by a killed copy is taken over. Held() is false when it could not
// be had in time: the caller then goes on without it rather than lose its work.
class NamedMutexLock {
 public:
  NamedMutexLock(const std::string& name, unsigned waitMs);
  ~NamedMutexLock();
  NamedMutexLock(const NamedMutexLock&) = delete;
  NamedMutexLock& operator=(const NamedMutexLock&) = delete;
  bool Held() const { return held_; }

 private:
  void* mutex_;
  bool held_ = false;
};
