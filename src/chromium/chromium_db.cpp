#include "chromium/chromium_db.h"

#include <windows.h>

#include "core/sqlite_rules.h"
#include "platform/files.h"
#include "platform/sqlite_wine_io.h"

// The SQLite compiled into the program hands out its entry points by name only.
extern "C" void* QvBuiltinSqliteEntry(const char* name);
extern "C" const char* QvBuiltinSqliteVersion(void);

namespace {
struct sqlite3;
struct sqlite3_stmt;
constexpr int kOk = 0, kRow = 100, kDone = 101;
constexpr int kInteger = 1, kNull = 5;
constexpr int kOpenReadWrite = 0x02;

struct Api {
  int(__cdecl* close)(sqlite3*);
  const char*(__cdecl* errmsg)(sqlite3*);
  int(__cdecl* errcode)(sqlite3*);
  int(__cdecl* reset)(sqlite3_stmt*);
  int(__cdecl* prepare)(sqlite3*, const char*, int, sqlite3_stmt**, const char**);
  int(__cdecl* step)(sqlite3_stmt*);
  int(__cdecl* finalize)(sqlite3_stmt*);
  int(__cdecl* column_count)(sqlite3_stmt*);
  int(__cdecl* column_type)(sqlite3_stmt*, int);
  int(__cdecl* column_bytes)(sqlite3_stmt*, int);
  const unsigned char*(__cdecl* column_text)(sqlite3_stmt*, int);
  int64_t(__cdecl* column_int64)(sqlite3_stmt*, int);
  int(__cdecl* changes)(sqlite3*);
  int(__cdecl* bind_text)(sqlite3_stmt*, int, const char*, int, void (*)(void*));
  int(__cdecl* bind_int64)(sqlite3_stmt*, int, int64_t);
  int(__cdecl* bind_null)(sqlite3_stmt*, int);
  int(__cdecl* open)(const char*, sqlite3**);
};

template <typename T>
void Bind(T& fn, const char* name) {
  fn = reinterpret_cast<T>(QvBuiltinSqliteEntry(name));
  if (!fn) throw ChromiumDbError(std::string("SQLite function not available: ") + name);
}

const Api& Sqlite() {
  static const Api api = [] {
    Api a;
    Bind(a.open, "sqlite3_open");
    Bind(a.close, "sqlite3_close");
    Bind(a.errmsg, "sqlite3_errmsg");
    Bind(a.errcode, "sqlite3_errcode");
    Bind(a.reset, "sqlite3_reset");
    Bind(a.prepare, "sqlite3_prepare");
    Bind(a.step, "sqlite3_step");
    Bind(a.finalize, "sqlite3_finalize");
    Bind(a.column_count, "sqlite3_column_count");
    Bind(a.column_type, "sqlite3_column_type");
    Bind(a.column_bytes, "sqlite3_column_bytes");
    Bind(a.column_text, "sqlite3_column_text");
    Bind(a.column_int64, "sqlite3_column_int64");
    Bind(a.changes, "sqlite3_changes");
    Bind(a.bind_text, "sqlite3_bind_text");
    Bind(a.bind_int64, "sqlite3_bind_int64");
    Bind(a.bind_null, "sqlite3_bind_null");
    InstallWineFileIo(QvBuiltinSqliteEntry);
    return a;
  }();
  return api;
}

std::string AnsiToUtf8(const std::string& s) {
  if (s.empty()) return s;
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  int m = WideCharToMultiByte(CP_UTF8, 0, w.data(), n, nullptr, 0, nullptr, nullptr);
  std::string out(m, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), n, out.data(), m, nullptr, nullptr);
  return out;
}

// SQLITE_TRANSIENT: SQLite copies the bound text.
void (*const kTransient)(void*) = reinterpret_cast<void (*)(void*)>(-1);

class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) : db_(db) {
    const char* tail = nullptr;
    if (Sqlite().prepare(db, sql.c_str(), -1, &stmt_, &tail) != kOk || !stmt_) Fail(sql);
    // One statement per call: a second one in the text would go unseen.
    for (; tail && *tail; ++tail)
      if (*tail != ' ' && *tail != ';' && *tail != '\n' && *tail != '\r' && *tail != '\t')
        throw ChromiumDbError("More than one statement in: " + sql);
  }
  ~Statement() { Sqlite().finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  [[noreturn]] void Fail(const std::string& sql) const {
    // A statement made by the original prepare call reports only "SQL logic error" from a
    // failed step; resetting it brings SQLite's own code and message.
    if (stmt_) Sqlite().reset(stmt_);
    const std::string message = Sqlite().errmsg(db_);
    throw ChromiumDbError(message + " - " + sql, Sqlite().errcode(db_), message);
  }
  sqlite3_stmt* get() { return stmt_; }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

sqlite3* Handle(void* p) { return static_cast<sqlite3*>(p); }
}  // namespace

