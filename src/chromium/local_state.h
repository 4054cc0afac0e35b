#pragma once
#include <string>
#include <vector>

// The profiles a Chromium-family browser names in its "Local State" file: the keys of
// profile.info_cache ("Default", "Profile 1", ...), sorted. Names that could step outside the
// user-data folder (empty, "." or "..", holding a slash, a backslash or a colon) are dropped.
// False when the text is not JSON or holds no such object: the caller then looks at folders.
bool ReadLocalStateProfiles(const std::string& text, std::vector<std::string>& profiles);

// A profile folder name safe to join to the user-data folder.
bool SafeProfileName(const std::string& name);
