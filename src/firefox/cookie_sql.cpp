#include "firefox/cookie_sql.h"

std::vector<CookieLine> ReadFirefoxCookieRows(const std::string& file, SqlSharing sharing) {
  TSQLiteDatabase db(file, SqlText::Utf8, sharing);
  std::vector<CookieLine> cookies;
  // The seven fields and the row, looked up by name as any column order of any era allows.
  // Read row by row: only the lines made of them are held.
  int rowid = -1, host = 0, httpOnly = 0, path = 0, secure = 0, expiry = 0, name = 0, value = 0;
  db.ForEachRow(
      "SELECT rowid AS qv_rowid, host, isHttpOnly, path, isSecure, expiry, name, value FROM "
      "moz_cookies",
      {}, [&](const TSQLiteTable& t) {
        if (rowid < 0) {
          rowid = t.FieldIndex("qv_rowid");
          host = t.FieldIndex("host");
          httpOnly = t.FieldIndex("isHttpOnly");
          path = t.FieldIndex("path");
          secure = t.FieldIndex("isSecure");
          expiry = t.FieldIndex("expiry");
          name = t.FieldIndex("name");
          value = t.FieldIndex("value");
        }
        cookies.push_back(
            {MakeCookieLine(t.FieldAsString(host), t.FieldAsString(httpOnly) == "1",
                            t.FieldAsString(path), t.FieldAsString(secure) == "1",
                            t.FieldAsString(expiry), t.FieldAsString(name), t.FieldAsString(value)),
             t.FieldAsInteger(rowid)});
      });
  return cookies;
}

void DeleteFirefoxCookieHosts(const std::string& file, const std::set<std::string>& hosts) {
  TSQLiteDatabase db(file, SqlText::Utf8, SqlSharing::Alone);
  db.ExecSQL("CREATE TEMP TABLE IF NOT EXISTS qv_gone_hosts (h TEXT PRIMARY KEY)");
  db.ExecSQL("BEGIN");
  try {
    {
      TSQLiteStatement add(db, "INSERT OR IGNORE INTO temp.qv_gone_hosts VALUES (?)");
      for (const std::string& h : hosts) add.Run({h});
    }
    // lower() folds exactly what LIKE ignores: the host's ASCII letter case.
    db.ExecSQL("DELETE FROM moz_cookies WHERE lower(host) IN (SELECT h FROM temp.qv_gone_hosts)");
    db.ExecSQL("COMMIT");
  } catch (...) {
    db.ExecSQL("ROLLBACK");
    throw;
  }
}
