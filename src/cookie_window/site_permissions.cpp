#include "cookie_window/site_permissions.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "cookies/site_rules.h"
#include "core/message_box.h"
#include "core/text_util.h"
#include "firefox/browser_activity.h"
#include "firefox/firefox_profile.h"
#include "firefox/sqlite_table.h"
#include "platform/files.h"
#include "platform/registry.h"

namespace {
constexpr const char* kContinue = "\r\nExecution will continue...";
constexpr const char* kDbCaption = "Quorvane -  Message";

// One cookie permission as loaded: its value, the host key it applies to, and for moz_perms
// the origin that carries it (an origin with a port or attributes is updated as it stands).
struct Permission {
  std::string value, host, origin;
};

struct FirefoxPermissionStore {
  bool loaded = false;
  bool database = false;
  bool origins = false;  // moz_perms: what current Firefox applies
  std::string path;      // permissions.sqlite, opened for each read and each change
  std::vector<Permission> list;
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

bool TableExists(TSQLiteDatabase& db, const std::string& name) {
  return db.GetTable("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?", {name})
             .RowCount() > 0;
}

// LIKE compares without regard to case; the host's own '%' and '_' must not act as wildcards.
std::string LikeLiteral(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '%' || c == '_' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

int64_t NowMilliseconds() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const int64_t t = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return (t - 116444736000000000LL) / 10000;
}

// The window stays open while Firefox may start: a connection kept open alone would keep
// Firefox from its own file, so each read and each change opens the file for itself. Changes
// are refused while Firefox runs.
std::unique_ptr<TSQLiteDatabase> Open(const FirefoxPermissionStore& s) {
  // SQLite would make an empty file in place of one removed meanwhile.
  if (!FileExists(s.path)) throw ESQLiteException("Database not found: " + s.path);
  return std::make_unique<TSQLiteDatabase>(
      s.path, SqlText::Ansi, FirefoxActive() ? SqlSharing::Shared : SqlSharing::Alone);
}

void LoadDatabase(FirefoxPermissionStore& s, const std::string& path) {
  s.path = path;
  const std::unique_ptr<TSQLiteDatabase> db = Open(s);
  s.origins = TableExists(*db, "moz_perms");
  if (s.origins) {
    // Current Firefox keeps moz_hosts only for a downgrade and applies moz_perms.
    TSQLiteTable t =
        db->GetTable("SELECT origin, permission FROM moz_perms WHERE type = ? ORDER BY id",
                     {std::string("cookie")});
    for (; !t.Eof(); t.Next()) {
      std::string host = OriginHostKey(t.FieldAsString(0));
      if (!host.empty())
        s.list.push_back({LowerCase(t.FieldAsString(1)), host, t.FieldAsString(0)});
    }
    return;
  }
  TSQLiteTable t = db->GetTable("SELECT * FROM moz_hosts");
  const int host = t.FieldIndex("host"), type = t.FieldIndex("type"),
            permission = t.FieldIndex("permission");
  for (; !t.Eof(); t.Next())
    if (t.FieldAsString(type) == "cookie")
      s.list.push_back({LowerCase(t.FieldAsString(permission)), t.FieldAsString(host), ""});
}

int FindPermission(const FirefoxPermissionStore& s, const std::string& key) {
  for (size_t i = 0; i < s.list.size(); ++i)
    if (s.list[i].host == key) return static_cast<int>(i);
  return -1;
}

// Current Firefox: the origins that decide for the host are its http and https ones, and any
// it already holds (with a port, say).
bool SetOriginPermission(FirefoxPermissionStore& s, const std::string& key, char action) {
  std::vector<std::string> origins;
  for (const Permission& p : s.list)
    if (p.host == key) origins.push_back(p.origin);
  const bool existed = !origins.empty();
  for (const char* scheme : {"http://", "https://"}) {
    const std::string o = scheme + key;
    bool have = false;
    for (const auto& x : origins) have = have || x == o;
    if (!have) origins.push_back(o);
  }
  const std::string type = "cookie";
  try {
    const std::unique_ptr<TSQLiteDatabase> opened = Open(s);
    TSQLiteDatabase& db = *opened;
    db.ExecSQL("BEGIN");
    try {
      if (action == 'R') {
        for (const auto& o : origins)
          db.ExecSQL("DELETE FROM moz_perms WHERE origin = ? AND type = ?", {o, type});
      } else {
        const int64_t value = action == 'A' ? 1 : action == 'B' ? 2 : 8;
        const int64_t now = NowMilliseconds();
        for (const auto& o : origins) {
          db.ExecSQL(
              "UPDATE moz_perms SET permission = ?, expireType = 0, expireTime = 0, "
              "modificationTime = ? WHERE origin = ? AND type = ?",
              {value, now, o, type});
          if (db.Changes() == 0)
            db.ExecSQL(
                "INSERT INTO moz_perms (origin, type, permission, expireType, expireTime, "
                "modificationTime) VALUES (?, ?, ?, 0, 0, ?)",
                {o, type, value, now});
        }
      }
      db.ExecSQL("COMMIT");
    } catch (...) {
      try {
        db.ExecSQL("ROLLBACK");
      } catch (...) {
      }
      throw;
    }
  } catch (const ESQLiteException&) {
    DbMessage(action == 'R' ? "Remove Entry from"
              : existed     ? "Replace Entry in"
                            : "Create Entry in");
    return false;
  }
  std::erase_if(s.list, [&](const Permission& p) { return p.host == key; });
  if (action != 'R')
    for (const auto& o : origins) s.list.push_back({FirefoxPermissionValue(action), key, o});
  return true;
}

// The list changes only once the file did: after a failed write the window still shows what
// the file holds.
bool SetHostPermission(FirefoxPermissionStore& s, const std::string& key, char action) {
  const int at = FindPermission(s, key);
  if (action == 'R') {
    if (at < 0) return true;
    try {
      // Every type of the host goes, as Firefox 3-41 removed a site.
      Open(s)->ExecSQL("DELETE FROM moz_hosts WHERE host LIKE ? ESCAPE '\\'", {LikeLiteral(key)});
    } catch (const ESQLiteException&) {
      DbMessage("Remove Entry from");
      return false;
    }
    s.list.erase(s.list.begin() + at);
    return true;
  }
  const std::string value = FirefoxPermissionValue(action);
  const int64_t number = value[0] - '0';
  if (at >= 0) {
    try {
      Open(s)->ExecSQL(
          "UPDATE moz_hosts SET permission = ? WHERE host LIKE ? ESCAPE '\\' AND type LIKE ?",
          {number, LikeLiteral(key), std::string("cookie")});
    } catch (const ESQLiteException&) {
      DbMessage("Replace Entry in");
      return false;
    }
    s.list[at] = {value, key, ""};
    return true;
  }
  try {
    Open(s)->ExecSQL("INSERT INTO moz_hosts (host, type, permission) VALUES (?, ?, ?)",
                     {key, std::string("cookie"), number});
  } catch (const ESQLiteException&) {
    DbMessage("Create Entry in");
    return false;
  }
  s.list.push_back({value, key, ""});
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
    LoadDatabase(s, p.PermissionsFile);
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
