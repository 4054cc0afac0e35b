#pragma once
#include <string>
#include <string_view>

// Upper- or lower-cases ANSI text as the system does (CharUpperBuffW / CharLowerBuffW over the
// characters of the code page; 0 is the system's ANSI code page). A double-byte character of a
// Japanese, Chinese or Korean code page keeps its second byte, which a byte-wise mapping would
// change whenever it falls on an ASCII letter.
std::string SystemCaseMap(std::string_view text, bool upper, unsigned codePage = 0);
// Wide text upper-cased as the system does (CharUpperBuffW), for comparing names without
// regard to case.
std::wstring SystemUpperWide(std::wstring_view text);
