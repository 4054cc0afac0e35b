#include "platform/sqlite_rules.h"

namespace {
// SQLite 3's primary result codes that have words of their own.
enum SqliteCode {
  kPerm = 3,
  kBusy = 5,
  kLocked = 6,
  kNoMem = 7,
  kReadOnly = 8,
  kIoErr = 10,
  kCorrupt = 11,
  kFull = 13,
  kCantOpen = 14,
  kAuth = 23,
  kNotADb = 26,
};
}  // namespace

std::string SqliteFailureWords(int code, const std::string& message) {
  if (code == 0) return {};
  switch (code & 0xff) {
    case kFull: return "the disk is full";
    case kBusy:
    case kLocked: return "the database is locked";
    case kNotADb: return "the file is not a database";
    case kCorrupt: return "the database is damaged";
    case kIoErr: return "the file could not be read or written";
    case kCantOpen: return "the file could not be opened";
    case kReadOnly: return "the file is read-only";
    case kPerm:
    case kAuth: return "access to the file was denied";
    case kNoMem: return "there was not enough memory";
  }
  return message.empty() ? "SQLite error " + std::to_string(code) : message;
}

bool IsWalDatabaseHeader(std::string_view header) {
  // "SQLite format 3" and its NUL, then at offset 19 the read version: 2 for WAL.
  constexpr std::string_view kMagic("SQLite format 3\0", 16);
  return header.size() >= kSqliteHeaderBytes && header.substr(0, kMagic.size()) == kMagic &&
         header[19] == 2;
}
