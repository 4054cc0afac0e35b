#include "chromium/chromium_cookies.h"

#include "chromium/chromium_browsers.h"
#include "chromium/chromium_db.h"
#include "chromium/chromium_purge.h"

std::vector<ChromiumCookieFile> FindChromiumCookieFiles() {
  std::vector<ChromiumCookieFile> files;
  for (const ChromiumBrowser& b : FindChromiumBrowsers())
    for (const ChromiumProfile& p : b.profiles)
      if (std::string file = ChromiumCookiesFile(p); !file.empty())
        files.push_back({b.name + " - " + p.name, file, b.name});
  return files;
}

std::vector<ChromiumCookie> ReadChromiumCookies(const std::string& file) {
  ChromiumDatabase db(file);
  std::vector<ChromiumCookie> cookies;
  for (const ChromiumRow& row :
       db.Query("SELECT host_key, name, value, length(encrypted_value) FROM cookies"))
    cookies.push_back(
        {CellText(row.at(0)), CellText(row.at(1)), CellText(row.at(2)), CellInt(row.at(3)) > 0});
  return cookies;
}

int DeleteChromiumCookieHosts(const std::string& file, const std::set<std::string>& hosts) {
  ChromiumDatabase db(file);
  int deleted = 0;
  db.InTransaction([&] {
    db.Exec("CREATE TEMP TABLE IF NOT EXISTS qv_gone_hosts (h TEXT PRIMARY KEY)");
    db.Exec("DELETE FROM temp.qv_gone_hosts");
    for (const std::string& h : hosts)
      db.Exec("INSERT OR IGNORE INTO temp.qv_gone_hosts VALUES (?)", {h});
    db.Exec("DELETE FROM cookies WHERE lower(host_key) IN (SELECT h FROM temp.qv_gone_hosts)");
    deleted = db.Changes();
  });
  return deleted;
}
