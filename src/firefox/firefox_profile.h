#pragma once
#include <string>

// Where Firefox is installed and where its default profile keeps its files.
struct TFFoxProfile {
  std::string ExecPath;
  // "MozSQLite3.dll", "SQLite3.dll" or "nss3.dll" of the install folder; the built-in SQLite's
  // name when none of them can serve, with the reason in SqliteModuleNote.
  std::string SqliteModule;
  std::string SqliteModuleNote;
  std::string ProductVersion;
  std::string DataPath;
  std::string HostpermFile, PermissionsFile, CookiesTxtFile, CookiesFile, PlacesFile,
      FormHistoryFile, CookiesPg1File, CookiesPg2File, HistoryDatFile, FormHistoryDatFile;
  std::string ProfileCacheFolder, LocalCacheFolder, LocalProfileFolder;
  // Where Firefox 32 and later keep the disk cache: "cache2" in the local profile folder, or
  // in the folder the cache preference names.
  std::string Cache2Folder;
  std::string IEHistoryIndex;
  std::string RecentFolder, LocalAppDataFolder, ProgramFilesFolder;
  bool HasPermissionsDb = false, HasCookiesDb = false, HasPlacesDb = false,
       HasFormHistoryDb = false;
  bool IsSqliteProfile = false;
  bool discovered = false;  // DiscoverProfile has run
  // The paths as discovered, before any status marker replaced them: each refresh starts
  // from these, so a file created after start-up is found again.
  struct DiscoveredPaths {
    std::string cookiesTxt, cookies, historyDat, formHistoryDat, profileCache, localCache,
        cache2, ieHistoryIndex;
  } discoveredPaths;
};

TFFoxProfile& FFoxProfile();

// Install folder, SQLite module choice and loading; true when a module was chosen and loaded.
bool FindFirefoxInstall();
// "not found." when the install folder or its firefox.exe version is unknown.
void ReadFirefoxProductVersion();
// The start-up check: error box and false (fatal) when Firefox or its module is missing.
bool CheckFirefoxInstall(bool moduleLoaded);
void DiscoverProfile();
void RefreshProfileStatus();

// Told at every refresh whether the profile has databases: without them "FireFox Typed URLs"
// cannot be purged anywhere.
using TypedUrlsAvailability = void (*)(bool available);
void SetTypedUrlsAvailability(TypedUrlsAvailability notify);

inline constexpr const char* kNssModule = "nss3.dll";
inline constexpr const char* kFolderNotFound = "  Folder not found";
inline constexpr const char* kFileNotFoundMarker = "  File not found - ";
