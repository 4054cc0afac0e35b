// The URL server link: the shared record, the cache operations in this process and through a
// real Harrowin.exe over its pipe, and the link's failure paths with misbehaving servers.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>

#include "core/folders.h"
#include "core/os_flags.h"
#include "core/text_util.h"
#include "core/version.h"
#include "ie/url_server_link.h"
#include "ie/url_server_protocol.h"
#include "platform/files.h"
#include "support/child_process.h"
#include "support/test_support.h"
#include "support/url_cache_fill.h"

namespace {
std::string UniqueSuffix() {
  static std::atomic<int> n{0};
  return "_t" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++n);
}

// Every entry of one container, through the link, with the local files.
struct Listed {
  std::vector<std::string> urls, files;
  CacheStatus end;
};
Listed ListAll(UrlServerLink& link, const std::string& prefix) {
  Listed l;
  for (bool more = link.First(prefix); more; more = link.Next()) {
    CacheEntryView e = link.CurrentEntry();
    l.urls.push_back(e.url);
    l.files.push_back(e.localFile);
  }
  l.end = link.Status();
  link.Close();
  return l;
}

bool Has(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

// A link that ends "the process" by throwing, so that a test sees the exit code.
struct TestLink : UrlServerLink {
  TestLink() {
    SetNameSuffix(UniqueSuffix());
    endProcess = [](unsigned code) { throw UrlServerProcessEnd{code}; };
  }
  ~TestLink() {
    if (DWORD pid = ServerProcessId()) {
      const bool connected = Connected();  // a server that never answered is ended at once
      StopUrlServer();
      if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        if (WaitForSingleObject(p, connected ? 3000 : 0) == WAIT_TIMEOUT) TerminateProcess(p, 9);
        CloseHandle(p);
      }
    }
  }
};

unsigned EndCode(const std::function<void()>& f) {
  try {
    f();
  } catch (const UrlServerProcessEnd& e) {
    return e.code;
  }
  return 0;
}

struct UrlServerLinkTest : testing::Test {
  ScopedDataFolder data;  // the program folder is the tests' own, where Harrowin.exe lies
  ScopedArguments args{{}};
  OsFlags saved = CurrentOsFlags();
  TestRun run;
  UrlServerLinkTest() { SetCurrentOsFlags({true, true, false}); }
  ~UrlServerLinkTest() override { SetCurrentOsFlags(saved); }
};

std::string ExecutionError() { return "Quorvane -  Execution Error"; }
}  // namespace

TEST_F(UrlServerLinkTest, RecordIsCreatedWithMarkersProcessIdAndCaptionAndOnlyOnce) {
  MessageBoxRecorder boxes;
  SetCurrentOsFlags({});  // before Vista: the record only, no server
  TestLink link;
  link.StartUrlServer("Main caption", kBuildText);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_FALSE(link.Connected());
  EXPECT_EQ(link.ServerProcessId(), 0u);
  UrlRecordView rec = link.Record();
  ASSERT_TRUE(rec.Valid());
  EXPECT_TRUE(rec.MarkersIntact());
  EXPECT_EQ(rec.U32(1088), GetCurrentProcessId());
  EXPECT_EQ(rec.Text({1092, 257}), "Main caption");
  link.StopUrlServer();  // not connected: nothing is sent, nothing fails

  // A second mapping of the same name is refused: fatal box and exit code 1.
  UrlServerLink twin;
  twin.SetNameSuffix(link.MapName().substr(std::string(url_server::kMapName).size()));
  twin.endProcess = [](unsigned code) { throw UrlServerProcessEnd{code}; };
  EXPECT_EQ(EndCode([&] { twin.StartUrlServer("x", kBuildText); }), 1u);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, ExecutionError());
  EXPECT_EQ(boxes.boxes[0].text.rfind("Quorvane could not create the \r\nNecessary MappedMemory."
                                      "\r\n\r\nError - ",
                                      0),
            0u);
}

