#pragma once
#include <functional>
#include <string>

// The last good copy of a settings file, kept beside it under its name + ".bak" and written the
// same way (whole or not at all), so that a file emptied or cut short by anything can be given
// back. A file with no section while the copy has one is taken to have lost its text.

std::string SettingsCopyPath(const std::string& settingsPath);

// What a change of the settings file builds on: the file's text, or the copy's when the file
// holds no section (missing, empty, cut short) or cannot be read. `readable` is false when
// neither gives a text the change could keep: then nothing may be written.
struct SettingsBase {
  std::string text;
  bool readable = false;
  bool fromCopy = false;
};
SettingsBase SettingsTextToBuildOn(const std::string& settingsPath);

// Replaces the file with `text`, then its copy; false, with both as they were, when the file
// could not be replaced or is read-only (a file the user made read-only is not written). Built on
// the copy, it notes the recovery for the next report.
bool WriteSettingsText(const std::string& settingsPath, const SettingsBase& base,
                       const std::string& text);

// At start, before any setting is read: a settings file that lost its text gets the copy's
// back; a whole one becomes the copy. Nothing in CD mode.
void RecoverSettingsFile();
// The report's caution line for a recovery not yet reported; empty when none. Given once.
std::string TakeSettingsRecoveryNote();

// Lets a test end the program between the steps of a write, as a kill would: before the file is
// replaced, and after it is but before its copy. The program itself never sets one.
enum class SettingsWriteStep { FileDue, FileReplaced };
void SetSettingsWriteObserver(std::function<void(SettingsWriteStep)> observer);
