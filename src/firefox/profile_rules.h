#pragma once
#include <string>
#include <vector>

// Version texts compared element by element ("10.0.2" > "3.6.28"); true when a > b.
bool CompareVersions(const std::string& a, const std::string& b);

// One section of profiles.ini, as read from the file.
struct ProfilesIniSection {
  std::string name;
  std::string path, isRelative, isDefault;  // "Path", "IsRelative", "Default"
};

// Which section is the default profile (-1 for none), and its folder before the existence test:
// the last "Default=1" profile section, else the first profile section. A Firefox 67+
// "[Install...]" section's Default= path, when it names a profile section's path, wins: that
// is the profile the installation really uses.
int DefaultProfileIndex(const std::vector<ProfilesIniSection>& sections);
std::string ProfileFolder(const ProfilesIniSection& section, const std::string& firefoxFolder);
bool IsProfileSection(const std::string& name);

// The value of browser.cache.disk.parent_directory in Prefs.js lines, backslashes undoubled;
// empty when absent.
std::string ParseCacheDirPref(const std::vector<std::string>& lines);
