#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/report_context.h"
#include "ie/shared_url_record.h"
#include "ie/url_cache.h"

// The link to the protected-mode URL server "Harrowin.exe": the shared record, the server's
// start at low integrity, its pipe, and the cache operations that run either in this process
// (normal mode) or in the server (protected mode). Every operation leaves its outcome in the
// shared record, so callers read results from one place whichever side did the work.

// Thrown by a test's replacement for the process end; the real one never returns.
struct UrlServerProcessEnd {
  unsigned code;
};

struct CacheEntryView {
  std::string url, localFile;
  uint32_t entryType = 0, hitRate = 0, sizeLow = 0, sizeHigh = 0;
  FILETIME lastAccess{};
};

struct CacheStatus {
  bool done = false;   // the enumeration reached its end
  bool error = false;  // the last operation failed; code and text say why
  uint32_t code = 0;
  std::string text;
};

struct DeleteEntryResult {
  bool ok = false;          // the index entry was deleted
  uint32_t error = 0;       // error of the local file deletion (0: deleted or absent)
  uint32_t indexError = 0;  // error of the index deletion, as the record carries it
  bool kept = false;        // "KeepFiles": the local file and its entry were left alone
};

class UrlServerLink {
 public:
  UrlServerLink() = default;
  ~UrlServerLink();
  UrlServerLink(const UrlServerLink&) = delete;
  UrlServerLink& operator=(const UrlServerLink&) = delete;

  void SetNameSuffix(std::string suffix) { suffix_ = std::move(suffix); }
  std::string PipeName() const;
  std::string MapName() const;

  // Start-up: the record, and on Vista and later the server, its ping and its build check.
  // Fatal failures show their box and end the process with exit code 1.
  void StartUrlServer(const std::string& caption, const std::string& build);
  // The program's start-up: the record now, the server (its start, ping and build check) the
  // first time protected mode is wanted, which most runs never do. Fatal failures as above,
  // when they happen.
  void StartUrlServerWhenNeeded(const std::string& caption, const std::string& build);
  // Sends S when the server is connected; a failure is never fatal.
  void StopUrlServer();
  // One pipe transaction with the letter (also written at offset 0 of the record), bounded in
  // time, and only with the server this link started; false on failure. A failure of any
  // command but the ping and the stop is fatal.
  bool CallUrlServer(char letter, DWORD timeoutMs);

  bool CreateSharedMap(std::string& error);
  // Empty on success, else the failing step's text and the system's message.
  std::string LaunchLowIntegrity();

  // Normal mode (false, the default) works in this process; protected mode through the server.
  void SetProtectedMode(bool on);
  bool ProtectedMode() const { return protectedMode_; }
  bool Connected() const { return connected_; }
  DWORD ServerProcessId() const { return serverProcessId_; }

  // The cache enumeration of one container, by its search prefix.
  bool First(const std::string& prefix);
  bool Next();
  void Close();
  // Deletes the entry's local file here (secure erase as the run asks), then its index entry.
  DeleteEntryResult DeleteEntry(ReportContext& ctx, const std::string& url,
                                const std::string& localFile);
  // Deletes the entries of the dated history containers; the number deleted.
  long ClearHistoryContainers();

  CacheEntryView CurrentEntry() const;
  CacheStatus Status() const;
  UrlRecordView Record() const { return UrlRecordView(view_, view_ ? url_record::kSize : 0); }

  // Seams for tests: the server's program name (found by the system's search, which starts in
  // the program's own folder) and the end of the process on fatal failures.
  std::string serverProgram = "Harrowin";
  std::function<void(unsigned)> endProcess = [](unsigned code) { ExitProcess(code); };
  // How long a command's exchange may take once the pipe is open: clearing a large history is
  // the server's longest task.
  DWORD replyTimeoutMs = 30000;

 private:
  bool RecordMissing();
  bool EnumStep(char letter, const std::function<EnumOutcome()>& local);
  void Fatal(const std::string& caption, const std::string& text);
  bool Ping();
  // The two halves of StartUrlServer: true when a server is to be started.
  bool OpenRecord(const std::string& caption);
  void LaunchServer(const std::string& build);
  bool Transact(char letter, DWORD waitMs, DWORD replyMs, std::string& reply);

  std::string suffix_;
  HANDLE mapping_ = nullptr;
  void* view_ = nullptr;
  bool connected_ = false;
  bool protectedMode_ = false;
  DWORD serverProcessId_ = 0;
  std::optional<std::string> pendingBuild_;  // a server to start when first needed
  std::string lastReply_;
  WinInetCache local_;
};

// The process's one link, created empty and started by start-up.
UrlServerLink& UrlLink();
