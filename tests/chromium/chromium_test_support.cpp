#include "chromium_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/shell_folders.h"
#include "sqlite3.h"
#include "support/test_support.h"

std::string LocalAppData() { return GetSpecialFolder(kCsidlLocalAppData).text; }
std::string RoamingAppData() { return GetSpecialFolder(kCsidlAppData).text; }

ScopedBrowserFolder::ScopedBrowserFolder(const std::string& relative, bool roaming) {
  const std::string base = roaming ? RoamingAppData() : LocalAppData();
  path_ = base + "\\" + relative;
  // Only what the test makes goes afterwards: the first folder of the path that is missing
  // (a folder such as Microsoft belongs to the prefix).
  RemoveTree(path_);
  top_ = path_;
  for (size_t at = base.size(); at != std::string::npos; at = path_.find('\\', at + 1)) {
    const std::string part = path_.substr(0, path_.find('\\', at + 1));
    if (!DirectoryExists(part)) {
      top_ = part;
      break;
    }
  }
  ForceDirectories(path_);
}

ScopedBrowserFolder::~ScopedBrowserFolder() { RemoveTree(top_); }

void CopyTree(const std::string& from, const std::string& to) {
  ForceDirectories(to);
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((from + "\\*").c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << from;
  do {
    const std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CopyTree(from + "\\" + name, to + "\\" + name);
    else
      ASSERT_TRUE(CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE))
          << name;
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

std::string FixtureUserData() { return BinFolder() + "\\..\\chromium_fixture\\user-data"; }
std::string PurgedUserData() { return BinFolder() + "\\..\\chromium_fixture\\purged"; }

std::vector<std::string> Rows(const std::string& file, const std::string& sql) {
  std::vector<std::string> rows;
  sqlite3* db = nullptr;
  sqlite3_stmt* st = nullptr;
  EXPECT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK) << file;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db) << " - " << sql;
  while (st && sqlite3_step(st) == SQLITE_ROW) {
    std::string row;
    for (int c = 0; c < sqlite3_column_count(st); ++c) {
      if (c) row += "|";
      const unsigned char* t = sqlite3_column_text(st, c);
      row += t ? reinterpret_cast<const char*>(t) : "";
    }
    rows.push_back(row);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

std::string Scalar(const std::string& file, const std::string& sql) {
  const auto rows = Rows(file, sql);
  return rows.empty() ? std::string() : rows.front();
}
