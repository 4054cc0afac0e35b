#include "firefox/sqlite_module.h"

#include "core/message_box.h"

namespace {
constexpr const char* kCaption = "SQLite3VEK -  Error Message";

int Load(const std::string& path, const MissingSqliteEntry& onMissing) {
  const int missing = BindSqliteModule(path, onMissing);
  if (missing == kSqliteModuleNotLoaded)
    ShowMessageBox("The specified Dll module was not found -\r\n\r\n   " + SqliteModuleName() +
                       "\r\n\r\nExecution will terminate...",
                   kCaption, MessageKind::Error, MessageButtons::Ok);
  return missing;
}
}  // namespace

int LoadSqliteModule(const std::string& path) {
  return Load(path, [](const char* name) {
    ShowMessageBox(std::string("The specified Dll function was not found -\r\n\r\n   ") + name +
                       "\r\n\r\nExecution may fail...",
                   kCaption, MessageKind::Error, MessageButtons::Ok);
  });
}

int LoadSqliteModuleQuietly(const std::string& path) { return Load(path, nullptr); }
