#include "cookie_window/site_permissions.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "cookies/site_rules.h"
#include "core/message_box.h"
#include "firefox/firefox_profile.h"
#include "firefox/permission_sql.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/sqlite_module.h"

namespace {
constexpr const char* kContinue = "\r\nExecution will continue...";
constexpr const char* kDbCaption = "Quorvane -  Message";

struct FirefoxPermissionStore {
  bool loaded = false;
  bool database = false;
  bool origins = false;  // moz_perms: what current Firefox applies
  std::string path;      // permissions.sqlite, opened for each read and each change
  std::vector<FirefoxCookiePermission> list;
  HostpermFile hostperm;
  std::string hostpermPath;
};
FirefoxPermissionStore& Store() {
  static FirefoxPermissionStore store;
  return store;
}

void DbMessage(const std::string& what) {
  ShowMessageBox(what + " FireFox Permissions file failed... " + kContinue, kDbCaption,
                 MessageKind::Error, MessageButtons::Ok);
}

int FindPermission(const FirefoxPermissionStore& s, const std::string& key) {
  for (size_t i = 0; i < s.list.size(); ++i)
    if (s.list[i].host == key) return static_cast<int>(i);
  return -1;
}

// The list changes only once the file did: after a failed write the window still shows what
// the file holds.
bool SetOriginPermission(FirefoxPermissionStore& s, const std::string& key, char action) {
  const std::vector<std::string> origins = OriginsOfHost(s.list, key);
  const bool existed = FindPermission(s, key) >= 0;
  try {
    WriteOriginCookiePermissions(s.path, origins, action);
  } catch (const ESQLiteException&) {
    DbMessage(action == 'R' ? "Remove Entry from"
              : existed     ? "Replace Entry in"
                            : "Create Entry in");
    return false;
  }
  std::erase_if(s.list, [&](const FirefoxCookiePermission& p) { return p.host == key; });
  if (action != 'R')
    for (const auto& o : origins) s.list.push_back({FirefoxPermissionValue(action), key, o});
  return true;
}

bool SetHostPermission(FirefoxPermissionStore& s, const std::string& key, char action) {
  const int at = FindPermission(s, key);
  if (action == 'R') {
    if (at < 0) return true;
    try {
      RemoveHostPermissions(s.path, key);
    } catch (const ESQLiteException&) {
      DbMessage("Remove Entry from");
      return false;
    }
    s.list.erase(s.list.begin() + at);
    return true;
  }
  try {
    WriteHostCookiePermission(s.path, key, action, at >= 0);
  } catch (const ESQLiteException&) {
    DbMessage(at >= 0 ? "Replace Entry in" : "Create Entry in");
    return false;
  }
  if (at >= 0)
    s.list[at] = {FirefoxPermissionValue(action), key, ""};
  else
    s.list.push_back({FirefoxPermissionValue(action), key, ""});
  return true;
}
}  // namespace

bool LoadFirefoxPermissions() {
  CloseFirefoxPermissions();
  FirefoxPermissionStore& s = Store();
  const TFFoxProfile& p = FFoxProfile();
  s.database = p.IsSqliteProfile;
  if (!s.database) {
    s.hostpermPath = p.HostpermFile;
    std::string text;
    // A file that is there but cannot be read (another program holds it) is not an empty one:
    // written back after one change it would lose every other site's rule. It stays unloaded,
    // so nothing is set or written.
    if (FileExists(p.HostpermFile)) {
      if (!ReadWholeFile(p.HostpermFile, text)) {
        ShowMessageBox(std::string("Load FireFox Permissions File failed... ") + kContinue,
                       kDbCaption, MessageKind::Error, MessageButtons::Ok);
        return false;
      }
      s.hostperm.Parse(text);
    }
    s.loaded = true;
    return true;
  }
  if (!FileExists(p.PermissionsFile)) {
    ShowMessageBox(
        std::string("Unable to find FireFox Permissions file - Permissions.SQLite") + kContinue,
        "Quorvane  -  Message", MessageKind::Information, MessageButtons::Ok);
    return false;
  }
  try {
    s.path = p.PermissionsFile;
    FirefoxCookiePermissions read = ReadFirefoxCookiePermissions(s.path);
    s.origins = read.origins;
    s.list = std::move(read.list);
  } catch (...) {
    s.list.clear();
    ShowMessageBox(std::string("Load FireFox Permissions File failed... ") + kContinue, kDbCaption,
                   MessageKind::Error, MessageButtons::Ok);
    return false;
  }
  s.loaded = true;
  return true;
}

bool CloseFirefoxPermissions() {
  FirefoxPermissionStore& s = Store();
  bool written = true;
  if (s.loaded && !s.database && s.hostperm.changed)
    written = WriteWholeFile(s.hostpermPath, s.hostperm.Serialize());
  s = FirefoxPermissionStore();
  return written;
}

std::string GetFirefoxPermission(const std::string& host) {
  FirefoxPermissionStore& s = Store();
  if (!s.loaded) return "";
  const std::string key = FirefoxHostKey(host);
  if (!s.database) return s.hostperm.Get(key);
  const int at = FindPermission(s, key);
  return at < 0 ? "" : FirefoxPermissionText(s.list[at].value);
}

bool SetFirefoxPermission(const std::string& host, char action) {
  FirefoxPermissionStore& s = Store();
  if (!s.loaded) return false;
  if (action != 'R' && FirefoxPermissionValue(action).empty()) return false;
  const std::string key = FirefoxHostKey(host);
  if (key.empty()) return false;
  if (!s.database) return s.hostperm.Set(key, action);
  return s.origins ? SetOriginPermission(s, key, action) : SetHostPermission(s, key, action);
}

std::string IePermissionKey(const std::string& domain) {
  return "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\P3P\\History\\" + domain;
}

std::string GetIePermission(const std::string& address) {
  const SiteDomain d = ExtractSiteDomain(address);
  if (!d.found) return "";
  RegKey key;
  if (key.OpenRead(HKEY_CURRENT_USER, IePermissionKey(d.domain)) != ERROR_SUCCESS) return "";
  DWORD type = 0, value = 0, size = sizeof value;
  if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return "";
  if (value == 1) return "Allow";
  if (value == 5) return "Block";
  return "Other - " + std::to_string(value);
}

bool SetIePermission(const std::string& address, char action) {
  const SiteDomain d = ExtractSiteDomain(address);
  if (!d.found) return false;
  const std::string path = IePermissionKey(d.domain);
  if (action == 'R') {
    RegKey probe;
    if (probe.OpenRead(HKEY_CURRENT_USER, path) != ERROR_SUCCESS) return true;
    probe = RegKey();
    return RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str()) == ERROR_SUCCESS;
  }
  if (action != 'A' && action != 'B') return false;
  RegKey key;
  if (key.Create(HKEY_CURRENT_USER, path) != ERROR_SUCCESS) return false;
  const DWORD value = action == 'A' ? 1 : 5;
  return RegSetValueExA(key, nullptr, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof value) == ERROR_SUCCESS;
}
