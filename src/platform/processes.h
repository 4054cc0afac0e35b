#pragma once
#include <string>
#include <vector>

// One running process: its executable name, lower-cased, and the session it runs in.
struct RunningProcess {
  std::string name;
  unsigned long session = 0;
};

// Every running process of the machine with its session. WTSEnumerateProcessesW names each
// one's session without opening it (the ANSI form is a stub under Wine); should it fail, the
// Toolhelp snapshot is taken, and a process whose session cannot be asked counts as this one's.
std::vector<RunningProcess> RunningProcesses();

// The session this process runs in.
unsigned long CurrentSessionId();

// True while another process holds the file open for writing without sharing writes, as a
// Chromium-family browser holds its lock file (written, shared for reading only, deleted on
// close); false when it is missing or can be opened.
bool FileHeldByAnother(const std::string& path);
