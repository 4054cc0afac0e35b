// Shutdown and power actions up to the calls that would end the session, and a Shutdown run of
// the real program acting when its window closes.
#include <windows.h>
#include <gtest/gtest.h>

#include "run/purge_run.h"
#include "core/run_mode.h"
#include "core/text_util.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "platform/window.h"
#include "resource.h"
#include "support/child_process.h"
#include "support/test_support.h"
#include "system/shutdown_action.h"
#include "system/user_admin.h"

namespace {
// What reached the seam, and what the fake power library answers.
struct Seam {
  std::vector<std::string> calls;
  bool probeOk = true, suspendAllowed = true, hibernateAllowed = true, suspendOk = true;
  BOOL exitResult = TRUE;
  DWORD exitError = 0;
};
Seam* g_seam = nullptr;

BOOL WINAPI FakeExit(UINT flags, DWORD reason) {
  g_seam->calls.push_back("ExitWindowsEx " + std::to_string(flags) + " " + std::to_string(reason));
  SetLastError(g_seam->exitError);
  return g_seam->exitResult;
}
BOOLEAN WINAPI FakeProbe(PUINT) { return g_seam->probeOk; }
BOOLEAN WINAPI FakeSuspendAllowed() { return g_seam->suspendAllowed; }
BOOLEAN WINAPI FakeHibernateAllowed() { return g_seam->hibernateAllowed; }
BOOLEAN WINAPI FakeSuspend(BOOLEAN hibernate, BOOLEAN force, BOOLEAN noWake) {
  g_seam->calls.push_back(std::string("SetSuspendState ") + (hibernate ? "1" : "0") +
                          (force ? " 1" : " 0") + (noWake ? " 1" : " 0"));
  return g_seam->suspendOk;
}

struct ShutdownActionTest : testing::Test {
  Seam seam;
  PowerCalls calls{FakeExit, FakeProbe, FakeSuspendAllowed, FakeHibernateAllowed, FakeSuspend};
  MessageBoxRecorder boxes;
  void SetUp() override {
    g_seam = &seam;
    SetPowerCalls(&calls);
  }
  void TearDown() override {
    SetPowerCalls(nullptr);
    g_seam = nullptr;
  }
};

std::string PowerRefusal(const std::string& option) {
  return "The shutdown function did not complete.\r\n\r\nThe \"" + option +
         "\" Power Option was not allowed\r\n\r\nby the Operating System.\r\n\r\nPress \"OK\" to "
         "exit.";
}
}  // namespace

TEST_F(ShutdownActionTest, EachShutTypeEndsTheSessionItsOwnWay) {
  const struct {
    int type;
    const char* call;
  } cases[] = {// EWX_FORCEIFHUNG (16) with each way of ending the session
               {0, "ExitWindowsEx 16 0"},    {1, "ExitWindowsEx 18 0"},
               {2, "ExitWindowsEx 17 0"},    {3, "ExitWindowsEx 24 0"},
               {4, "SetSuspendState 0 0 0"}, {5, "SetSuspendState 1 0 0"},
               {9, "ExitWindowsEx 16 0"},    {-1, "ExitWindowsEx 16 0"}};
  for (const auto& c : cases) {
    seam.calls.clear();
    EXPECT_TRUE(RunShutdownAction(c.type)) << c.type;
    EXPECT_EQ(seam.calls, std::vector<std::string>{c.call}) << c.type;
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ShutdownActionTest, APowerOptionTheSystemRefusesShowsItsBoxAndDoesNotSuspend) {
  seam.suspendAllowed = false;
  EXPECT_FALSE(RunShutdownAction(kStandBy));
  seam.suspendAllowed = true;
  seam.probeOk = false;  // a failing probe counts as "not allowed"
  EXPECT_FALSE(RunShutdownAction(kStandBy));
  seam.probeOk = true;
  seam.hibernateAllowed = false;
  EXPECT_FALSE(RunShutdownAction(kHibernate));
  EXPECT_TRUE(seam.calls.empty());
  seam.hibernateAllowed = true;
  seam.suspendOk = false;  // allowed, but the call itself fails
  EXPECT_FALSE(RunShutdownAction(kHibernate));
  calls.isPwrSuspendAllowed = nullptr;  // a power library without the entry point
  EXPECT_FALSE(RunShutdownAction(kStandBy));
  ASSERT_EQ(boxes.boxes.size(), 5u);
  for (int i : {0, 1, 4}) EXPECT_EQ(boxes.boxes[i].text, PowerRefusal("StandBy")) << i;
  for (int i : {2, 3}) EXPECT_EQ(boxes.boxes[i].text, PowerRefusal("Hibernate")) << i;
  for (const auto& b : boxes.boxes) {
    EXPECT_EQ(b.caption, "Quorvane  -  Message");
    EXPECT_EQ(b.kind, MessageKind::Error);
  }
  EXPECT_EQ(seam.calls, std::vector<std::string>{"SetSuspendState 1 0 0"});
}

TEST_F(ShutdownActionTest, AFailedExitWindowsShowsItsErrorCodeUnlessThereIsNone) {
  seam.exitResult = FALSE;
  seam.exitError = ERROR_PRIVILEGE_NOT_HELD;
  EXPECT_FALSE(RunShutdownAction(kShutdown));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text,
            "The shutdown function encountered a \r\n\r\nSystem Error attempting to shutdown "
            "Windows.\r\n\r\nThe Error Code is Error-1314\r\n\r\nPress \"OK\" to exit.");
  EXPECT_EQ(boxes.boxes[0].caption, "Quorvane  -  Message");
  seam.exitError = 0;
  RunShutdownAction(kReboot);
  EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(ShutdownActionTest, TheActionIsTheOneNotedAtStartUp) {
  NoteShutdownAction(kPoweroff);
  EXPECT_TRUE(StartShutdownAction());
  NoteShutdownAction(kLogoff);
  EXPECT_EQ(seam.calls, std::vector<std::string>{"ExitWindowsEx 24 0"});
}

TEST(ShutdownPrivilegeTest, EnablingLeavesTheShutdownPrivilegeEnabledInTheProcessToken) {
  ASSERT_TRUE(EnableShutdownPrivilege());
  HANDLE token;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  LUID shutdown;
  ASSERT_TRUE(LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &shutdown));
  std::vector<BYTE> buf(4096);
  DWORD n = 0;
  ASSERT_TRUE(GetTokenInformation(token, TokenPrivileges, buf.data(), buf.size(), &n));
  CloseHandle(token);
  const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buf.data());
  bool enabled = false;
  for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
    const auto& p = privileges->Privileges[i];
    if (p.Luid.LowPart == shutdown.LowPart && p.Luid.HighPart == shutdown.HighPart)
      enabled = p.Attributes & SE_PRIVILEGE_ENABLED;
  }
  EXPECT_TRUE(enabled);
}

