#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "app/main_window.h"
#include "core/folders.h"
#include "core/modal.h"
#include "core/text_util.h"
#include "platform/files.h"
#include "platform/window.h"
#include "plugins/plugin_forms.h"
#include "plugins/plugin_selection.h"
#include "resource.h"
#include "support/test_support.h"

namespace {
using Lines = std::vector<std::string>;

void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

void SetListState(HWND list, int row, UINT state, UINT mask) {
  LVITEMA item = {};
  item.stateMask = mask;
  item.state = state;
  SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}
void Tick(HWND list, int row, bool on) {
  SetListState(list, row, INDEXTOSTATEIMAGEMASK(on ? 2 : 1), LVIS_STATEIMAGEMASK);
}
void SelectRow(HWND list, int row) { SetListState(list, row, LVIS_SELECTED, LVIS_SELECTED); }
bool Ticked(HWND list, int row) {
  return ((SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12) - 1) == 1;
}

Lines ListBoxLines(HWND box) {
  Lines lines;
  for (LRESULT i = 0, n = SendMessageA(box, LB_GETCOUNT, 0, 0); i < n; ++i) {
    std::string text(SendMessageA(box, LB_GETTEXTLEN, i, 0) + 1, '\0');
    SendMessageA(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    lines.push_back(text.c_str());
  }
  return lines;
}

Lines ListViewLines(HWND list) {
  Lines lines;
  for (int i = 0; i < ListViewCount(list); ++i) lines.push_back(ListViewItemText(list, i));
  return lines;
}

// A program folder of the test's own with a plugin folder, and the windows driven by the test.
struct PluginWindowsTest : testing::Test {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  MessageBoxRecorder boxes{MessageAnswer::No};
  TempFolder program, tree;
  std::string savedProgram = Folders().programFolder;
  RunState run;
  // What the driver does with the selection window, and with the test window it opens.
  std::function<void(HWND)> onSelection, onTest;

  void SetUp() override {
    MutableFolders().programFolder = program.Path();
    EnsurePluginFolder();
    WriteFileText(program.File("PLUGINS\\b.std"), "; second\r\nDELFILE=C:\\NOT-THERE.TXT?\r\n");
    WriteFileText(program.File("PLUGINS\\a.std"),
                  "; removes one file\r\nDELFILE=" + tree.Path() + "\\victim.tmp?\r\n");
    WriteFileText(program.File("PLUGINS\\notes.txt"), "not a plugin");
    WriteFileText(program.File("PLUGINS\\Mine.Cus"), "LEVEL=1\r\n");
    WriteFileText(PluginSelectionFile(), "B.STD\r\n");
    WriteFileText(tree.File("victim.tmp"), "x");
    LoadPluginSelectionList();
    SetModalDriver([this](HWND dialog) {
      if (WindowText(dialog) == "Quorvane - Test Selected Plugin") {
        if (onTest) onTest(dialog);
        Click(GetDlgItem(dialog, IDC_PLUGT_CLOSE));
      } else {
        if (onSelection) onSelection(dialog);
        if (IsWindowVisible(dialog)) Click(GetDlgItem(dialog, IDC_PLUG_CLOSE));
      }
    });
  }
  void TearDown() override {
    SetModalDriver(nullptr);
    MutableFolders().programFolder = savedProgram;
  }
  void Open() { TPlugSelForm::ShowModal(nullptr, run); }
};

TEST_F(PluginWindowsTest, ListsPluginFilesTicksTheSelectionAndShowsTheClickedText) {
  std::string caption;
  Lines rows, text;
  std::vector<bool> ticks, enabledBefore, enabledAfter;
  onSelection = [&](HWND form) {
    caption = WindowText(form);
    HWND list = GetDlgItem(form, IDC_PLUG_LIST);
    rows = ListViewLines(list);
    for (int i = 0; i < ListViewCount(list); ++i) ticks.push_back(Ticked(list, i));
    for (int id : {IDC_PLUG_APPLY, IDC_PLUG_TEST, IDC_PLUG_EXEC})
      enabledBefore.push_back(IsWindowEnabled(GetDlgItem(form, id)));
    SelectRow(list, 0);
    text = ListBoxLines(GetDlgItem(form, IDC_PLUG_TEXT));
    for (int id : {IDC_PLUG_APPLY, IDC_PLUG_TEST, IDC_PLUG_EXEC})
      enabledAfter.push_back(IsWindowEnabled(GetDlgItem(form, id)));
  };
  Open();
  EXPECT_EQ(caption, "Quorvane - Select Plugins for Plugin Option");
  EXPECT_EQ(rows, (Lines{"A.STD", "B.STD", "MINE.CUS"}));
  EXPECT_EQ(ticks, (std::vector<bool>{false, true, false}));
  EXPECT_EQ(enabledBefore, (std::vector<bool>{false, false, false}));
  EXPECT_EQ(text, (Lines{"; removes one file", "DELFILE=" + tree.Path() + "\\victim.tmp?"}));
  EXPECT_EQ(enabledAfter, (std::vector<bool>{false, true, true}));
  EXPECT_TRUE(boxes.boxes.empty());  // nothing changed: closing asks nothing
}

TEST_F(PluginWindowsTest, UnsavedTicksAskOnCloseAndApplyWritesTheSelection) {
  onSelection = [&](HWND form) {
    HWND list = GetDlgItem(form, IDC_PLUG_LIST);
    Tick(list, 0, true);
    Tick(list, 0, false);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(form, IDC_PLUG_APPLY)));
  };
  Open();
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Quorvane -  Warning");
  EXPECT_EQ(boxes.boxes[0].kind, MessageKind::Warning);
  EXPECT_EQ(boxes.boxes[0].text,
            "You have not saved your changes.\r\n\r\nSelect 'Yes' if you wish to save your "
            "changes.\r\n\r\nSelect 'No' if you wish to lose your changes.");
  EXPECT_EQ(ReadFileText(PluginSelectionFile()), "B.STD\r\n");  // answered No