TEST_F(UrlServerLinkTest, NormalModeEnumeratesAndDeletesInThisProcess) {
  MessageBoxRecorder boxes;
  TestLink link;
  std::string error;
  ASSERT_TRUE(link.CreateSharedMap(error)) << error;
  const std::string page = "http://normal.example/page" + UniqueSuffix() + ".htm";
  const std::string file = CachePage(page);
  ASSERT_FALSE(file.empty());
  const std::string visited = VisitUrl("http://normal.example/visited" + UniqueSuffix());
  ASSERT_TRUE(InternetSetCookieA("http://normal.example/", "nc",
                                 "1; expires=Sat, 01-Jan-2039 00:00:00 GMT"));

  Listed cache = ListAll(link, "*.*");
  EXPECT_TRUE(cache.end.done);
  EXPECT_FALSE(cache.end.error);
  ASSERT_TRUE(Has(cache.urls, page));
  EXPECT_FALSE(Has(cache.urls, visited));  // one container per prefix
  EXPECT_EQ(cache.files[std::find(cache.urls.begin(), cache.urls.end(), page) - cache.urls.begin()],
            file);
  EXPECT_TRUE(Has(ListAll(link, "Visited:").urls, visited));
  // Wine's Ex calls are stubs: the plain ones stand in, but only for the containers they are
  // documented to select, never for one whose pattern could reach another container.
  for (const char* prefix : {"UserData", "DOMstore"}) {
    Listed other = ListAll(link, prefix);
    EXPECT_TRUE(other.urls.empty()) << prefix;
    EXPECT_TRUE(other.end.error) << prefix;
    EXPECT_EQ(other.end.code, static_cast<uint32_t>(ERROR_CALL_NOT_IMPLEMENTED)) << prefix;
  }
  Listed cookies = ListAll(link, "Cookie:");
  const std::string cookie = "Cookie:" + CacheUserName() + "@normal.example/";
  EXPECT_TRUE(Has(cookies.urls, cookie));

  // The outcome lies in the record as the server would leave it.
  ASSERT_TRUE(link.First("Visited:"));
  UrlRecordView rec = link.Record();
  EXPECT_EQ(rec.Byte(20), 1);
  EXPECT_EQ(rec.Text({1388, 65}), "Visited:");
  EXPECT_EQ(rec.Text({1461, 8193}), link.CurrentEntry().url);
  link.Close();
  EXPECT_EQ(rec.Text({1461, 8193}), "");

  DeleteEntryResult d = link.DeleteEntry(run.ctx, page, file);
  EXPECT_TRUE(d.ok);
  EXPECT_EQ(d.error, 0u);
  EXPECT_FALSE(FileExists(file));
  EXPECT_FALSE(InCache(page));
  // A local file already gone does not keep the index entry.
  const std::string page2 = "http://normal.example/second" + UniqueSuffix() + ".htm";
  const std::string file2 = CachePage(page2);
  DeleteFileA(file2.c_str());
  EXPECT_TRUE(link.DeleteEntry(run.ctx, page2, file2).ok);
  EXPECT_FALSE(InCache(page2));
  // A local file in use keeps its index entry; the file's error is the answer.
  const std::string page3 = "http://normal.example/locked" + UniqueSuffix() + ".htm";
  const std::string file3 = CachePage(page3);
  HANDLE held = CreateFileA(file3.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  DeleteEntryResult locked = link.DeleteEntry(run.ctx, page3, file3);
  CloseHandle(held);
  EXPECT_FALSE(locked.ok);
  EXPECT_EQ(locked.error, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
  EXPECT_TRUE(InCache(page3));
  EXPECT_TRUE(link.DeleteEntry(run.ctx, page3, file3).ok);
  EXPECT_TRUE(link.DeleteEntry(run.ctx, cookie, "").ok);
  EXPECT_FALSE(Has(ListAll(link, "Cookie:").urls, cookie));
  EXPECT_TRUE(link.DeleteEntry(run.ctx, visited, "").ok);
  EXPECT_FALSE(link.DeleteEntry(run.ctx, visited, "").ok);  // already gone
  EXPECT_EQ(link.ClearHistoryContainers(), 0);  // Wine lists no dated history containers
  EXPECT_FALSE(link.Status().error);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(UrlServerLinkTest, WithoutRecordTheOperationsSayMemoryMapNotAllocated) {
  MessageBoxRecorder boxes;
  TestLink link;
  EXPECT_FALSE(link.First("Cookie:"));
  EXPECT_FALSE(link.Next());
  EXPECT_EQ(link.ClearHistoryContainers(), 0);
  ASSERT_EQ(boxes.boxes.size(), 3u);
  for (const auto& b : boxes.boxes) EXPECT_EQ(b.text, "Memory Map not Allocated");
}

TEST_F(UrlServerLinkTest, HarrowinServesEveryOperationAndEndsOnStop) {
  MessageBoxRecorder boxes;
  const std::string page = "http://protected.example/p" + UniqueSuffix() + ".htm";
  const std::string file = CachePage(page);
  ASSERT_FALSE(file.empty());
  const std::string visited = VisitUrl("http://protected.example/v" + UniqueSuffix());
  ASSERT_TRUE(InternetSetCookieA("http://protected.example/", "pc",
                                 "1; expires=Sat, 01-Jan-2039 00:00:00 GMT"));
  const std::string cookie = "Cookie:" + CacheUserName() + "@protected.example/";

  TestLink link;
  // As the program starts it: the server only once protected mode is wanted.
  link.StartUrlServerWhenNeeded("Quorvane main window", kBuildText);
  EXPECT_EQ(link.ServerProcessId(), 0u);
  link.SetProtectedMode(true);
  ASSERT_TRUE(link.Connected());
  EXPECT_TRUE(link.ProtectedMode());
  EXPECT_TRUE(boxes.boxes.empty());  // same build: no warning
  EXPECT_EQ(link.Record().Text({1349, 33}), kBuildText);
  HANDLE server =
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, link.ServerProcessId());
  ASSERT_NE(server, nullptr);

  Listed cache = ListAll(link, "*.*");
  EXPECT_TRUE(cache.end.done);
  ASSERT_TRUE(Has(cache.urls, page));
  EXPECT_TRUE(Has(cache.files, file));
  EXPECT_TRUE(Has(ListAll(link, "Visited:").urls, visited));
  EXPECT_TRUE(Has(ListAll(link, "Cookie:").urls, cookie));

  // The file goes here, the index entry in the server.
  DeleteEntryResult d = link.DeleteEntry(run.ctx, page, file);
  EXPECT_TRUE(d.ok);
  EXPECT_FALSE(FileExists(file));
  EXPECT_FALSE(InCache(page));
  EXPECT_TRUE(link.DeleteEntry(run.ctx, cookie, "").ok);
  EXPECT_FALSE(Has(ListAll(link, "Cookie:").urls, cookie));
  // The server's own failure comes back with its code and the system's text.
  DeleteEntryResult again = link.DeleteEntry(run.ctx, page, "");
  EXPECT_FALSE(again.ok);
  EXPECT_NE(again.indexError, 0u);
  EXPECT_FALSE(link.Record().Text({36, 1025})->empty());
  EXPECT_EQ(link.ClearHistoryContainers(), 0);

  link.StopUrlServer();
  EXPECT_FALSE(link.Connected());
  EXPECT_EQ(WaitForSingleObject(server, 5000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(server, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(server);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(UrlServerLinkTest, DamagedRecordAndMalformedRequestsAreRefusedByTheServer) {
  MessageBoxRecorder boxes;
  TestLink link;
  link.StartUrlServer("caption", kBuildText);
  ASSERT_TRUE(link.Connected());
  link.SetProtectedMode(true);
  UrlRecordView rec = link.Record();

  rec.SetByte(1453 + 3, '!');  // "URL-Name" damaged
  EXPECT_FALSE(link.First("Visited:"));
  CacheStatus s = link.Status();
  EXPECT_TRUE(s.error);
  EXPECT_EQ(s.code, 13u);
  rec.WriteMarkers();

  // A search prefix without its NUL: the server answers with an error, reads nothing past it.
  for (size_t i = 0; i < 65; ++i) rec.SetByte(1388 + i, 'p');
  EXPECT_TRUE(link.CallUrlServer('F', 5000));
  EXPECT_EQ(rec.Byte(29), 1);
  EXPECT_EQ(rec.U32(32), 13u);
  EXPECT_NE(rec.Text({36, 1025})->find("prefix"), std::string::npos);

  // A pipe message of more than one byte, sent as another program could.
  char request[3] = {'F', 'N', 'C'}, reply[16] = {};
  DWORD read = 0;
  ASSERT_TRUE(CallNamedPipeA(link.PipeName().c_str(), request, sizeof request, reply, sizeof reply,
                             &read, 5000));
  EXPECT_EQ(std::string(reply, 3), "ERR");

  // The server is still serving.
  EXPECT_TRUE(link.First("Visited:") || link.Status().done);
  EXPECT_FALSE(link.Status().error);
  link.Close();
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(UrlServerLinkTest, ServerMissingFromTheProgramFolderIsFatal) {
  MessageBoxRecorder boxes;
  TempFolder emptyFolder;
  MutableFolders().programFolder = emptyFolder.Path();
  TestLink link;
  EXPECT_EQ(EndCode([&] { link.StartUrlServer("caption", kBuildText); }), 1u);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, ExecutionError());
  EXPECT_EQ(boxes.boxes[0].text,
            "Quorvane could not locate the  URL server\r\nprogram - Harrowin.exe\r\n\r\nPlease "
            "reinstall Quorvane");
  EXPECT_EQ(link.ServerProcessId(), 0u);
}

TEST_F(UrlServerLinkTest, AServerThatCannotBeStartedAsksRetryOrCancel) {
  MessageBoxRecorder boxes(MessageAnswer::Cancel);
  // The file is in the program folder, but the system's search (from the tests' own folder)
  // finds no such program.
  TempFolder folder;
  WriteFileText(folder.File("qv_absent_server.exe"), "not a program");
  MutableFolders().programFolder = folder.Path();
  TestLink link;
  link.serverProgram = "qv_absent_server";
  EXPECT_EQ(EndCode([&] { link.StartUrlServer("caption", kBuildText); }), 1u);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].buttons, MessageButtons::RetryCancel);
  const std::string& text = boxes.boxes[0].text;
  EXPECT_EQ(text.rfind("Quorvane could not start Harrowin\r\nThis URL server program is required"
                       "\r\nto access URL data.\r\n\r\nError - CreateProcessAsUser - ",
                       0),
            0u);
  EXPECT_TRUE(EndsWith(text, "\r\n\r\nChoose Retry or Cancel"));
}

TEST_F(UrlServerLinkTest, AServerThatNeverAnswersEndsInRetryOrCancel) {
  MessageBoxRecorder boxes(MessageAnswer::Cancel);
  TestLink link;
  link.serverProgram = "qv_url_server_stub silent";
  EXPECT_EQ(EndCode([&] { link.StartUrlServer("caption", kBuildText); }), 1u);
  EXPECT_FALSE(link.Connected());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].buttons, MessageButtons::RetryCancel);
  EXPECT_EQ(boxes.boxes[0].caption, ExecutionError());
  EXPECT_EQ(boxes.boxes[0].text,
            "Quorvane could not communicate with Harrowin.exe\r\n\r\nCommunication with the URL "
            "server program\r\nHarrowin.exe is required to access URL data.\r\n\r\nChoose Retry "
            "or Cancel");
}

TEST_F(UrlServerLinkTest, ALateServerIsWaitedForWithoutAMessage) {
  MessageBoxRecorder boxes;
  TestLink link;
  link.serverProgram = "qv_url_server_stub late";
  link.StartUrlServer("caption", kBuildText);
  EXPECT_TRUE(link.Connected());
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(UrlServerLinkTest, ABuildMismatchWarnsOnceAndStartUpGoesOn) {
  MessageBoxRecorder boxes;
  TestLink link;
  link.serverProgram = "qv_url_server_stub build=Build_4.9.0.170";
  link.StartUrlServer("caption", kBuildText);
  EXPECT_TRUE(link.Connected());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Quorvane -  Warning");
  EXPECT_EQ(boxes.boxes[0].kind, MessageKind::Error);
  EXPECT_EQ(boxes.boxes[0].text,
            "The Build number for Harrowin is Build 4.9.0.170\r\nThe Build number for Quorvane is "
            "Build 5.1.0.180\r\n\r\nThis may cause Quorvane to fail.\r\n\r\nPlease Reinstall "
            "Quorvane.");
}

TEST_F(UrlServerLinkTest, APipeFailureAfterStartIsFatal) {
  MessageBoxRecorder boxes;
  TestLink link;
  link.StartUrlServer("caption", kBuildText);
  ASSERT_TRUE(link.Connected());
  link.CallUrlServer('S', 5000);  // the server ends behind the link's back
  HANDLE server = OpenProcess(SYNCHRONIZE, FALSE, link.ServerProcessId());
  if (server) {
    WaitForSingleObject(server, 5000);
    CloseHandle(server);
  }
  link.SetProtectedMode(true);
  EXPECT_EQ(EndCode([&] { link.First("Visited:"); }), 1u);
  EXPECT_FALSE(link.Connected());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, ExecutionError());
  EXPECT_EQ(boxes.boxes[0].text,
            "Quorvane is not able to communicate with Harrowin.exe\r\n\r\nThis URL server program "
            "is required\r\nto access URL data.\r\n\r\nQuorvane will now close.\r\n\r\nPlease "
            "notify the vendor. ");
}

TEST_F(UrlServerLinkTest, ASquatterAHungServerAndADeadOneNeverHoldOrEndTheProgram) {
  // A pipe of the server's name made first by another program: it never gets a request, so
  // the pings fail and the Part's Retry or Cancel follows.
  {
    MessageBoxRecorder boxes(MessageAnswer::Cancel);
    TestLink link;
    ChildProcess squatter(
        Folders().programFolder + "\\qv_url_server_stub.exe",
        "squat TS=" + link.PipeName().substr(std::string(url_server::kPipeName).size()));
    ASSERT_TRUE(squatter.Started());
    for (int i = 0; i < 100 && !WaitNamedPipeA(link.PipeName().c_str(), 0); ++i) Sleep(50);
    EXPECT_EQ(EndCode([&] { link.StartUrlServer("caption", kBuildText); }), 1u);
    EXPECT_FALSE(link.Connected());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.rfind("Quorvane could not communicate with Harrowin.exe", 0), 0u);
    EXPECT_TRUE(squatter.Running());
  }
  // A server that takes a command and never answers: the Part's fatal path, in bounded time.
  {
    MessageBoxRecorder boxes;
    TestLink link;
    link.serverProgram = "qv_url_server_stub hang";
    link.replyTimeoutMs = 1000;
    link.StartUrlServer("caption", kBuildText);
    ASSERT_TRUE(link.Connected());
    link.SetProtectedMode(true);
    const DWORD start = GetTickCount();
    EXPECT_EQ(EndCode([&] { link.First("Visited:"); }), 1u);
    EXPECT_LT(GetTickCount() - start, 5000u);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.rfind("Quorvane is not able to communicate with Harrowin.exe", 0),
              0u);
  }
  // A server that died before the program closes: the stop shows nothing and ends nothing.
  {
    MessageBoxRecorder boxes;
    TestLink link;
    link.StartUrlServer("caption", kBuildText);
    ASSERT_TRUE(link.Connected());
    HANDLE server = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, link.ServerProcessId());
    ASSERT_NE(server, nullptr);
    TerminateProcess(server, 9);
    WaitForSingleObject(server, 5000);
    CloseHandle(server);
    EXPECT_EQ(EndCode([&] { link.StopUrlServer(); }), 0u);
    EXPECT_FALSE(link.Connected());
    EXPECT_TRUE(boxes.boxes.empty());
  }
}

