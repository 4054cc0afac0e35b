#include "ie/url_server_link.h"

#include <aclapi.h>
#include <algorithm>
#include <sddl.h>

#include "core/command_line.h"
#include "core/folders.h"
#include "core/message_box.h"
#include "core/os_flags.h"
#include "core/run_mode.h"
#include "files/secure_erase.h"
#include "ie/cache_rules.h"
#include "ie/ie_hooks.h"
#include "ie/url_server_protocol.h"
#include "platform/files.h"
#include "platform/window.h"

using namespace url_record;
namespace us = url_server;

namespace {
constexpr DWORD kPingTimeoutMs = 500;
constexpr DWORD kCommandTimeoutMs = 5000;
constexpr int kPingTries = 10;
// The ping's answer is immediate when the server is there at all.
constexpr DWORD kPingReplyMs = 2000;

std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string s = n && text ? std::string(text, n) : "Error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

std::string ExecutionErrorCaption() { return DisplayName() + " -  Execution Error"; }

std::string FirstWord(const std::string& s) { return s.substr(0, s.find(' ')); }
}  // namespace

UrlServerLink& UrlLink() {
  static UrlServerLink link;
  return link;
}

UrlServerLink::~UrlServerLink() {
  if (view_) UnmapViewOfFile(view_);
  if (mapping_) CloseHandle(mapping_);
}

std::string UrlServerLink::PipeName() const { return us::kPipeName + suffix_; }
std::string UrlServerLink::MapName() const { return us::kMapName + suffix_; }

bool UrlServerLink::CreateSharedMap(std::string& error) {
  const std::string name = MapName();
  SetLastError(0);
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      static_cast<DWORD>(kSize), name.c_str());
  DWORD code = GetLastError();
  if (!mapping || code != 0) {  // an existing mapping of that name is a failure too
    error = SystemMessage(code);
    if (mapping) CloseHandle(mapping);
    return false;
  }
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kSize);
  if (!view) {
    error = SystemMessage(GetLastError());
    CloseHandle(mapping);
    return false;
  }
  // A low mandatory label lets the low-integrity server open the mapping. Best effort: Wine
  // parses labels but ignores them, and an old Windows has none.
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (ConvertStringSecurityDescriptorToSecurityDescriptorA("S:(ML;;NW;;;LW)", SDDL_REVISION_1, &sd,
                                                           nullptr)) {
    PACL sacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    if (GetSecurityDescriptorSacl(sd, &present, &sacl, &defaulted) && present)
      SetNamedSecurityInfoA(const_cast<char*>(name.c_str()), SE_KERNEL_OBJECT,
                            LABEL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, sacl);
    LocalFree(sd);
  }
  mapping_ = mapping;
  view_ = view;
  UrlRecordView rec = Record();
  rec.Clear();
  rec.WriteMarkers();
  return true;
}

std::string UrlServerLink::LaunchLowIntegrity() {
  HANDLE token = nullptr, lowToken = nullptr;
  PSID sid = nullptr;
  std::string failure;
  auto fail = [&failure](const char* step) {
    failure = std::string(step) + SystemMessage(GetLastError());
  };
  if (!OpenProcessToken(GetCurrentProcess(),
                        TOKEN_ASSIGN_PRIMARY | TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ADJUST_DEFAULT,
                        &token)) {
    fail("OpenProcessToken - ");
  } else if (!DuplicateTokenEx(token, 0, nullptr, SecurityImpersonation, TokenPrimary, &lowToken)) {
    fail("DuplicateTokenEx - ");
  } else if (!ConvertStringSidToSidA("S-1-16-4096", &sid)) {
    fail("SetTokenInformation - ");
  } else {
    TOKEN_MANDATORY_LABEL label{};
    label.Label.Attributes = SE_GROUP_INTEGRITY | SE_GROUP_INTEGRITY_ENABLED;
    label.Label.Sid = sid;
    if (!SetTokenInformation(lowToken, TokenIntegrityLevel, &label,
                             sizeof label + GetLengthSid(sid))) {
      fail("SetTokenInformation - ");
    } else {
      std::string line = serverProgram + " Type=Server";
      if (!suffix_.empty()) line += " TS=" + suffix_;
      if (ParamSwitch("MULT")) line += " Mult";
      STARTUPINFOA si{sizeof si};
      PROCESS_INFORMATION pi{};
      // No application name: the system's search finds the server, first in our own folder.
      if (!CreateProcessAsUserA(lowToken, nullptr, line.data(), nullptr, nullptr, FALSE,
                                HIGH_PRIORITY_CLASS, nullptr, nullptr, &si, &pi)) {
        fail("CreateProcessAsUser - ");
      } else {
        WaitForInputIdle(pi.hProcess, 2000);
        serverProcessId_ = pi.dwProcessId;
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
      }
    }
  }
  if (sid) LocalFree(sid);
  if (lowToken) CloseHandle(lowToken);
  if (token) CloseHandle(token);
  return failure;
}

