#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Takes a registry tree out of the way for a test (string values only, as installers write
// them) and puts it back afterwards.
class RegistryStash {
 public:
  RegistryStash(HKEY root, std::string path);
  ~RegistryStash();

 private:
  struct Entry {
    std::string key, name, value;
  };
  void Collect(const std::string& key);
  HKEY root_;
  std::string path_;
  std::vector<Entry> entries_;
  std::vector<std::string> keys_;
};
