#include "firefox/permission_sql.h"

#include <windows.h>

#include <cstdint>
#include <memory>

#include "cookies/site_rules.h"
#include "core/text_util.h"
#include "firefox/browser_activity.h"
#include "platform/files.h"
#include "platform/sqlite_statement.h"

namespace {
const std::string kCookie = "cookie";

std::unique_ptr<TSQLiteDatabase> Open(const std::string& path) {
  return std::make_unique<TSQLiteDatabase>(
      path, SqlOpen{.sharing = FirefoxActive() ? SqlSharing::Shared : SqlSharing::Alone,
                    .existing = true});
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
}  // namespace

FirefoxCookiePermissions ReadFirefoxCookiePermissions(const std::string& path) {
  FirefoxCookiePermissions read;
  const std::unique_ptr<TSQLiteDatabase> db = Open(path);
  read.origins = db->HasTable("moz_perms");
  if (read.origins) {
    // Current Firefox keeps moz_hosts only for a downgrade and applies moz_perms.
    TSQLiteTable t = db->GetTable(
        "SELECT origin, permission FROM moz_perms WHERE type = ? ORDER BY id", {kCookie});
    for (; !t.Eof(); t.Next()) {
      std::string host = OriginHostKey(t.FieldAsString(0));
      if (!host.empty())
        read.list.push_back({LowerCase(t.FieldAsString(1)), host, t.FieldAsString(0)});
    }
    return read;
  }
  TSQLiteTable t = db->GetTable("SELECT * FROM moz_hosts");
  const int host = t.FieldIndex("host"), type = t.FieldIndex("type"),
            permission = t.FieldIndex("permission");
  for (; !t.Eof(); t.Next())
    if (t.FieldAsString(type) == kCookie)
      read.list.push_back({LowerCase(t.FieldAsString(permission)), t.FieldAsString(host), ""});
  return read;
}

std::vector<std::string> OriginsOfHost(const std::vector<FirefoxCookiePermission>& held,
                                       const std::string& key) {
  std::vector<std::string> origins;
  for (const FirefoxCookiePermission& p : held)
    if (p.host == key) origins.push_back(p.origin);
  for (const char* scheme : {"http://", "https://"}) {
    const std::string o = scheme + key;
    bool have = false;
    for (const auto& x : origins) have = have || x == o;
    if (!have) origins.push_back(o);
  }
  return origins;
}

void WriteOriginCookiePermissions(const std::string& path, const std::vector<std::string>& origins,
                                  char action) {
  const std::unique_ptr<TSQLiteDatabase> opened = Open(path);
  TSQLiteDatabase& db = *opened;
  db.ExecSQL("BEGIN");
  try {
    if (action == 'R') {
      for (const auto& o : origins)
        db.ExecSQL("DELETE FROM moz_perms WHERE origin = ? AND type = ?", {o, kCookie});
    } else {
      const int64_t value = action == 'A' ? 1 : action == 'B' ? 2 : 8;
      const int64_t now = NowMilliseconds();
      for (const auto& o : origins) {
        db.ExecSQL(
            "UPDATE moz_perms SET permission = ?, expireType = 0, expireTime = 0, "
            "modificationTime = ? WHERE origin = ? AND type = ?",
            {value, now, o, kCookie});
        if (db.Changes() == 0)
          db.ExecSQL(
              "INSERT INTO moz_perms (origin, type, permission, expireType, expireTime, "
              "modificationTime) VALUES (?, ?, ?, 0, 0, ?)",
              {o, kCookie, value, now});
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
}

void RemoveHostPermissions(const std::string& path, const std::string& key) {
  Open(path)->ExecSQL("DELETE FROM moz_hosts WHERE host LIKE ? ESCAPE '\\'", {LikeLiteral(key)});
}

void WriteHostCookiePermission(const std::string& path, const std::string& key, char action,
                               bool exists) {
  const int64_t number = FirefoxPermissionValue(action)[0] - '0';
  if (exists)
    Open(path)->ExecSQL(
        "UPDATE moz_hosts SET permission = ? WHERE host LIKE ? ESCAPE '\\' AND type LIKE ?",
        {number, LikeLiteral(key), kCookie});
  else
    Open(path)->ExecSQL("INSERT INTO moz_hosts (host, type, permission) VALUES (?, ?, ?)",
                        {key, kCookie, number});
}
