#include "platform/sqlite_statement.h"

#include <windows.h>

#include <cstdio>

#include "platform/ansi_utf8.h"
#include "platform/files.h"
#include "platform/sqlite_rules.h"

namespace {
using namespace sqlite_api;
enum Entry {
  kOpen = 0,
  kClose = 1,
  kErrMsg = 4,
  kErrCode = 5,
  kPrepare = 16,
  kColumnCount = 17,
  kColumnName = 18,
  kColumnDecltype = 19,
  kStep = 20,
  kColumnBlob = 22,
  kColumnBytes = 23,
  kColumnDouble = 24,
  kColumnText = 26,
  kColumnType = 27,
  kColumnInt64 = 28,
  kChanges = 14,
  kFinalize = 29,
  kReset = 30,
  kBindText = 32,
  kBindDouble = 33,
  kBindInt64 = 35,
  kBindNull = 36,
};
// SQLite copies a bound text at once (SQLITE_TRANSIENT), so the caller's buffer may go.
void (*const kTransient)(void*) = reinterpret_cast<void (*)(void*)>(-1);

// Finalizes a statement whatever way its scope is left. Prepare has made sure the entry point
// exists: a destructor must not throw.
struct StatementGuard {
  sqlite3_stmt* stmt;
  SqliteEngine engine;
  ~StatementGuard() {
    if (auto finalize = reinterpret_cast<FinalizeFn>(SqliteEntryPointOrNull(kFinalize, engine));
        stmt && finalize)
      finalize(stmt);
  }
};

// Makes a statement ready for its next run; never throws.
void Reset(sqlite3_stmt* stmt, SqliteEngine engine) {
  if (auto reset = reinterpret_cast<ResetFn>(SqliteEntryPointOrNull(kReset, engine))) reset(stmt);
}

int TypeFromDeclared(const char* declared) {
  const std::string d = declared;
  if (d == "INTEGER" || d == "BOOLEAN") return kSqliteInteger;
  if (d == "NUMERIC" || d == "FLOAT" || d == "DOUBLE" || d == "REAL") return kSqliteFloat;
  if (d == "BLOB") return kSqliteBlob;
  return kSqliteText;
}

std::string UpperCaseLocale(const char* text) {
  std::string s = text ? Utf8ToAnsi(text) : "";
  if (!s.empty()) CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

bool IsWalFile(const std::string& fileName) {
  return IsWalDatabaseHeader(ReadFileHead(fileName, kSqliteHeaderBytes));
}
}  // namespace

TSQLiteDatabase::TSQLiteDatabase(const std::string& fileName, SqlText text, SqlSharing sharing)
    : TSQLiteDatabase(fileName, SqlOpen{.text = text, .sharing = sharing}) {}

TSQLiteDatabase::TSQLiteDatabase(const std::string& fileName, const SqlOpen& how)
    : engine_(how.engine), text_(how.text), sharing_(how.sharing) {
  // SQLite would make an empty file in place of one that is not there.
  if (how.existing && GetFileAttributesA(fileName.c_str()) == INVALID_FILE_ATTRIBUTES)
    throw ESQLiteException("Database not found: " + fileName);
  int rc = Api<OpenFn>(kOpen)(AnsiToUtf8(fileName).c_str(), &db_);
  if (rc != 0) {
    std::string text = "unknown error";
    if (db_) text = Utf8ToAnsi(Api<ErrMsgFn>(kErrMsg)(db_));
    LastSqliteError() = {rc, text};
    Close();
    throw ESQLiteException("Failed to open database \"" + fileName + "\" : " + text, rc, text);
  }
  try {
    // Before the first read, which the next pragma makes: the mode holds from there on. The
    // form without a schema also sets the default for files attached later.
    mainInMemoryIndex_ = sharing_ == SqlSharing::Alone && IsWalFile(fileName);
    if (mainInMemoryIndex_) GetTable("PRAGMA locking_mode = EXCLUSIVE");
    if (how.relaxed) {
      ExecSQL("PRAGMA SYNCHRONOUS=NORMAL;");
      ExecSQL("PRAGMA temp_store = MEMORY;");
    }
    // A deleted row is otherwise only unlinked: its bytes stay readable in the file until the
    // space is reused. With secure delete SQLite overwrites them with zeros, whichever SQLite
    // serves (Firefox's own builds turn it on; a plain SQLite, ours included, does not). It
    // answers with a row, so it is read as a query; an SQLite too old to know it answers
    // nothing.
    GetTable("PRAGMA secure_delete = ON");
    if (how.readSchema) GetTable("SELECT count(*) FROM sqlite_master");
  } catch (...) {
    Close();
    throw;
  }
}

TSQLiteDatabase::~TSQLiteDatabase() { Close(); }

void TSQLiteDatabase::Close() {
  if (!db_) return;
  try {
    Api<CloseFn>(kClose)(db_);
  } catch (const ESQLiteException&) {
  }
  db_ = nullptr;
}

bool TSQLiteDatabase::HasTable(const std::string& name) {
  return GetTable("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?", {name})
             .RowCount() > 0;
}

void TSQLiteDatabase::InTransaction(const std::function<void()>& work) {
  ExecSQL("BEGIN IMMEDIATE");
  try {
    work();
    ExecSQL("COMMIT");
  } catch (...) {
    try {
      ExecSQL("ROLLBACK");
    } catch (const ESQLiteException&) {
      // A failed COMMIT may already have ended the transaction.
    }
    throw;
  }
}

// ATTACH reads the file at once, in the connection's default locking mode: a WAL file opened
// alone needs exclusive locking set before it, and a main file in rollback mode, which the
// default's form sets too, gets its normal locking back.
void TSQLiteDatabase::Attach(const std::string& fileName, const std::string& schema) {
  const bool inMemoryIndex = sharing_ == SqlSharing::Alone && IsWalFile(fileName);
  const bool setDefault = inMemoryIndex && !mainInMemoryIndex_;
  if (setDefault) GetTable("PRAGMA locking_mode = EXCLUSIVE");
  ExecSQL("ATTACH DATABASE ? AS " + schema, {fileName});
  if (setDefault) GetTable("PRAGMA main.locking_mode = NORMAL");
  if (!inMemoryIndex && mainInMemoryIndex_) GetTable("PRAGMA " + schema + ".locking_mode = NORMAL");
}

void TSQLiteDatabase::RaiseError(const std::string& prefix, const std::string& sql) {
  int code = Api<ErrCodeFn>(kErrCode)(db_);
  LastSqliteError().code = code;
  if (code != 0) {
    std::string message = Utf8ToAnsi(Api<ErrMsgFn>(kErrMsg)(db_));
    LastSqliteError().message = message;
    throw ESQLiteException(prefix + " \"" + sql + "\" : " + message, code, message);
  }
  LastSqliteError().message = "No message";
  throw ESQLiteException(prefix);
}

void TSQLiteDatabase::RaiseLayerError(int code, const std::string& message,
                                      const std::string& text) {
  LastSqliteError() = {code, message};
  throw ESQLiteException(text, code, message);
}

sqlite3_stmt* TSQLiteDatabase::Prepare(const std::string& sql) {
  SqliteEntryPoint(kFinalize, engine_);  // a statement that cannot be finalized is never made
  const std::string utf8 = AnsiToUtf8(sql);
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  int rc = Api<PrepareFn>(kPrepare)(db_, utf8.c_str(), -1, &stmt, &tail);
  if (rc != 0) {
    StatementGuard guard{stmt, engine_};
    RaiseError("Error executing SQL", sql);
  }
  if (!stmt) RaiseError("Could not prepare SQL statement", sql);
  // A second statement would be silently left out: refuse the whole text instead.
  if (tail && !IsOnlyStatementEnd(tail)) {
    StatementGuard guard{stmt, engine_};
    RaiseLayerError(
        1, "only one statement can be run at a time",
        "Error executing SQL \"" + sql + "\" : only one statement can be run at a time");
  }
  return stmt;
}

void TSQLiteDatabase::Bind(sqlite3_stmt* stmt, const SqlParams& params, const std::string& sql) {
  for (size_t i = 0; i < params.size(); ++i) {
    const int n = static_cast<int>(i) + 1;
    const SqlValue& v = params[i];
    int rc = 0;
    if (const auto* text = std::get_if<std::string>(&v))
      rc = text_ == SqlText::Utf8
               ? Api<BindTextFn>(kBindText)(stmt, n, text->data(), static_cast<int>(text->size()),
                                            kTransient)
               : Api<BindTextFn>(kBindText)(stmt, n, AnsiToUtf8(*text).c_str(), -1, kTransient);
    else if (const auto* whole = std::get_if<int64_t>(&v))
      rc = Api<BindInt64Fn>(kBindInt64)(stmt, n, *whole);
    else if (const auto* real = std::get_if<double>(&v))
      rc = Api<BindDoubleFn>(kBindDouble)(stmt, n, *real);
    else
      rc = Api<BindNullFn>(kBindNull)(stmt, n);
    if (rc != 0) RaiseError("Could not bind value " + std::to_string(n) + " of SQL", sql);
  }
}

void TSQLiteDatabase::StepToDone(sqlite3_stmt* stmt, const std::string& sql) {
  if (Api<StepFn>(kStep)(stmt) != kSqliteDone) {
    // A statement made by the original prepare call reports only "SQL logic error" from the
    // failed step; resetting it brings SQLite's own code and message for the report line.
    Reset(stmt, engine_);
    RaiseError("Error executing SQL statement", sql);
  }
}

namespace {
SqlStatementTimer statementTimer = nullptr;
}

void SetSqlStatementTimer(SqlStatementTimer timer) { statementTimer = timer; }

void TSQLiteDatabase::ExecSQL(const std::string& sql, const SqlParams& params) {
  LARGE_INTEGER start{};
  if (statementTimer) QueryPerformanceCounter(&start);
  StatementGuard guard{Prepare(sql), engine_};
  Bind(guard.stmt, params, sql);
  StepToDone(guard.stmt, sql);
  if (statementTimer) {
    LARGE_INTEGER end, frequency;
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    statementTimer(sql, static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
  }
}

int TSQLiteDatabase::Changes() { return Api<ChangesFn>(kChanges)(db_); }

TSQLiteStatement::TSQLiteStatement(TSQLiteDatabase& db, const std::string& sql)
    : db_(db), sql_(sql) {
  SqliteEntryPoint(kReset, db_.engine_);
  stmt_ = db_.Prepare(sql);
}

TSQLiteStatement::~TSQLiteStatement() { StatementGuard guard{stmt_, db_.engine_}; }

void TSQLiteStatement::Run(const SqlParams& params) {
  struct ResetGuard {  // ready for the next run, also after a failure
    sqlite3_stmt* stmt;
    SqliteEngine engine;
    ~ResetGuard() { Reset(stmt, engine); }
  } reset{stmt_, db_.engine_};
  db_.Bind(stmt_, params, sql_);
  db_.StepToDone(stmt_, sql_);
}

TSQLiteTable TSQLiteDatabase::GetTable(const std::string& sql, const SqlParams& params) {
  TSQLiteTable t;
  StatementGuard guard{Prepare(sql), engine_};
  Bind(guard.stmt, params, sql);
  while (StepRow(guard.stmt, sql)) ReadRow(guard.stmt, t);
  return t;
}

void TSQLiteDatabase::ForEachRow(const std::string& sql, const SqlParams& params,
                                 const std::function<void(const TSQLiteTable&)>& onRow) {
  TSQLiteTable t;
  StatementGuard guard{Prepare(sql), engine_};
  Bind(guard.stmt, params, sql);
  while (StepRow(guard.stmt, sql)) {
    // The one row replaces the last: names and types stay, read from the first.
    t.cells_.clear();
    t.rowCount_ = 0;
    ReadRow(guard.stmt, t);
    onRow(t);
  }
}

bool TSQLiteDatabase::StepRow(sqlite3_stmt* stmt, const std::string& sql) {
  int rc = Api<StepFn>(kStep)(stmt);
  if (rc == kSqliteDone) return false;
  if (rc == kSqliteBusy)  // the detail is this busy step's own, not an earlier error's
    RaiseLayerError(rc, Utf8ToAnsi(Api<ErrMsgFn>(kErrMsg)(db_)), "Could not prepare SQL statement");
  if (rc != kSqliteRow) {
    Reset(stmt, engine_);
    RaiseError("Could not retrieve data", sql);
  }
  return true;
}

void TSQLiteDatabase::ReadRow(sqlite3_stmt* stmt, TSQLiteTable& t) {
  if (t.names_.empty()) {
    t.columnCount_ = Api<ColumnCountFn>(kColumnCount)(stmt);
    for (size_t c = 0; c < t.columnCount_; ++c) {
      int i = static_cast<int>(c);
      t.names_.push_back(UpperCaseLocale(Api<ColumnTextFn>(kColumnName)(stmt, i)));
      const char* declared = Api<ColumnTextFn>(kColumnDecltype)(stmt, i);
      int type = declared ? TypeFromDeclared(declared) : Api<ColumnIntFn>(kColumnType)(stmt, i);
      t.types_.push_back(type == kSqliteNull ? kSqliteText : type);
    }
  }
  for (size_t c = 0; c < t.columnCount_; ++c) {
    int i = static_cast<int>(c);
    if (Api<ColumnIntFn>(kColumnType)(stmt, i) == kSqliteNull) {
      t.cells_.emplace_back();
      continue;
    }
    switch (t.types_[c]) {
      case kSqliteInteger: t.cells_.emplace_back(Api<ColumnInt64Fn>(kColumnInt64)(stmt, i)); break;
      case kSqliteFloat: t.cells_.emplace_back(Api<ColumnDoubleFn>(kColumnDouble)(stmt, i)); break;
      case kSqliteBlob: {
        int n = Api<ColumnIntFn>(kColumnBytes)(stmt, i);
        const void* p = Api<ColumnBlobFn>(kColumnBlob)(stmt, i);
        if (n > 0 && p)
          t.cells_.emplace_back(std::in_place_index<4>, static_cast<const char*>(p), n);
        else
          t.cells_.emplace_back();
        break;
      }
      default: {
        const char* text = Api<ColumnTextFn>(kColumnText)(stmt, i);
        if (!text)
          t.cells_.emplace_back(std::in_place_index<3>);
        else if (text_ == SqlText::Utf8)  // after the text call, which may have converted
          t.cells_.emplace_back(std::in_place_index<3>, text,
                                Api<ColumnIntFn>(kColumnBytes)(stmt, i));
        else
          t.cells_.emplace_back(std::in_place_index<3>, Utf8ToAnsi(text));
      }
    }
  }
  ++t.rowCount_;
}

bool TSQLiteTable::Next() {
  if (Eof()) return false;
  ++current_;
  return true;
}

int TSQLiteTable::FieldIndex(const std::string& name) const {
  if (names_.empty()) throw ESQLiteException("Field " + name + " Not found. Empty dataset");
  std::string upper = name;
  if (!upper.empty()) CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
  for (size_t i = 0; i < names_.size(); ++i)
    if (names_[i] == upper) return static_cast<int>(i);
  throw ESQLiteException("Field not found in dataset: " + name);
}

const TSQLiteTable::Cell& TSQLiteTable::CellAt(int i) const {
  if (Eof()) throw ESQLiteException("Table is at End of File");
  if (i < 0 || static_cast<size_t>(i) >= columnCount_)
    throw ESQLiteException("Column index out of range: " + std::to_string(i));
  return cells_[current_ * columnCount_ + i];
}

std::string TSQLiteTable::Fields(int i) const {
  const Cell& cell = CellAt(i);
  switch (types_[i]) {
    case kSqliteInteger: return std::to_string(FieldAsInteger(i));
    case kSqliteFloat: return FloatToText(FieldAsDouble(i));
    case kSqliteText: return cell.index() == 3 ? std::get<3>(cell) : std::string();
    case kSqliteBlob: return FieldAsBlobText(i);
    default: return {};
  }
}

std::string TSQLiteTable::FieldAsString(int i) const {
  return CellAt(i).index() == 0 ? std::string() : Fields(i);
}

int64_t TSQLiteTable::FieldAsInteger(int i) const {
  const Cell& cell = CellAt(i);
  if (cell.index() == 0) return 0;
  if (types_[i] == kSqliteInteger) return std::get<1>(cell);
  if (types_[i] == kSqliteFloat) return static_cast<int64_t>(std::get<2>(cell));
  throw ESQLiteException("Not an integer or numeric field");
}

double TSQLiteTable::FieldAsDouble(int i) const {
  const Cell& cell = CellAt(i);
  if (cell.index() == 0) return 0;
  if (types_[i] == kSqliteInteger) return static_cast<double>(std::get<1>(cell));
  if (types_[i] == kSqliteFloat) return std::get<2>(cell);
  throw ESQLiteException("Not an integer or numeric field");
}

const TSQLiteTable::Blob* TSQLiteTable::FieldAsBlob(int i) const {
  const Cell& cell = CellAt(i);
  if (cell.index() == 0) return nullptr;
  if (types_[i] != kSqliteBlob) throw ESQLiteException("Not a Blob field");
  return &std::get<4>(cell);
}

std::string TSQLiteTable::FieldAsBlobText(int i) const {
  const Blob* blob = FieldAsBlob(i);
  return blob ? *blob : std::string();
}