void UrlServerLink::Fatal(const std::string& caption, const std::string& text) {
  ShowMessageBox(text, caption, MessageKind::Error, MessageButtons::Ok);
  endProcess(1);
}

bool UrlServerLink::Ping() {
  UrlRecordView rec = Record();
  for (int i = 0; i < kPingTries; ++i) {
    rec.SetByte(kCommand, us::kPing);  // a Y left by an earlier answer never counts
    CallUrlServer(us::kPing, kPingTimeoutMs);
    if (rec.Byte(kCommand) == us::kPingAnswer) {
      connected_ = true;
      return true;
    }
    Sleep(500);
  }
  return false;
}

void UrlServerLink::StartUrlServer(const std::string& caption, const std::string& build) {
  if (OpenRecord(caption)) LaunchServer(build);
}

void UrlServerLink::StartUrlServerWhenNeeded(const std::string& caption, const std::string& build) {
  if (OpenRecord(caption)) pendingBuild_ = build;
}

void UrlServerLink::SetProtectedMode(bool on) {
  if (on && pendingBuild_) {
    const std::string build = *pendingBuild_;
    pendingBuild_.reset();
    LaunchServer(build);
  }
  protectedMode_ = on;
}

bool UrlServerLink::OpenRecord(const std::string& caption) {
  const std::string name = DisplayName();
  try {
    std::string error;
    if (!CreateSharedMap(error)) {
      Fatal(ExecutionErrorCaption(),
            name + " could not create the \r\nNecessary MappedMemory.\r\n\r\nError - " + error);
      return false;
    }
    UrlRecordView rec = Record();
    rec.SetU32(kProcessId, GetCurrentProcessId());
    rec.SetText(kCaption, caption);
    if (!CurrentOsFlags().vista) return false;  // before Vista there is no protected mode
    if (!FileExists(Folders().programFolder + "\\" + FirstWord(serverProgram) + ".exe")) {
      Fatal(ExecutionErrorCaption(),
            name +
                " could not locate the  URL server\r\nprogram - Harrowin.exe\r\n\r\n"
                "Please reinstall Quorvane");
      return false;
    }
    return true;
  } catch (const UrlServerProcessEnd&) {
    throw;
  } catch (...) {
  }
  return false;
}

