// The ways into the cookie window: the main window's "Cookies" button, and the "PROTECT"
// start, where the window stands alone and its closing ends the program.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "core/modal.h"
#include "core/text_util.h"
#include "platform/files.h"
#include "platform/shell_folders.h"
#include "platform/window.h"
#include "resource.h"
#include "support/child_process.h"
#include "support/test_support.h"

TEST(CookieWindowStartTest, CookiesButtonOpensTheWindowModallyWithTheShownOptions) {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  MessageBoxRecorder boxes;
  WriteFileText(data.SettingsPath(), "[ShowOption]\r\nQuickStartOpt=N\r\n");
  TFFoxForm form;
  ASSERT_TRUE(form.Create());
  HWND button = form.Control(IDC_COOKIES_BTN);
  EXPECT_TRUE(IsWindowEnabled(button));
  std::string title;
  bool busyInside = false, ownedByMain = false;
  SetModalDriver([&](HWND d) {
    title = WindowText(d);
    busyInside = form.State().busy;
    ownedByMain = GetWindow(d, GW_OWNER) == form.Handle();
    SendMessageA(d, WM_COMMAND, IDC_CK_CLOSE, 0);
  });
  SendMessageA(button, BM_CLICK, 0, 0);
  SetModalDriver(nullptr);
  EXPECT_EQ(title, "Quorvane - Select Cookies to Keep");
  EXPECT_TRUE(busyInside);
  EXPECT_TRUE(ownedByMain);
  EXPECT_FALSE(form.State().busy);
  EXPECT_TRUE(IsWindow(form.Handle()));  // only "PROTECT" closes the main window
  EXPECT_NE(data.SettingsText().find("CookieForm="), std::string::npos);
  DestroyWindow(form.Handle());
  PumpWaitingMessages();
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST(CookieWindowStartTest, ProtectStartShowsTheWindowAloneAndItsCloseEndsTheProgram) {
  const std::string name = "QVPROTECT" + std::to_string(GetCurrentProcessId());
  const std::string data = GetSpecialFolder(kCsidlAppData).text + "\\" + name;
  RemoveTree(data);
  ForceDirectories(data);
  WriteFileText(data + "\\Quorvane.ini", "[ShowOption]\r\nQuickStartOpt=N\r\n");
  {
    ChildProcess q(QuorvanePath(), "data=" + name + " PROTECT");
    HWND w = q.WaitForWindow("#32770", 20000);
    ASSERT_TRUE(w);
    EXPECT_EQ(WindowText(w), "Quorvane - Select Cookies to Keep");
    EXPECT_EQ(FindProcessWindow(q.Id(), "TFFoxForm", true), nullptr);
    PumpFor(300);
    EXPECT_TRUE(q.Running());
    PostMessageA(w, WM_COMMAND, IDC_CK_CLOSE, 0);
    EXPECT_TRUE(q.WaitForExit(15000));
    EXPECT_EQ(q.ExitCode(), 0u);
  }
  EXPECT_NE(ReadFileText(data + "\\Quorvane.ini").find("CookieForm="), std::string::npos);
  RemoveTree(data);
}
