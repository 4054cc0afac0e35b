#include "files/secure_erase.h"

#include <windows.h>

#include "app/command_line.h"
#include "platform/files.h"

namespace {
// Runs with the file's folder as the current directory, restoring the previous one after.
class CurrentDirectoryScope {
 public:
  explicit CurrentDirectoryScope(const std::string& folder) {
    char buf[MAX_PATH * 2] = {};
    GetCurrentDirectoryA(sizeof buf, buf);
    previous_ = buf;
    if (!folder.empty()) SetCurrentDirectoryA(folder.c_str());
  }
  ~CurrentDirectoryScope() { SetCurrentDirectoryA(previous_.c_str()); }

 private:
  std::string previous_;
};
}  // namespace

uint32_t& LastDeleteError() {
  static uint32_t error = 0;
  return error;
}

bool PlainDeleteFile(const std::string& path, const std::string& alternate) {
  uint32_t& error = LastDeleteError();
  error = 0;
  if (!DeleteFileA(path.c_str())) error = GetLastError();
  if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
       error == ERROR_FILENAME_EXCED_RANGE) &&
      !alternate.empty() && alternate[0] != ' ' && DeleteFileA(alternate.c_str()))
    error = 0;
  return error == 0;
}

bool DeleteDataFile(ReportContext& ctx, const std::string& path, const std::string& alternate) {
  if (ParamSwitch("KeepFiles")) return false;
  CurrentDirectoryScope scope(ExtractFilePath(path));
  const std::string name = ExtractFileName(path);
  DWORD attributes = GetFileAttributesA(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(name.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  LastDeleteError() = 0;
  try {
    const RunState& st = ctx.State();
    if (!st.secureErase) return PlainDeleteFile(name, alternate);
    char method = st.shred.Method();
    return ShredFile(ctx, name, method, method == '0' ? 0 : st.shred.repeats);
  } catch (...) {
    return false;
  }
}