namespace {
// The URL servers started by a process, found by their parent process id.
std::vector<DWORD> ServersOf(DWORD parent) {
  std::vector<DWORD> found;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 e{sizeof e};
  for (BOOL ok = Process32First(snap, &e); ok; ok = Process32Next(snap, &e))
    if (e.th32ParentProcessID == parent && lstrcmpiA(e.szExeFile, "Harrowin.exe") == 0)
      found.push_back(e.th32ProcessID);
  CloseHandle(snap);
  return found;
}
}  // namespace

// The server starts when the protected-mode side is first wanted (the link's tests): a session
// that never wants it starts none.
TEST(QuorvaneUrlServerTest, TheProgramStartsNoHarrowinBeforeItIsNeeded) {
  ChildProcess quorvane(QuorvanePath(), "MULT ANYPOS");
  ASSERT_TRUE(quorvane.Started());
  ASSERT_NE(quorvane.WaitForWindow("TFFoxForm", 30000), nullptr);
  EXPECT_TRUE(ServersOf(quorvane.Id()).empty());
  PostMessageA(FindProcessWindow(quorvane.Id(), "TFFoxForm", false), WM_CLOSE, 0, 0);
  EXPECT_TRUE(quorvane.WaitForExit(15000));
  EXPECT_EQ(quorvane.ExitCode(), 0u);
  // The Quick Start window may come and go; no box of the link may.
  for (const SeenBox& b : quorvane.boxes)
    EXPECT_EQ(b.caption.find("Quorvane -  "), std::string::npos) << b.caption << ": " << b.text;
}

TEST(QuorvaneUrlServerTest, WithoutHarrowinBesideItTheProgramEndsWithCodeOne) {
  TempFolder folder;
  const std::string exe = folder.File("Quorvane.exe");
  ASSERT_TRUE(CopyFileA(QuorvanePath().c_str(), exe.c_str(), FALSE));
  ChildProcess quorvane(exe, "MULT ANYPOS");
  ASSERT_TRUE(quorvane.Started());
  EXPECT_TRUE(quorvane.WaitForExit(30000));
  EXPECT_EQ(quorvane.ExitCode(), 1u);
  ASSERT_EQ(quorvane.boxes.size(), 1u);
  EXPECT_EQ(quorvane.boxes[0].caption, "Quorvane -  Execution Error");
}
