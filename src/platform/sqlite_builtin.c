/* The SQLite that Quorvane carries for a Firefox whose own module it cannot use (a 64-bit
 * installation, or a module without the entry points). Every API function is made static, so
 * this copy exports nothing and never meets another copy of the amalgamation at link time;
 * the one external name hands out its entry points by name. */
#define SQLITE_API static
#define SQLITE_OMIT_LOAD_EXTENSION 1
#define SQLITE_THREADSAFE 1
#include "sqlite3.c"

#include <string.h>

#include "platform/sqlite_builtin.h"

struct QvBuiltinEntry {
  const char* name;
  void* address;
};

#define QV_ENTRY(f) {#f, (void*)f}
static const struct QvBuiltinEntry kEntries[] = {
    QV_ENTRY(sqlite3_open),         QV_ENTRY(sqlite3_close),
    QV_ENTRY(sqlite3_exec),         QV_ENTRY(sqlite3_libversion),
    QV_ENTRY(sqlite3_errmsg),       QV_ENTRY(sqlite3_errcode),
    QV_ENTRY(sqlite3_free),         QV_ENTRY(sqlite3_get_table),
    QV_ENTRY(sqlite3_free_table),   QV_ENTRY(sqlite3_complete),
    QV_ENTRY(sqlite3_last_insert_rowid), QV_ENTRY(sqlite3_interrupt),
    QV_ENTRY(sqlite3_busy_handler), QV_ENTRY(sqlite3_busy_timeout),
    QV_ENTRY(sqlite3_changes),      QV_ENTRY(sqlite3_total_changes),
    QV_ENTRY(sqlite3_prepare),      QV_ENTRY(sqlite3_column_count),
    QV_ENTRY(sqlite3_column_name),  QV_ENTRY(sqlite3_column_decltype),
    QV_ENTRY(sqlite3_step),         QV_ENTRY(sqlite3_data_count),
    QV_ENTRY(sqlite3_column_blob),  QV_ENTRY(sqlite3_column_bytes),
    QV_ENTRY(sqlite3_column_double), QV_ENTRY(sqlite3_column_int),
    QV_ENTRY(sqlite3_column_text),  QV_ENTRY(sqlite3_column_type),
    QV_ENTRY(sqlite3_column_int64), QV_ENTRY(sqlite3_finalize),
    QV_ENTRY(sqlite3_reset),        QV_ENTRY(sqlite3_bind_blob),
    QV_ENTRY(sqlite3_bind_text),    QV_ENTRY(sqlite3_bind_double),
    QV_ENTRY(sqlite3_bind_int),     QV_ENTRY(sqlite3_bind_int64),
    QV_ENTRY(sqlite3_bind_null),    QV_ENTRY(sqlite3_bind_parameter_index),
    QV_ENTRY(sqlite3_enable_shared_cache), QV_ENTRY(sqlite3_create_collation),
    /* For the file layer that Wine needs (sqlite_wine_io.cpp). */
    QV_ENTRY(sqlite3_vfs_find),     QV_ENTRY(sqlite3_vfs_register),
};

void* QvBuiltinSqliteEntry(const char* name) {
  size_t i;
  for (i = 0; i < sizeof kEntries / sizeof kEntries[0]; ++i)
    if (strcmp(kEntries[i].name, name) == 0) return kEntries[i].address;
  return NULL;
}

const char* QvBuiltinSqliteVersion(void) { return SQLITE_VERSION; }
