// Values read back from the settings file and the command line, from arbitrary bytes. Line 1
// is a stored window position, line 2 the desktop ("width height pixels-per-inch", any
// numbers), line 3 a registry version ("major.minor") and line 4 its build; every line is also
// tried as an hours value, a repeat count, a number and a command line. Checks that stored
// texts round-trip, that normalising settles, that clamps hold, and that command lines split,
// quoted back, split the same.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "core/option_set.h"
#include "core/os_flags.h"
#include "core/run_log_rules.h"
#include "core/run_mode.h"
#include "core/text_util.h"
#include "core/window_position.h"

namespace {
void CheckAt(bool ok, int line) {
  if (ok) return;
  fprintf(stderr, "settings_values_fuzz: check at line %d failed\n", line);
  abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

bool SamePosition(const WindowPlacementValue& a, const WindowPlacementValue& b) {
  return a.kind == b.kind && a.state == b.state && a.top == b.top && a.left == b.left &&
         a.height == b.height && a.width == b.width;
}

// Whether any argument starts with NAME followed by "=", ignoring case (its value may be empty).
bool HasValueArgument(const std::vector<std::string>& args, const std::string& name) {
  for (const std::string& a : args)
    if (a.size() > name.size() && a[name.size()] == '=' &&
        UpperCase(a.substr(0, name.size())) == UpperCase(name))
      return true;
  return false;
}

std::string Line(const std::vector<std::string>& lines, size_t i) {
  return i < lines.size() ? lines[i] : std::string();
}

void CheckPosition(const std::string& stored, const std::string& desktop) {
  const WindowPlacementValue v = ParseWindowPosition(stored);
  if (stored.empty() || stored == "Default") Check(v.kind == WindowPlacementValue::Kind::Default);
  const std::string written = FormatWindowPosition(v);
  Check(SamePosition(ParseWindowPosition(written), v));
  Check(FormatWindowPosition(ParseWindowPosition(written)) == written);

  long long d[3] = {1024, 768, 96};
  const std::vector<std::string> parts = SplitCommandLine(desktop);
  for (size_t i = 0; i < 3 && i < parts.size(); ++i)
    if (!TryParseInt(parts[i], d[i])) d[i] = 0;
  const int width = static_cast<int>(d[0]), height = static_cast<int>(d[1]),
            ppi = static_cast<int>(d[2]);
  const WindowBounds b = ResolveWindowBounds(v, width, height, ppi);
  switch (v.kind) {
    case WindowPlacementValue::Kind::Maximised: Check(b.maximised); break;
    case WindowPlacementValue::Kind::Normal: {
      Check(!b.maximised && b.width == v.width && b.height == v.height);
      // Where it was, when that lies on the desktop; else at the desktop's corner.
      const bool fits = static_cast<long long>(v.top) + v.height <= height &&
                        static_cast<long long>(v.left) + v.width <= width;
      if (fits)
        Check(b.top == v.top && b.left == v.left);
      else
        Check(b.top == 0 && b.left == 0);
      break;
    }
    default:
      Check(!b.maximised && b.top == 0 && b.left == 0);
      Check(b.width >= 620 && b.height >= 450);
      if (ppi < 120) Check(b.width == 620 && b.height == 450);
  }
}

void CheckNumbers(const std::string& line) {
  long long n = 0;
  const bool number = TryParseInt(line, n);
  if (number) {
    long long again = 0;
    Check(TryParseInt(std::to_string(n), again) && again == n);
    Check(ParseIntOr(line, -7) == (n >= INT32_MIN && n <= INT32_MAX ? static_cast<int>(n) : -7));
    const int r = ClampRepeats(n);
    Check(r >= 1 && r <= 99 && (n < 1 || n > 99 || r == n));
  } else {
    Check(ParseIntOr(line, -7) == -7);
  }
  const int hours = AgeHoursValue(line);
  Check(hours >= 0);
  Check(hours == (number && n >= 0 ? (n > INT32_MAX ? INT32_MAX : n) : 0));
  const std::string shown = NormalizeAgeHours(line);
  Check(NormalizeAgeHours(shown) == shown && AgeHoursValue(shown) == hours);
  Check(shown == line || shown == "0");
}

void CheckCommandLine(const std::string& line) {
  const std::vector<std::string> args = SplitCommandLine(line);
  std::string quoted;
  for (const std::string& a : args) {
    Check(a.find('"') == std::string::npos);
    quoted += (quoted.empty() ? "\"" : " \"") + a + "\"";
    Check(HasSwitch(args, a) && HasSwitch(args, LowerCase(a)));
    const size_t eq = a.find('=');
    if (eq != std::string::npos) {
      const std::string value = ValueOf(args, a.substr(0, eq));
      Check(value == UpperCase(value));
      // Names compare ignoring case.
      Check(ValueOf(args, UpperCase(a.substr(0, eq))) == value);
    }
  }
  Check(SplitCommandLine(quoted) == args);
  if (line.find('"') == std::string::npos) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line + " ") {
      if (static_cast<unsigned char>(c) > ' ') {
        word += c;
      } else if (!word.empty()) {
        words.push_back(word);
        word.clear();
      }
    }
    Check(words == args);
  }

