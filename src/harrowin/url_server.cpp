#include "harrowin/url_server.h"

#include <windows.h>

#include "ie/shared_url_record.h"
#include "ie/url_cache.h"
#include "ie/url_server_protocol.h"

namespace us = url_server;

namespace {
class Handle {
 public:
  explicit Handle(HANDLE h = nullptr) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~Handle() {
    if (h_) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HANDLE h_;
};

// Wine ignores FILE_FLAG_FIRST_PIPE_INSTANCE and makes a second instance beside another
// program's pipe of the same name; there a name that already answers is refused before our
// pipe is made. On Windows the flag alone refuses it.
bool PipeNameTakenUnderWine(const std::string& name) {
  if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) return false;
  return WaitNamedPipeA(name.c_str(), 1) || GetLastError() != ERROR_FILE_NOT_FOUND;
}

enum class Wait { Done, ProgramEnded, Failed };

// Waits for an overlapped pipe operation, or for the program to end (when we could open it:
// a low-integrity process may not be allowed to).
Wait Complete(HANDLE pipe, OVERLAPPED& ov, BOOL started, HANDLE program, DWORD& bytes,
              DWORD& error) {
  error = started ? 0 : GetLastError();
  if (!started && error != ERROR_IO_PENDING) return Wait::Failed;
  HANDLE waits[2] = {ov.hEvent, program};
  DWORD r = WaitForMultipleObjects(program ? 2 : 1, waits, FALSE, INFINITE);
  if (r != WAIT_OBJECT_0) {
    CancelIo(pipe);
    return Wait::ProgramEnded;
  }
  BOOL ok = GetOverlappedResult(pipe, &ov, &bytes, FALSE);
  error = ok ? 0 : GetLastError();
  return Wait::Done;
}
}  // namespace

int RunUrlServer(const std::string& commandLine, const std::string& buildText) {
  auto suffix = ServerNameSuffix(commandLine);
  if (!suffix) return 2;
  Handle mapping(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, (us::kMapName + *suffix).c_str()));
  if (!mapping) return 3;
  // Mapping exactly the record's size fails when the section is smaller: no access beyond it.
  void* view = MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, url_record::kSize);
  if (!view) return 3;
  UrlRecordView rec(view, url_record::kSize);
  rec.SetText(url_record::kBuild, buildText);

  Handle program(OpenProcess(SYNCHRONIZE, FALSE, rec.U32(url_record::kProcessId)));
  const std::string pipeName = us::kPipeName + *suffix;
  if (PipeNameTakenUnderWine(pipeName)) {
    UnmapViewOfFile(view);
    return 3;
  }
  Handle pipe(CreateNamedPipeA(
      pipeName.c_str(),
      // A pipe of that name made before us is another program's: we refuse to serve beside it.
      PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 64, us::kReplySize, 0, nullptr));
  Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!pipe || !event) {
    UnmapViewOfFile(view);
    return 3;
  }
  // Marks this process idle, which is what the program's start-up waits for (up to 2 s).
  // Under Wine only a wait on the message queue sets the idle event, not PeekMessage alone.
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);

  WinInetCache cache;
  bool stop = false;
  while (!stop) {
    OVERLAPPED ov{};
    ov.hEvent = event.get();
    ResetEvent(event.get());
    DWORD bytes = 0, error = 0;
    BOOL connected = ConnectNamedPipe(pipe.get(), &ov);
    if (!connected && GetLastError() == ERROR_PIPE_CONNECTED) {
      connected = TRUE;
    } else {
      Wait w = Complete(pipe.get(), ov, connected, program.get(), bytes, error);
      if (w == Wait::ProgramEnded) break;
      if (w == Wait::Failed || error != 0) {
        DisconnectNamedPipe(pipe.get());
        continue;
      }
    }
    // One byte is a request; anything longer is read only so far as to refuse it.
    char request[8] = {};
    ov = OVERLAPPED{};
    ov.hEvent = event.get();
    ResetEvent(event.get());
    BOOL read = ReadFile(pipe.get(), request, sizeof request, nullptr, &ov);
    Wait w = Complete(pipe.get(), ov, read, program.get(), bytes, error);
    if (w == Wait::ProgramEnded) break;
    if (w == Wait::Done && (error == 0 || error == ERROR_MORE_DATA)) {
      size_t length = error == ERROR_MORE_DATA ? sizeof request + 1 : bytes;
      ServeResult result = ServeRequest(rec, request, length, cache);
      stop = result.stop;
      ov = OVERLAPPED{};
      ov.hEvent = event.get();
      ResetEvent(event.get());
      BOOL wrote = WriteFile(pipe.get(), result.reply.data(), us::kReplySize, nullptr, &ov);
      if (Complete(pipe.get(), ov, wrote, program.get(), bytes, error) == Wait::ProgramEnded) break;
      FlushFileBuffers(pipe.get());
    }
    DisconnectNamedPipe(pipe.get());
  }
  cache.Close();
  UnmapViewOfFile(view);
  return 0;
}
