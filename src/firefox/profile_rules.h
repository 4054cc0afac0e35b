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

// What the headers of a module file say about it: the machine it was built for and the names
// it exports. Read from the bytes, so that a module is judged without being loaded (a 64-bit
// one cannot be loaded by this 32-bit program at all).
struct PeModuleFacts {
  bool valid = false;  // a PE image whose headers and export table could be read
  unsigned machine = 0;
  std::vector<std::string> exports;  // sorted
};
inline constexpr unsigned kMachineI386 = 0x14c;
inline constexpr unsigned kMachineAmd64 = 0x8664;
PeModuleFacts ReadPeModuleFacts(const std::string& image);

// The sqlite3 entry points that the database layer calls.
const std::vector<std::string>& SqliteEntryPointsCalled();

// One module that may serve as the SQLite library, in the order they are tried.
struct SqliteModuleOption {
  std::string name;
  bool present = false;
  PeModuleFacts facts;
};
// Why a present module cannot serve, or empty when it can. A file that is not a readable PE
// image is left to the loader, which reports it as the older releases always did.
std::string SqliteModuleUnusable(const PeModuleFacts& facts);
// The index of the first present option that can serve; -1 when none can, and the SQLite
// compiled into the program is used instead.
int ChooseSqliteModuleOption(const std::vector<SqliteModuleOption>& options);
