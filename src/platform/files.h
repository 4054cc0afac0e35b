#pragma once
#include <functional>
#include <string>
#include <vector>

struct _WIN32_FIND_DATAA;
struct _WIN32_FIND_DATAW;

// File-system queries and small operations over the ANSI Win32 calls.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the folder with every missing parent; true when it exists afterwards.
bool ForceDirectories(const std::string& path);
unsigned DriveTypeOf(const std::string& path);  // GetDriveType of the path's drive root
std::string ModuleFileName();                   // full path of the running executable
// The path the system will really use for `path` (both separators, "." and "..", doubled
// separators and a trailing dot or blank resolved; GetFullPathNameA); empty when it cannot be made.
std::string FullPathName(const std::string& path);
std::string ExtractFilePath(const std::string& path);  // folder, without trailing backslash
std::string ExtractFileName(const std::string& path);
std::string ChangeFileExt(const std::string& path, const std::string& ext);
bool ReadWholeFile(const std::string& path, std::string& contents);
// Replaces the file whole or not at all (a temporary file beside it, flushed, then renamed over
// it); false, with the old file untouched, when any step failed.
bool WriteWholeFile(const std::string& path, const std::string& contents);
// Creates an empty file when none exists (missing parents included).
bool EnsureFileExists(const std::string& path);
// Size in bytes; -1 when the file cannot be reached.
long long FileSizeOf(const std::string& path);
// Up to `bytes` bytes from the start of the file; empty when it cannot be read.
std::string ReadFileHead(const std::string& path, size_t bytes);
// Adds the text at the end of the file, creating it when missing; false when not all of it went.
bool AppendToFile(const std::string& path, const std::string& text);
// Renames a file, replacing the target when it exists.
bool MoveFileReplacing(const std::string& from, const std::string& to);

// A file name from a wide directory listing in the ANSI code page. A character the code page
// cannot hold becomes '?', never a best-fit look-alike (an a with a macron is not an "a": that
// name may be another file's); `lossy` says that happened, and then the name reaches no file.
std::string AnsiFileName(const wchar_t* name, bool* lossy = nullptr);
// An ANSI path for the wide calls.
std::wstring WidePath(const std::string& path);

// A directory search that closes itself when it goes out of scope. It holds no entry: each call
// fills the caller's. Loop as
//   for (bool more = find.First(pattern, entry); more; more = find.Next(entry)) ...
class FindFile {
 public:
  FindFile() = default;
  ~FindFile() { Close(); }
  FindFile(const FindFile&) = delete;
  FindFile& operator=(const FindFile&) = delete;
  // The first entry `pattern` names; false when there is none (GetLastError says why).
  bool First(const std::string& pattern, _WIN32_FIND_DATAA& entry);
  bool First(const std::wstring& pattern, _WIN32_FIND_DATAW& entry);
  // The next entry of the search; false at its end.
  bool Next(_WIN32_FIND_DATAA& entry);
  bool Next(_WIN32_FIND_DATAW& entry);
  void Close();

 private:
  void* handle_ = nullptr;  // null while no search is open
};

// One entry of a folder listed with the wide calls (FindFirstFileW), named in the ANSI code
// page. The ANSI listing would give a name the code page cannot hold as a best-fit look-alike,
// which may be another file's name; here such a name is marked lossy and the entry is reached
// by its short name, or by nothing when it has none.
struct ListedEntry {
  std::string name;       // '?' for each character the code page cannot hold
  std::string shortName;  // the 8.3 name; empty when the entry has none
  bool lossy = false;
  std::wstring wideName;   // as the folder holds it
  unsigned long attributes = 0, reparseTag = 0;
  unsigned long long lastWrite = 0;  // FILETIME as one number
  bool IsFolder() const { return (attributes & 0x10) != 0; }  // FILE_ATTRIBUTE_DIRECTORY
  // The name that reaches the entry: the listed one, or the short one for a lossy name;
  // empty when nothing reaches it.
  const std::string& Address() const { return lossy ? shortName : name; }
};
// The entries `pattern` (a folder, a backslash and a mask) lists, "." and ".." left out.
std::vector<ListedEntry> ListFolderWide(const std::string& pattern);
// The same entries handed to `take` one by one as they are listed, for a long listing that
// answers the window meanwhile; the listing ends early when `take` returns false.
void ListFolderWide(const std::string& pattern, const std::function<bool(ListedEntry&&)>& take);
// The full paths of the files (folders left out) that `mask` lists in the folder, sorted; links
// are listed as themselves. A name the code page cannot hold goes by its short name; one
// without any is left out.
std::vector<std::string> FilePathsIn(const std::string& folder, const std::string& mask);

std::string CurrentDirectory();
// Runs with a folder as the current directory and restores the previous one when it ends.
class CurrentDirectoryScope {
 public:
  explicit CurrentDirectoryScope(const std::string& folder);
  ~CurrentDirectoryScope();
  CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
  CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;
  // False when the folder could not be made current (it does not exist, say).
  bool Entered() const { return entered_; }

 private:
  std::string previous_;
  bool entered_;
};
