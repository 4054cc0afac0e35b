// The protect-entries editor, opened from the main window's Tools menu and worked with
// messages as a user's clicks would send them.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "files/temp_folders.h"
#include "files/temp_protect_form.h"
#include "platform/window.h"
#include "resource.h"
#include "support/test_support.h"

namespace {
void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  const int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char buf[300] = {};
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
    items.push_back(buf);
  }
  return items;
}
}  // namespace

struct TempProtectFormTest : testing::Test {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  MessageBoxRecorder boxes;
  TFFoxForm form;
  std::string pit = data.Path() + "\\quorvane.pit";

  void SetUp() override {
    WriteFileText(data.SettingsPath(), "[ShowOption]\r\nQuickStartOpt=N\r\n");
    ASSERT_TRUE(form.Create());
  }
  void TearDown() override {
    if (HWND f = TProtTempForm::Handle()) DestroyWindow(f);
    if (IsWindow(form.Handle())) DestroyWindow(form.Handle());
    PumpWaitingMessages();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
  HWND Item(int id) { return GetDlgItem(TProtTempForm::Handle(), id); }
  void Type(const std::string& text) { SetWindowTextString(Item(IDC_TPROT_EDIT), text); }
};

TEST_F(TempProtectFormTest, AddReplaceDeleteAndWriteBackOnClose) {
  WriteFileText(pit, "p=*.log\r\np=old.tmp\r\n");
  HMENU menu = GetMenu(form.Handle());
  EXPECT_FALSE(GetMenuState(menu, IDM_TEMP_PROTECT, MF_BYCOMMAND) & MF_GRAYED);
  SendMessageA(form.Handle(), WM_COMMAND, IDM_TEMP_PROTECT, 0);
  HWND f = TProtTempForm::Handle();
  ASSERT_TRUE(f);
  EXPECT_TRUE(IsWindowVisible(f));
  EXPECT_EQ(WindowText(f), "Quorvane - Edit Protect File Entries for Temp Folders / Plugins");
  HWND list = Item(IDC_TPROT_LIST);
  EXPECT_EQ(ListItems(list), (std::vector<std::string>{"p=*.log", "p=old.tmp"}));
  // Opening again brings the same window forward.
  SendMessageA(form.Handle(), WM_COMMAND, IDM_TEMP_PROTECT, 0);
  EXPECT_EQ(TProtTempForm::Handle(), f);

  EXPECT_FALSE(IsWindowEnabled(Item(IDC_TPROT_ADD)));
  Type("p=");
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_TPROT_ADD)));
  Type("I=OLD.TMP");
  EXPECT_TRUE(IsWindowEnabled(Item(IDC_TPROT_ADD)));
  Click(Item(IDC_TPROT_ADD));
  EXPECT_EQ(ListItems(list), (std::vector<std::string>{"i=old.tmp", "p=*.log"}));
  EXPECT_EQ(WindowText(Item(IDC_TPROT_EDIT)), "");

  Type("keep.me");
  Click(Item(IDC_TPROT_ADD));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text,
            "The entry must begin with: \r\n    \"p=\" for Protect or\r\n"
            "    \"i=\" for Ignore delete error\r\n\r\nAdd Function ignored.");
  EXPECT_EQ(boxes.boxes[0].caption, "Quorvane  -  Error Message");
  EXPECT_EQ(ListItems(list).size(), 2u);

  // Clicking an entry puts it in the edit line, ready for Delete.
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  SendMessageA(f, WM_COMMAND, MAKEWPARAM(IDC_TPROT_LIST, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  EXPECT_EQ(WindowText(Item(IDC_TPROT_EDIT)), "p=*.log");
  Click(Item(IDC_TPROT_DELETE));
  EXPECT_EQ(ListItems(list), (std::vector<std::string>{"i=old.tmp"}));
  Type("p=nothing");
  Click(Item(IDC_TPROT_DELETE));
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(
      boxes.boxes[1].text,
      "Unable to locate the specified \r\nentry for Deletion.\r\n\r\nDelete Function ignored.");
  EXPECT_EQ(ReadFileText(pit), "p=*.log\r\np=old.tmp\r\n");  // nothing written while open

  SetFileAttributesA(pit.c_str(), FILE_ATTRIBUTE_READONLY);
  Click(Item(IDC_TPROT_CLOSE));
  EXPECT_EQ(TProtTempForm::Handle(), nullptr);
  EXPECT_EQ(ReadFileText(pit), "i=old.tmp\r\n");
}

TEST_F(TempProtectFormTest, TheTempPageShowsEachCandidateWithItsReason) {
  HWND page = form.ConfigPageHandle(TFFoxForm::kTempFoldersPage);
  const auto labels = TempFolderLabels();
  ASSERT_EQ(labels.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(WindowText(GetDlgItem(page, IDC_TEMP_LABEL_0 + i)), labels[i].text) << i;
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(page, IDC_TMPDIR + i)) != FALSE, labels[i].enabled);
  }
  // The prefix's own temp folder is a valid "System Temp"; C:\TEMP does not exist there.
  EXPECT_EQ(TempFolderCandidates()[0].status, kTempValid);
  EXPECT_NE(labels[3].text.find("[... Folder Not Found ...]"), std::string::npos) << labels[3].text;
}

// Entries typed into the editor are never dropped without a word: a list that could not be
// opened is said so at once and left as it is; a write that fails is said so at close.
TEST_F(TempProtectFormTest, ChangesThatCannotBeKeptAreSaidSoAndTheFileIsLeftAsItIs) {
  WriteFileText(pit, "p=*.log\r\n");
  HANDLE held = CreateFileA(pit.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  SendMessageA(form.Handle(), WM_COMMAND, IDM_TEMP_PROTECT, 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Unable to open existing Temp Protect file - " + pit +
                                     "\r\n\r\nAny changes made here will be discarded...");
  EXPECT_EQ(boxes.boxes[0].caption, "Quorvane  -  Message");
  Type("p=*.doc");
  Click(Item(IDC_TPROT_ADD));
  CloseHandle(held);  // free again before the window closes
  Click(Item(IDC_TPROT_CLOSE));
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[1].text,
            "The existing Protect file could not be opened - quorvane.pit\r\n"
            "It was left as it is; the changes made here were not saved.");
  EXPECT_EQ(ReadFileText(pit), "p=*.log\r\n");

  // Read, but the replacement cannot be written beside it.
  ASSERT_TRUE(CreateDirectoryA((pit + ".qv-new").c_str(), nullptr));
  SendMessageA(form.Handle(), WM_COMMAND, IDM_TEMP_PROTECT, 0);
  EXPECT_EQ(boxes.boxes.size(), 2u);
  Type("p=*.doc");
  Click(Item(IDC_TPROT_ADD));
  Click(Item(IDC_TPROT_CLOSE));
  RemoveDirectoryA((pit + ".qv-new").c_str());
  ASSERT_EQ(boxes.boxes.size(), 3u);
  EXPECT_EQ(boxes.boxes[2].text,
            "Unable to save the protect file - quorvane.pit\r\n"
            "Execution will continue without saving the changes.");
  EXPECT_EQ(ReadFileText(pit), "p=*.log\r\n");
}
