#pragma once
#include <string>
#include <vector>

// One profile of a Chromium-family browser: its folder (holding Preferences, History,
// Cookies, ...) and the folder its cache lives in (the same folder, except for Opera, whose
// cache is under the local application data).
struct ChromiumProfile {
  std::string name;
  std::string folder;
  std::string cacheFolder;
};

// The browsers Quorvane knows, with where they keep their user data on Windows.
struct ChromiumBrowserKind {
  const char* name;         // "Google Chrome"
  bool roaming;             // user data under %APPDATA% (Opera), else %LOCALAPPDATA%
  const char* userData;     // below that folder
  const char* processName;  // the browser's executable, for the running check; "" when only
                            // its lock file can tell (every Opera runs as opera.exe)
};
const std::vector<ChromiumBrowserKind>& ChromiumBrowserKinds();

// One browser found: its user-data folder, profiles, and the notes the folder report shows.
struct ChromiumBrowser {
  std::string name;
  std::string userData;
  std::string cacheData;  // where the user-data folder's caches lie: Opera's below %LOCALAPPDATA%
  std::string processName;
  std::vector<ChromiumProfile> profiles;
  std::vector<std::string> notes;
};

// Finds every browser whose user-data folder exists, given the two application-data folders.
// Profiles are the ones "Local State" names whose folder holds Preferences; a Local State that
// cannot be read gives way to the sub-folders holding Preferences (with a note saying so).
// Opera also counts its user-data folder itself as a profile when it holds Preferences, as
// releases before the Default sub-folder did.
std::vector<ChromiumBrowser> FindChromiumBrowsers(const std::string& localAppData,
                                                  const std::string& appData);
// The same for the current user's folders.
std::vector<ChromiumBrowser> FindChromiumBrowsers();

// The folder report's lines for the browsers found.
std::vector<std::string> ChromiumFolderLines(const std::vector<ChromiumBrowser>& browsers);
