#include "winapp2/winapp2_file.h"

#include <algorithm>
#include <optional>
#include <set>

namespace {
std::string_view TrimView(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// ASCII upper case: key names and flags of the format are ASCII.
std::string AsciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::vector<std::string> SplitAt(std::string_view s, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = s.find(separator, start);
    parts.emplace_back(TrimView(s.substr(start, end == std::string_view::npos ? end : end - start)));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

// The masks of a "a;b;c" list; empty items (a doubled or trailing ";") are no mask.
std::vector<std::string> MasksOf(std::string_view list) {
  std::vector<std::string> masks;
  for (auto& m : SplitAt(list, ';'))
    if (!m.empty()) masks.push_back(std::move(m));
  return masks;
}

bool KnownHive(std::string_view key) {
  const std::string upper = AsciiUpper(key.substr(0, key.find('\\')));
  static const std::set<std::string> hives = {
      "HKCR", "HKCU", "HKLM", "HKU", "HKCC", "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
      "HKEY_LOCAL_MACHINE", "HKEY_USERS", "HKEY_CURRENT_CONFIG"};
  return hives.count(upper) != 0;
}

// The key's name without its number ("FileKey12" -> "FILEKEY"); false when what follows the
// letters is not a number.
bool KeyKind(std::string_view key, std::string& kind) {
  size_t i = 0;
  while (i < key.size() && ((key[i] >= 'A' && key[i] <= 'Z') || (key[i] >= 'a' && key[i] <= 'z')))
    ++i;
  for (size_t j = i; j < key.size(); ++j)
    if (key[j] < '0' || key[j] > '9') return false;
  kind = AsciiUpper(key.substr(0, i));
  return i > 0;
}

class Reader {
 public:
  explicit Reader(bool aggressive) : aggressive_(aggressive) {}

  void Line(int number, std::string_view text) {
    text = TrimView(text);
    if (text.empty()) return;
    if (text.front() == ';') {
      if (db_.version.empty() && db_.entries.empty() && !current_ && text.rfind("; Version:", 0) == 0)
        db_.version = std::string(TrimView(text.substr(10)));
      return;
    }
    if (text.front() == '[') return Section(number, text);
    const size_t eq = text.find('=');
    if (eq == std::string_view::npos) return Problem(number, "not a key=value line");
    if (!current_) return Problem(number, "a key outside any entry");
    Key(number, TrimView(text.substr(0, eq)), TrimView(text.substr(eq + 1)));
  }

  Winapp2Database Finish() {
    Close();
    return std::move(db_);
  }

 private:
  void Problem(int line, std::string text) { db_.problems.push_back({line, std::move(text)}); }

  // The entry being read is left out whole; its later lines are skipped without more lines.
  void Drop(int line, const std::string& why) {
    if (current_ && !dropWhy_.empty()) return;
    Problem(line, "entry \"" + (current_ ? current_->name : std::string()) + "\" not loaded: " + why);
    dropWhy_ = why;
  }

  void Close() {
    if (!current_) return;
    if (dropWhy_.empty())
      db_.entries.push_back(std::move(*current_));
    else
      db_.dropped.push_back({current_->name, current_->line, dropWhy_});
    current_.reset();
    dropWhy_.clear();
  }

  void Section(int number, std::string_view text) {
    Close();
    if (text.back() != ']') {
      Problem(number, "a section line without its closing \"]\"");
      skipping_ = true;
      return;
    }
    std::string_view name = TrimView(text.substr(1, text.size() - 2));
    if (name.size() >= 2 && name.substr(name.size() - 2) == " *") name = TrimView(name.substr(0, name.size() - 2));
    else if (name == "*") name = {};
    if (name.empty()) {
      Problem(number, "an entry without a name");
      skipping_ = true;
      return;
    }
    skipping_ = false;
    current_ = Winapp2Entry{};
    current_->name = std::string(name);
    current_->line = number;
    current_->aggressive = aggressive_;
    // A second entry of a name would make a tick ambiguous: the first one stands.
    if (!names_.insert(AsciiUpper(name)).second) Drop(number, "its name appears twice");
  }

  void Key(int number, std::string_view key, std::string_view value) {
    if (skipping_ || !dropWhy_.empty()) return;
    Winapp2Entry& e = *current_;
    std::string kind;
    if (!KeyKind(key, kind)) return Problem(number, "unknown key \"" + std::string(key) + "\"");
    if (kind == "LANGSECREF") {
      int n = 0;
      for (char c : value) {
        if (c < '0' || c > '9' || n > 100000) return Problem(number, "LangSecRef is not a number");
        n = n * 10 + (c - '0');
      }
      if (value.empty()) return Problem(number, "LangSecRef is not a number");
      e.langSecRef = n;
    } else if (kind == "SECTION") {
      e.section = std::string(value);
    } else if (kind == "DETECT") {
      if (value.empty() || !KnownHive(value)) return Problem(number, "Detect names no registry key");
      e.detects.emplace_back(value);
    } else if (kind == "DETECTFILE") {
      if (value.empty()) return Problem(number, "DetectFile names no path");
      e.detectFiles.emplace_back(value);
    } else if (kind == "DETECTOS") {
      Winapp2OsRange range;
      // An entry for other Windows versions must not run here because its range was unreadable.
      if (!ParseWinapp2OsRange(value, range)) return Drop(number, "its DetectOS cannot be read");
      e.detectOS = std::string(value);
    } else if (kind == "SPECIALDETECT") {
      e.specialDetects.push_back(AsciiUpper(value));
    } else if (kind == "DEFAULT") {
      // Whether another cleaner ticks the entry at first; here nothing is ticked unasked.
    } else if (kind == "WARNING") {
      e.warning = std::string(value);
    } else if (kind == "FILEKEY") {
      FileKey(number, value);
    } else if (kind == "REGKEY") {
      RegKey(number, value);
    } else if (kind == "EXCLUDEKEY") {
      Exclude(number, value);
    } else {
      Problem(number, "unknown key \"" + std::string(key) + "\"");
    }
  }

  void FileKey(int number, std::string_view value) {
    std::vector<std::string> parts = SplitAt(value, '|');
    if (parts.size() < 2 || parts[0].empty())
      return Problem(number, "FileKey needs a path and a mask (path|mask)");
    Winapp2FileKey k;
    k.path = parts[0];
    k.masks = MasksOf(parts[1]);
    k.line = number;
    if (k.masks.empty()) return Problem(number, "FileKey has no mask");
    for (size_t i = 2; i < parts.size(); ++i) {
      const std::string flag = AsciiUpper(parts[i]);
      if (flag == "RECURSE")
        k.recurse = true;
      else if (flag == "REMOVESELF")
        k.recurse = k.removeSelf = true;
      else if (!flag.empty())
        return Problem(number, "unknown FileKey flag \"" + parts[i] + "\"");
    }
    current_->fileKeys.push_back(std::move(k));
  }

  void RegKey(int number, std::string_view value) {
    const size_t bar = value.find('|');
    Winapp2RegKey k;
    k.key = std::string(TrimView(value.substr(0, bar)));
    k.line = number;
    if (bar != std::string_view::npos) {
      k.value = std::string(TrimView(value.substr(bar + 1)));
      k.hasValue = true;
    }
    if (k.key.empty() || !KnownHive(k.key)) return Problem(number, "RegKey names no registry key");
    current_->regKeys.push_back(std::move(k));
  }

  // What an exclusion keeps must be known exactly: an entry whose exclusion cannot be read
  // would delete what it was meant to keep, so the entry is left out whole.
  void Exclude(int number, std::string_view value) {
    std::vector<std::string> parts = SplitAt(value, '|');
    const std::string kind = AsciiUpper(parts[0]);
    Winapp2Exclude x;
    x.line = number;
    if (kind == "REG" && parts.size() >= 2 && parts.size() <= 3 && KnownHive(parts[1])) {
      x.kind = Winapp2Exclude::Reg;
      x.key = parts[1];
      if (parts.size() == 3) {
        x.value = parts[2];
        x.hasValue = true;
      }
    } else if ((kind == "FILE" || kind == "PATH") && parts.size() >= 2 && parts.size() <= 3 &&
               !parts[1].empty()) {
      x.kind = kind == "FILE" ? Winapp2Exclude::File : Winapp2Exclude::Path;
      x.path = parts[1];
      if (parts.size() == 3) x.masks = MasksOf(parts[2]);
      if (x.kind == Winapp2Exclude::File && x.masks.empty()) {
        // FILE|folder\name.ext: the name is the path's last level.
        while (!x.path.empty() && x.path.back() == '\\') x.path.pop_back();
        const size_t slash = x.path.rfind('\\');
        if (slash == std::string::npos || slash + 1 == x.path.size())
          return Drop(number, "an ExcludeKey names no file");
        x.masks.push_back(x.path.substr(slash + 1));
        x.path.resize(slash);
      }
    } else {
      return Drop(number, "an ExcludeKey cannot be read");
    }
    current_->excludes.push_back(std::move(x));
  }

  bool aggressive_;
  Winapp2Database db_;
  std::optional<Winapp2Entry> current_;
  std::string dropWhy_;
  bool skipping_ = false;  // after a section line that starts no entry
  std::set<std::string> names_;
};
}  // namespace

Winapp2Database ParseWinapp2(std::string_view bytes, bool aggressive) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  Reader reader(aggressive);
  int number = 0;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    reader.Line(++number, bytes.substr(start, end - start));
    start = end + 1;
  }
  return reader.Finish();
}

