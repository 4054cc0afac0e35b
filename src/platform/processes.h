#pragma once
#include <string>
#include <vector>

// The executable names of the running processes (CreateToolhelp32Snapshot), lower-cased.
std::vector<std::string> RunningProcessNames();

// True while another process holds the file open for writing without sharing writes, as a
// Chromium-family browser holds its lock file (written, shared for reading only, deleted on
// close); false when it is missing or can be opened.
bool FileHeldByAnother(const std::string& path);
