#include "files/secure_erase.h"

#include <windows.h>

#include <optional>

#include "core/command_line.h"
#include "files/shred_file.h"
#include "platform/files.h"
#include "platform/links.h"

bool PlainDeleteFile(const std::string& path, const std::string& alternate) {
  uint32_t& error = LastDeleteError();
  error = 0;
  LastDeleteNameOnly() = false;
  if (!DeleteFileA(path.c_str())) error = GetLastError();
  if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
       error == ERROR_FILENAME_EXCED_RANGE) &&
      !alternate.empty() && alternate[0] != ' ' && DeleteFileA(alternate.c_str()))
    error = 0;
  return error == 0;
}

bool DeleteDataFile(ReportContext& ctx, const std::string& path, const std::string& alternate) {
  RunState& st = ctx.State();
  LastDeleteNameOnly() = false;
  // A Preview reports what would go; "KeepFiles" runs a real purge that keeps every file.
  if (st.preview || ParamSwitch("KeepFiles")) return false;
  // A path too long for the system calls is reached by its bare name from inside its folder.
  // A shorter one is used as it is: entering the folder costs two more system calls per file,
  // which a temp folder of 50 000 files feels.
  std::optional<CurrentDirectoryScope> scope;
  if (path.size() >= MAX_PATH) scope.emplace(ExtractFilePath(path));
  // A bare name resolved in the wrong folder could delete a namesake: a folder that cannot be
  // entered leaves the file addressed by its full path, which then fails as not found.
  const std::string name = scope && scope->Entered() ? ExtractFileName(path) : path;
  LastDeleteError() = 0;
  bool deleted = false;
  try {
    if (!st.secureErase) {
      deleted = PlainDeleteFile(name, alternate);
      // A read-only file is made writable only when the delete was refused, which saves a
      // system call on each of the many files that are not; it is read-only again when the
      // second try fails too.
      const DWORD attributes = deleted || LastDeleteError() != ERROR_ACCESS_DENIED
                                   ? INVALID_FILE_ATTRIBUTES
                                   : GetFileAttributesA(name.c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
          SetFileAttributesA(name.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        deleted = PlainDeleteFile(name, alternate);
        if (!deleted) SetFileAttributesA(name.c_str(), attributes);
      }
    } else {
      // The shred clears what stands in its way itself, and puts it back when it fails.
      const char method = st.shred.Method();
      deleted = ShredFile(ctx, name, method, method == '0' ? 0 : st.shred.repeats);
    }
  } catch (...) {
    deleted = false;
  }
  return deleted;
}

// Under Wine a link to a file looks like a plain file, and deleting or shredding it reaches
// what it points at, outside the folder being purged.
bool DeleteDataFileOrLink(ReportContext& ctx, const std::string& path,
                          const std::string& alternate) {
  LastDeleteNameOnly() = false;
  if (ctx.State().preview || ParamSwitch("KeepFiles")) return false;
  if (IsLinkToFile(path)) {
    LastDeleteError() = RemoveLinkItself(path, false);
    return LastDeleteError() == 0;
  }
  return DeleteDataFile(ctx, path, alternate);
}
