#include "reliability/database_support.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/files.h"
#include "sqlite3.h"
#include "support/test_support.h"

namespace {
std::string Hex(const void* data, int n) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  const auto* p = static_cast<const unsigned char*>(data);
  for (int i = 0; i < n; ++i) {
    out += digits[p[i] >> 4];
    out += digits[p[i] & 15];
  }
  return out;
}

// Opened read-only, so a missing file is not created and nothing is written.
struct ReadOnlyDb {
  sqlite3* db = nullptr;
  int rc;
  explicit ReadOnlyDb(const std::string& file)
      : rc(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr)) {}
  ~ReadOnlyDb() { sqlite3_close(db); }
  std::string Error() const { return "<" + std::string(db ? sqlite3_errmsg(db) : "no memory") + ">"; }
  // Each row as one text; false on error.
  bool Rows(const std::string& sql, std::vector<std::string>& rows) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return false;
    int r;
    while ((r = sqlite3_step(st)) == SQLITE_ROW) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        switch (sqlite3_column_type(st, i)) {
          case SQLITE_NULL:
            row += "N";
            break;
          case SQLITE_INTEGER:
            row += "I" + std::to_string(sqlite3_column_int64(st, i));
            break;
          case SQLITE_FLOAT:
            row += "F" + std::to_string(sqlite3_column_double(st, i));
            break;
          case SQLITE_TEXT:
            row += "T" + std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                     sqlite3_column_bytes(st, i));
            break;
          default:
            row += "B" + Hex(sqlite3_column_blob(st, i), sqlite3_column_bytes(st, i));
        }
        row += '\x1f';
      }
      rows.push_back(row);
    }
    sqlite3_finalize(st);
    return r == SQLITE_DONE;
  }
};
}  // namespace

std::string DumpDatabase(const std::string& file) {
  if (!FileExists(file)) return "<no file>";
  ReadOnlyDb db(file);
  if (db.rc != SQLITE_OK) return db.Error();
  std::vector<std::string> tables;
  if (!db.Rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", tables))
    return db.Error();
  std::vector<std::string> schema;
  if (!db.Rows("SELECT type, name, sql FROM sqlite_master ORDER BY type, name", schema))
    return db.Error();
  std::string out;
  for (const auto& s : schema) out += s + "\n";
  for (std::string name : tables) {
    name = name.substr(1, name.size() - 2);  // the "T" tag and the separator
    std::vector<std::string> rows;
    if (!db.Rows("SELECT * FROM \"" + name + "\"", rows)) return db.Error();
    std::sort(rows.begin(), rows.end());
    out += "== " + name + " (" + std::to_string(rows.size()) + ")\n";
    for (const auto& r : rows) out += r + "\n";
  }
  return out;
}

ProfileDump DumpProfile(const std::string& folder) {
  ProfileDump out;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*.sqlite").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    std::string name = fd.cFileName;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) {
      return static_cast<char>(std::tolower(c));
    });
    out[name] = DumpDatabase(folder + "\\" + fd.cFileName);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return out;
}

namespace {
std::string FirstDifferentLine(const std::string& a, const std::string& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  const size_t start = a.rfind('\n', i ? i - 1 : 0);
  const size_t from = i == 0 || start == std::string::npos ? 0 : start + 1;
  auto line = [&](const std::string& s) {
    return from >= s.size() ? std::string("<end>") : s.substr(from, s.find('\n', from) - from);
  };
  return "[" + line(a) + "] vs [" + line(b) + "]";
}
}  // namespace

std::string DumpDifference(const ProfileDump& actual, const ProfileDump& expected) {
  std::string out;
  for (const auto& [name, dump] : actual) {
    auto it = expected.find(name);
    if (it == expected.end())
      out += name + ": unexpected; ";
    else if (it->second != dump)
      out += name + ": " + FirstDifferentLine(dump, it->second) + "; ";
  }
  for (const auto& [name, dump] : expected)
    if (!actual.count(name)) out += name + ": missing; ";
  return out;
}

std::string IntegrityCheck(const std::string& file) {
  ReadOnlyDb db(file);
  std::vector<std::string> rows;
  if (db.rc != SQLITE_OK || !db.Rows("PRAGMA integrity_check", rows)) return db.Error();
  std::string out;
  for (const auto& r : rows) out += r.substr(1, r.size() - 2);
  return out;
}

std::string FileBytes(const std::string& path) {
  std::string text;
  ReadWholeFile(path, text);
  return text;
}

bool CopyFolderFiles(const std::string& from, const std::string& to) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((from + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string name = fd.cFileName;
    ok = CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE) && ok;
    for (const char* suffix : {"-journal", "-wal", "-shm"})
      DeleteFileA((to + "\\" + name + suffix).c_str());
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return ok;
}

