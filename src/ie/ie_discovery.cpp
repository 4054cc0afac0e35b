#include "ie/ie_discovery.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "core/command_line.h"
#include "core/text_util.h"
#include "ie/ie_rules.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "platform/version_resource.h"

namespace {
IeVersionInfo g_version;
IeFolderSet g_folders;

constexpr const char* kIeKey = "Software\\Microsoft\\Internet Explorer";
constexpr const char* kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kTypedUrlsKey = "Software\\Microsoft\\Internet Explorer\\Typedurls";
constexpr const char* kUserDataKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0\\Cache\\Extensible "
    "Cache\\Userdata";
constexpr const char* kNotFoundYet = "... Not Found ...";
constexpr int kCsidlInternetCache = 32;
constexpr int kCsidlCookies = 33;

std::string Expand(const std::string& text) {
  DWORD n = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  if (n == 0) return text;
  std::string out(n, '\0');
  n = ExpandEnvironmentStringsA(text.c_str(), out.data(), n);
  out.resize(n ? strnlen(out.c_str(), n) : 0);
  return out;
}

std::optional<std::string> SpecialFolderLocation(int csidl) {
  LPITEMIDLIST pidl = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) || !pidl) return std::nullopt;
  char path[MAX_PATH] = {};
  BOOL ok = SHGetPathFromIDListA(pidl, path);
  CoTaskMemFree(pidl);
  if (!ok) return std::nullopt;
  return std::string(path);
}

// Last write time of the folder's index file, Index.dat before Container.dat; 0 when neither.
unsigned long long IndexFileDate(const std::string& folder) {
  for (const char* name : {"\\Index.Dat", "\\Container.dat"}) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA((folder + name).c_str(), GetFileExInfoStandard, &data) &&
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      // Never 0 for an existing file, so that "later than nothing" holds for any file time.
      return std::max(1ULL, static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime)
                                    << 32 |
                                data.ftLastWriteTime.dwLowDateTime);
  }
  return 0;
}

struct LadderFolder {
  int folderId;
  const char* valueName;
  const char* subFolder;
  bool indexRequired;
};

struct LadderStep {
  FolderSource source;
  const char* baseName;  // "User" reads HKCU, "Mach" HKLM
  const char* keyPath;
};
constexpr LadderStep kLadder[] = {
    {FolderSource::KnownFolder, "User", ""},
    {FolderSource::SpecialFolder, "User", ""},
    {FolderSource::Registry, "User", kUserShellFolders},
    {FolderSource::Registry, "User", kShellFolders},
    {FolderSource::Registry, "Mach", kUserShellFolders},
    {FolderSource::Registry, "Mach", kShellFolders},
};

// The six candidates in order; the first that qualifies wins.
FolderSearch SearchFolder(const LadderFolder& f) {
  FolderSearch s;
  for (const LadderStep& step : kLadder)
    if (FindFolderCandidate(s, step.source, step.baseName, step.keyPath, f.folderId,
                            f.indexRequired, f.subFolder, f.valueName))
      break;
  // The ladder's final check: a full path with drive and backslash, or nothing.
  if (s.found) {
    if (auto checked = CheckedFolderPath(s.path))
      s.path = *checked;
    else
      s.found = false;
  }
  if (!s.found) s.path.clear();
  return s;
}

std::string ProtectedIfIndexed(const std::string& candidate) {
  return !candidate.empty() && DirectoryExists(candidate) && HasIndexFile(candidate) ? candidate
                                                                                     : "";
}
}  // namespace

const IeVersionInfo& IeVersion() { return g_version; }
const IeFolderSet& IeFolders() { return g_folders; }
IeFolderSet& MutableIeFolders() { return g_folders; }

bool HasIndexFile(const std::string& folder) {
  return FileExists(folder + "\\Index.dat") || FileExists(folder + "\\Container.dat");
}

