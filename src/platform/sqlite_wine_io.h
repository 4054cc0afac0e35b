#pragma once
#include <functional>

// Looks up an export of an SQLite by name; null when it has none.
using SqliteExportLookup = std::function<void*(const char*)>;

// Under Wine, makes that SQLite read and write its files by moving the file pointer
// instead of passing each offset (see the .cpp for why); does nothing elsewhere, and nothing
// when that SQLite cannot register a file layer. True when the layer is in place.
bool InstallWineFileIo(const SqliteExportLookup& lookup);
// The name the layer is registered under.
const char* WineFileIoName();
