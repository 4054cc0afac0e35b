#pragma once
/* The SQLite compiled into the program (sqlite_builtin.c), which exports nothing: its entry
 * points are handed out by name. C, so that the C file defining them includes this too. Every
 * user includes this header rather than declaring the functions itself. */
#ifdef __cplusplus
extern "C" {
#endif

/* The entry point `name` ("sqlite3_open"), or null when the built-in SQLite has none. */
void* QvBuiltinSqliteEntry(const char* name);
/* The amalgamation's version, "3.46.1". */
const char* QvBuiltinSqliteVersion(void);

#ifdef __cplusplus
}
#endif
