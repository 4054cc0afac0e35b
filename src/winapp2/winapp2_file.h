#pragma once
#include <string>
#include <string_view>
#include <vector>

// A community cleaning database (Winapp2.ini and its aggressive companion Winapp3.ini) read as
// pure logic. It is not read through the private-profile calls: its names and paths are UTF-8
// and often longer than those calls allow. Everything here stays UTF-8 as written.

// FileKeyN=path|mask[;mask...][|RECURSE|REMOVESELF]
struct Winapp2FileKey {
  std::string path;                // as written, variables unexpanded
  std::vector<std::string> masks;  // never empty
  bool recurse = false;            // REMOVESELF implies it
  bool removeSelf = false;
  int line = 0;
};

// RegKeyN=key or key|value
struct Winapp2RegKey {
  std::string key;  // "HKCU\Software\..." as written
  std::string value;
  bool hasValue = false;
  int line = 0;
};

// ExcludeKeyN=FILE|path|masks, PATH|path[|masks], REG|key[|value]
struct Winapp2Exclude {
  enum Kind { File, Path, Reg } kind = File;
  std::string path;                // File, Path: the folder as written
  std::vector<std::string> masks;  // File, Path: the names kept; empty for Path keeps all
  std::string key, value;          // Reg
  bool hasValue = false;
  int line = 0;
};

struct Winapp2Entry {
  std::string name;  // the section name without its trailing " *"
  int line = 0;      // of the section line
  int langSecRef = 0;
  std::string section;
  std::vector<std::string> detects;      // registry keys, any of which shows the entry
  std::vector<std::string> detectFiles;  // paths, any of which shows the entry
  std::string detectOS;                  // as written; see Winapp2OsRange
  std::vector<std::string> specialDetects;
  std::string warning;
  std::vector<Winapp2FileKey> fileKeys;
  std::vector<Winapp2RegKey> regKeys;
  std::vector<Winapp2Exclude> excludes;
  bool aggressive = false;  // from the aggressive companion file
};

// A line the reader could not take, by its number (1-based); the rest of the file loads.
struct Winapp2Problem {
  int line = 0;
  std::string text;
};

// An entry left out whole because it cannot be run safely, and why.
struct Winapp2Dropped {
  std::string name;
  int line = 0;
  std::string why;
};

struct Winapp2Database {
  std::vector<Winapp2Entry> entries;
  std::vector<Winapp2Problem> problems;
  std::vector<Winapp2Dropped> dropped;
  // The "; Version: N" comment at the top, when the file has one.
  std::string version;
};

// Reads the bytes of a database: UTF-8 with or without a byte-order mark, CRLF or LF line ends,
// ";" comments. `aggressive` marks every entry as the companion file's.
Winapp2Database ParseWinapp2(std::string_view bytes, bool aggressive = false);

// "Line N: text", as the window and the report show a problem.
std::string Winapp2ProblemText(const Winapp2Problem& problem);

// The group an entry is listed under: its Section (a leading "." that only sorts it dropped),
// else the name winapp2's documentation gives its LangSecRef, else "LangSecRef N".
std::string Winapp2GroupName(const Winapp2Entry& entry);

// The Windows version range DetectOS writes: "6.1" (exactly), "6.1|" (that and later),
// "|6.1" (up to that), "6.1|10.0". Versions are major*100 + minor; false when malformed.
struct Winapp2OsRange {
  int low = 0, high = 1 << 30;
};
bool ParseWinapp2OsRange(std::string_view text, Winapp2OsRange& range);

// The entry's keys as lines of the file, numbered afresh: what the window shows of it.
std::vector<std::string> Winapp2EntryLines(const Winapp2Entry& entry);
