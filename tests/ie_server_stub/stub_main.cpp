// A stand-in for Harrowin that misbehaves on purpose, for the link's failure paths. Its first
// argument says how: "silent" never opens the pipe; "late" starts serving only after the first
// pings have failed; "build=TEXT" serves but announces TEXT ('_' for blanks) as its build;
// "hang" and "squat": see MisbehavingServer.
#include <windows.h>

#include <string>

#include "core/version.h"
#include "harrowin/url_server.h"
#include "ie/url_server_protocol.h"

namespace {
// "hang" (started by the link) answers pings, then takes the first other command and never
// replies. "squat" (started by the test before the link) makes the pipe before the real server
// can, as any program of the user could, and answers every request as the server would.
int MisbehavingServer(const std::string& line, bool squat) {
  namespace us = url_server;
  auto suffix = ServerNameSuffix(line);
  if (!suffix) return 2;
  HANDLE pipe = CreateNamedPipeA(
      (us::kPipeName + *suffix).c_str(),
      PIPE_ACCESS_DUPLEX | (squat ? 0 : FILE_FLAG_FIRST_PIPE_INSTANCE),
      PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, squat ? PIPE_UNLIMITED_INSTANCES : 1,
      64, us::kReplySize, 0, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return 3;
  // The record is opened when a request comes: a squatter starts before it exists.
  auto record = [&suffix]() -> UrlRecordView {
    HANDLE m = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, (us::kMapName + *suffix).c_str());
    void* v = m ? MapViewOfFile(m, FILE_MAP_ALL_ACCESS, 0, 0, url_record::kSize) : nullptr;
    return UrlRecordView(v, v ? url_record::kSize : 0);
  };
  if (!squat) record().SetText(url_record::kBuild, kBuildText);
  MSG msg;  // idle, as the program's start-up waits for
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
  for (;;) {
    char request = 0;
    DWORD got = 0;
    if ((ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) &&
        ReadFile(pipe, &request, 1, &got, nullptr) && got == 1) {
      if (request != us::kPing && !squat) {
        Sleep(20000);  // the test ends it sooner
        return 0;
      }
      UrlRecordView rec = record();
      if (rec.Valid()) {
        if (request == us::kPing) rec.SetByte(url_record::kCommand, us::kPingAnswer);
        rec.SetText(url_record::kBuild, kBuildText);
      }
      char reply[us::kReplySize] = {};
      DWORD put = 0;
      WriteFile(pipe, reply, sizeof reply, &put, nullptr);
      FlushFileBuffers(pipe);
    }
    DisconnectNamedPipe(pipe);
  }
}
}  // namespace

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
  if (mode == "hang" || mode == "squat") return MisbehavingServer(line, mode == "squat");
  if (mode.rfind("build=", 0) == 0) {
    std::string build = mode.substr(6);
    for (char& c : build)
      if (c == '_') c = ' ';
    return RunUrlServer(line, build);
  }
  return 2;
}
