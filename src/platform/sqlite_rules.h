#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// What the program knows of SQLite's result codes and file header, for the database layers of
// both browser families (Firefox's module or the SQLite compiled in).

// Why an SQLite operation failed, in words a user can act on, for the report's error lines:
// the result code's words when it is one of the failures a user meets (an extended code
// carries its primary code in the low byte), else SQLite's own message, else the bare code.
// Empty for code 0: no SQLite failure is known.
std::string SqliteFailureWords(int code, const std::string& message);

// The bytes of a database file's header that say how it keeps its journal.
inline constexpr std::size_t kSqliteHeaderBytes = 20;
// True when those bytes are an SQLite header that says the file is in WAL mode.
bool IsWalDatabaseHeader(std::string_view header);
