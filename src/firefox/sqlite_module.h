#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

// The sqlite3 programming interface, bound at run time from the module that Firefox ships.
struct sqlite3;
struct sqlite3_stmt;

// Every failure of the database layer, from a missing entry point to a failed statement.
class ESQLiteException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
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

// Loads the module once and binds the 40 entry points; returns how many were missing, or 999
// when the module did not load. Give the full path: the module's own folder is then searched
// first for the libraries it needs, and no other copy of the name can stand in for it.
int LoadSqliteModule(const std::string& path);
// The same load for a module whose other exports are its own business (Firefox's nss3.dll):
// entry points the layer never calls are bound when present, without a box when missing.
int LoadSqliteModuleQuietly(const std::string& path);
// Binds the SQLite compiled into the program instead; does nothing once a module is bound.
void UseBuiltinSqlite();
int MissingEntryPoints();
bool SqliteModuleLoaded();
bool SqliteBuiltinInUse();
const std::string& SqliteModuleName();
// Which SQLite the databases are opened with, for the folder report and the About box: the
// module's full path, or "Quorvane's own SQLite " and its version.
std::string SqliteModuleInUse();
std::string BuiltinSqliteName();
// The number of entry points looked up, and their names in order.
constexpr int kSqliteEntryPointCount = 40;
const char* const* SqliteEntryPointNames();

// The bound entry point, or an ESQLiteException naming it when it was missing at load time.
void* SqliteEntryPoint(int index);
// The bound entry point or null; never throws (for clean-up code).
void* SqliteEntryPointOrNull(int index);

// The last SQLite error: set by a failed open and by every raised error.
struct SqliteError {
  int code = 0;
  std::string message;
};
SqliteError& LastSqliteError();
// That error in words, for the end of a report line: " - the disk is full"; empty when no
// SQLite failure is known (reset LastSqliteError before the operation).
std::string LastSqliteErrorSuffix();