void UrlServerLink::LaunchServer(const std::string& build) {
  const std::string name = DisplayName();
  try {
    for (;;) {
      std::string failure = LaunchLowIntegrity();
      if (failure.empty()) break;
      if (ShowMessageBox(name +
                             " could not start Harrowin\r\nThis URL server program is "
                             "required\r\nto access URL data.\r\n\r\nError - " +
                             failure + "\r\n\r\nChoose Retry or Cancel",
                         ExecutionErrorCaption(), MessageKind::Error,
                         MessageButtons::RetryCancel) != MessageAnswer::Retry) {
        endProcess(1);
        return;
      }
    }
    PumpWaitingMessages();
    protectedMode_ = false;
    while (!Ping()) {
      if (ShowMessageBox(name + " could not communicate with Harrowin.exe\r\n\r\nCommunication "
                                "with the URL server program\r\nHarrowin.exe is required to "
                                "access URL data.\r\n\r\nChoose Retry or Cancel",
                         ExecutionErrorCaption(), MessageKind::Error,
                         MessageButtons::RetryCancel) != MessageAnswer::Retry) {
        endProcess(1);
        return;
      }
    }
    // An unterminated build field is shown as far as it goes.
    std::string serverBuild = Record().Text(kBuild).value_or("");
    if (serverBuild != build)
      ShowMessageBox("The Build number for Harrowin is " + serverBuild +
                         "\r\nThe Build number for " + name + " is " + build +
                         "\r\n\r\nThis may cause " + name + " to fail.\r\n\r\nPlease Reinstall " +
                         name + ".",
                     name + " -  Warning", MessageKind::Error, MessageButtons::Ok);
  } catch (const UrlServerProcessEnd&) {
    throw;
  } catch (...) {
  }
}

void UrlServerLink::StopUrlServer() {
  if (!connected_) return;
  Record().SetByte(kCommand, us::kStop);
  // A server that died or hangs must not stop the program from closing: an unattended Shutdown
  // run still has its shutdown to start. The stop's failure is therefore no fatal one.
  CallUrlServer(us::kStop, kCommandTimeoutMs);
  connected_ = false;
}

namespace {
// The server process behind a pipe handle. Resolved at run time: Windows XP has no such call,
// and no server either, so there no pipe is trusted.
bool PipeServerIs(HANDLE pipe, DWORD expected) {
  using ServerPidFn = BOOL(WINAPI*)(HANDLE, PULONG);
  static const auto serverPid = reinterpret_cast<ServerPidFn>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetNamedPipeServerProcessId"));
  ULONG pid = 0;
  return serverPid && expected != 0 && serverPid(pipe, &pid) && pid == expected;
}

// One overlapped read or write, waited for until the deadline. The I/O state lives on the heap:
// an operation that will not even cancel keeps it, rather than writing into a freed frame.
struct PipeIo {
  OVERLAPPED ov{};
  char request = 0;
  char reply[us::kReplySize] = {};
  PipeIo() { ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
  ~PipeIo() {
    if (ov.hEvent) CloseHandle(ov.hEvent);
  }
};

DWORD Remaining(DWORD start, DWORD bound) {
  const DWORD spent = GetTickCount() - start;
  return spent >= bound ? 0 : bound - spent;
}

// Completes an overlapped operation within `waitMs`; false with the error (WAIT_TIMEOUT when
// the time ran out, and then the operation is cancelled).
bool Finish(HANDLE pipe, PipeIo*& io, BOOL started, DWORD waitMs, DWORD& bytes, DWORD& error) {
  if (!started && GetLastError() != ERROR_IO_PENDING) {
    error = GetLastError();
    return false;
  }
  if (WaitForSingleObject(io->ov.hEvent, waitMs) != WAIT_OBJECT_0) {
    CancelIo(pipe);
    if (WaitForSingleObject(io->ov.hEvent, 1000) != WAIT_OBJECT_0) io = nullptr;  // left behind
    error = WAIT_TIMEOUT;
    return false;
  }
  if (GetOverlappedResult(pipe, &io->ov, &bytes, FALSE) || GetLastError() == ERROR_MORE_DATA) {
    error = 0;
    return true;
  }
  error = GetLastError();
  return false;
}
}  // namespace

// Connects (waiting up to `waitMs` for a busy pipe), makes sure the pipe is served by the
// server this link started, then writes the letter and reads the reply, the whole exchange
// bounded: a hung server ends in a failure, never in a window that stays frozen.
bool UrlServerLink::Transact(char letter, DWORD waitMs, DWORD replyMs, std::string& reply) {
  const std::string name = PipeName();
  const DWORD start = GetTickCount();
  HANDLE pipe = INVALID_HANDLE_VALUE;
  for (;;) {
    pipe = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) break;
    const DWORD error = GetLastError();
    const DWORD left = Remaining(start, waitMs);
    if (error != ERROR_PIPE_BUSY || left == 0 || !WaitNamedPipeA(name.c_str(), left)) {
      reply = "*** Error - " + std::to_string(error) + " unknown Service Error";
      return false;
    }
  }
  // Any program of the user may have made a pipe of this name before the server could: such a
  // squatter never receives a request.
  if (!PipeServerIs(pipe, serverProcessId_)) {
    CloseHandle(pipe);
    reply = "*** Error - " + std::to_string(ERROR_ACCESS_DENIED) + " unknown Service Error";
    return false;
  }
  DWORD mode = PIPE_READMODE_MESSAGE;
  SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
  PipeIo* io = new PipeIo;
  io->request = letter;
  DWORD bytes = 0, error = 0;
  const DWORD replyStart = GetTickCount();
  bool ok = io->ov.hEvent != nullptr;
  if (ok)
    ok = Finish(pipe, io, WriteFile(pipe, &io->request, 1, nullptr, &io->ov),
                Remaining(replyStart, replyMs), bytes, error);
  if (ok) {
    ResetEvent(io->ov.hEvent);
    ok = Finish(pipe, io, ReadFile(pipe, io->reply, sizeof io->reply, nullptr, &io->ov),
                Remaining(replyStart, replyMs), bytes, error);
  }
  reply = ok ? std::string(io->reply, bytes)
             : "*** Error - " + std::to_string(error) + " unknown Service Error";
  CloseHandle(pipe);
  delete io;  // nullptr when an operation would not end: its state stays behind
  return ok;
}

