#pragma once
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

// A connection to one database of a Chromium-family profile. These browsers ship no SQLite a
// program could borrow (it is linked into the browser), so every one of their files is opened
// with the SQLite compiled into Quorvane, whichever module serves Firefox. Texts travel as the
// file's own UTF-8 bytes; paths are ANSI, as everywhere in the program.
class ChromiumDbError : public std::runtime_error {
 public:
  // `sqliteCode` and `sqliteMessage`: SQLite's when SQLite failed; 0 for the program's own.
  explicit ChromiumDbError(const std::string& what, int sqliteCode = 0,
                           std::string sqliteMessage = {})
      : std::runtime_error(what), code_(sqliteCode), message_(std::move(sqliteMessage)) {}
  // Why, for a report line: SQLite's failure in words, or what() when SQLite did not fail.
  std::string Reason() const;

 private:
  int code_;
  std::string message_;
};
// The reason of any failure a purge caught.
std::string ChromiumFailureReason(const std::exception& e);

using ChromiumValue = std::variant<std::monostate, int64_t, std::string>;
using ChromiumParams = std::vector<ChromiumValue>;
using ChromiumRow = std::vector<ChromiumValue>;

class ChromiumDatabase {
 public:
  // Opens an existing file only (never creates one) with secure_delete on, so that deleted
  // rows are overwritten rather than left in free pages. The browser is not running (its
  // purges and the cookie window refuse to work while it runs): a file in WAL mode is opened
  // with exclusive locking, so SQLite keeps the WAL index in its own memory rather than in a
  // "-shm" file mapped into memory, which under Wine faults on a full disk.
  explicit ChromiumDatabase(const std::string& path);
  ~ChromiumDatabase();
  ChromiumDatabase(const ChromiumDatabase&) = delete;
  ChromiumDatabase& operator=(const ChromiumDatabase&) = delete;

  // One statement with its "?" values bound; rows it returns are read whole.
  std::vector<ChromiumRow> Query(const std::string& sql, const ChromiumParams& params = {});
  void Exec(const std::string& sql, const ChromiumParams& params = {});
  int Changes();
  bool HasTable(const std::string& name);
  // The work in one transaction: committed when it returns, rolled back when it throws.
  void InTransaction(const std::function<void()>& work);

 private:
  void* db_ = nullptr;
};

// Which SQLite opens these files, for the folder report.
std::string ChromiumSqliteName();

// The text of a cell, "" for NULL; its integer, 0 for anything else.
std::string CellText(const ChromiumValue& v);
int64_t CellInt(const ChromiumValue& v);
