#pragma once
#include <string>
#include <vector>

// The SQL of permissions.sqlite that the cookie window's site permissions use: current
// Firefox's moz_perms (keyed by origin) or moz_hosts of the Firefox 3-41 era, the rows of type
// "cookie". The file is opened for each read and each change: the window stays open while
// Firefox may start, and a connection kept open alone would keep Firefox from its own file.
// A read beside a running Firefox shares the file; changes are refused by the window while it
// runs. Values are bound, never pasted into SQL. Failures throw ESQLiteException ("Database
// not found: " and the path for a file that is not there: SQLite would make an empty one).

// One cookie permission: its value as stored ("1", "2", "8", ... lower-cased), the host key it
// applies to, and for moz_perms the origin that carries it (an origin with a port or
// attributes is updated as it stands).
struct FirefoxCookiePermission {
  std::string value, host, origin;
};
struct FirefoxCookiePermissions {
  bool origins = false;  // moz_perms: what current Firefox applies
  std::vector<FirefoxCookiePermission> list;
};
FirefoxCookiePermissions ReadFirefoxCookiePermissions(const std::string& path);

// moz_perms: the origins that decide for a host key: those of `held` that carry it (with a
// port, say), then its http and https origins when not among them.
std::vector<std::string> OriginsOfHost(const std::vector<FirefoxCookiePermission>& held,
                                       const std::string& key);
// moz_perms: the cookie permission of every origin set to action 'A' (allow), 'B' (block) or
// 'S' (session), updated or inserted, or removed ('R'), in one transaction.
void WriteOriginCookiePermissions(const std::string& path, const std::vector<std::string>& origins,
                                  char action);

// moz_hosts: every row of the host goes, of every type, as Firefox 3-41 removed a site.
void RemoveHostPermissions(const std::string& path, const std::string& key);
// moz_hosts: the host's cookie row set to action 'A', 'B' or 'S': updated when `exists`, else
// inserted.
void WriteHostCookiePermission(const std::string& path, const std::string& key, char action,
                               bool exists);
