// What the installer test cannot see from the shell, asked of Windows itself:
//   installer_probe link FILE.lnk
//       prints the shortcut's target, arguments, working folder and icon, one "name=value" a line
//   installer_probe folders
//       prints the folders the setup and the program write to, one "name=path" a line
//   installer_probe run-close EXE [ARGS...]
//       starts EXE, waits for its main window, closes it as the user would, waits for the
//       process to end and prints its exit code; fails when the window never shows or the
//       process does not end
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {
int PrintLink(const char* file) {
  if (FAILED(CoInitialize(nullptr))) return 1;
  IShellLinkA* link = nullptr;
  IPersistFile* persist = nullptr;
  int rc = 1;
  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, file, -1, wide, MAX_PATH);
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
      SUCCEEDED(persist->Load(wide, STGM_READ))) {
    char text[MAX_PATH * 2] = "";
    int icon = 0;
    link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
    std::printf("target=%s\n", text);
    text[0] = 0;
    link->GetArguments(text, sizeof text);
    std::printf("arguments=%s\n", text);
    text[0] = 0;
    link->GetWorkingDirectory(text, sizeof text);
    std::printf("workdir=%s\n", text);
    text[0] = 0;
    link->GetIconLocation(text, sizeof text, &icon);
    std::printf("icon=%s,%d\n", text, icon);
    rc = 0;
  } else {
    std::fprintf(stderr, "installer_probe: cannot read the shortcut %s\n", file);
  }
  if (persist) persist->Release();
  if (link) link->Release();
  CoUninitialize();
  return rc;
}

int PrintFolders() {
  const struct {
    const char* name;
    int csidl;
  } folders[] = {
      {"programfiles", CSIDL_PROGRAM_FILES},     {"appdata", CSIDL_APPDATA},
      {"desktop", CSIDL_DESKTOPDIRECTORY},       {"commondesktop", CSIDL_COMMON_DESKTOPDIRECTORY},
      {"commonprograms", CSIDL_COMMON_PROGRAMS}, {"programs", CSIDL_PROGRAMS}};
  for (const auto& f : folders) {
    char path[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, f.csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return 1;
    std::printf("%s=%s\n", f.name, path);
  }
  return 0;
}

struct WindowSearch {
  DWORD process;
  HWND found = nullptr;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<WindowSearch*>(param);
  char cls[64] = "";
  GetClassNameA(window, cls, sizeof cls);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != s->process || strcmp(cls, "TFFoxForm") != 0 || !IsWindowVisible(window)) return TRUE;
  s->found = window;
  return FALSE;
}

int RunAndClose(int argc, char** argv) {
  std::string commandLine = std::string("\"") + argv[2] + "\"";
  for (int i = 3; i < argc; ++i) commandLine += std::string(" ") + argv[i];
  STARTUPINFOA si{sizeof si};
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi)) {
    std::fprintf(stderr, "installer_probe: cannot start %s (error %lu)\n", commandLine.c_str(),
                 GetLastError());
    return 1;
  }
  WindowSearch s{pi.dwProcessId};
  for (int i = 0; i < 600 && !s.found; ++i) {
    if (WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0) break;
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&s));
  }
  if (!s.found) {
    std::fprintf(stderr, "installer_probe: no main window of %s appeared\n", argv[2]);
    TerminateProcess(pi.hProcess, 99);
    return 1;
  }
  char title[256] = "";
  GetWindowTextA(s.found, title, sizeof title);
  std::printf("window=%s\n", title);
  PostMessageA(s.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "installer_probe: %s did not end after its window was closed\n", argv[2]);
    TerminateProcess(pi.hProcess, 99);
    return 1;
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  std::printf("exit=%lu\n", code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && !strcmp(argv[1], "link")) return PrintLink(argv[2]);
  if (argc == 2 && !strcmp(argv[1], "folders")) return PrintFolders();
  if (argc >= 3 && !strcmp(argv[1], "run-close")) return RunAndClose(argc, argv);
  std::fprintf(stderr,
               "usage: installer_probe folders | link FILE.lnk | run-close EXE [ARGS...]\n");
  return 2;
}
