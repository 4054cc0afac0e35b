#pragma once
#include <optional>
#include <string>

#include "support/test_support.h"

// Drives of the test's own. Wine's DefineDosDeviceA answers success but resolves nothing; a
// link in the prefix's "dosdevices" folder is what Wine reads as a drive.

// Starts a Linux program (Wine hands back no handle to wait on) with the whole command line.
bool StartUnixProgram(const std::string& program, const std::string& line);
std::string UnixNameOf(const std::string& path);
// A Unix symbolic link at `link` (a Windows path) to `target`; true once it shows.
bool MakeUnixLink(const std::string& target, const std::string& link);

// A free drive letter whose root is the folder, until the object ends.
class TestDrive {
 public:
  explicit TestDrive(const std::string& folder);
  ~TestDrive();
  TestDrive(const TestDrive&) = delete;
  TestDrive& operator=(const TestDrive&) = delete;
  std::string Root() const { return letter_.empty() ? "" : letter_ + ":\\"; }

 private:
  std::string letter_, link_;
};

// A small volume: a tmpfs of `mib` MiB mounted on a fresh folder and mapped to a drive letter.
// Mounting needs root; Ready() says whether it worked.
class ScratchVolume {
 public:
  explicit ScratchVolume(int mib);
  ~ScratchVolume();
  bool Ready() const { return mounted_ && !Root().empty(); }
  std::string Root() const { return drive_ ? drive_->Root() : std::string(); }

 private:
  TempFolder mountPoint_;
  std::string unixPath_;
  bool mounted_ = false;
  std::optional<TestDrive> drive_;
};

unsigned long long FreeBytes(const std::string& path);
unsigned long long TotalBytes(const std::string& path);