  boxes.boxes.clear();
  bool applyAfter = true;
  onSelection = [&](HWND form) {
    Click(GetDlgItem(form, IDC_PLUG_ALLON));
    Click(GetDlgItem(form, IDC_PLUG_APPLY));
    applyAfter = IsWindowEnabled(GetDlgItem(form, IDC_PLUG_APPLY));
  };
  Open();
  EXPECT_FALSE(applyAfter);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(ReadFileText(PluginSelectionFile()), "A.STD\r\nB.STD\r\nMINE.CUS\r\n");
  EXPECT_EQ(PluginSelection(), (Lines{"A.STD", "B.STD", "MINE.CUS"}));

  // "Yes" on close saves; a read-only selection file is written all the same.
  SetFileAttributesA(PluginSelectionFile().c_str(), FILE_ATTRIBUTE_READONLY);
  MessageBoxRecorder yes{MessageAnswer::Yes};
  onSelection = [&](HWND form) { Click(GetDlgItem(form, IDC_PLUG_ALLOFF)); };
  Open();
  EXPECT_EQ(yes.boxes.size(), 1u);
  EXPECT_EQ(ReadFileText(PluginSelectionFile()), "");
  EXPECT_TRUE(PluginSelection().empty());

  // A selection file that cannot be written is said, and Apply stays for another try.
  DeleteFileA(PluginSelectionFile().c_str());
  ASSERT_TRUE(CreateDirectoryA(PluginSelectionFile().c_str(), nullptr));
  yes.boxes.clear();
  applyAfter = false;
  onSelection = [&](HWND form) {
    Click(GetDlgItem(form, IDC_PLUG_ALLON));
    Click(GetDlgItem(form, IDC_PLUG_APPLY));
    applyAfter = IsWindowEnabled(GetDlgItem(form, IDC_PLUG_APPLY));
  };
  Open();
  RemoveDirectoryA(PluginSelectionFile().c_str());
  EXPECT_TRUE(applyAfter);
  // Apply, then Close: the question, and Yes tries once more.
  ASSERT_EQ(yes.boxes.size(), 3u);
  EXPECT_EQ(yes.boxes[0].kind, MessageKind::Error);
  EXPECT_EQ(yes.boxes[1].kind, MessageKind::Warning);
  EXPECT_EQ(yes.boxes[0].text,
            "The Plugin selection could not be saved to " + PluginSelectionFile() + ".");
}