  const int level = LevelThresholdFromArgs(args);
  Check((level >= 0 && level <= 7) || level == 9);
  if (level > 0) Check(HasSwitch(args, "LEVEL" + std::to_string(level)));
  bool anyLevel = false;
  for (const char* s : {"LEVEL1", "LEVEL2", "LEVEL3", "LEVEL4", "LEVEL5", "LEVEL6", "LEVEL7", "LEVEL9"})
    anyLevel = anyLevel || HasSwitch(args, s);
  Check((level == 0) == !anyLevel);

  // "LOG=": the value as written, its upper-cased form is the ordinary value, and it names
  // either itself (a full path) or a plain name in the data folder, or nothing.
  const LogArgument log = LogArgumentOf(args);
  Check(log.present == HasValueArgument(args, "LOG"));
  if (log.present) {
    Check(UpperCase(log.value) == ValueOf(args, "LOG"));
    const std::string target = ResolveLogTarget(log.value, "C:\\Data");
    Check(target.empty() || target == log.value || target == "C:\\Data\\" + log.value);
    if (target == "C:\\Data\\" + log.value)
      Check(log.value.find_first_of("\\/:") == std::string::npos);
    if (!target.empty()) Check(target.find_first_of("<>|?*\"") == std::string::npos);
    // Nothing in the program folder is ever a report.
    Check(LogTargetRefusal("C:\\Prog\\" + log.value, "C:\\Data", "C:\\Prog", {}) != "");
  }
  // A header read back from a file (the first line of a "LOG=" target or of the log).
  for (const std::string& a : args) {
    if (IsRunLogBanner(a)) Check(IsRunLogHeader(a));
    // The log keeps no line it calls an item; what it keeps of an item error is its result.
    const std::vector<std::string> kept = RunLogLines({a}, false);
    const LogLineUse use = RunLogLineUse(a);
    Check(kept.size() == 1);
    if (use == LogLineUse::Keep) Check(kept[0] == a);
    if (use == LogLineUse::ResultOnly) Check(EndsWith(kept[0], "(item not logged)"));
  }
}

void CheckVersion(const std::string& version, const std::string& build,
                  const std::vector<std::string>& args) {
  const WindowsVersion reported{true, 5, 1, 2600};
  const WindowsVersion v = ApplyRegistryVersion(reported, version, build);
  const WindowsVersion nine = ApplyRegistryVersion({false, 4, 10, 2222}, version, build);
  Check(!nine.isNt && nine.major == 4 && nine.minor == 10 && nine.build == 2222);
  const size_t dot = version.find('.');
  long long major = 0, minor = 0;
  if (dot != std::string::npos && dot > 0 && TryParseInt(version.substr(0, dot), major) &&
      TryParseInt(version.substr(dot + 1), minor)) {
    Check(v.major == static_cast<int>(major) && v.minor == static_cast<int>(minor));
    Check(v.build == ParseIntOr(build, 0));
  } else {
    Check(v.major == 5 && v.minor == 1 && v.build == 2600);
  }
  const OsFlags f = ComputeOsFlags(v, args);
  if (HasSwitch(args, "PREVISTA")) Check(!f.vista && !f.win7 && !f.win8);
  if (!HasSwitch(args, "TISVISTA") && !HasSwitch(args, "TISWIN7") && !HasSwitch(args, "TISWIN8"))
    Check((!f.win8 || f.win7) && (!f.win7 || f.vista));
  if (!HasSwitch(args, "PREVISTA") && v.major > 6) Check(f.vista && f.win7 && f.win8);
  if (!HasSwitch(args, "PREVISTA") && v.major < 6 && !HasSwitch(args, "TISVISTA"))
    Check(!f.vista);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = SplitLines(text);
  CheckPosition(Line(lines, 0), Line(lines, 1));
  CheckVersion(Line(lines, 2), Line(lines, 3), SplitCommandLine(Line(lines, 4)));
  for (const std::string& line : lines) {
    CheckNumbers(line);
    CheckCommandLine(line);
    CheckPosition(line, Line(lines, 1));
  }
  return 0;
}
