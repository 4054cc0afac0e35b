// A stand-in for Harrowin that misbehaves on purpose, for the link's failure paths. Its first
// argument says how: "silent" never opens the pipe; "late" starts serving only after the first
// pings have failed; "build=TEXT" serves but announces TEXT ('_' for blanks) as its build.
#include <windows.h>

#include <string>

#include "core/version.h"
#include "harrowin/url_server.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR args, int) {
  std::string line = args;
  std::string mode = line.substr(0, line.find(' '));
  if (mode == "silent") {
    Sleep(30000);  // the test ends it sooner
    return 0;
  }
  if (mode == "late") {
    Sleep(3500);  // past the 2 s start-up wait, so that the first pings find no pipe
    return RunUrlServer(line, kBuildText);
  }
  if (mode.rfind("build=", 0) == 0) {
    std::string build = mode.substr(6);
    for (char& c : build)
      if (c == '_') c = ' ';
    return RunUrlServer(line, build);
  }
  return 2;
}
