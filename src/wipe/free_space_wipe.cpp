#include "wipe/free_space_wipe.h"

#include <windows.h>

#include "core/text_util.h"
#include "platform/file_compression.h"
#include "platform/files.h"
#include "platform/links.h"
#include "wipe/wipe_clock.h"
#include "wipe/wipe_fill.h"
#include "wipe/wipe_lock.h"

namespace {
// Without trailing backslashes, but a drive's root keeps its own ("C:\\").
std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '\\' && !(path.size() == 3 && path[1] == ':'))
    path.pop_back();
  return path;
}

std::string WipeFolderOf(const std::string& parent) {
  std::string p = WithoutTrailingSlash(parent);
  if (p.empty() || p.back() != '\\') p += '\\';
  return p + kWipeFolderName;
}

// The drive root of a path that begins with a letter and a colon.
std::string RootOf(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' ? DriveRoot(path[0]) : std::string();
}

uint64_t FreeBytesOf(const std::string& path) {
  ULARGE_INTEGER available{}, total{}, totalFree{};
  if (!GetDiskFreeSpaceExA(path.c_str(), &available, &total, &totalFree)) return 0;
  return available.QuadPart;
}

// A folder that is a link, or that resolves elsewhere than where it lies, is never filled or
// emptied: the wipe's files go only where the wipe made them.
bool IsLinkedFolder(const std::string& parent, const std::string& folder, DWORD attributes) {
  return IsLinkByReparse(folder, attributes) ||
         ResolvesElsewhere(folder, FinalPathOf(parent), kWipeFolderName);
}
}  // namespace

std::string DriveRoot(char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  return std::string(1, letter) + ":\\";
}

std::string TempFolderDrive() {
  char path[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathA(sizeof path, path);
  if (n == 0 || n > MAX_PATH) return {};
  return RootOf(path);
}

std::string WipeRefusalOf(const std::string& root) {
  // Asked first: the other wipe has the drive all but full.
  if (WipeRunsOn(root)) return kWipeAlreadyRunning;
  return WipeRefusal(DriveKindOf(GetDriveTypeA(root.c_str())), FreeBytesOf(root));
}

WipeSummary WipeFreeSpace(const std::string& root, const WipeOptions& options) {
  WipeSummary s;
  s.drive = root;
  // Held from before the checks, so that no other wipe starts between them and the fill.
  const WipeLock lock(root);
  if (std::string why = WipeRefusalOf(root); !why.empty()) {
    s.outcome = WipeOutcome::Refused;
    s.detail = why;
    return s;
  }
  return FillAndRemove(root, options);
}

WipeSummary FillAndRemove(const std::string& parent, const WipeOptions& options) {
  const Stopwatch clock;
  WipeSummary s;
  s.drive = parent;
  const std::string folder = WipeFolderOf(parent);
  auto failed = [&](const std::string& detail) {
    s.outcome = WipeOutcome::Failed;
    s.detail = detail;
    s.seconds = clock.Seconds();
    return s;
  };
  const WipeLock lock(parent);
  if (!lock.Held()) {
    s.outcome = WipeOutcome::Refused;
    s.detail = kWipeAlreadyRunning;
    return s;
  }
  if (!RemoveWipeFolder(parent))
    return failed(std::string("a folder ") + kWipeFolderName + " not the wipe's own is in the way");
  if (!CreateDirectoryA(folder.c_str(), nullptr))
    return failed(ErrorDetail("creating the folder", GetLastError()));
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || IsLinkedFolder(parent, folder, attributes))
    return failed("the wipe folder is a link");
  // A compressed root (or parent) would hand its compression to the fill files, and zeros
  // would then take no space. Where the file system has no compression this fails, harmlessly.
  ClearCompressionOf(folder);

  const uint64_t freeAtStart = options.freeBytes ? options.freeBytes : FreeBytesOf(folder);
  const FillOutcome fill = FillAndRelease(folder, options, freeAtStart);
  s.bytesWritten = fill.written;
  if (fill.cancelled) {
    s.outcome = WipeOutcome::Cancelled;
  } else if (!fill.failure.empty()) {
    s.outcome = WipeOutcome::Failed;
    s.detail = fill.failure;
  }
  if (!RemoveWipeFolder(parent) && s.outcome != WipeOutcome::Failed) {
    s.outcome = WipeOutcome::Failed;
    s.detail = "the wipe folder could not be removed";
  }
  s.seconds = clock.Seconds();
  return s;
}

bool RemoveWipeFolder(const std::string& parent) {
  const std::string folder = WipeFolderOf(parent);
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (IsLinkedFolder(parent, folder, attributes)) return false;
  WIN32_FIND_DATAA found;
  FindFile find;
  for (bool more = find.First(folder + "\\*", found); more; more = find.Next(found)) {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
      continue;
    if (!IsFillFileName(found.cFileName)) continue;
    const std::string path = folder + "\\" + found.cFileName;
    if (IsLinkToFile(path)) continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
  find.Close();
  return RemoveDirectoryA(folder.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Every letter is asked for its type rather than taken from GetLogicalDrives: under Wine a
// drive mapped while the session runs (a link added to "dosdevices") answers GetDriveType but is
// missing from that mask. On Windows both say the same.
void RemoveLeftoverWipeFolders() {
  for (char c = 'A'; c <= 'Z'; ++c) {
    const std::string root = DriveRoot(c);
    if (GetDriveTypeA(root.c_str()) != DRIVE_FIXED) continue;
    if (GetFileAttributesA(WipeFolderOf(root).c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    // Another copy may be wiping that drive now: its folder is no leftover.
    const WipeLock lock(root);
    if (lock.Held()) RemoveWipeFolder(root);
  }
}

void WipeTempDriveFreeSpace(ReportContext& ctx) {
  RunState& st = ctx.State();
  WipeSummary s;
  s.drive = TempFolderDrive();
  if (s.drive.empty()) {
    s.outcome = WipeOutcome::Refused;
    s.detail = "the Temp folder has no drive letter";
  } else if (st.preview) {
    if (std::string why = WipeRefusalOf(s.drive); !why.empty()) {
      s.outcome = WipeOutcome::Refused;
      s.detail = why;
    }
  } else {
    WipeOptions options;
    options.progress = [&](const WipeProgress& p) {
      ctx.View().ShowStatus(st.statusTitle + "  -  " + GroupedNumber(p.written) + " bytes written");
      ctx.View().PumpMessages();
      return !ctx.Cancelled();
    };
    s = WipeFreeSpace(s.drive, options);
  }
  ctx.AddReportLine(WipeDriveLine(s));
  if (st.preview && s.outcome == WipeOutcome::Completed) {
    ctx.AddReportLine("    Free bytes - " + GroupedNumber(FreeBytesOf(s.drive)));
    ctx.AddReportLine("        Result - to be wiped by a Purge");
  } else {
    ctx.AddReportLine(WipeBytesLine(s));
    ctx.AddReportLine(WipeTimeLine(s));
    ctx.AddReportLine(WipeResultLine(s));
  }
  if (s.outcome == WipeOutcome::Cancelled) ctx.AddReportLine("*** Cancelled by operator.");
  if (s.outcome == WipeOutcome::Refused || s.outcome == WipeOutcome::Failed) {
    ctx.AddReportLine(" -Error- Free space not wiped - " + s.detail);
    ctx.RaiseLevel(s.outcome == WipeOutcome::Refused ? 7 : 3);
    ctx.SetAttention();
  }
  ctx.AddReportLine("  Purge \"Wipe Free Space\" Function Completed.");
}
