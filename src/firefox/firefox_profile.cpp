#include "firefox/firefox_profile.h"

#include <windows.h>

#include <set>

#include "core/message_box.h"
#include "core/text_util.h"
#include "firefox/profile_rules.h"
#include "firefox/sqlite_module.h"
#include "platform/files.h"
#include "platform/profile_file.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "platform/version_resource.h"

namespace {
TypedUrlsAvailability g_typedUrlsAvailability = nullptr;

// Collects the SQLite module of every Mozilla product with a "Main" key and an install folder.
// Since Firefox 57 (2017) SQLite lives in nss3.dll and there is no mozsqlite3.dll; that
// module stands for the installation when neither older name is there.
void WalkMozillaKeys(HKEY root, const std::string& path, REGSAM view,
                     std::set<std::string>& candidates) {
  RegKey key;
  if (key.OpenRead(root, path, view) != ERROR_SUCCESS) return;
  if (path.size() >= 5 && UpperCase(path.substr(path.size() - 5)) == "\\MAIN") {
    std::string folder = LowerCase(key.ReadString("Install Directory").value_or(""));
    if (folder.empty()) return;
    for (const char* module : {"mozsqlite3.dll", "sqlite3.dll", "nss3.dll"}) {
      if (FileExists(folder + "\\" + module)) {
        candidates.insert(folder + "\\" + module);
        return;
      }
    }
    return;
  }
  for (const auto& sub : key.SubkeyNames())
    WalkMozillaKeys(root, path + "\\" + UpperCase(sub), view, candidates);
}

// The modules of an installation that may serve, in the order they are tried. Without an
// installation there are none: names are never tried in the current folder, where anyone
// could have put a DLL of that name.
std::vector<SqliteModuleOption> SqliteModuleOptions(const std::string& execPath) {
  std::vector<SqliteModuleOption> options;
  if (execPath.empty()) return options;
  for (const char* name : {"MozSQLite3.dll", "SQLite3.dll", kNssModule}) {
    SqliteModuleOption o{name};
    const std::string path = execPath + "\\" + name;
    o.present = FileExists(path);
    std::string image;
    if (o.present && ReadWholeFile(path, image)) o.facts = ReadPeModuleFacts(image);
    options.push_back(std::move(o));
  }
  return options;
}

// Why none of the installation's modules serves, for the folder report.
std::string WhyNoModule(const std::vector<SqliteModuleOption>& options) {
  std::string why;
  for (const SqliteModuleOption& o : options) {
    if (!o.present) continue;
    if (!why.empty()) why += "; ";
    why += o.name + " " + SqliteModuleUnusable(o.facts);
  }
  return why.empty() ? "no SQLite module in the install folder" : why;
}

bool IsUsableVersion(const std::string& version) {
  return version != "00.00.00.00" && version != "00.00.00.01";
}

// The newest module of the candidates (ties keep the first in sorted order); empty for none.
std::string NewestModule(const std::set<std::string>& candidates, std::string& version) {
  std::string best;
  version.clear();
  for (const std::string& c : candidates) {
    std::string v = FileVersionText(c);
    if (best.empty() || CompareVersions(v, version)) {
      best = c;
      version = v;
    }
  }
  return best;
}

void MarkMissingFile(std::string& field, const std::string& path, const char* name) {
  field = FileExists(path) ? path : std::string(kFileNotFoundMarker) + name;
}

void MarkMissingFolder(std::string& field, const std::string& path) {
  field = DirectoryExists(path) ? path : kFolderNotFound;
}

void CheckDatabases(TFFoxProfile& p) {
  p.HasPermissionsDb = FileExists(p.PermissionsFile);
  p.HasCookiesDb = FileExists(p.CookiesFile);
  p.HasPlacesDb = FileExists(p.PlacesFile);
  p.HasFormHistoryDb = FileExists(p.FormHistoryFile);
  p.IsSqliteProfile = p.HasPermissionsDb || p.HasCookiesDb || p.HasPlacesDb || p.HasFormHistoryDb;
}

// The cache preference names the folder in which Firefox makes its cache folders ("Cache",
// "cache2"), not a cache folder itself: taken as the cache, a preference of D:\ would have
// the purge empty the whole drive. The local cache stays as it was.
void ReadCacheDirPref(TFFoxProfile& p) {
  const std::string prefs = p.DataPath + "\\Prefs.js";
  std::string text;
  if (!FileExists(prefs) || !ReadWholeFile(prefs, text)) return;
  std::string parent = ParseCacheDirPref(SplitLines(text));
  while (!parent.empty() && parent.back() == '\\') parent.pop_back();  // "D:\" gives "D:\Cache"
  if (parent.empty()) return;
  p.ProfileCacheFolder = parent + "\\Cache";
  p.Cache2Folder = parent + "\\cache2";
}
}  // namespace

