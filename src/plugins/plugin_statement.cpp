#include "plugins/plugin_statement.h"

#include <algorithm>
#include <array>

#include "core/text_util.h"

namespace {
constexpr std::array<std::string_view, 11> kCommands = {"EXECUTE", "EXEHIDE", "DELFILE", "DELTEXT",
                                                        "DELEXML", "DELFOLD", "DEL1VAL", "DELVALS",
                                                        "DEL1KEY", "DELKEYS", "DELSKVS"};

// Reads one operand up to its terminator, which is consumed; without a terminator the field
// takes the rest of the line and every later field is empty.
std::string ReadField(std::string_view line, size_t& pos, char terminator) {
  if (pos >= line.size()) return {};
  const size_t end = line.find(terminator, pos);
  std::string field(line.substr(pos, end == std::string_view::npos ? end : end - pos));
  pos = end == std::string_view::npos ? line.size() : end + 1;
  return field;
}

std::string Unquote(std::string s) {
  if (!s.empty() && s.front() == '\'') s.erase(0, 1);
  if (!s.empty() && s.back() == '\'') s.pop_back();
  return s;
}

// "C:" or "\\SERVER\SHARE", as the drive part of a path.
std::string DriveOf(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    size_t server = path.find('\\', 2);
    if (server == std::string_view::npos) return std::string(path);
    size_t share = path.find('\\', server + 1);
    return std::string(path.substr(0, share));
  }
  return {};
}

void SplitFilePath(PluginStatement& s) {
  s.drive = DriveOf(s.path);
  const size_t slash = s.path.rfind('\\');
  if (slash == std::string::npos) {
    s.fileName = s.path;
    return;
  }
  s.fileName = s.path.substr(slash + 1);
  s.folder = s.path.substr(0, slash);
  // A drive root keeps its backslash: "C:\X" lies in "C:\", not in "C:".
  if (s.folder.size() == 2 && s.folder[1] == ':') s.folder += '\\';
}

char MatchModeOf(const std::string& field) {
  if (field == "A" || field == "B" || field == "C") return field[0];
  return '?';
}

void ParseFileOperands(PluginStatement& s, std::string_view ops) {
  size_t pos = 0;
  if (s.command == "DELFOLD") {
    s.path = ReadField(ops, pos, '[');
    if (!s.path.empty() && s.path.back() == '\\') s.path.pop_back();
    s.filter = ReadField(ops, pos, ']');
    s.folderType = ReadField(ops, pos, '?');
    s.drive = DriveOf(s.path);
    s.folder = s.path;
    static constexpr std::string_view kTypes[] = {"DS", "PS", "OD", "OR", "IS"};
    s.invalidType = true;
    for (auto t : kTypes)
      if (s.folderType == t) s.invalidType = false;
    return;
  }
  if (s.command == "DELTEXT" || s.command == "DELEXML") {
    s.path = ReadField(ops, pos, '[');
    s.text = Unquote(ReadField(ops, pos, ']'));
  } else {
    s.path = ReadField(ops, pos, '?');
  }
  SplitFilePath(s);
}

