#pragma once
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "platform/sqlite_module.h"
#include "platform/sqlite_text.h"

// The one statement layer over whichever SQLite serves (sqlite_module.h): the Firefox purges,
// the Chromium purges and the cookie window open their databases through it.

class TSQLiteTable;

// A value bound to a "?" of a statement. Hosts, names and values from the profile travel this
// way, never pasted into SQL text. Texts are as the connection's SqlText says.
using SqlValue = std::variant<std::monostate, int64_t, double, std::string>;
using SqlParams = std::vector<SqlValue>;

// How the texts of cells and bound values travel. Ansi: converted from and to the system code
// page, as the rest of the program reads them. Utf8: the file's own UTF-8 bytes, unchanged,
// for data that must go back byte for byte (cookie values hold any character). SQL text and
// messages are ANSI either way.
enum class SqlText { Ansi, Utf8 };

// Whether another program may have the file open beside the connection. Alone: the browser
// is not running (its purges and changes are refused while it runs). A database in WAL mode
// is then opened with exclusive locking before its first read, so SQLite keeps the WAL index
// in its own memory: the alternative, a "-shm" file mapped into memory, is grown sparse under
// Wine, and on a full disk the first write into it faults inside SQLite instead of failing.
// Shared: beside a running browser, whose "-shm" file is in place already; reading only.
enum class SqlSharing { Shared, Alone };

// How a connection is opened. The defaults are those of Firefox's files.
struct SqlOpen {
  SqlText text = SqlText::Ansi;
  SqlSharing sharing = SqlSharing::Shared;
  SqliteEngine engine = SqliteEngine::Bound;
  // A missing file is refused ("Database not found: " and the path) rather than made empty.
  bool existing = false;
  // PRAGMA synchronous = NORMAL and temp_store = MEMORY, as the Firefox purges have always run;
  // off, SQLite's defaults stay (full syncs, temporary tables in files).
  bool relaxed = true;
  // The schema is read at once, so that a file that is no database fails the open.
  bool readSchema = false;
};

// Told of every statement ExecSQL ran to its end, with the seconds it took: for the
// benchmarks, which look for where a purge's time goes. The program sets none.
using SqlStatementTimer = void (*)(const std::string& sql, double seconds);
void SetSqlStatementTimer(SqlStatementTimer timer);

// One open connection to a database file; closed when destroyed.
class TSQLiteDatabase {
 public:
  explicit TSQLiteDatabase(const std::string& fileName, SqlText text = SqlText::Ansi,
                           SqlSharing sharing = SqlSharing::Shared);
  TSQLiteDatabase(const std::string& fileName, const SqlOpen& how);
  ~TSQLiteDatabase();
  TSQLiteDatabase(const TSQLiteDatabase&) = delete;
  TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;

  // Runs one statement, which returns no rows. SQL text is ANSI, as everywhere in the program;
  // it reaches SQLite as UTF-8, and text read back is ANSI again. A text holding a second
  // statement is refused before anything runs.
  void ExecSQL(const std::string& sql, const SqlParams& params = {});
  // Runs a query; the whole result is read into the table.
  TSQLiteTable GetTable(const std::string& sql, const SqlParams& params = {});
  // Runs a query and hands each row to `onRow` as a table holding that row alone, so a large
  // result is never held in memory whole.
  void ForEachRow(const std::string& sql, const SqlParams& params,
                  const std::function<void(const TSQLiteTable& row)>& onRow);
  // Attaches another database file under `schema`, opened as the connection's own file is.
  void Attach(const std::string& fileName, const std::string& schema);
  // Rows changed by the last statement that changed rows.
  int Changes();
  // True when the main schema has a table of that name.
  bool HasTable(const std::string& name);
  // The work in one transaction (BEGIN IMMEDIATE): committed when it returns, rolled back
  // when it throws.
  void InTransaction(const std::function<void()>& work);
  [[noreturn]] void RaiseError(const std::string& prefix, const std::string& sql);

 private:
  friend class TSQLiteTable;
  friend class TSQLiteStatement;
  sqlite3_stmt* Prepare(const std::string& sql);
  void Bind(sqlite3_stmt* stmt, const SqlParams& params, const std::string& sql);
  void StepToDone(sqlite3_stmt* stmt, const std::string& sql);
  // Steps to the next row: false at the end, an exception on a failure.
  bool StepRow(sqlite3_stmt* stmt, const std::string& sql);
  // Appends the current row's cells to `t`, learning its columns first when it has none.
  void ReadRow(sqlite3_stmt* stmt, TSQLiteTable& t);
  [[noreturn]] void RaiseLayerError(int code, const std::string& message, const std::string& text);
  void Close();
  // The entry point of the connection's SQLite.
  template <typename Fn>
  Fn Api(int entry) const {
    return reinterpret_cast<Fn>(SqliteEntryPoint(entry, engine_));
  }
  SqliteEngine engine_ = SqliteEngine::Bound;
  sqlite3* db_ = nullptr;
  SqlText text_ = SqlText::Ansi;
  SqlSharing sharing_ = SqlSharing::Shared;
  bool mainInMemoryIndex_ = false;  // the main file is a WAL file opened alone
};

// One statement prepared once and run many times with new values, for batches of rows inside
// one transaction. Finalized when destroyed; must not outlive its database.
class TSQLiteStatement {
 public:
  TSQLiteStatement(TSQLiteDatabase& db, const std::string& sql);
  ~TSQLiteStatement();
  TSQLiteStatement(const TSQLiteStatement&) = delete;
  TSQLiteStatement& operator=(const TSQLiteStatement&) = delete;
  // Binds the values, runs the statement to its end and makes it ready for the next run.
  void Run(const SqlParams& params);

 private:
  TSQLiteDatabase& db_;
  std::string sql_;
  sqlite3_stmt* stmt_ = nullptr;
};

// The complete result of one query, held in memory; addressed by the current row.
class TSQLiteTable {
 public:
  using Blob = std::string;  // the bytes of a blob cell
  using Cell = std::variant<std::monostate, int64_t, double, std::string, Blob>;

  int RowCount() const { return static_cast<int>(rowCount_); }
  int ColumnCount() const { return static_cast<int>(columnCount_); }
  bool Eof() const { return current_ >= rowCount_; }
  bool Next();
  int FieldIndex(const std::string& name) const;
  int ColumnType(int i) const { return types_.at(i); }
  std::string Fields(int i) const;
  std::string FieldAsString(int i) const;
  int64_t FieldAsInteger(int i) const;
  double FieldAsDouble(int i) const;
  const Blob* FieldAsBlob(int i) const;
  std::string FieldAsBlobText(int i) const;

 private:
  friend class TSQLiteDatabase;
  TSQLiteTable() = default;
  const Cell& CellAt(int i) const;
  std::vector<Cell> cells_;
  std::vector<std::string> names_;
  std::vector<int> types_;
  size_t rowCount_ = 0, columnCount_ = 0, current_ = 0;
};
