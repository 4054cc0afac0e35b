#pragma once
#include <map>
#include <string>
#include <string_view>
#include <vector>

// What a community entry's paths and keys mean on this system, as pure logic: the system's
// answers come in as Winapp2System, so every rule is built natively and tested there too.

struct Winapp2System {
  // Upper-cased variable name (no "%") -> its folders, each full, without a trailing
  // backslash. Most have one; ProgramFiles and CommonProgramFiles have the 64-bit folder and
  // the x86 one on 64-bit Windows. A variable missing here is unknown on this system.
  std::map<std::string, std::vector<std::string>> variables;
  // A 32-bit program on 64-bit Windows: System32 is reached as Sysnative and HKLM\Software
  // has two views.
  bool wow64 = false;
  std::string windowsFolder;  // for the Sysnative rule
};

// The paths a written path names: every variable replaced by its folder(s) (two folders give
// two paths), "/" taken as "\", doubled separators joined, no trailing separator. `problem`
// says why it names none: an unknown variable, an unclosed "%", a "." or ".." level, a level
// ending in a dot or blank (Windows would reach another folder than the one written), or no
// full path.
struct Winapp2Expansion {
  std::vector<std::string> paths;
  std::string problem;
};
Winapp2Expansion ExpandWinapp2Path(std::string_view written, const Winapp2System& system);

// A 32-bit program asking for <Windows>\System32 gets SysWOW64; <Windows>\Sysnative is how it
// reaches the real one. Unchanged when not under WOW64 or not under System32.
std::string Winapp2NativeSystemPath(const std::string& path, const Winapp2System& system);

// The registry views a key is looked up and deleted in: the program's own one, or on 64-bit
// Windows for HKLM\Software both the 64-bit and the 32-bit view.
enum class Winapp2View { Own, Bits64, Bits32 };
std::vector<Winapp2View> Winapp2ViewsOf(std::string_view key, bool wow64);

// A registry path split into its hive's short name ("HKCU", ...) and the rest ("" for the
// hive itself); false when it names no known hive.
bool SplitWinapp2Key(std::string_view key, std::string& hive, std::string& rest);