TFFoxProfile& FFoxProfile() {
  static TFFoxProfile p;
  return p;
}

void SetTypedUrlsAvailability(TypedUrlsAvailability notify) { g_typedUrlsAvailability = notify; }

bool FindFirefoxInstall() {
  TFFoxProfile& p = FFoxProfile();
  p.ExecPath.clear();
  try {
    std::set<std::string> candidates;  // sorted, without duplicates
    // A 64-bit Firefox registers in the 64-bit view, which a 32-bit program does not see by
    // default; a 32-bit one in the 32-bit view. Both are read (on 32-bit Windows, and in a
    // 32-bit Wine prefix, they are the same keys).
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
      for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
        WalkMozillaKeys(root, "Software\\Mozilla", view, candidates);
    // Firefox's own installation comes first: a newer Thunderbird or SeaMonkey beside it would
    // otherwise lend its folder, and Firefox's version would read as not found.
    std::set<std::string> firefoxOwn;
    for (const std::string& c : candidates)
      if (FileExists(ExtractFilePath(c) + "\\firefox.exe")) firefoxOwn.insert(c);
    std::string version;
    std::string best = NewestModule(firefoxOwn, version);
    if (best.empty() || !IsUsableVersion(version)) best = NewestModule(candidates, version);
    if (!best.empty() && IsUsableVersion(version)) p.ExecPath = ExtractFilePath(best);
    if (!p.ExecPath.empty()) {
      // The module and the libraries it needs are then found by name, before any other copy.
      char current[32767] = {};
      GetEnvironmentVariableA("PATH", current, sizeof current);
      SetEnvironmentVariableA("PATH", (p.ExecPath + ";" + current).c_str());
    }
    p.SqliteModule.clear();
    p.SqliteModuleNote.clear();
    if (p.ExecPath.empty()) return false;
    const std::vector<SqliteModuleOption> options = SqliteModuleOptions(p.ExecPath);
    const int chosen = ChooseSqliteModuleOption(options);
    if (chosen >= 0 && options[chosen].name != kNssModule) {
      p.SqliteModule = options[chosen].name;
      return LoadSqliteModule(p.ExecPath + "\\" + p.SqliteModule) < 999;
    }
    if (chosen >= 0 && LoadSqliteModuleQuietly(p.ExecPath + "\\" + kNssModule) < 999) {
      p.SqliteModule = kNssModule;
      return true;
    }
    // No module of the installation can serve (a 64-bit Firefox, whose nss3.dll this 32-bit
    // program cannot load, or one without the entry points): the databases are opened with
    // the SQLite built into the program, which reads every file format Firefox writes.
    p.SqliteModuleNote =
        chosen >= 0 ? std::string(kNssModule) + " did not load" : WhyNoModule(options);
    UseBuiltinSqlite();
    p.SqliteModule = BuiltinSqliteName();
    return true;
  } catch (...) {
    return false;
  }
}

void ReadFirefoxProductVersion() {
  TFFoxProfile& p = FFoxProfile();
  p.ProductVersion = "not found.";
  if (p.ExecPath.empty()) return;
  std::string v = ProductVersionText(p.ExecPath + "\\firefox.exe");
  if (!StartsWith(v, "00.00.00.")) p.ProductVersion = v;
}

bool CheckFirefoxInstall(bool moduleLoaded) {
  TFFoxProfile& p = FFoxProfile();
  bool ok = true;
  if (p.ExecPath.empty()) {
    ShowMessageBox(
        "Quorvane could not locate the FireFox install folder.\r\n\r\nQuorvane will "
        "terminate.\r\n\r\nPlease notify the Vendor.",
        "Quorvane - FireFox Install Folder Error", MessageKind::Error, MessageButtons::Ok);
    ok = false;
  } else if (p.SqliteModule.empty()) {
    ShowMessageBox(
        "Quorvane could not locate the SQLite database\r\nmodules used by FireFox.\r\n\r\nQuorvane "
        "will terminate.\r\n\r\nPlease notify the Vendor.",
        "Quorvane - FireFox Database Modules Error", MessageKind::Error, MessageButtons::Ok);
    ok = false;
  } else if (!moduleLoaded) {
    ok = false;  // the loader has shown its own box
  }
  RefreshProfileStatus();
  return ok;
}

