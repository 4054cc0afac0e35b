#pragma once
#include <string>

// SHGetFolderPathA from shell32.dll, or from SHFolder.dll where shell32 lacks it (old systems).
// ok false with "Failed - API not Found" or "Failed - Path not Found".
struct SpecialFolder {
  bool ok;
  std::string text;
};
SpecialFolder GetSpecialFolder(int csidl);

constexpr int kCsidlRecent = 8;
constexpr int kCsidlAppData = 26;
constexpr int kCsidlLocalAppData = 28;
constexpr int kCsidlHistory = 34;
constexpr int kCsidlCommonAppData = 35;
constexpr int kCsidlProgramFiles = 38;
