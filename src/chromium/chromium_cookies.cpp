#include "chromium/chromium_cookies.h"

#include "chromium/chromium_browsers.h"
#include "chromium/chromium_purge.h"
#include "platform/sqlite_statement.h"

std::vector<ChromiumCookieFile> FindChromiumCookieFiles() {
  std::vector<ChromiumCookieFile> files;
  for (const ChromiumBrowser& b : FindChromiumBrowsers())
    for (const ChromiumProfile& p : b.profiles)
      if (std::string file = ChromiumCookiesFile(p); !file.empty())
        files.push_back({b.name + " - " + p.name, file, b.name});
  return files;
}

std::vector<ChromiumCookie> ReadChromiumCookies(const std::string& file) {
  TSQLiteDatabase db(file, kChromiumDatabase);
  std::vector<ChromiumCookie> cookies;
  // A column without a declared type reads as its first row's value does: the length is
  // never NULL, so that it always reads as a number.
  db.ForEachRow("SELECT host_key, name, value, ifnull(length(encrypted_value), 0) FROM cookies", {},
                [&](const TSQLiteTable& row) {
                  cookies.push_back({row.FieldAsString(0), row.FieldAsString(1),
                                     row.FieldAsString(2), row.FieldAsInteger(3) > 0});
                });
  return cookies;
}

int DeleteChromiumCookieHosts(const std::string& file, const std::set<std::string>& hosts) {
  TSQLiteDatabase db(file, kChromiumDatabase);
  int deleted = 0;
  db.InTransaction([&] {
    db.ExecSQL("CREATE TEMP TABLE IF NOT EXISTS qv_gone_hosts (h TEXT PRIMARY KEY)");
    db.ExecSQL("DELETE FROM temp.qv_gone_hosts");
    for (const std::string& h : hosts)
      db.ExecSQL("INSERT OR IGNORE INTO temp.qv_gone_hosts VALUES (?)", {h});
    db.ExecSQL("DELETE FROM cookies WHERE lower(host_key) IN (SELECT h FROM temp.qv_gone_hosts)");
    deleted = db.Changes();
  });
  return deleted;
}