TEST(UserAdminTest, TheAdministratorIsAdminAndADenyOnlyTokenIsNot) {
  // The prefix's user is an administrator, as Windows' first user is.
  EXPECT_TRUE(IsUserAdmin());
  HANDLE process;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &process));
  EXPECT_TRUE(TokenHasAdministrators(process, true));
  // A standard user under Vista holds the group only for deny: a restricted token does the same.
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                                       0, 0, 0, 0, 0, 0, &admins));
  SID_AND_ATTRIBUTES disable{admins, 0};
  HANDLE restricted = nullptr;
  const bool made =
      CreateRestrictedToken(process, 0, 1, &disable, 0, nullptr, 0, nullptr, &restricted);
  CloseHandle(process);
  FreeSid(admins);
  if (!made) GTEST_SKIP() << "no restricted tokens here";
  // Wine 8 accepts the groups to disable but leaves them as they were.
  std::vector<BYTE> buf(4096);
  DWORD n = 0;
  ASSERT_TRUE(GetTokenInformation(restricted, TokenGroups, buf.data(), buf.size(), &n));
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buf.data());
  bool denyOnly = false;
  for (DWORD i = 0; i < groups->GroupCount; ++i)
    if (groups->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) denyOnly = true;
  if (!denyOnly) {
    CloseHandle(restricted);
    GTEST_SKIP() << "restricted tokens here keep their groups usable";
  }
  EXPECT_TRUE(TokenHasAdministrators(restricted, false));
  EXPECT_FALSE(TokenHasAdministrators(restricted, true));
  HANDLE impersonation = nullptr;
  ASSERT_TRUE(DuplicateToken(restricted, SecurityImpersonation, &impersonation));
  ASSERT_TRUE(SetThreadToken(nullptr, impersonation));
  const bool admin = IsUserAdmin();
  RevertToSelf();
  CloseHandle(impersonation);
  CloseHandle(restricted);
  EXPECT_FALSE(admin);
}

