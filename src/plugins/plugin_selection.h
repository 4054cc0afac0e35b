#pragma once
#include <string>
#include <vector>

#include "plugins/plugin_hooks.h"

// The plugin folder (program folder + "\PLUGINS") and the selection list "PLUGINS.DAT" of the
// plugins that "Run Plugins" runs.
std::string PluginFolder();
std::string PluginSelectionFile();
// True for an upper-cased extension of ".STD" (shipped) or ".CUS" (made by the user).
bool IsPluginFileName(const std::string& name);

// The selection, sorted, names upper-cased; empty when the file is missing or unreadable.
const std::vector<std::string>& PluginSelection();
bool PluginSelected(const std::string& name);
// Replaces the selection with the names in the order given and writes the file (clearing its
// read-only attribute first); false when it could not be written.
bool SavePluginSelection(const std::vector<std::string>& names);

// The lines of a plugin file; false when it cannot be read. A file that is not text the
// engine can run (see PluginFileLines) leaves `lines` empty and says why in `problem`.
bool ReadPluginLines(const std::string& path, std::vector<std::string>& lines,
                     std::string* problem = nullptr);
