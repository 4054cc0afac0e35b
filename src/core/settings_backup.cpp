#include "core/settings_backup.h"

#include <windows.h>

#include <utility>

#include "core/folders.h"
#include "core/profile_text.h"
#include "platform/files.h"
#include "platform/profile_file.h"

namespace {
std::string recoveryNote;
std::function<void(SettingsWriteStep)> writeObserver;

void Observe(SettingsWriteStep step) {
  if (writeObserver) writeObserver(step);
}

// The text of a file that holds a section; empty when it is missing, unreadable or holds none.
std::string WholeText(const std::string& path) {
  std::string text;
  return ReadWholeFile(path, text) && HoldsProfileSection(text) ? text : std::string();
}
}  // namespace

std::string SettingsCopyPath(const std::string& settingsPath) { return settingsPath + ".bak"; }

SettingsBase SettingsTextToBuildOn(const std::string& settingsPath) {
  SettingsBase base;
  base.readable = !FileExists(settingsPath) || ReadWholeFile(settingsPath, base.text);
  if (!base.readable) base.text.clear();  // what a failed read got is no text to keep
  if (base.readable && HoldsProfileSection(base.text)) return base;
  if (std::string copy = WholeText(SettingsCopyPath(settingsPath)); !copy.empty())
    return {copy, true, true};
  return base;
}

bool WriteSettingsText(const std::string& settingsPath, const SettingsBase& base,
                       const std::string& text) {
  const DWORD attributes = GetFileAttributesA(settingsPath.c_str());
  if (!base.readable ||
      (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)))
    return false;
  Observe(SettingsWriteStep::FileDue);
  if (!ProfileFile(settingsPath).ReplaceText(text)) return false;
  Observe(SettingsWriteStep::FileReplaced);
  if (base.fromCopy)
    recoveryNote = "-Caution- The settings file was empty or could not be read: restored from " +
                   SettingsCopyPath(settingsPath);
  // The file is whole already; a copy that cannot follow only stays one change behind.
  WriteWholeFile(SettingsCopyPath(settingsPath), text);
  return true;
}

void RecoverSettingsFile() {
  const AppFolders& f = Folders();
  if (f.cdMode || f.dataFolder.empty()) return;
  const SettingsBase base = SettingsTextToBuildOn(f.settingsFile);
  if (base.fromCopy) {
    WriteSettingsText(f.settingsFile, base, base.text);
  } else if (HoldsProfileSection(base.text) &&
             WholeText(SettingsCopyPath(f.settingsFile)) != base.text) {
    WriteWholeFile(SettingsCopyPath(f.settingsFile), base.text);
  }
}

void SetSettingsWriteObserver(std::function<void(SettingsWriteStep)> observer) {
  writeObserver = std::move(observer);
}

std::string TakeSettingsRecoveryNote() { return std::exchange(recoveryNote, {}); }