std::string Winapp2ProblemText(const Winapp2Problem& problem) {
  return "Line " + std::to_string(problem.line) + ": " + problem.text;
}

std::string Winapp2GroupName(const Winapp2Entry& entry) {
  if (!entry.section.empty()) {
    std::string_view s = entry.section;
    while (s.size() > 1 && s.front() == '.') s.remove_prefix(1);
    return std::string(s);
  }
  struct Named {
    int ref;
    const char* name;
  };
  static constexpr Named kNames[] = {
      {3001, "Internet Explorer"},  {3005, "Microsoft Edge (legacy)"},
      {3006, "Edge Chromium"},      {3021, "Applications"},
      {3022, "Internet"},           {3023, "Multimedia"},
      {3024, "Utilities"},          {3025, "Windows"},
      {3026, "Firefox"},            {3027, "Opera"},
      {3028, "Safari"},             {3029, "Google Chrome"},
      {3030, "Thunderbird"},        {3031, "Windows Store"},
      {3032, "CCleaner Browser"},   {3033, "Vivaldi"},
      {3034, "Brave"},              {3035, "Opera GX"},
      {3036, "Spotify"},            {3037, "Avast Secure Browser"},
      {3038, "AVG Secure Browser"}, {3039, "Arc Browser"},
      {3040, "iTunes"},             {3042, "WhatsApp"},
      {3043, "Norton Private Browser"}, {3044, "Avira Secure Browser"}};
  for (const Named& n : kNames)
    if (n.ref == entry.langSecRef) return n.name;
  if (entry.langSecRef == 0) return "Applications";
  return "LangSecRef " + std::to_string(entry.langSecRef);
}

