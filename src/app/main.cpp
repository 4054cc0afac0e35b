#include <windows.h>

#include "app/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Arguments after the program's own name, as the command line carries them.
  std::string line = GetCommandLineA();
  size_t i = 0;
  bool quoted = false;
  while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
    if (line[i] == '"') quoted = !quoted;
    ++i;
  }
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  return RunQuorvane(line.substr(i));
}
