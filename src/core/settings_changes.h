#pragma once
#include <string>
#include <vector>

#include "core/profile_text.h"

// Changes to a settings file, gathered and then written in one go: the file is replaced whole
// or not at all, and only when a value differs from what it holds (see settings_backup.h for
// its copy). Every writer of Quorvane.ini goes this way: a key written by the system's own call
// truncates the file and writes it again, and a process ended in between leaves it empty.
class SettingsChanges {
 public:
  // Quorvane.ini of the data folder unless another file is named.
  explicit SettingsChanges(std::string path = {});
  void Set(const std::string& section, const std::string& key, const std::string& value);
  void SetInt(const std::string& section, const std::string& key, int value);
  void SetBool(const std::string& section, const std::string& key, bool value);
  // True when the file holds every value afterwards; failures are otherwise silent, as every
  // settings write's are.
  bool Commit();

 private:
  std::string path_;
  std::vector<ProfileValue> values_;
};
