// "Wipe Free Space" of the Tools menu, worked with messages as a user's clicks send them, on a
// small tmpfs volume mapped as a drive.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "app/main_window.h"
#include "run/purge_run.h"
#include "core/modal.h"
#include "platform/files.h"
#include "platform/window.h"
#include "resource.h"
#include "support/scratch_volume.h"
#include "support/test_support.h"
#include "wipe/wipe_rules.h"

namespace {
void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

struct WipeWindowTest : testing::Test {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  MessageBoxRecorder boxes;
  TFFoxForm form;

  void SetUp() override {
    WriteFileText(data.SettingsPath(), "[ShowOption]\r\nQuickStartOpt=N\r\n");
    ASSERT_TRUE(form.Create());
  }
  void TearDown() override {
    SetModalDriver(nullptr);
    if (IsWindow(form.Handle())) DestroyWindow(form.Handle());
    PumpWaitingMessages();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
};
}  // namespace

TEST_F(WipeWindowTest, StartWipesTheChosenDriveAndCancelStopsIt) {
  ScratchVolume v(8);
  if (!v.Ready()) GTEST_SKIP() << "mounting a tmpfs needs root";
  const std::string root = v.Root();
  const struct {
    bool cancelFirst;
    const char* status;
  } rows[] = {{false, "Completed"}, {true, "Cancelled by operator"}};
  for (const auto& r : rows) {
    const unsigned long long before = FreeBytes(root);
    std::string caption, note, item, status, written;
    bool busy = false;
    int position = -1;
    SetModalDriver([&](HWND dialog) {
      caption = WindowText(dialog);
      busy = form.State().busy;
      note = WindowText(GetDlgItem(dialog, IDC_WIPE_NOTE));
      HWND combo = GetDlgItem(dialog, IDC_WIPE_DRIVE);
      const LRESULT i =
          SendMessageA(combo, CB_FINDSTRING, -1, reinterpret_cast<LPARAM>(root.c_str()));
      ASSERT_NE(i, CB_ERR);
      SendMessageA(combo, CB_SETCURSEL, i, 0);
      char text[64] = {};
      SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      item = text;
      // A click on Cancel waiting in the queue is seen by the wipe at its first look.
      if (r.cancelFirst) PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
      Click(GetDlgItem(dialog, IDC_WIPE_START));
      status = WindowText(GetDlgItem(dialog, IDC_WIPE_STATUS));
      written = WindowText(GetDlgItem(dialog, IDC_WIPE_WRITTEN));
      position = static_cast<int>(SendDlgItemMessageA(dialog, IDC_WIPE_PROGRESS, PBM_GETPOS, 0, 0));
      Click(GetDlgItem(dialog, IDCANCEL));  // idle now: closes the window
    });
    SendMessageA(form.Handle(), WM_COMMAND, IDM_WIPE_FREE_SPACE, 0);
    SetModalDriver(nullptr);
    EXPECT_EQ(caption, "Quorvane  -  Wipe Free Space");
    EXPECT_TRUE(busy);
    EXPECT_FALSE(form.State().busy);
    EXPECT_NE(note.find("one pass of zeros"), std::string::npos) << note;
    EXPECT_NE(note.find("Secure Erase method and passes do not apply"), std::string::npos);
    EXPECT_EQ(item, root + "  (local fixed)");
    EXPECT_EQ(status, r.status);
    if (r.cancelFirst) {
      EXPECT_EQ(written, "Bytes written: 0");
    } else {
      EXPECT_EQ(written.rfind("Bytes written: ", 0), 0u);
      EXPECT_GT(written.size(), std::string("Bytes written: 0").size());
      EXPECT_EQ(position, 1000);
    }
    EXPECT_EQ(FreeBytes(root), before);
    EXPECT_FALSE(DirectoryExists(root + kWipeFolderName));
  }
}

TEST_F(WipeWindowTest, ARefusedDriveIsNamedWithTheReason) {
  ScratchVolume v(2);
  if (!v.Ready()) GTEST_SKIP() << "mounting a tmpfs needs root";
  const std::string root = v.Root();
  WriteFileText(root + "big.dat", std::string(FreeBytes(root) - 512 * 1024, 'b'));
  std::string status;
  SetModalDriver([&](HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_WIPE_DRIVE);
    SendMessageA(combo, CB_SETCURSEL,
                 SendMessageA(combo, CB_FINDSTRING, -1, reinterpret_cast<LPARAM>(root.c_str())), 0);
    Click(GetDlgItem(dialog, IDC_WIPE_START));
    status = WindowText(GetDlgItem(dialog, IDC_WIPE_STATUS));
    Click(GetDlgItem(dialog, IDCANCEL));
  });
  SendMessageA(form.Handle(), WM_COMMAND, IDM_WIPE_FREE_SPACE, 0);
  EXPECT_EQ(status, "Refused - less than 1 MiB is free");
  EXPECT_FALSE(DirectoryExists(root + kWipeFolderName));
}

// Ticked in an option set, the wipe runs after every other function (the files they deleted are
// then free space too) and before the run's closing lines.
TEST(WipeInRunTest, TheWipeRunsLastAndBeforeTheClosingLines) {
  ScratchVolume v(8);
  if (!v.Ready()) GTEST_SKIP() << "mounting a tmpfs needs root";
  ScopedArguments args{{}};
  char oldTmp[MAX_PATH] = {};
  GetEnvironmentVariableA("TMP", oldTmp, sizeof oldTmp);
  SetEnvironmentVariableA("TMP", v.Root().c_str());
  RunState state;
  VectorView view;
  ReportContext ctx{state, view};
  PurgeRequest r;
  r.options[OptionField::Plugins] = 1;
  r.options[OptionField::WipeFreeSpace] = 1;
  PurgeFunctionTable table = PurgeFunctions();
  for (auto& e : table)
    if (e.option == OptionField::Plugins)
      e.body = [](ReportContext& c) { c.AddReportLine("  Purge \"Plugins\" Function Completed."); };
  ASSERT_TRUE(RunPurge(ctx, r, table));
  SetEnvironmentVariableA("TMP", oldTmp);
  const auto& l = view.lines;
  auto at = [&](const std::string& line) {
    return std::find(l.begin(), l.end(), line) - l.begin();
  };
  const auto plugins = at("  Purge \"Plugins\" Function Completed.");
  const auto wipe = at("Processing \"Wipe Free Space\"");
  const auto closing = at("  Purge Functions Completed.");
  ASSERT_LT(closing, static_cast<long>(l.size()));
  EXPECT_LT(plugins, wipe);
  EXPECT_LT(wipe, closing);
  EXPECT_EQ(l[wipe + 1], "         Drive - " + v.Root());
  EXPECT_EQ(l[wipe + 4], "        Result - Completed");
  EXPECT_EQ(state.highestLevel, 0);
}