bool UrlServerLink::CallUrlServer(char letter, DWORD timeoutMs) {
  Record().SetByte(kCommand, static_cast<uint8_t>(letter));
  bool ok = false;
  try {
    // The ping and the stop are answered at once by a live server; the stop must not hold
    // up the program's close for long.
    const DWORD replyMs = letter == us::kPing   ? kPingReplyMs
                          : letter == us::kStop ? std::min(replyTimeoutMs, kCommandTimeoutMs)
                                                : replyTimeoutMs;
    ok = Transact(letter, timeoutMs, replyMs, lastReply_);
  } catch (...) {
    lastReply_ = "*** Error - Service Program Error";
  }
  if (ok || letter == us::kPing || letter == us::kStop) return ok;
  const std::string name = DisplayName();
  ShowMessageBox(name +
                     " is not able to communicate with Harrowin.exe\r\n\r\nThis URL server "
                     "program is required\r\nto access URL data.\r\n\r\n" +
                     name + " will now close.\r\n\r\nPlease notify the vendor. ",
                 ExecutionErrorCaption(), MessageKind::Error, MessageButtons::Ok);
  connected_ = false;
  endProcess(1);
  return false;
}

bool UrlServerLink::RecordMissing() {
  if (view_) return false;
  ShowMessageBox("Memory Map not Allocated", DisplayName(), MessageKind::Information,
                 MessageButtons::Ok);
  return true;
}

bool UrlServerLink::EnumStep(char letter, const std::function<EnumOutcome()>& local) {
  UrlRecordView rec = Record();
  if (protectedMode_) {
    CallUrlServer(letter, kCommandTimeoutMs);
  } else {
    WriteEnumOutcome(rec, local());
  }
  auto outcome = ReadEnumOutcome(rec);
  return outcome && rec.MarkersIntact() && outcome->found;
}

bool UrlServerLink::First(const std::string& prefix) {
  if (RecordMissing()) return false;
  UrlRecordView rec = Record();
  rec.SetText(kPrefix, prefix);
  if (!protectedMode_) {
    rec.SetText(kUrl, "");
    rec.SetText(kLocalFile, "");
  }
  return EnumStep(us::kFirst, [this, &prefix] { return local_.First(prefix); });
}

