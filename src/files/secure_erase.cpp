#include "files/secure_erase.h"

#include <windows.h>

#include <optional>

#include "files/shred_file.h"
#include "platform/files.h"
#include "platform/links.h"

DeleteOutcome PlainDeleteFile(const std::string& path, const std::string& alternate) {
  uint32_t error = DeleteFileA(path.c_str()) ? 0 : GetLastError();
  if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
       error == ERROR_FILENAME_EXCED_RANGE) &&
      !alternate.empty() && alternate[0] != ' ' && DeleteFileA(alternate.c_str()))
    error = 0;
  return OutcomeOfError(error);
}

DeleteOutcome DeleteDataFile(ReportContext& ctx, const std::string& path,
                             const std::string& alternate) {
  RunState& st = ctx.State();
  // A Preview reports what would go; "KeepFiles" runs a real purge that keeps every file.
  if (st.preview || st.keepFiles) return {};
  // A path too long for the system calls is reached by its bare name from inside its folder.
  // A shorter one is used as it is: entering the folder costs two more system calls per file,
  // which a temp folder of 50 000 files feels.
  std::optional<CurrentDirectoryScope> scope;
  if (path.size() >= MAX_PATH) scope.emplace(ExtractFilePath(path));
  // A bare name resolved in the wrong folder could delete a namesake: a folder that cannot be
  // entered leaves the file addressed by its full path, which then fails as not found.
  const std::string name = scope && scope->Entered() ? ExtractFileName(path) : path;
  try {
    if (st.secureErase) {
      // The shred clears what stands in its way itself, and puts it back when it fails.
      const char method = st.shred.Method();
      return ShredFile(ctx, name, method, method == '0' ? 0 : st.shred.repeats);
    }
    DeleteOutcome outcome = PlainDeleteFile(name, alternate);
    // A read-only file is made writable only when the delete was refused, which saves a
    // system call on each of the many files that are not; it is read-only again when the
    // second try fails too.
    const DWORD attributes = outcome.deleted || outcome.error != ERROR_ACCESS_DENIED
                                 ? INVALID_FILE_ATTRIBUTES
                                 : GetFileAttributesA(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        SetFileAttributesA(name.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
      outcome = PlainDeleteFile(name, alternate);
      if (!outcome.deleted) SetFileAttributesA(name.c_str(), attributes);
    }
    return outcome;
  } catch (...) {
    return {};
  }
}

DeleteOutcome RemoveFileLink(ReportContext& ctx, const std::string& path) {
  return ctx.State().keepFiles ? DeleteOutcome{} : OutcomeOfError(RemoveLinkItself(path, false));
}

// Under Wine a link to a file looks like a plain file, and deleting or shredding it reaches
// what it points at, outside the folder being purged.
DeleteOutcome DeleteDataFileOrLink(ReportContext& ctx, const std::string& path,
                                   const std::string& alternate) {
  if (ctx.State().preview || ctx.State().keepFiles) return {};
  if (IsLinkToFile(path)) return RemoveFileLink(ctx, path);
  return DeleteDataFile(ctx, path, alternate);
}

bool PreviewOrDeleteFile(ReportContext& ctx, const std::string& path, FileLine line) {
  auto write = [&](const std::string& text) {
    if (line == FileLine::Always)
      ctx.AddReportLine(text);
    else
      ctx.AddDetailLine(text);
  };
  if (ctx.State().preview) {
    write(DeleteResultText(true) + path);
    ctx.CountItem();
    return true;
  }
  const DeleteOutcome outcome = DeleteDataFileOrLink(ctx, path);
  if (outcome.deleted) {
    write(DeletedResultText(outcome) + path);
    ctx.CountItem();
    return true;
  }
  ctx.AddReportLine(ResultColumn(ctx.MapFileError(outcome.error)) + path);
  return false;
}
