#pragma once
#include <string>
#include <vector>

// The executable names of the running processes (CreateToolhelp32Snapshot), lower-cased.
std::vector<std::string> RunningProcessNames();

// True while another process holds the file open without sharing (a browser's lock file);
// false when it is missing or can be opened.
bool FileHeldByAnother(const std::string& path);