bool UrlServerLink::Next() {
  if (RecordMissing()) return false;
  return EnumStep(us::kNext, [this] { return local_.Next(); });
}

void UrlServerLink::Close() {
  if (!view_) return;
  if (protectedMode_)
    CallUrlServer(us::kClose, kCommandTimeoutMs);
  else
    WriteCloseOutcome(Record(), local_.Close());
}

DeleteEntryResult UrlServerLink::DeleteEntry(ReportContext& ctx, const std::string& url,
                                             const std::string& localFile) {
  DeleteEntryResult result;
  UrlRecordView rec = Record();
  rec.SetU32(kError, 0);
  rec.SetText(kUrl, url);
  // "KeepFiles" keeps the entry's file, and so the entry that names it.
  if (!localFile.empty() && ctx.State().keepFiles) {
    result.kept = true;
    rec.SetByte(kResult, 0);
    return result;
  }
  // The index names the file; a link put in its place goes itself, never what it points at.
  if (const DeleteOutcome outcome =
          localFile.empty() ? DeleteOutcome{true} : DeleteDataFileOrLink(ctx, localFile);
      !outcome.deleted) {
    const uint32_t code = outcome.error;
    if (!LocalFileGone(code)) {  // an absent file, or folder, lets the index entry go
      result.error = code;
      rec.SetByte(kResult, 0);
      rec.SetU32(kError, code);
      return result;
    }
  }
  if (!protectedMode_) {
    uint32_t indexError = 0;
    result.ok = local_.DeleteEntry(url, indexError);
    result.indexError = indexError;
    WriteDeleteOutcome(rec, result.ok, result.error);
    return result;
  }
  if (!view_) return result;
  CallUrlServer(us::kDelete, kCommandTimeoutMs);
  result.ok = rec.Byte(kResult) != 0;
  result.indexError = rec.U32(kError);
  if (result.indexError != 0) rec.SetText(kMessage, SystemMessage(result.indexError));
  return result;
}

long UrlServerLink::ClearHistoryContainers() {
  if (RecordMissing()) return 0;
  UrlRecordView rec = Record();
  rec.SetU32(kDeletedCount, 0);
  rec.SetByte(kException, 0);
  rec.SetU32(kError, 0);
  rec.SetText(kMessage, "");
  if (protectedMode_)
    CallUrlServer(us::kHistory, kCommandTimeoutMs);
  else
    WriteHistoryOutcome(rec, local_.ClearHistoryContainers());
  return static_cast<long>(rec.U32(kDeletedCount));
}

CacheEntryView UrlServerLink::CurrentEntry() const {
  CacheEntryView v;
  auto o = ReadEnumOutcome(Record());
  if (!o || !o->found) return v;
  v.url = o->entry.url;
  v.localFile = o->entry.localFile;
  v.entryType = o->entry.entryType;
  v.hitRate = o->entry.hitRate;
  v.sizeLow = o->entry.sizeLow;
  v.sizeHigh = o->entry.sizeHigh;
  v.lastAccess = {o->entry.accessLow, o->entry.accessHigh};
  return v;
}

CacheStatus UrlServerLink::Status() const {
  UrlRecordView rec = Record();
  auto o = ReadEnumOutcome(rec);
  if (!rec.Valid()) return {false, true, kInvalidDataCode, "Memory Map not Allocated"};
  if (!o || !rec.MarkersIntact())
    return {false, true, kInvalidDataCode, "The shared URL record is damaged"};
  return {o->noMore, o->failed, o->error, o->message};
}

void StartUrlServerLink(const std::string& nameSuffix, const std::string& mainCaption,
                        const std::string& buildText) {
  UrlLink().SetNameSuffix(nameSuffix);
  UrlLink().StartUrlServerWhenNeeded(mainCaption, buildText);
}

void EndUrlServerLink() { UrlLink().StopUrlServer(); }