namespace {
// The test programs make every program they start record its shutdown actions in this file.
std::string RecordFile() {
  char path[MAX_PATH] = {};
  GetEnvironmentVariableA(kShutdownRecordVariable, path, sizeof path);
  return path;
}

struct FindById {
  int id;
  HWND found = nullptr;
};
BOOL CALLBACK MatchId(HWND w, LPARAM p) {
  auto* f = reinterpret_cast<FindById*>(p);
  if (GetDlgCtrlID(w) != f->id) return TRUE;
  f->found = w;
  return FALSE;
}
HWND FindChildById(HWND parent, int id) {
  FindById f{id};
  EnumChildWindows(parent, MatchId, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

struct ShutdownRunTest : testing::Test {
  std::string name =
      "QVSHUT" + UpperCase(testing::UnitTest::GetInstance()->current_test_info()->name());
  std::string data = GetSpecialFolder(kCsidlAppData).text + "\\" + name;
  void SetUp() override {
    ASSERT_FALSE(RecordFile().empty());
    DeleteFileA(RecordFile().c_str());
    RemoveTree(data);
    ForceDirectories(data);
  }
  void TearDown() override {
    DeleteFileA(RecordFile().c_str());
    RemoveTree(data);
  }
  void WriteSettings(const std::string& shutOptions) {
    WriteFileText(data + "\\Quorvane.ini",
                  "[ShowOption]\r\nQuickStartOpt=N\r\n[ShutOptions]\r\nSplashOpt=1\r\n" +
                      shutOptions + "ClipBoardOption=1\r\n");
  }
};
}  // namespace

TEST_F(ShutdownRunTest, WithTheWindowDisabledTheActionFollowsThePurgeAtOnce) {
  WriteSettings("MainWinOpt=3\r\nShutType=1\r\n");
  ChildProcess q(QuorvanePath(), "data=" + name + " SHUT");
  ASSERT_TRUE(q.WaitForExit(30000));
  EXPECT_EQ(ReadFileText(RecordFile()), "ExitWindowsEx 18 0\r\n");
}

TEST_F(ShutdownRunTest, WithTheWindowShownTheActionReadAtStartWaitsForItsClose) {
  WriteSettings("MainWinOpt=0\r\nShutType=5\r\n");
  ChildProcess q(QuorvanePath(), "data=" + name + " SHUT");
  HWND main = q.WaitForWindow("TFFoxForm", 30000);
  ASSERT_TRUE(main);
  PumpFor(300);
  EXPECT_FALSE(FileExists(RecordFile()));  // nothing while the results are shown
  // Logoff applied on the "  Shutdown  " page reaches the file, not this run.
  HWND logoff = FindChildById(main, IDC_SHUTTYPE_0);
  ASSERT_TRUE(logoff);
  HWND page = GetParent(logoff);
  for (int id = IDC_SHUTTYPE_0; id <= IDC_SHUTTYPE_0 + 5; ++id)
    SendMessageA(GetDlgItem(page, id), BM_SETCHECK, id == IDC_SHUTTYPE_0, 0);
  SendMessageA(GetDlgItem(page, IDC_APPLY), BM_CLICK, 0, 0);
  EXPECT_NE(ReadFileText(data + "\\Quorvane.ini").find("ShutType=0"), std::string::npos);
  PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(q.WaitForExit(20000));
  EXPECT_EQ(ReadFileText(RecordFile()), "SetSuspendState 1 0 0\r\n");
}

namespace {
void Nothing(ReportContext& ctx) { ctx.AddReportLine("  Purge \"Test\" Function Completed."); }
}  // namespace

// A run whose action will only be written to the record file says so at the end of its report;
// a run of another mode, or one that really shuts down, does not. A record that cannot be
// written is a failed action, not a done one.
TEST(ShutdownRecordTest, ARunThatOnlyRecordsItsActionSaysSoInItsReport) {
  ASSERT_FALSE(RecordFile().empty());
  ScopedDataFolder data;
  const std::string record = RecordFile();
  const struct {
    std::vector<std::string> args;
    int shutType;
    std::string last;
  } cases[] = {
      {{"SHUT"}, kReboot,
       "NOTE - The \"Reboot\" action is only recorded in " + record +
           " (QUORVANE_SHUTDOWN_RECORD), not performed."},
      {{"SHUT"}, 9,
       "NOTE - The \"Logoff\" action is only recorded in " + record +
           " (QUORVANE_SHUTDOWN_RECORD), not performed."},
      {{}, kReboot, "  Purge Functions Completed."},
  };
  PurgeFunctionTable table = PurgeFunctions();
  for (auto& e : table) e.body = e.option == OptionField::ClipBoard ? Nothing : nullptr;
  PurgeRequest request;
  request.options[OptionField::ClipBoard] = 1;
  for (const auto& c : cases) {
    ScopedArguments args(c.args);
    SelectRunMode();
    NoteShutdownAction(c.shutType);
    TestRun run;
    ASSERT_TRUE(RunPurge(run.ctx, request, table));
    EXPECT_EQ(run.view.lines.back(), c.last);
  }
  NoteShutdownAction(kLogoff);
  SelectRunMode();

  MessageBoxRecorder boxes;
  SetEnvironmentVariableA(kShutdownRecordVariable, "Z:\\no-such-folder-qv\\actions.txt");
  EXPECT_FALSE(RunShutdownAction(kReboot));
  SetEnvironmentVariableA(kShutdownRecordVariable, record.c_str());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("The Error Code is Error-29"), std::string::npos);
}