TEST_F(PluginWindowsTest, TestPluginNeverDeletesAndExecutePluginDoes) {
  std::string title;
  Lines report;
  onTest = [&](HWND test) {
    title = WindowText(GetDlgItem(test, IDC_PLUGT_TITLE));
    report = ListViewLines(GetDlgItem(test, IDC_PLUGT_LIST));
  };
  onSelection = [&](HWND form) {
    SelectRow(GetDlgItem(form, IDC_PLUG_LIST), 0);
    Click(GetDlgItem(form, IDC_PLUG_TEST));
  };
  run.preview = false;
  run.secureErase = false;
  Open();
  const std::string path = UpperCase(tree.Path()) + "\\VICTIM.TMP";
  EXPECT_EQ(title, "Test:   A.STD");
  EXPECT_EQ(report,
            (Lines{"* ; REMOVES ONE FILE", "DELFILE=" + path + "?", "       to delete - " + path,
                   "    1 - Entry processed for this Plugin", " "}));
  EXPECT_TRUE(FileExists(tree.File("victim.tmp")));

  onSelection = [&](HWND form) {
    SelectRow(GetDlgItem(form, IDC_PLUG_LIST), 0);
    Click(GetDlgItem(form, IDC_PLUG_EXEC));
  };
  Open();
  EXPECT_EQ(title, "Execute:   A.STD");
  EXPECT_EQ(report, (Lines{"* ; REMOVES ONE FILE", "DELFILE=" + path + "?",
                           "         deleted - " + path, "   1 Entry processed for this Plugin"}));
  EXPECT_FALSE(FileExists(tree.File("victim.tmp")));

  // Execute in the wake of a Preview run previews too.
  WriteFileText(tree.File("victim.tmp"), "x");
  run.preview = true;
  Open();
  EXPECT_EQ(report[2], "       to delete - " + path);
  EXPECT_TRUE(FileExists(tree.File("victim.tmp")));
}

// The main window's buttons: "Select Plugins" opens the window; "Plugin Manager" is there when
// PlugMgr.exe is.
TEST_F(PluginWindowsTest, MainWindowOpensTheSelectionAndShowsThePluginManager) {
  WriteFileText(program.File("PlugMgr.exe"), "");
  WriteFileText(data.SettingsPath(), "[ShowOption]\r\nQuickStartOpt=N\r\n");
  TFFoxForm form;
  ASSERT_TRUE(form.Create());
  HWND general = form.ConfigPageHandle(TFFoxForm::kGeneralPage);
  EXPECT_TRUE(GetWindowLongA(GetDlgItem(general, IDC_PLUGMGR_BTN), GWL_STYLE) & WS_VISIBLE);
  EXPECT_TRUE(GetWindowLongA(GetDlgItem(general, IDC_PLUGMGR_LABEL), GWL_STYLE) & WS_VISIBLE);
  HWND select = GetDlgItem(general, IDC_SELECT_PLUGINS);
  EXPECT_TRUE(IsWindowEnabled(select));
  std::string caption;
  bool busy = false;
  onSelection = [&](HWND dialog) {
    caption = WindowText(dialog);
    busy = form.State().busy;
  };
  Click(select);
  EXPECT_EQ(caption, "Quorvane - Select Plugins for Plugin Option");
  EXPECT_TRUE(busy);
  EXPECT_FALSE(form.State().busy);
  DestroyWindow(form.Handle());
  PumpWaitingMessages();
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}
}  // namespace

