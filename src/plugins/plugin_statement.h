#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Plugin statements: one line of a plugin file, parsed. Pure logic: plugin files come from
// users and the internet, so everything here is built natively and fuzzed as well.

// The highest plugin level this program runs.
constexpr int kPluginLevel = 62;

struct PluginStatement {
  char kind = 'T';      // 'F' file command, 'R' registry command, 'T' text (a comment)
  std::string command;  // "DELFILE", "DELKEYS", ...
  std::string path;     // F: the path operand as written (DELFOLD: its folder)
  std::string drive, folder, fileName;
  std::string text;  // DELTEXT text, DELEXML element name
  std::string filter, folderType;
  std::string root, key, value;
  std::string pattern;
  char matchMode = ' ';      // 'A', 'B', 'C', '?' when invalid, ' ' when the command has none
  bool invalidType = false;  // a DELFOLD type or a match mode that is none of the allowed
};

// The line upper-cased, then classified and split into its fields.
PluginStatement ParsePluginStatement(std::string_view line);

// The level a "LEVEL=" line declares: its leading digits (none: 0; too many: above any level).
bool IsLevelLine(std::string_view upperLine);
int PluginLevelOf(std::string_view upperLine);

// Folder and file name joined again without doubling a backslash that ends the folder.
std::string JoinPluginPath(std::string_view folder, std::string_view name);

// Whether a value or key name (upper-cased) is taken by a DELVALS, DELKEYS or DELSKVS pattern.
bool MatchesPluginPattern(std::string_view name, std::string_view pattern, char mode);
// "*" and "?" matched against a text without regard to case.
bool PluginWildcardMatch(std::string_view text, std::string_view pattern);
// The match itself, on texts of any width: two characters are the same when `fold` makes them
// so. Iterative with one back-track point for the last "*": linear in practice, never
// exponential on a hostile pattern. A "*" of the pattern is always a wildcard, even against a
// "*" in the text (registry key names may hold one).
template <typename Char, typename Fold>
bool WildcardMatchFolded(std::basic_string_view<Char> t, std::basic_string_view<Char> p, Fold fold) {
  constexpr size_t kNone = std::basic_string_view<Char>::npos;
  size_t ti = 0, pi = 0, star = kNone, mark = 0;
  while (ti < t.size()) {
    if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      mark = ti;
    } else if (pi < p.size() && (p[pi] == '?' || fold(p[pi]) == fold(t[ti]))) {
      ++ti;
      ++pi;
    } else if (star != kNone) {
      pi = star + 1;
      ti = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}
bool HasPluginWildcard(std::string_view s);
std::vector<std::string> SplitPluginPath(std::string_view path);  // at every backslash

// Letters rotated by 13 places within their case; everything else stays.
std::string Rot13(std::string_view s);

// What the system says about the paths a statement names: the full path Windows makes of a
// written one (GetFullPathNameA; empty when it cannot), and the folders no plugin may empty as
// a whole, each a full path without a trailing backslash. Without `fullPath` the documented
// rules of Windows' path normalisation stand in (LexicalFullPath).
struct PluginPathFacts {
  std::function<std::string(const std::string& path)> fullPath;
  std::vector<std::string> refusedFolders;
};

// Why a statement must not run, or empty when it may. A macro whose value is missing leaves a
// relative or empty path; a root folder, a wildcard among a root's direct children or an empty
// key or pattern would widen a command to a whole drive or hive. None is ever taken as
// "everything". The path of a file command is judged as Windows will use it, and the statement
// then carries that full path (path, drive, folder, file name).
std::string ResolvePluginStatement(PluginStatement& s, const PluginPathFacts& facts);
// The same, on a copy.
std::string PluginStatementProblem(const PluginStatement& s, const PluginPathFacts& facts = {});

// A written absolute path normalised as Windows documents it: "/" taken as "\", runs of
// separators joined, "." and ".." segments applied (never above the root), one trailing dot
// of a segment dropped, trailing dots and blanks of the last segment dropped. Empty for a path
// that is not absolute ("C:X", "\X", "X") or a device path ("\\?\", "\\.\").
std::string LexicalFullPath(std::string_view path);

// The root of a full path ("C:\" or "\\SERVER\SHARE") and the names below it.
struct PluginPathParts {
  std::string root;
  std::vector<std::string> names;
};
PluginPathParts SplitFullPath(std::string_view fullPath);

// Whether a full folder path is one of the refused folders (compared without regard to case
// or a trailing backslash).
bool IsRefusedPluginFolder(std::string_view folder, const std::vector<std::string>& refused);

// Why a registry command must not work on this key of a known root: a hive's root or its
// Software key, which no plugin may empty as a whole even when named exactly. Empty when it
// may.
std::string PluginKeyProblem(std::string_view command, std::string_view root, std::string_view key);

// The trace lines of the "debug" switch for a parsed statement.
std::vector<std::string> PluginTraceLines(const PluginStatement& s);

// The 19-character result text of a failed file or folder deletion with Windows error `code`,
// under an ignore entry (`ignore`) or not.
std::string PluginErrorText(unsigned long code, bool ignore);

// What ExpandPluginMacros reads from the system; each answer is empty when unknown.
struct PluginMacroSources {
  // "#USERSOFTWARE#", "#APPDATA#", ...: the name between the "#" signs.
  std::function<std::optional<std::string>(const std::string& name)> named;
  // A string value of the registry: root text ("HKCU"), key path and value name.
  std::function<std::optional<std::string>(const std::string& root, const std::string& key,
                                           const std::string& value)>
      registryString;
  // Environment variables expanded in the whole line.
  std::function<std::string(const std::string& line)> environment;
};
std::string ExpandPluginMacrosWith(std::string_view line, const PluginMacroSources& sources);

// DELTEXT: removes, from the last line to the first, every line whose upper-cased text
// contains `upperText`; returns the removed lines upper-cased, in that order.
std::vector<std::string> RemoveTextLines(std::vector<std::string>& lines,
                                         std::string_view upperText);

// DELEXML: finds the first element named `upperName` (scanning from the top) and removes it
// from the lines; `removed` gets the pieces of the file's own text that went. False when no
// complete element is found.
bool RemoveFirstXmlElement(std::vector<std::string>& lines, std::string_view upperName,
                           std::vector<std::string>& removed);

// A plugin file's bytes as the lines the engine reads. A UTF-8 byte-order mark is skipped.
// UTF-16 text (byte-order mark FF FE or FE FF: what PowerShell writes by default) is turned
// into the ANSI code page by `toAnsi`, which answers nullopt when a character has no ANSI form;
// such a file is refused rather than run with "?" in its paths, which would be wildcards.
// Returns why the file cannot be read as text, or empty when `lines` holds it.
using PluginToAnsi = std::function<std::optional<std::string>(const std::u16string& text)>;
std::string PluginFileLines(std::string_view bytes, const PluginToAnsi& toAnsi,
                            std::vector<std::string>& lines);
