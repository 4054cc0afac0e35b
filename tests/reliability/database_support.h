#pragma once
#include <windows.h>

#include <map>
#include <string>

// What the database fault tests compare and the other programs they run beside the purges.

// Every table of a database, its schema and its rows (sorted, each value with its type), as
// one text; "<...>" with SQLite's message when the file cannot be read as a database.
std::string DumpDatabase(const std::string& file);
// The dump of every *.sqlite file of a folder, by lower-case file name.
using ProfileDump = std::map<std::string, std::string>;
ProfileDump DumpProfile(const std::string& folder);
// Empty when equal, else each database that differs (or is only in one) and its first
// differing line on either side.
std::string DumpDifference(const ProfileDump& actual, const ProfileDump& expected);
// "ok" for a sound database, else what SQLite found.
std::string IntegrityCheck(const std::string& file);

std::string FileBytes(const std::string& path);  // empty when unreadable
// Copies every file of `from` into the existing folder `to`, replacing files of the same
// name and removing the database journals and WAL files a copy did not bring.
bool CopyFolderFiles(const std::string& from, const std::string& to);
// The page size a database file's header names (4096 when the header is not readable).
size_t SqlitePageSize(const std::string& bytes);

std::string MostFrequentCookieHost(const std::string& cookiesFile);
// A host that has a cookie permission: the host of the first origin of moz_perms (current),
// or the first host of moz_hosts (legacy).
std::string FirstCookiePermissionHost(const std::string& permissionsFile, bool current);

// Another program with a write transaction open on a database (qvfixture hold-db): ready
// once constructed when Holding(); Release() has it roll back and end.
class DatabaseHolder {
 public:
  explicit DatabaseHolder(const std::string& file);
  ~DatabaseHolder();
  bool Holding() const { return holding_; }
  // True when the holder rolled back and ended without error.
  bool Release();

 private:
  HANDLE ready_ = nullptr, stop_ = nullptr;
  PROCESS_INFORMATION process_{};
  bool holding_ = false;
};

// Another program holding a file open without sharing (the fixture firefox.exe hold).
class FileHolder {
 public:
  explicit FileHolder(const std::string& file);
  ~FileHolder();
  bool Holding() const { return holding_; }
  bool Release();

 private:
  HANDLE stop_ = nullptr;
  PROCESS_INFORMATION process_{};
  bool holding_ = false;
};