namespace {
// "10.0" -> 1000; false when not digits "." digits.
bool ParseVersion(std::string_view text, int& version) {
  const size_t dot = text.find('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == text.size() || dot > 3 ||
      text.size() - dot - 1 > 2)
    return false;
  int major = 0, minor = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i == dot) continue;
    if (text[i] < '0' || text[i] > '9') return false;
    int& part = i < dot ? major : minor;
    part = part * 10 + (text[i] - '0');
  }
  version = major * 100 + minor;
  return true;
}
}  // namespace

bool ParseWinapp2OsRange(std::string_view text, Winapp2OsRange& range) {
  text = TrimView(text);
  const size_t bar = text.find('|');
  Winapp2OsRange r;
  if (bar == std::string_view::npos) {
    if (!ParseVersion(text, r.low)) return false;
    r.high = r.low;
  } else {
    const std::string_view low = TrimView(text.substr(0, bar)), high = TrimView(text.substr(bar + 1));
    if (low.empty() && high.empty()) return false;
    if (!low.empty() && !ParseVersion(low, r.low)) return false;
    if (!high.empty() && !ParseVersion(high, r.high)) return false;
    if (r.low > r.high) return false;
  }
  range = r;
  return true;
}

std::vector<std::string> Winapp2EntryLines(const Winapp2Entry& entry) {
  std::vector<std::string> lines = {"[" + entry.name + " *]"};
  auto numbered = [&](const char* key, size_t i, const std::string& value) {
    lines.push_back(key + std::to_string(i + 1) + "=" + value);
  };
  auto joined = [](const std::vector<std::string>& masks) {
    std::string text;
    for (const auto& m : masks) text += (text.empty() ? "" : ";") + m;
    return text;
  };
  if (entry.langSecRef) lines.push_back("LangSecRef=" + std::to_string(entry.langSecRef));
  if (!entry.section.empty()) lines.push_back("Section=" + entry.section);
  for (size_t i = 0; i < entry.detects.size(); ++i) numbered("Detect", i, entry.detects[i]);
  for (size_t i = 0; i < entry.detectFiles.size(); ++i)
    numbered("DetectFile", i, entry.detectFiles[i]);
  if (!entry.detectOS.empty()) lines.push_back("DetectOS=" + entry.detectOS);
  for (const auto& code : entry.specialDetects) lines.push_back("SpecialDetect=" + code);
  if (!entry.warning.empty()) lines.push_back("Warning=" + entry.warning);
  for (size_t i = 0; i < entry.fileKeys.size(); ++i) {
    const Winapp2FileKey& k = entry.fileKeys[i];
    numbered("FileKey", i,
             k.path + "|" + joined(k.masks) + (k.removeSelf ? "|REMOVESELF" : k.recurse ? "|RECURSE" : ""));
  }
  for (size_t i = 0; i < entry.regKeys.size(); ++i) {
    const Winapp2RegKey& k = entry.regKeys[i];
    numbered("RegKey", i, k.key + (k.hasValue ? "|" + k.value : ""));
  }
  for (size_t i = 0; i < entry.excludes.size(); ++i) {
    const Winapp2Exclude& x = entry.excludes[i];
    if (x.kind == Winapp2Exclude::Reg)
      numbered("ExcludeKey", i, "REG|" + x.key + (x.hasValue ? "|" + x.value : ""));
    else
      numbered("ExcludeKey", i, std::string(x.kind == Winapp2Exclude::File ? "FILE|" : "PATH|") +
                                    x.path + (x.masks.empty() ? "" : "|" + joined(x.masks)));
  }
  return lines;
}
