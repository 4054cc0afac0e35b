#pragma once
#include <vector>
#include <string>

// Windows generation flags used throughout the program.
struct OsFlags {
  bool vista = false;
  bool win7 = false;
  bool win8 = false;
};

struct WindowsVersion {
  bool isNt = true;
  int major = 0;
  int minor = 0;
  int build = 0;
};

OsFlags ComputeOsFlags(const WindowsVersion& v, const std::vector<std::string>& args);
// Reads CurrentVersion / CurrentBuildNumber over the reported numbers (NT only); failures keep
// them.
WindowsVersion ApplyRegistryVersion(WindowsVersion reported, const std::string& versionText,
                                    const std::string& buildText);

const OsFlags& CurrentOsFlags();
void SetCurrentOsFlags(const OsFlags& flags);
