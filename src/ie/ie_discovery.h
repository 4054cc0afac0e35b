#pragma once
#include <string>

#include "ie/ie_hooks.h"

// The installed Internet Explorer version, filled once at start-up.
struct IeVersionInfo {
  std::string registryVersion;  // "svcVersion" or "Version" + four blanks; empty when neither
  std::string fileVersion;      // shdocvw.dll's file version + four blanks
  int registryMajor = 0, fileMajor = 0, major = 0;
  std::string shortLabel;  // "IE-" + major
  bool foundInRegistry = false;
  bool ie4 = false, ie5 = false, ie6 = false, ie7 = false, ie8 = false, ie9 = false, ie10 = false;
};

// Where Internet Explorer keeps its data, filled once at start-up. Paths carry no trailing
// backslash; a drive is a blank when its folder was not found.
struct IeFolderSet {
  std::string cacheFolder;
  bool cacheFound = false;
  std::string cacheFolderWithSeparator;
  size_t cacheFolderWithSeparatorLength = 0;
  char cacheDrive = ' ';
  std::string cookiesFolder;
  bool cookiesFound = false;
  char cookiesDrive = ' ';
  std::string historyFolder;
  bool historyFound = false;
  std::string recentFolder;
  bool recentFound = false;
  std::string userDataFolder;
  bool userDataFound = false;
  char userDataDrive = ' ';
  bool typedUrlsKey = false;
  std::string typedUrlsKeyText;
  // Protected-mode forms: empty unless the folder exists and holds an index file.
  std::string protectedCacheFolder, protectedHistoryFolder, protectedCookiesFolder,
      protectedUserDataFolder;
  std::string domStoreFolder;
  bool domStoreFound = false;
  char domStoreDrive = ' ';
  std::string protectedDomStoreFolder;
  bool protectedDomStoreFound = false;
};

const IeVersionInfo& IeVersion();
const IeFolderSet& IeFolders();
IeFolderSet& MutableIeFolders();  // discovery and tests only
// The folder of a cache kind (codes 1-5 and their protected twins 101-105), where its
// entries' local files lie; empty for another code.
std::string CacheKindFolder(int code);

// True when F + "\Index.dat" or, failing that, F + "\Container.dat" exists.
bool HasIndexFile(const std::string& folder);

// Where one candidate of the folder ladder comes from.
enum class FolderSource { KnownFolder, SpecialFolder, Registry };

// The running search for one folder: the best candidate so far.
struct FolderSearch {
  std::string path;
  bool found = false;
  unsigned long long bestDate = 0;
};

// One step of the ladder: true when this candidate qualified (and was stored in `search`).
bool FindFolderCandidate(FolderSearch& search, FolderSource source, const std::string& baseName,
                         const std::string& keyPath, int folderId, bool indexRequired,
                         const std::string& subFolder, const std::string& valueName);