bool DetectIeVersion() {
  IeVersionInfo v;
  try {
    RegKey key;
    if (key.OpenRead(HKEY_LOCAL_MACHINE, kIeKey) == ERROR_SUCCESS) {
      // "Version" counts only when "svcVersion" does not exist at all, whatever its type.
      const char* name =
          RegQueryValueExA(key, "svcVersion", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS
              ? "svcVersion"
              : "Version";
      if (auto text = key.ReadString(name)) {
        v.registryVersion = *text;
        v.foundInRegistry = true;
      }
    }
  } catch (...) {
    v.registryVersion.clear();
    v.foundInRegistry = false;
  }
  v.fileVersion = FileVersionText("shdocvw.dll");
  v.registryVersion += "    ";
  v.fileVersion += "    ";
  v.registryMajor = VersionMajor(v.registryVersion);
  v.fileMajor = VersionMajor(v.fileVersion);
  v.major = std::max(v.registryMajor, v.fileMajor);
  v.shortLabel = "IE-" + std::to_string(v.major);
  v.ie4 = v.major > 3;
  v.ie5 = v.major > 4;
  v.ie6 = v.major > 5;
  v.ie7 = v.major > 6;
  v.ie8 = v.major > 7;
  v.ie9 = v.major > 8;
  v.ie10 = v.major > 9;
  // The "IE7" switch forces the IE 7 flag whatever was detected.
  if (ParamSwitch("IE7")) v.ie7 = true;
  g_version = v;
  return v.foundInRegistry;
}

bool FindFolderCandidate(FolderSearch& search, FolderSource source, const std::string& baseName,
                         const std::string& keyPath, int folderId, bool indexRequired,
                         const std::string& subFolder, const std::string& valueName) {
  if (!search.found) {
    search.path = kNotFoundYet;
    search.bestDate = 0;
  }
  std::optional<std::string> path;
  if (source == FolderSource::KnownFolder) {
    SpecialFolder f = GetSpecialFolder(folderId);
    if (f.ok && !StartsWith(f.text, "Fail")) path = f.text;
  } else if (source == FolderSource::SpecialFolder) {
    path = SpecialFolderLocation(folderId);
    if (path && StartsWith(*path, "Fail")) path.reset();
  } else {
    RegKey key;
    HKEY root = baseName == "User" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    if (key.OpenRead(root, keyPath) == ERROR_SUCCESS) path = key.ReadString(valueName);
  }
  if (!path) return false;
  std::string folder = DropTrailingBackslash(Expand(*path));
  if (!subFolder.empty() && g_version.ie5) folder += "\\" + subFolder;
  if (!DirectoryExists(folder)) return false;
  if (!indexRequired) {
    search.path = folder;
    search.found = true;
    return true;
  }
  unsigned long long date = IndexFileDate(folder);
  if (date == 0 || date <= search.bestDate) return false;
  search.path = folder;
  search.bestDate = date;
  search.found = true;
  return true;
}

bool DiscoverIeFolders() {
  IeFolderSet s;
  FolderSearch cache = SearchFolder({kCsidlInternetCache, "Cache", "Content.IE5", true});
  FolderSearch cookies = SearchFolder({kCsidlCookies, "Cookies", "", true});
  FolderSearch history = SearchFolder({kCsidlHistory, "History", "History.IE5", true});
  FolderSearch recent = SearchFolder({kCsidlRecent, "Recent", "", false});
  s.cacheFolder = cache.path;
  s.cacheFound = cache.found;
  if (s.cacheFound) {
    s.cacheDrive = s.cacheFolder[0];
    s.cacheFolderWithSeparator = s.cacheFolder + "\\";
    s.cacheFolderWithSeparatorLength = s.cacheFolderWithSeparator.size();
  }
  s.cookiesFolder = cookies.path;
  s.cookiesFound = cookies.found;
  if (s.cookiesFound) s.cookiesDrive = s.cookiesFolder[0];
  s.historyFolder = history.path;
  s.historyFound = history.found;
  s.recentFolder = recent.path;
  s.recentFound = recent.found;

  {
    RegKey key;
    if (key.OpenRead(HKEY_CURRENT_USER, kTypedUrlsKey) == ERROR_SUCCESS) {
      s.typedUrlsKey = true;
      s.typedUrlsKeyText = std::string("[HKEY_CURRENT_USER\\") + kTypedUrlsKey + "]";
    }
  }

  s.userDataFolder = kNotFoundYet;
  {
    RegKey key;
    if (key.OpenRead(HKEY_CURRENT_USER, kUserDataKey) == ERROR_SUCCESS ||
        key.OpenRead(HKEY_LOCAL_MACHINE, kUserDataKey) == ERROR_SUCCESS) {
      if (auto cachePath = key.ReadString("CachePath")) {
        std::string folder = DropTrailingBackslash(Expand(*cachePath));
        s.userDataFolder = DirectoryExists(folder) ? folder : "";
      }
    }
  }
  if (s.userDataFolder == kNotFoundYet) s.userDataFolder.clear();
  if (!s.userDataFolder.empty()) {
    s.userDataFound = true;
    s.userDataDrive = s.userDataFolder[0];
  }

  s.protectedCacheFolder = ProtectedIfIndexed(InsertLowFolder(s.cacheFolder, "\\Content.IE5"));
  s.protectedHistoryFolder = ProtectedIfIndexed(InsertLowFolder(s.historyFolder, "\\History.IE5"));
  if (!s.cookiesFolder.empty())
    s.protectedCookiesFolder = ProtectedIfIndexed(s.cookiesFolder + "\\Low");
  if (!s.userDataFolder.empty())
    s.protectedUserDataFolder = ProtectedIfIndexed(s.userDataFolder + "\\Low");

  SpecialFolder local = GetSpecialFolder(kCsidlLocalAppData);
  if (local.ok) {
    s.domStoreFolder = local.text + "\\MicroSoft\\Internet Explorer\\DomStore";
    s.domStoreFound = HasIndexFile(s.domStoreFolder);
    if (s.domStoreFound) s.domStoreDrive = s.domStoreFolder[0];
    if (std::string low = LocalLowFolder(local.text); !low.empty()) {
      s.protectedDomStoreFolder = low + "\\MicroSoft\\Internet Explorer\\DomStore";
      s.protectedDomStoreFound = HasIndexFile(s.protectedDomStoreFolder);
    }
  }

  if (s.userDataFound && !HasIndexFile(s.userDataFolder)) {
    s.userDataFolder.clear();
    s.userDataFound = false;
    s.userDataDrive = ' ';
  }
  g_folders = s;
  return s.cacheFound && s.cookiesFound && s.historyFound && s.recentFound;
}

std::string IeVersionText() {
  if (g_version.foundInRegistry) return g_version.registryVersion;
  if (!g_version.fileVersion.empty() && !StartsWith(g_version.fileVersion, "00.00.00.0"))
    return g_version.fileVersion;
  return {};
}

std::vector<std::string> IeFolderReportLines(bool vista) {
  const IeFolderSet& f = g_folders;
  auto shown = [](const std::string& folder) {
    return folder.empty() ? std::string("  ..folder not found..") : UpperCase(folder);
  };
  std::vector<std::string> lines;
  lines.push_back("    IE Visited URLs - " + shown(f.historyFolder));
  lines.push_back("    IE Cache Folder - " + shown(f.cacheFolder));
  lines.push_back("  IE Cookies Folder - " + shown(f.cookiesFolder));
  // The folder the system names for history, which holds the visited-URL container folder.
  std::string historyRoot = f.historyFolder;
  if (size_t at = UpperCase(historyRoot).rfind("\\HISTORY.IE5");
      at != std::string::npos && at + 12 == historyRoot.size())
    historyRoot.resize(at);
  lines.push_back("  IE History Folder - " + shown(historyRoot));
  if (f.domStoreFound) lines.push_back("   DOM Store Folder - " + shown(f.domStoreFolder));
  if (f.userDataFound) lines.push_back("  IE UserData Folder - " + shown(f.userDataFolder));
  if (vista) {
    if (!f.protectedCacheFolder.empty())
      lines.push_back("  IE Cache Pro-Mode - " + UpperCase(f.protectedCacheFolder));
    if (!f.protectedCookiesFolder.empty())
      lines.push_back("IE Cookies Pro-Mode - " + UpperCase(f.protectedCookiesFolder));
    if (!f.protectedHistoryFolder.empty())
      lines.push_back("IE History Pro-Mode - " + UpperCase(f.protectedHistoryFolder));
    if (f.protectedDomStoreFound)
      lines.push_back(" DOM Store Pro-Mode - " + f.protectedDomStoreFolder);
    if (!f.protectedUserDataFolder.empty())
      lines.push_back("IE UserData Pro-Mode - " + shown(f.protectedUserDataFolder));
  }
  return lines;
}

std::string CacheKindFolder(int code) {
  const IeFolderSet& f = IeFolders();
  switch (code) {
    case 1: return f.cookiesFolder;
    case 101: return f.protectedCookiesFolder;
    case 2: return f.cacheFolder;
    case 102: return f.protectedCacheFolder;
    case 3: return f.historyFolder;
    case 103: return f.protectedHistoryFolder;
    case 4: return f.userDataFolder;
    case 104: return f.protectedUserDataFolder;
    case 5: return f.domStoreFolder;
    case 105: return f.protectedDomStoreFolder;
  }
  return {};
}
