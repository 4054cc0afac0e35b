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

// The current user's key path as the registry's own namespace writes it, for a link target.
std::string UserKeyPath(const std::string& key);
// A registry link at HKCU\`link` to `target` (a path UserKeyPath gives); true when made.
bool MakeRegistryLink(const std::string& link, const std::string& target);
