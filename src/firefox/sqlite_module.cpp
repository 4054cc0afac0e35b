#include "firefox/sqlite_module.h"

#include <windows.h>

#include "core/message_box.h"
#include "core/sqlite_rules.h"
#include "platform/sqlite_wine_io.h"

namespace {
const char* const kNames[kSqliteEntryPointCount] = {"sqlite3_open",
                                                    "sqlite3_close",
                                                    "sqlite3_exec",
                                                    "sqlite3_libversion",
                                                    "sqlite3_errmsg",
                                                    "sqlite3_errcode",
                                                    "sqlite3_free",
                                                    "sqlite3_get_table",
                                                    "sqlite3_free_table",
                                                    "sqlite3_complete",
                                                    "sqlite3_last_insert_rowid",
                                                    "sqlite3_interrupt",
                                                    "sqlite3_busy_handler",
                                                    "sqlite3_busy_timeout",
                                                    "sqlite3_changes",
                                                    "sqlite3_total_changes",
                                                    "sqlite3_prepare",
                                                    "sqlite3_column_count",
                                                    "sqlite3_column_name",
                                                    "sqlite3_column_decltype",
                                                    "sqlite3_step",
                                                    "sqlite3_data_count",
                                                    "sqlite3_column_blob",
                                                    "sqlite3_column_bytes",
                                                    "sqlite3_column_double",
                                                    "sqlite3_column_int",
                                                    "sqlite3_column_text",
                                                    "sqlite3_column_type",
                                                    "sqlite3_column_int64",
                                                    "sqlite3_finalize",
                                                    "sqlite3_reset",
                                                    "sqlite3_bind_blob",
                                                    "sqlite3_bind_text",
                                                    "sqlite3_bind_double",
                                                    "sqlite3_bind_int",
                                                    "sqlite3_bind_int64",
                                                    "sqlite3_bind_null",
                                                    "sqlite3_bind_parameter_index",
                                                    "sqlite3_enable_shared_cache",
                                                    "sqlite3_create_collation"};

std::string g_moduleName = "sqlite3.dll";
HMODULE g_module = nullptr;
void* g_entries[kSqliteEntryPointCount] = {};
int g_missing = 0;
constexpr const char* kCaption = "SQLite3VEK -  Error Message";

bool g_builtIn = false;

void BindEntryPoint(int index, bool quiet) {
  g_entries[index] = reinterpret_cast<void*>(GetProcAddress(g_module, kNames[index]));
  if (g_entries[index]) return;
  if (quiet) return;
  ShowMessageBox(std::string("The specified Dll function was not found -\r\n\r\n   ") +
                     kNames[index] + "\r\n\r\nExecution may fail...",
                 kCaption, MessageKind::Error, MessageButtons::Ok);
  ++g_missing;
}
}  // namespace

const char* const* SqliteEntryPointNames() { return kNames; }

// The SQLite compiled into the program (sqlite_builtin.c).
extern "C" void* QvBuiltinSqliteEntry(const char* name);
extern "C" const char* QvBuiltinSqliteVersion(void);

namespace {
int LoadModule(const std::string& name, bool quiet) {
  if (g_module || g_builtIn) return 0;
  if (!name.empty()) g_moduleName = name;
  g_module = LoadLibraryExA(g_moduleName.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!g_module) {
    ShowMessageBox("The specified Dll module was not found -\r\n\r\n   " + g_moduleName +
                       "\r\n\r\nExecution will terminate...",
                   kCaption, MessageKind::Error, MessageButtons::Ok);
    g_missing = 999;
    return 999;
  }
  g_missing = 0;
  for (int i = 0; i < kSqliteEntryPointCount; ++i) BindEntryPoint(i, quiet);
  InstallWineFileIo([](const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(g_module, name));
  });
  return g_missing;
}
}  // namespace

int LoadSqliteModule(const std::string& name) { return LoadModule(name, false); }

int LoadSqliteModuleQuietly(const std::string& name) { return LoadModule(name, true); }

void UseBuiltinSqlite() {
  if (g_module || g_builtIn) return;
  g_builtIn = true;
  g_missing = 0;
  for (int i = 0; i < kSqliteEntryPointCount; ++i) g_entries[i] = QvBuiltinSqliteEntry(kNames[i]);
  InstallWineFileIo(QvBuiltinSqliteEntry);
}

bool SqliteBuiltinInUse() { return g_builtIn; }

std::string BuiltinSqliteName() {
  return std::string("Quorvane's own SQLite ") + QvBuiltinSqliteVersion();
}

std::string SqliteModuleInUse() {
  if (g_builtIn) return BuiltinSqliteName();
  if (!g_module) return {};
  char path[MAX_PATH] = {};
  if (GetModuleFileNameA(g_module, path, MAX_PATH) == 0) return g_moduleName;
  return path;
}

int MissingEntryPoints() { return g_missing; }
bool SqliteModuleLoaded() { return g_module != nullptr || g_builtIn; }
const std::string& SqliteModuleName() { return g_moduleName; }

void* SqliteEntryPoint(int index) {
  if (!g_entries[index])
    throw ESQLiteException(std::string("SQLite function not available: ") + kNames[index]);
  return g_entries[index];
}

void* SqliteEntryPointOrNull(int index) { return g_entries[index]; }

SqliteError& LastSqliteError() {
  static SqliteError e;
  return e;
}

std::string LastSqliteErrorSuffix() {
  const std::string words = SqliteFailureWords(LastSqliteError().code, LastSqliteError().message);
  return words.empty() ? words : " - " + words;
}
