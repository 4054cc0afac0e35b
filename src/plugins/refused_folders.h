#pragma once
#include <string>
#include <vector>

// What no recipe of outside origin (a plugin, a community cleaning entry) may empty as a whole.
namespace plugin_engine {
// The long form of an existing path (an 8.3 name such as PROGRA~1 names the same folder).
std::string LongFormOf(const std::string& path);
// The Windows and system folders, the Program Files folders, the Users folder and each profile
// root, and the data folder; each in its long form, upper-cased, without a trailing backslash.
std::vector<std::string> RefusedFolders();
}  // namespace plugin_engine
