// Harrowin, the URL server: started by Quorvane at low integrity so that WinINet calls made
// here reach Internet Explorer's protected-mode cache containers.
#include <windows.h>

#include "core/version.h"
#include "harrowin/url_server.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return RunUrlServer(GetCommandLineA(), kBuildText);
}
