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

// A known folder (SHGetKnownFolderPath, Vista and later, loaded at run time) as UTF-8, so that
// a folder moved elsewhere (Documents into OneDrive, say) is found where it is. Where the call
// is missing, the CSIDL folder of `csidlFallback` (SHGetFolderPathW) answers; empty when
// neither knows it. `id` is a KNOWNFOLDERID.
struct _GUID;
std::string KnownFolderUtf8(const _GUID& id, int csidlFallback);
