#pragma once
#include <string>

#include "platform/sqlite_module.h"

// Firefox's SQLite module, bound as the SQLite of the process (platform/sqlite_module.h) with
// the boxes that tell the user what is wrong with it. Which module of the installation to load
// is FindFirefoxInstall's choice (firefox_profile.h).

// Loads the module and binds the 40 entry points; returns how many were missing, or 999 when
// the module did not load. A box names the module that did not load, and one each entry point
// that is missing. Give the full path (see BindSqliteModule).
int LoadSqliteModule(const std::string& path);
// The same load for a module whose other exports are its own business (Firefox's nss3.dll):
// entry points the layer never calls are bound when present, without a box when missing.
int LoadSqliteModuleQuietly(const std::string& path);
