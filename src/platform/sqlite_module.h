#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

// The sqlite3 programming interface, bound at run time: from a module on disk (the one Firefox
// ships, chosen by firefox/) or from the SQLite compiled into the program (sqlite_builtin.c).
struct sqlite3;
struct sqlite3_stmt;

// Every failure of the database layer, from a missing entry point to a failed statement.
class ESQLiteException : public std::runtime_error {
 public:
  // `sqliteCode` and `sqliteMessage`: SQLite's when SQLite failed; 0 for the layer's own.
  explicit ESQLiteException(const std::string& what, int sqliteCode = 0,
                            std::string sqliteMessage = {})
      : std::runtime_error(what), code_(sqliteCode), message_(std::move(sqliteMessage)) {}
  int SqliteCode() const { return code_; }
  const std::string& SqliteMessage() const { return message_; }

 private:
  int code_;
  std::string message_;
};

namespace sqlite_api {
using OpenFn = int(__cdecl*)(const char*, sqlite3**);
using CloseFn = int(__cdecl*)(sqlite3*);
using ErrMsgFn = const char*(__cdecl*)(sqlite3*);
using ErrCodeFn = int(__cdecl*)(sqlite3*);
using PrepareFn = int(__cdecl*)(sqlite3*, const char*, int, sqlite3_stmt**, const char**);
using StepFn = int(__cdecl*)(sqlite3_stmt*);
using FinalizeFn = int(__cdecl*)(sqlite3_stmt*);
using ColumnCountFn = int(__cdecl*)(sqlite3_stmt*);
using ColumnTextFn = const char*(__cdecl*)(sqlite3_stmt*, int);  // name, decltype, text
using ColumnIntFn = int(__cdecl*)(sqlite3_stmt*, int);           // type, bytes
using ColumnInt64Fn = int64_t(__cdecl*)(sqlite3_stmt*, int);
using ColumnDoubleFn = double(__cdecl*)(sqlite3_stmt*, int);
using ColumnBlobFn = const void*(__cdecl*)(sqlite3_stmt*, int);
using ResetFn = int(__cdecl*)(sqlite3_stmt*);
using ChangesFn = int(__cdecl*)(sqlite3*);
using BindTextFn = int(__cdecl*)(sqlite3_stmt*, int, const char*, int, void (*)(void*));
using BindDoubleFn = int(__cdecl*)(sqlite3_stmt*, int, double);
using BindInt64Fn = int(__cdecl*)(sqlite3_stmt*, int, int64_t);
using BindNullFn = int(__cdecl*)(sqlite3_stmt*, int);
}  // namespace sqlite_api

// Result codes and fundamental types of SQLite 3 that the layer tests for.
constexpr int kSqliteBusy = 5;
constexpr int kSqliteRow = 100;
constexpr int kSqliteDone = 101;
constexpr int kSqliteInteger = 1, kSqliteFloat = 2, kSqliteText = 3, kSqliteBlob = 4,
              kSqliteNull = 5;

// Which SQLite serves a connection. Bound: the one bound for the process (a module by
// BindSqliteModule, else the built-in one by UseBuiltinSqlite): Firefox's files. Builtin: the
// SQLite compiled into the program, whatever else is bound: the files of browsers that ship no
// SQLite a program could borrow (the Chromium family).
enum class SqliteEngine { Bound, Builtin };

// What BindSqliteModule answers when the module did not load.
constexpr int kSqliteModuleNotLoaded = 999;
// Told of each entry point the module lacks, by name.
using MissingSqliteEntry = std::function<void(const char* name)>;
// Loads the module once and binds the 40 entry points; returns how many were missing, or
// kSqliteModuleNotLoaded. With `onMissing` every missing entry point is told and counted;
// without it the module's other exports are its own business (Firefox's nss3.dll): entry points
// the layer never calls are bound when present, neither told nor counted when missing. Give the
// full path: the module's own folder is then searched first for the libraries it needs, and no
// other copy of the name can stand in for it. Does nothing (0) once an SQLite is bound.
int BindSqliteModule(const std::string& path, const MissingSqliteEntry& onMissing);
// Binds the SQLite compiled into the program instead; does nothing once a module is bound.
void UseBuiltinSqlite();
int MissingEntryPoints();
bool SqliteModuleLoaded();
bool SqliteBuiltinInUse();
// The module's path as given ("sqlite3.dll" before any was).
const std::string& SqliteModuleName();
// Which SQLite the databases are opened with, for the folder report and the About box: the
// module's full path, or "Quorvane's own SQLite " and its version.
std::string SqliteModuleInUse();
std::string BuiltinSqliteName();
// The number of entry points looked up, and their names in order.
constexpr int kSqliteEntryPointCount = 40;
const char* const* SqliteEntryPointNames();

// The entry point of that SQLite, or an ESQLiteException naming it when it is missing.
void* SqliteEntryPoint(int index, SqliteEngine engine = SqliteEngine::Bound);
// The entry point or null; never throws (for clean-up code).
void* SqliteEntryPointOrNull(int index, SqliteEngine engine = SqliteEngine::Bound);

// The last SQLite error: set by a failed open and by every raised error.
struct SqliteError {
  int code = 0;
  std::string message;
};
SqliteError& LastSqliteError();
// That error in words, for the end of a report line: " - the disk is full"; empty when no
// SQLite failure is known (reset LastSqliteError before the operation).
std::string LastSqliteErrorSuffix();
// Why an operation failed, for a report line: SQLite's failure in words when the exception is
// the layer's and SQLite failed, else its own text.
std::string SqliteFailureReason(const std::exception& e);
