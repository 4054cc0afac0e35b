#pragma once
#include <map>
#include <string>
#include <vector>

#include "chromium/chromium_browsers.h"

// A browser's user-data folder made in the prefix for one test and removed after it.
class ScopedBrowserFolder {
 public:
  // `relative` below %LOCALAPPDATA% (roaming false) or %APPDATA% (roaming true).
  ScopedBrowserFolder(const std::string& relative, bool roaming = false);
  ~ScopedBrowserFolder();
  const std::string& Path() const { return path_; }

 private:
  std::string top_, path_;
};

std::string LocalAppData();
std::string RoamingAppData();
// Copies a folder with everything in it.
void CopyTree(const std::string& from, const std::string& to);
// The real profile the fixture script made with Debian's chromium (build/chromium_fixture).
std::string FixtureUserData();
// Where the purged profile goes for the check with a real Chromium afterwards.
std::string PurgedUserData();

// Rows of a query, each row's cells joined with '|', through SQLite of the test programs.
std::vector<std::string> Rows(const std::string& file, const std::string& sql);
std::string Scalar(const std::string& file, const std::string& sql);
