#pragma once
#include <string>
#include <string_view>

// The meaningless name a shred gives a file before deleting it: "_Dremmit_" + a number + ".zap".
std::string ShredTempName(int counter);

// Whether a file's name is one a shred gave (ignoring case): such a file was left by a shred
// that did not end, and is finished by the next purge that meets it, whatever its age.
bool IsShredLeftoverName(std::string_view name);
