#include "platform/sqlite_module.h"

#include <windows.h>

#include "platform/sqlite_builtin.h"
#include "platform/sqlite_rules.h"
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
bool g_builtIn = false;

// The built-in SQLite's entry points, looked up once, with the file layer Wine needs.
void* const* BuiltinEntries() {
  static const auto* entries = [] {
    static void* table[kSqliteEntryPointCount] = {};
    for (int i = 0; i < kSqliteEntryPointCount; ++i) table[i] = QvBuiltinSqliteEntry(kNames[i]);
    InstallWineFileIo(QvBuiltinSqliteEntry);
    return table;
  }();
  return entries;
}

void* const* Entries(SqliteEngine engine) {
  return engine == SqliteEngine::Builtin ? BuiltinEntries() : g_entries;
}
}  // namespace

const char* const* SqliteEntryPointNames() { return kNames; }

int BindSqliteModule(const std::string& path, const MissingSqliteEntry& onMissing) {
  if (g_module || g_builtIn) return 0;
  if (!path.empty()) g_moduleName = path;
  g_module = LoadLibraryExA(g_moduleName.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!g_module) {
    g_missing = kSqliteModuleNotLoaded;
    return g_missing;
  }
  g_missing = 0;
  for (int i = 0; i < kSqliteEntryPointCount; ++i) {
    g_entries[i] = reinterpret_cast<void*>(GetProcAddress(g_module, kNames[i]));
    if (g_entries[i] || !onMissing) continue;
    onMissing(kNames[i]);
    ++g_missing;
  }
  InstallWineFileIo(
      [](const char* name) { return reinterpret_cast<void*>(GetProcAddress(g_module, name)); });
  return g_missing;
}

void UseBuiltinSqlite() {
  if (g_module || g_builtIn) return;
  g_builtIn = true;
  g_missing = 0;
  for (int i = 0; i < kSqliteEntryPointCount; ++i) g_entries[i] = BuiltinEntries()[i];
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

void* SqliteEntryPoint(int index, SqliteEngine engine) {
  void* entry = Entries(engine)[index];
  if (!entry)
    throw ESQLiteException(std::string("SQLite function not available: ") + kNames[index]);
  return entry;
}

void* SqliteEntryPointOrNull(int index, SqliteEngine engine) { return Entries(engine)[index]; }

SqliteError& LastSqliteError() {
  static SqliteError e;
  return e;
}

std::string LastSqliteErrorSuffix() {
  const std::string words = SqliteFailureWords(LastSqliteError().code, LastSqliteError().message);
  return words.empty() ? words : " - " + words;
}

std::string SqliteFailureReason(const std::exception& e) {
  const auto* layer = dynamic_cast<const ESQLiteException*>(&e);
  return layer && layer->SqliteCode() != 0
             ? SqliteFailureWords(layer->SqliteCode(), layer->SqliteMessage())
             : e.what();
}