namespace {
RECT PlaceIn(HWND form, int id) {
  RECT r;
  GetWindowRect(GetDlgItem(form, id), &r);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
}  // namespace

// The strip between the plugin list and the contents list moves both; the window resizes
// with its lists growing and its buttons keeping to the bottom.
TEST_F(PluginWindowsTest, TheSplitterMovesTheListsAndTheWindowResizes) {
  onSelection = [&](HWND form) {
    EXPECT_TRUE(GetWindowLongA(form, GWL_STYLE) & WS_THICKFRAME);
    const RECT list = PlaceIn(form, IDC_PLUG_LIST), text = PlaceIn(form, IDC_PLUG_TEXT);
    const int y = (list.top + list.bottom) / 2, x = (list.right + text.left) / 2;
    ASSERT_LT(list.right, text.left);
    SendMessageA(form, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(form, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(list.right + 60, y));
    SendMessageA(form, WM_LBUTTONUP, 0, MAKELPARAM(list.right + 60, y));
    const RECT wider = PlaceIn(form, IDC_PLUG_LIST), narrower = PlaceIn(form, IDC_PLUG_TEXT);
    EXPECT_EQ(wider.right, list.right + 60);
    EXPECT_EQ(narrower.left, text.left + 60);
    EXPECT_EQ(narrower.right, text.right);
    EXPECT_EQ(PlaceIn(form, IDC_PLUG_LABEL2).left, narrower.left + 10);
    // A drag past the window's edge leaves the contents list in view.
    SendMessageA(form, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(wider.right + 2, y));
    SendMessageA(form, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5000, y));
    SendMessageA(form, WM_LBUTTONUP, 0, MAKELPARAM(5000, y));
    const RECT squeezed = PlaceIn(form, IDC_PLUG_TEXT);
    EXPECT_GE(squeezed.right - squeezed.left, 40);
    // Away from the strip the mouse moves nothing.
    SendMessageA(form, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(form, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 2));
    SendMessageA(form, WM_LBUTTONUP, 0, MAKELPARAM(200, 2));
    EXPECT_EQ(PlaceIn(form, IDC_PLUG_TEXT).left, squeezed.left);

    RECT w, before;
    GetWindowRect(form, &w);
    GetClientRect(form, &before);
    const RECT close = PlaceIn(form, IDC_PLUG_CLOSE), allOn = PlaceIn(form, IDC_PLUG_ALLON);
    const RECT tall = PlaceIn(form, IDC_PLUG_LIST), box = PlaceIn(form, IDC_PLUG_TEXT);
    MoveWindow(form, w.left, w.top, w.right - w.left + 100, w.bottom - w.top + 80, TRUE);
    RECT after;
    GetClientRect(form, &after);
    const int dx = after.right - before.right, dy = after.bottom - before.bottom;
    ASSERT_EQ(dx, 100);
    ASSERT_EQ(dy, 80);
    EXPECT_EQ(PlaceIn(form, IDC_PLUG_LIST).bottom, tall.bottom + dy);
    EXPECT_EQ(PlaceIn(form, IDC_PLUG_TEXT).right, box.right + dx);
    EXPECT_EQ(PlaceIn(form, IDC_PLUG_TEXT).bottom, box.bottom + dy);
    EXPECT_EQ(PlaceIn(form, IDC_PLUG_CLOSE).left, close.left + dx);
    EXPECT_EQ(PlaceIn(form, IDC_PLUG_CLOSE).top, close.top + dy);
    EXPECT_EQ(PlaceIn(form, IDC_PLUG_ALLON).left, allOn.left);
    EXPECT_EQ(PlaceIn(form, IDC_PLUG_ALLON).top, allOn.top + dy);
  };
  Open();
}