size_t SqlitePageSize(const std::string& bytes) {
  if (bytes.size() < 100) return 4096;
  const size_t n = (static_cast<unsigned char>(bytes[16]) << 8) | static_cast<unsigned char>(bytes[17]);
  return n == 1 ? 65536 : n >= 512 ? n : 4096;
}

std::string MostFrequentCookieHost(const std::string& cookiesFile) {
  ReadOnlyDb db(cookiesFile);
  std::vector<std::string> rows;
  if (db.rc != SQLITE_OK ||
      !db.Rows("SELECT host FROM moz_cookies GROUP BY host ORDER BY COUNT(*) DESC, host LIMIT 1",
               rows) ||
      rows.empty())
    return "";
  return rows[0].substr(1, rows[0].size() - 2);
}

std::string FirstCookiePermissionHost(const std::string& permissionsFile, bool current) {
  ReadOnlyDb db(permissionsFile);
  std::vector<std::string> rows;
  const char* sql = current ? "SELECT origin FROM moz_perms WHERE type = 'cookie' ORDER BY id"
                            : "SELECT host FROM moz_hosts WHERE type = 'cookie' ORDER BY id";
  if (db.rc != SQLITE_OK || !db.Rows(sql, rows)) return "";
  for (const auto& r : rows) {
    std::string v = r.substr(1, r.size() - 2);
    if (!current) return v;
    const size_t scheme = v.find("://");
    if (scheme == std::string::npos) continue;
    v = v.substr(scheme + 3);
    if (v.find_first_of(":^/") == std::string::npos) return v;  // no port, no attributes
  }
  return "";
}

namespace {
std::string UniqueName(const char* what) {
  static int count = 0;
  return std::string("qv_dbfault_") + what + "_" + std::to_string(GetCurrentProcessId()) + "_" +
         std::to_string(++count);
}

bool Start(const std::string& exe, const std::string& arguments, PROCESS_INFORMATION& pi) {
  std::string line = "\"" + exe + "\" " + arguments;
  STARTUPINFOA si{sizeof si};
  return CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi);
}

// Sets the stop event and waits for the end; true when it ended with exit code 0.
bool Stop(HANDLE stop, PROCESS_INFORMATION& pi) {
  if (!pi.hProcess) return false;
  SetEvent(stop);
  bool ok = WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0;
  DWORD code = 1;
  if (!ok) TerminateProcess(pi.hProcess, 99);
  ok = ok && GetExitCodeProcess(pi.hProcess, &code) && code == 0;
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  pi = {};
  return ok;
}
}  // namespace

DatabaseHolder::DatabaseHolder(const std::string& file) {
  const std::string readyName = UniqueName("ready"), stopName = UniqueName("stop");
  ready_ = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
  stop_ = CreateEventA(nullptr, TRUE, FALSE, stopName.c_str());
  if (!ready_ || !stop_ ||
      !Start(BinFolder() + "\\fixtures\\qvfixture.exe",
             "hold-db \"" + file + "\" " + readyName + " " + stopName, process_))
    return;
  // Ready, or the holder ended without holding (its error is on its stderr).
  HANDLE either[] = {ready_, process_.hProcess};
  holding_ = WaitForMultipleObjects(2, either, FALSE, 30000) == WAIT_OBJECT_0;
}

DatabaseHolder::~DatabaseHolder() {
  Stop(stop_, process_);
  if (ready_) CloseHandle(ready_);
  if (stop_) CloseHandle(stop_);
}

bool DatabaseHolder::Release() {
  holding_ = false;
  return Stop(stop_, process_);
}

FileHolder::FileHolder(const std::string& file) {
  const std::string stopName = UniqueName("release");
  stop_ = CreateEventA(nullptr, TRUE, FALSE, stopName.c_str());
  if (!stop_ || !Start(BinFolder() + "\\fixtures\\Mozilla Firefox\\firefox.exe",
                       "hold \"" + file + "\" " + stopName, process_))
    return;
  // Held once an open with full sharing meets the sharing violation.
  for (int i = 0; i < 1500 && !holding_; ++i) {
    HANDLE h = CreateFileA(file.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
    } else if (GetLastError() == ERROR_SHARING_VIOLATION) {
      holding_ = true;
      break;
    }
    if (WaitForSingleObject(process_.hProcess, 20) == WAIT_OBJECT_0) break;
  }
}

FileHolder::~FileHolder() {
  Stop(stop_, process_);
  if (stop_) CloseHandle(stop_);
}

bool FileHolder::Release() {
  holding_ = false;
  return Stop(stop_, process_);
}
