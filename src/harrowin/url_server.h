#pragma once
#include <string>

// The URL server's whole life: opens the mapping and pipe named with the suffix of its " TS="
// argument, writes its build text, serves one command at a time with WinINet in its own
// process, and returns on S (or when the program that made the mapping has ended).
// Returns the process exit code: 0 after S, 2 for a bad command line, 3 when the mapping or
// the pipe cannot be opened.
int RunUrlServer(const std::string& commandLine, const std::string& buildText);