void DiscoverProfile() {
  TFFoxProfile& p = FFoxProfile();
  if (p.discovered) return;
  p.discovered = true;
  try {
    p.IEHistoryIndex = "none";
    if (SpecialFolder f = GetSpecialFolder(kCsidlHistory); f.ok)
      p.IEHistoryIndex = f.text + "\\History.IE5\\index.dat";
    if (SpecialFolder f = GetSpecialFolder(kCsidlRecent); f.ok) p.RecentFolder = f.text;
    if (SpecialFolder f = GetSpecialFolder(kCsidlProgramFiles); f.ok) p.ProgramFilesFolder = f.text;
    if (SpecialFolder f = GetSpecialFolder(kCsidlLocalAppData); f.ok) p.LocalAppDataFolder = f.text;

    std::string appData;
    if (SpecialFolder f = GetSpecialFolder(kCsidlAppData); f.ok) {
      appData = f.text;
      const std::string firefoxFolder = appData + "\\Mozilla\\Firefox";
      ProfileFile ini(firefoxFolder + "\\profiles.ini");
      std::vector<ProfilesIniSection> sections;
      if (FileExists(ini.Path()))
        for (const auto& name : ini.SectionNames())
          sections.push_back({name, ini.ReadString(name, "Path"),
                              ini.ReadString(name, "IsRelative"),
                              ini.ReadString(name, "Default", "0")});
      int index = DefaultProfileIndex(sections);
      if (index >= 0) {
        std::string folder = ProfileFolder(sections[index], firefoxFolder);
        if (!folder.empty() && DirectoryExists(folder)) p.DataPath = folder;
      }
    }
    const std::string& d = p.DataPath;
    p.HostpermFile = d + "\\hostperm.1";
    p.PermissionsFile = d + "\\permissions.sqlite";
    p.CookiesTxtFile = d + "\\Cookies.txt";
    p.CookiesFile = d + "\\Cookies.sqlite";
    p.PlacesFile = d + "\\Places.sqlite";
    p.FormHistoryFile = d + "\\FormHistory.sqlite";
    CheckDatabases(p);
    p.CookiesPg1File = d + "\\Cookies.pg1";
    p.CookiesPg2File = d + "\\Cookies.pg2";
    p.HistoryDatFile = d + "\\History.dat";
    p.FormHistoryDatFile = d + "\\FormHistory.dat";
    p.ProfileCacheFolder = d + "\\Cache";
    if (!appData.empty() && StartsWith(p.ProfileCacheFolder, appData)) {
      p.LocalCacheFolder =
          p.LocalAppDataFolder + p.ProfileCacheFolder.substr(appData.size()).substr(0, 260);
      p.LocalProfileFolder = ExtractFilePath(p.LocalCacheFolder);
      p.Cache2Folder = p.LocalProfileFolder + "\\cache2";
    } else if (!d.empty()) {
      // A profile kept elsewhere (a -profile folder, a portable copy) has no local twin:
      // Firefox keeps its cache2 and XUL.MFL in the profile folder itself.
      p.LocalProfileFolder = d;
      p.Cache2Folder = d + "\\cache2";
    }
    ReadCacheDirPref(p);
  } catch (...) {
    // What was found so far stays.
  }
  p.discoveredPaths = {p.CookiesTxtFile,     p.CookiesFile,        p.HistoryDatFile,
                       p.FormHistoryDatFile, p.ProfileCacheFolder, p.LocalCacheFolder,
                       p.Cache2Folder,       p.IEHistoryIndex};
}

void RefreshProfileStatus() {
  try {
    DiscoverProfile();
    // Every refresh looks again: databases and files made or removed since the last one count.
    TFFoxProfile& p = FFoxProfile();
    const TFFoxProfile::DiscoveredPaths& d = p.discoveredPaths;
    CheckDatabases(p);
    if (g_typedUrlsAvailability) g_typedUrlsAvailability(p.IsSqliteProfile);
    MarkMissingFile(p.CookiesTxtFile, d.cookiesTxt, "Cookies.txt");
    MarkMissingFile(p.CookiesFile, d.cookies, "Cookies.sqlite");
    MarkMissingFile(p.HistoryDatFile, d.historyDat, "History.dat");
    MarkMissingFile(p.FormHistoryDatFile, d.formHistoryDat, "FormHistory.dat");
    MarkMissingFolder(p.ProfileCacheFolder, d.profileCache);
    MarkMissingFolder(p.LocalCacheFolder, d.localCache);
    MarkMissingFolder(p.Cache2Folder, d.cache2);
    p.IEHistoryIndex = FileExists(d.ieHistoryIndex) ? d.ieHistoryIndex : kFolderNotFound;
  } catch (...) {
  }
}
