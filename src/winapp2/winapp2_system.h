#pragma once
#include <optional>
#include <string>

#include "winapp2/winapp2_paths.h"
#include "winapp2/winapp2_rules.h"

// What this system answers for the community entries, read once for a load or a run.
struct Winapp2Facts {
  Winapp2System system;
  int windowsVersion = 0;  // major * 100 + minor, as DetectOS writes it
  // What no key may empty, walk or remove; read when first asked (detecting entries needs none
  // of it, and listing the profiles for it is not free).
  const Winapp2Refusals& Refusals() const;

 private:
  mutable std::optional<Winapp2Refusals> refusals_;
};
Winapp2Facts ReadWinapp2Facts();

// A UTF-8 path as the ANSI path the file calls take: the path itself when the code page holds
// every character, else its short (8.3) form; empty when no ANSI name reaches it.
std::string AnsiReach(const std::string& utf8Path);
