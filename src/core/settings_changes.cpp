#include "core/settings_changes.h"

#include "core/folders.h"
#include "core/settings_backup.h"

SettingsChanges::SettingsChanges(std::string path)
    : path_(path.empty() ? Folders().settingsFile : std::move(path)) {}

void SettingsChanges::Set(const std::string& section, const std::string& key,
                          const std::string& value) {
  values_.push_back({section, key, value});
}

void SettingsChanges::SetInt(const std::string& section, const std::string& key, int value) {
  Set(section, key, std::to_string(value));
}

void SettingsChanges::SetBool(const std::string& section, const std::string& key, bool value) {
  Set(section, key, value ? "1" : "0");
}

bool SettingsChanges::Commit() {
  if (values_.empty() || path_.empty()) return values_.empty();
  const SettingsBase base = SettingsTextToBuildOn(path_);
  const std::string text = WithProfileValues(base.text, values_);
  if (text == base.text && base.readable && !base.fromCopy) return true;
  return WriteSettingsText(path_, base, text);
}