void ParseRegistryOperands(PluginStatement& s, std::string_view ops) {
  size_t pos = 0;
  s.root = ReadField(ops, pos, ':');
  if (s.command == "DEL1KEY") {
    s.key = ReadField(ops, pos, '?');
  } else if (s.command == "DEL1VAL") {
    s.key = ReadField(ops, pos, '[');
    s.value = ReadField(ops, pos, ']');
  } else {
    s.key = ReadField(ops, pos, '[');
    s.pattern = Unquote(ReadField(ops, pos, ']'));
    s.matchMode = MatchModeOf(ReadField(ops, pos, '?'));
    s.invalidType = s.matchMode == '?';
  }
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The segments of a written path, split at either separator as Windows splits it.
std::vector<std::string> SplitAtSeparators(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (IsSeparator(c)) {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

// A segment of dots alone (blanks around it ignored): "." and ".." climb, and a run of dots
// is at best a trap for whoever reads the statement.
bool HasDotSegment(std::string_view path) {
  for (const std::string& c : SplitAtSeparators(path)) {
    const std::string t = Trim(c);
    if (!t.empty() && t.find_first_not_of('.') == std::string::npos) return true;
  }
  return false;
}

// The root of an absolute path and where the rest begins; false when the path is not
// absolute or is a device path.
bool SplitRoot(std::string_view path, std::string& root, size_t& rest) {
  auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (path.size() >= 3 && isLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) {
    root = std::string(path.substr(0, 2)) + "\\";
    rest = 3;
    return true;
  }
  if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return false;
  size_t at = 2;
  auto segment = [&]() {
    const size_t from = at;
    while (at < path.size() && !IsSeparator(path[at])) ++at;
    return std::string(path.substr(from, at - from));
  };
  const std::string server = segment();
  if (server.empty() || server == "?" || server == ".") return false;
  if (at >= path.size()) return false;
  ++at;
  const std::string share = segment();
  if (share.empty()) return false;
  root = "\\\\" + server + "\\" + share;
  rest = at;
  return true;
}

std::string JoinUnder(const std::string& root, const std::vector<std::string>& names,
                      size_t count) {
  std::string r = root;
  for (size_t i = 0; i < count; ++i) {
    if (r.back() != '\\') r += '\\';
    r += names[i];
  }
  return r;
}

bool IsPatternCommand(std::string_view command) {
  return command == "DELVALS" || command == "DELKEYS" || command == "DELSKVS";
}

std::string ResolveFilePath(PluginStatement& s, const PluginPathFacts& facts) {
  const bool folderCommand = s.command == "DELFOLD";
  const std::string written = s.path;
  // DELFOLD drops the folder's last backslash: "C:\" arrives as "C:".
  if (folderCommand && written.size() == 2 && written[1] == ':') return "names a root folder";
  if (LexicalFullPath(written).empty()) return "names no full path";
  if (HasDotSegment(written)) return "names a relative path";
  if (!folderCommand) {
    const std::string t = Trim(written);
    if (t.empty() || IsSeparator(t.back())) return "names no file";
  }
  // The checks below are made on the path Windows will really use, not on the text.
  const std::string full = facts.fullPath ? facts.fullPath(written) : LexicalFullPath(written);
  PluginPathParts parts = SplitFullPath(full);
  if (parts.root.empty() || HasPluginWildcard(parts.root)) return "names no full path";
  std::string fileName;
  if (!folderCommand) {
    if (parts.names.empty()) return "names no file";
    fileName = parts.names.back();
    parts.names.pop_back();
  } else if (parts.names.empty()) {
    return "names a root folder";
  }
  // A wildcard right below a root would walk every top-level folder of the drive.
  if (!parts.names.empty() && HasPluginWildcard(parts.names.front()))
    return "names every folder of a drive";
  const std::string folder = JoinUnder(parts.root, parts.names, parts.names.size());
  if (folderCommand) {
    if (IsRefusedPluginFolder(folder, facts.refusedFolders))
      return "names a folder no plugin may empty";
    if (s.filter.empty()) return "names no files";
    // The filter picks names inside the folder; a path in it would reach another folder.
    if (s.filter.find_first_of("\\/:") != std::string::npos) return "has a path in its filter";
    s.path = s.folder = folder;
  } else {
    if (s.command != "DELFILE" && Trim(s.text).empty()) return "names no text";
    s.folder = folder;
    s.fileName = fileName;
    s.path = JoinPluginPath(folder, fileName);
  }
  s.drive = DriveOf(s.path);
  return {};
}

void AddTrace(std::vector<std::string>& out, const char* label, const std::string& field) {
  if (!field.empty()) out.push_back(std::string(label) + field + "<<");
}
}  // namespace

PluginStatement ParsePluginStatement(std::string_view rawLine) {
  const std::string line = UpperCase(rawLine);
  PluginStatement s;
  if (line.size() <= 9 || line[7] != '=') return s;
  const std::string_view word = std::string_view(line).substr(0, 7);
  for (size_t i = 0; i < kCommands.size(); ++i) {
    if (word != kCommands[i]) continue;
    s.command = std::string(word);
    s.kind = i < 6 ? 'F' : 'R';
    const std::string_view ops = std::string_view(line).substr(8);
    if (s.kind == 'F')
      ParseFileOperands(s, ops);
    else
      ParseRegistryOperands(s, ops);
    return s;
  }
  return s;
}

bool IsLevelLine(std::string_view upperLine) { return StartsWith(upperLine, "LEVEL="); }

int PluginLevelOf(std::string_view upperLine) {
  long long level = 0;
  for (size_t i = 6; i < upperLine.size() && upperLine[i] >= '0' && upperLine[i] <= '9'; ++i) {
    level = level * 10 + (upperLine[i] - '0');
    if (level > 1000000) return 1000000;  // far above any level; the rest cannot lower it
  }
  return static_cast<int>(level);
}

std::string JoinPluginPath(std::string_view folder, std::string_view name) {
  std::string r(folder);
  if (r.empty() || r.back() != '\\') r += '\\';
  r += name;
  return r;
}

bool MatchesPluginPattern(std::string_view name, std::string_view pattern, char mode) {
  if (pattern == "*") return true;
  if (mode == 'B') return StartsWith(name, pattern);
  if (mode == 'C') return name.find(pattern) != std::string_view::npos;
  return false;
}

bool PluginWildcardMatch(std::string_view text, std::string_view pattern) {
  const std::string t = UpperCase(text), p = UpperCase(pattern);
  return WildcardMatchFolded(std::string_view(t), std::string_view(p), [](char c) { return c; });
}

bool HasPluginWildcard(std::string_view s) {
  return s.find_first_of("*?") != std::string_view::npos;
}

std::vector<std::string> SplitPluginPath(std::string_view path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t end = path.find('\\', start);
    parts.emplace_back(path.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

std::string Rot13(std::string_view s) {
  std::string r(s);
  for (char& c : r) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>('A' + (c - 'A' + 13) % 26);
    else if (c >= 'a' && c <= 'z')
      c = static_cast<char>('a' + (c - 'a' + 13) % 26);
  }
  return r;
}

std::string ResolvePluginStatement(PluginStatement& s, const PluginPathFacts& facts) {
  if (s.kind == 'R') {
    std::string key = s.key;
    while (!key.empty() && key.front() == '\\') key.erase(0, 1);
    while (!key.empty() && key.back() == '\\') key.pop_back();
    if (Trim(key).empty()) return "names no registry key";
    // A wildcard at the top of a hive would reach every key of it.
    if (HasPluginWildcard(SplitPluginPath(key).front())) return "names every key of a hive";
    // An empty pattern is taken by every name (B, C): the key would be emptied.
    if (IsPatternCommand(s.command) && s.pattern.empty()) return "names no pattern";
    if (!HasPluginWildcard(s.key)) return PluginKeyProblem(s.command, s.root, s.key);
    return {};
  }
  if (s.kind != 'F') return {};
  if (s.command == "EXECUTE" || s.command == "EXEHIDE")
    return Trim(s.path).empty() ? "names no program" : "";
  return ResolveFilePath(s, facts);
}

std::string PluginStatementProblem(const PluginStatement& s, const PluginPathFacts& facts) {
  PluginStatement copy = s;
  return ResolvePluginStatement(copy, facts);
}

std::string LexicalFullPath(std::string_view path) {
  std::string root;
  size_t rest = 0;
  if (!SplitRoot(path, root, rest)) return {};
  std::vector<std::string> names;
  const std::vector<std::string> segments = SplitAtSeparators(path.substr(rest));
  // The path made here is used without its closing separators, so the last name in it is
  // the one Windows trims, whatever separators follow it: "*..\" must not come out as "*..",
  // which Windows would then read as "*".
  size_t last = segments.size();
  while (last > 0 && segments[last - 1].empty()) --last;
  for (size_t i = 0; i < segments.size(); ++i) {
    std::string seg = segments[i];
    if (i + 1 == last) {
      // The last name loses trailing dots and blanks; "." and ".." it may then have become
      // still climb.
      const bool dots = !seg.empty() && seg.find_first_not_of('.') == std::string::npos;
      if (!dots)
        while (!seg.empty() && (seg.back() == '.' || seg.back() == ' ')) seg.pop_back();
    }
    if (seg.empty() || seg == ".") continue;
    if (seg == "..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    // A segment ending in a single dot loses it; three dots or more are a name.
    if (seg.size() >= 2 && seg.back() == '.' && seg[seg.size() - 2] != '.') seg.pop_back();
    names.push_back(seg);
  }
  return JoinUnder(root, names, names.size());
}

PluginPathParts SplitFullPath(std::string_view fullPath) {
  PluginPathParts parts;
  size_t rest = 0;
  if (!SplitRoot(fullPath, parts.root, rest)) return {};
  for (std::string& seg : SplitAtSeparators(fullPath.substr(rest)))
    if (!seg.empty()) parts.names.push_back(std::move(seg));
  return parts;
}

bool IsRefusedPluginFolder(std::string_view folder, const std::vector<std::string>& refused) {
  auto bare = [](std::string_view f) {
    std::string u = UpperCase(f);
    while (u.size() > 3 && IsSeparator(u.back())) u.pop_back();
    return u;
  };
  const std::string f = bare(folder);
  for (const auto& r : refused)
    if (!r.empty() && bare(r) == f) return true;
  return false;
}

std::string PluginKeyProblem(std::string_view command, std::string_view root,
                             std::string_view key) {
  if (command == "DEL1VAL") return {};  // one value, named exactly
  static constexpr std::string_view kRoots[] = {"HKCR", "HKCU", "HKLM", "HKU", "HKCC"};
  if (std::find(std::begin(kRoots), std::end(kRoots), root) == std::end(kRoots)) return {};
  std::vector<std::string> names;
  for (std::string& n : SplitPluginPath(UpperCase(key)))
    if (!n.empty()) names.push_back(std::move(n));
  const std::string refused = "names a key no plugin may empty";
  if (names.empty()) return refused;
  // Each direct child of HKLM and HKU is a hive of its own (SOFTWARE, SYSTEM, a user's SID).
  if ((root == "HKLM" || root == "HKU") && names.size() == 1) return refused;
  if (root == "HKU") names.erase(names.begin());
  std::string rest;
  for (const auto& n : names) rest += (rest.empty() ? "" : "\\") + n;
  static constexpr std::string_view kSoftware[] = {
      "SOFTWARE", "SOFTWARE\\WOW6432NODE", "SOFTWARE\\CLASSES", "SOFTWARE\\APPDATALOW\\SOFTWARE"};
  for (auto k : kSoftware)
    if (rest == k) return refused;
  return {};
}

std::vector<std::string> PluginTraceLines(const PluginStatement& s) {
  std::vector<std::string> out;
  out.push_back(std::string(" debug - FoldOrReg = ") + s.kind);
  if (s.kind == 'F') {
    AddTrace(out, " debug - FoldVerb =   >>", s.command);
    AddTrace(out, " debug - FoldDrive =  >>", s.drive);
    AddTrace(out, " debug - FoldFolder = >>", s.folder);
    AddTrace(out, " debug - FoldFile =   >>", s.fileName);
    AddTrace(out, " debug - FoldString = >>", s.text);
    AddTrace(out, " debug - FoldFilter = >>", s.filter);
    AddTrace(out, " debug - FoldType =   >>", s.folderType);
  } else if (s.kind == 'R') {
    AddTrace(out, " debug - RegVerb =   >>", s.command);
    AddTrace(out, " debug - RegRoot =   >>", s.root);
    AddTrace(out, " debug - RegKey =    >>", s.key);
    AddTrace(out, " debug - RegValue =  >>", s.value);
    AddTrace(out, " debug - RegString = >>", s.pattern);
    AddTrace(out, " debug - RegType =   >>", std::string(1, s.matchMode));
  }
  return out;
}

std::string PluginErrorText(unsigned long code, bool ignore) {
  switch (code) {
    case 0: return "         deleted - ";
    case 2:
      if (!ignore) return "  File Not Found - ";
      break;
    case 3:
      if (!ignore) return "  Path Not Found - ";
      break;
    case 145: return ignore ? "  Ignore Dir Err - " : "   Dir Not Empty - ";
    case 5: return ignore ? "   Ignore Denied - " : "   Access Denied - ";
    case 32:
    case 33:
    case 1224: return ignore ? "   Ignore Locked - " : "          Locked - ";
    default: break;
  }
  if (ignore) return "   Ignore Errors - ";
  return (" -Error-" + std::to_string(code) + " - " + std::string(19, ' ')).substr(0, 19);
}

std::string ExpandPluginMacrosWith(std::string_view input, const PluginMacroSources& src) {
  static constexpr std::string_view kNamed[] = {"#USERSOFTWARE#", "#COMPUTER#",     "#USER#",
                                                "#APPDATA#",      "#LOCALAPPDATA#", "#PICTURES#",
                                                "#DOCUMENTS#"};
  static constexpr std::string_view kRoots[] = {"^HKCR:", "^HKCU:", "^HKU:", "^HKLM:", "^HKCC:"};
  constexpr size_t kAfterLimit = 255;
  auto replace = [&](std::string& line, size_t at, size_t length, const std::string& value) {
    line = UpperCase(line.substr(0, at) + value + line.substr(at + length).substr(0, kAfterLimit));
  };
  std::string line = UpperCase(input);
  // Each pass can only make progress by consuming a macro; a value that names itself again
  // (a registry string holding its own macro, say) must not keep the run here.
  for (int pass = 0; pass < 32; ++pass) {
    const std::string before = line;
    const size_t hash = line.find('#');
    if (hash != std::string::npos && src.named) {
      for (auto macro : kNamed) {
        if (line.compare(hash, macro.size(), macro) != 0) continue;
        const std::string name(macro.substr(1, macro.size() - 2));
        if (auto value = src.named(name)) replace(line, hash, macro.size(), *value);
        break;
      }
    }
    const size_t caret = line.find('^');
    if (caret != std::string::npos && src.registryString) {
      for (auto root : kRoots) {
        if (line.compare(caret, root.size(), root) != 0) continue;
        const size_t close = line.find(']', caret);
        if (close == std::string::npos) break;
        const std::string body = line.substr(caret + 1, close - caret);
        const PluginStatement v = ParsePluginStatement("DEL1VAL=" + body);
        auto value = src.registryString(v.root, v.key, v.value);
        if (value && !value->empty()) replace(line, caret, close - caret + 1, *value);
        break;
      }
    }
    if (line.find('%') != std::string::npos && src.environment)
      line = UpperCase(src.environment(line));
    if (line == before) break;
  }
  return line;
}

std::vector<std::string> RemoveTextLines(std::vector<std::string>& lines,
                                         std::string_view upperText) {
  std::vector<std::string> removed;
  for (size_t i = lines.size(); i-- > 0;) {
    const std::string upper = UpperCase(lines[i]);
    if (upper.find(upperText) == std::string::npos) continue;
    removed.push_back(upper);
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
  }
  return removed;
}

namespace {
bool AllBlank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

// The first start tag of the element in a line: "<NAME" followed by a blank, a tab, ">", "/"
// or the end of the line (attributes may continue on the next one).
size_t FindStartTag(const std::string& upper, const std::string& open) {
  for (size_t at = upper.find(open); at != std::string::npos; at = upper.find(open, at + 1)) {
    const size_t next = at + open.size();
    if (next == upper.size()) return at;
    const char c = upper[next];
    if (c == ' ' || c == '\t' || c == '>' || c == '/') return at;
  }
  return std::string::npos;
}
}  // namespace

bool RemoveFirstXmlElement(std::vector<std::string>& lines, std::string_view upperName,
                           std::vector<std::string>& removed) {
  const std::string open = "<" + std::string(upperName);
  const std::string close = "</" + std::string(upperName) + ">";
  enum { Looking, InTag, InContent } state = Looking;
  size_t startLine = 0, startCol = 0, endLine = 0, endCol = 0;
  bool ended = false;
  for (size_t i = 0; i < lines.size() && !ended; ++i) {
    const std::string upper = UpperCase(lines[i]);
    size_t from = 0;
    if (state == Looking) {
      const size_t at = FindStartTag(upper, open);
      if (at == std::string::npos) continue;
      startLine = i;
      startCol = at;
      state = InTag;
      from = at + 1;
    }
    if (state == InTag) {
      const size_t mark = upper.find_first_of("/<", from);
      if (mark == std::string::npos) continue;
      if (upper.compare(mark, close.size(), close) == 0) {
        endLine = i;
        endCol = mark + close.size() - 1;
        ended = true;
        break;
      }
      if (upper[mark] == '/') {
        if (mark + 1 < upper.size() && upper[mark + 1] == '>') {
          endLine = i;
          endCol = mark + 1;
          ended = true;
        }
        // A "/" inside the tag (an attribute value, say): the end lies on a later line.
        continue;
      }
      state = InContent;
      from = mark;
    }
    if (state == InContent) {
      const size_t at = upper.find(close, from);
      if (at == std::string::npos) continue;
      endLine = i;
      endCol = at + close.size() - 1;
      ended = true;
    }
  }
  if (!ended) return false;

  if (startLine == endLine) {
    removed.push_back(lines[startLine].substr(startCol, endCol + 1 - startCol));
    lines[startLine] = lines[startLine].substr(0, startCol) + lines[startLine].substr(endCol + 1);
  } else {
    removed.push_back(lines[startLine].substr(startCol));
    for (size_t i = startLine + 1; i < endLine; ++i) removed.push_back(lines[i]);
    removed.push_back(lines[endLine].substr(0, endCol + 1));
    lines[startLine] = lines[startLine].substr(0, startCol);
    lines[endLine] = lines[endLine].substr(endCol + 1);
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(startLine + 1),
                lines.begin() + static_cast<std::ptrdiff_t>(endLine));
  }
  if (startLine + 1 < lines.size() && AllBlank(lines[startLine + 1]))
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(startLine + 1));
  if (AllBlank(lines[startLine]))
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(startLine));
  return true;
}

std::string PluginFileLines(std::string_view bytes, const PluginToAnsi& toAnsi,
                            std::vector<std::string>& lines) {
  lines.clear();
  auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
  if (starts("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  const bool little = starts("\xFF\xFE"), big = starts("\xFE\xFF");
  if (!little && !big) {
    lines = SplitLines(std::string(bytes));
    return {};
  }
  bytes.remove_prefix(2);
  if (bytes.size() % 2 != 0) return "UTF-16 text of odd length: not run.";
  std::u16string wide;
  wide.reserve(bytes.size() / 2);
  for (size_t i = 0; i < bytes.size(); i += 2) {
    const auto lo = static_cast<unsigned char>(bytes[i + (big ? 1 : 0)]);
    const auto hi = static_cast<unsigned char>(bytes[i + (big ? 0 : 1)]);
    wide.push_back(static_cast<char16_t>(lo | hi << 8));
  }
  const std::optional<std::string> ansi = toAnsi ? toAnsi(wide) : std::nullopt;
  if (!ansi) return "UTF-16 text with characters outside the ANSI code page: not run.";
  lines = SplitLines(*ansi);
  return {};
}
