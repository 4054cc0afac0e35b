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
// A link as this system makes one: under Wine as Unix makes it; on Windows a symbolic link,
// which needs Developer Mode or the privilege to create one.
bool MakeTestLink(const std::string& target, const std::string& link, bool folder);

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

// A small volume mounted on a fresh folder and mapped to a drive letter: a tmpfs of `mib` MiB,
// or, given a block size, an ext4 file system of `mib` MiB made in an image file on a loop
// device. Mounting needs root; Ready() says whether it worked.
class ScratchVolume {
 public:
  explicit ScratchVolume(int mib, int ext4BlockBytes = 0);
  ~ScratchVolume();
  bool Ready() const { return mounted_ && !Root().empty(); }
  std::string Root() const { return drive_ ? drive_->Root() : std::string(); }
  // The image's bytes (ext4 only): what a disk reader would find.
  std::string ReadImage() const;
  void Unmount();

 private:
  TempFolder mountPoint_, imageFolder_;
  std::string unixPath_, image_;
  bool mounted_ = false;
  std::optional<TestDrive> drive_;
};

unsigned long long FreeBytes(const std::string& path);
unsigned long long TotalBytes(const std::string& path);