ChromiumDatabase::ChromiumDatabase(const std::string& path) {
  // A missing file would be created empty by the open: it is refused first.
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
    throw ChromiumDbError("Database not found: " + path);
  sqlite3* db = nullptr;
  if (const int rc = Sqlite().open(AnsiToUtf8(path).c_str(), &db); rc != kOk) {
    std::string message = db ? Sqlite().errmsg(db) : "out of memory";
    if (db) Sqlite().close(db);
    throw ChromiumDbError(message + " - " + path, rc, message);
  }
  db_ = db;
  try {
    // Before the first read, which the schema query below makes.
    if (IsWalDatabaseHeader(ReadFileHead(path, kSqliteHeaderBytes)))
      Exec("PRAGMA locking_mode = EXCLUSIVE");
    Exec("PRAGMA secure_delete = ON");
    // Reading the schema proves the file is a database before anything else is done.
    Query("SELECT count(*) FROM sqlite_master");
  } catch (...) {
    Sqlite().close(db);
    db_ = nullptr;
    throw;
  }
}

ChromiumDatabase::~ChromiumDatabase() {
  if (db_) Sqlite().close(Handle(db_));
}

std::vector<ChromiumRow> ChromiumDatabase::Query(const std::string& sql,
                                                 const ChromiumParams& params) {
  const Api& api = Sqlite();
  Statement st(Handle(db_), sql);
  for (size_t i = 0; i < params.size(); ++i) {
    const int n = static_cast<int>(i) + 1;
    int rc;
    if (const auto* t = std::get_if<std::string>(&params[i]))
      rc = api.bind_text(st.get(), n, t->data(), static_cast<int>(t->size()), kTransient);
    else if (const auto* v = std::get_if<int64_t>(&params[i]))
      rc = api.bind_int64(st.get(), n, *v);
    else
      rc = api.bind_null(st.get(), n);
    if (rc != kOk) st.Fail(sql);
  }
  std::vector<ChromiumRow> rows;
  for (;;) {
    const int rc = api.step(st.get());
    if (rc == kDone) break;
    if (rc != kRow) st.Fail(sql);
    const int columns = api.column_count(st.get());
    ChromiumRow row(columns);
    for (int c = 0; c < columns; ++c) {
      const int type = api.column_type(st.get(), c);
      if (type == kNull) continue;
      if (type == kInteger) {
        row[c] = api.column_int64(st.get(), c);
      } else {
        const unsigned char* text = api.column_text(st.get(), c);
        row[c] = std::string(reinterpret_cast<const char*>(text),
                             static_cast<size_t>(api.column_bytes(st.get(), c)));
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

void ChromiumDatabase::Exec(const std::string& sql, const ChromiumParams& params) {
  Query(sql, params);
}

int ChromiumDatabase::Changes() { return Sqlite().changes(Handle(db_)); }

bool ChromiumDatabase::HasTable(const std::string& name) {
  return !Query("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?", {name}).empty();
}

void ChromiumDatabase::InTransaction(const std::function<void()>& work) {
  Exec("BEGIN IMMEDIATE");
  try {
    work();
    Exec("COMMIT");
  } catch (...) {
    try {
      Exec("ROLLBACK");
    } catch (const ChromiumDbError&) {
      // A failed COMMIT may already have ended the transaction.
    }
    throw;
  }
}

std::string ChromiumDbError::Reason() const {
  return code_ == 0 ? what() : SqliteFailureWords(code_, message_);
}

std::string ChromiumFailureReason(const std::exception& e) {
  const auto* db = dynamic_cast<const ChromiumDbError*>(&e);
  return db ? db->Reason() : e.what();
}

std::string ChromiumSqliteName() {
  return std::string("Quorvane's own SQLite ") + QvBuiltinSqliteVersion();
}

std::string CellText(const ChromiumValue& v) {
  if (const auto* t = std::get_if<std::string>(&v)) return *t;
  if (const auto* i = std::get_if<int64_t>(&v)) return std::to_string(*i);
  return {};
}

int64_t CellInt(const ChromiumValue& v) {
  if (const auto* i = std::get_if<int64_t>(&v)) return *i;
  return 0;
}
