#include "winapp2/winapp2_window.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>

#include "core/modal.h"
#include "platform/files.h"
#include "platform/window.h"
#include "resource.h"
#include "support/test_support.h"
#include "winapp2/winapp2_catalog.h"

namespace {
using Lines = std::vector<std::string>;

void Click(HWND form, int id) { SendMessageA(GetDlgItem(form, id), BM_CLICK, 0, 0); }

void SetState(HWND list, int row, UINT state, UINT mask) {
  LVITEMA item = {};
  item.stateMask = mask;
  item.state = state;
  SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// Each row as "name|group|ticked".
Lines Rows(HWND form) {
  HWND list = GetDlgItem(form, IDC_W2_LIST);
  Lines rows;
  for (int i = 0; i < ListViewCount(list); ++i) {
    char group[128] = {};
    ListView_GetItemText(list, i, 1, group, sizeof group);
    rows.push_back(ListViewItemText(list, i) + "|" + group + "|" +
                   (ListView_GetCheckState(list, i) ? "x" : ""));
  }
  return rows;
}

int RowOf(HWND form, const std::string& name) {
  HWND list = GetDlgItem(form, IDC_W2_LIST);
  for (int i = 0; i < ListViewCount(list); ++i)
    if (ListViewItemText(list, i) == name) return i;
  return -1;
}

struct Winapp2WindowTest : testing::Test {
  ScopedDataFolder data;
  MessageBoxRecorder boxes{MessageAnswer::No};
  TempFolder tree;
  std::function<void(HWND)> onWindow;
  Lines previewLines;

  void SetUp() override {
    MakeAgedFile(tree.File("alpha\\a.log"), "x");
    MakeAgedFile(tree.File("beta\\b.tmp"), "x");
    const std::string T = tree.Path();
    WriteFileText(Winapp2FilePath(),
                  "[Alpha Logs *]\r\nLangSecRef=3024\r\nDetectFile=" + T + "\\alpha\r\nFileKey1=" +
                      T + "\\alpha|*.log\r\n\r\n[Beta Cache *]\r\nLangSecRef=3022\r\nDetectFile=" +
                      T + "\\beta\r\nFileKey1=" + T + "\\beta|*.tmp\r\n\r\n[Gamma Warned *]\r\n" +
                      "LangSecRef=3024\r\nWarning=Signs you out.\r\nFileKey1=" + T +
                      "\\gamma|*\r\n\r\n[Delta Absent *]\r\nDetectFile=" + T + "\\nowhere\r\n" +
                      "FileKey1=" + T + "|*\r\n\r\n[Broken *]\r\nExcludeKey1=NOTHING\r\n");
    WriteFileText(Winapp3FilePath(), "[Omega Aggressive *]\r\nSection=Windows\r\nFileKey1=" + T +
                                         "\\omega|*.x\r\n");
    ASSERT_TRUE(SaveWinapp2Selection({"Delta Absent"}));
    SetModalDriver([this](HWND dialog) {
      if (WindowText(dialog) == "Quorvane - Preview of a Community Cleaner") {
        previewLines.clear();
        HWND list = GetDlgItem(dialog, IDC_PLUGT_LIST);
        for (int i = 0; i < ListViewCount(list); ++i) previewLines.push_back(ListViewItemText(list, i));
        Click(dialog, IDC_PLUGT_CLOSE);
        return;
      }
      if (onWindow) onWindow(dialog);
      if (IsWindowVisible(dialog)) Click(dialog, IDC_W2_CLOSE);
    });
  }
  void TearDown() override { SetModalDriver(nullptr); }
};

TEST_F(Winapp2WindowTest, ListsDetectedEntriesTicksThemAndSavesTheSelection) {
  std::string caption, count, problems, note;
  Lines first, afterSetAll, filtered, afterFilter, keys;
  bool applyAfterSave = true;
  onWindow = [&](HWND form) {
    caption = WindowText(form);
    count = WindowText(GetDlgItem(form, IDC_W2_COUNT));
    problems = WindowText(GetDlgItem(form, IDC_W2_PROBLEMS));
    first = Rows(form);
    Click(form, IDC_W2_ALLON);
    afterSetAll = Rows(form);
    HWND list = GetDlgItem(form, IDC_W2_LIST);
    char text[128] = {};
    ListView_GetItemText(list, RowOf(form, "Gamma Warned"), 2, text, sizeof text);
    note = text;
    // A warning asks, and No leaves the entry unticked.
    ListView_SetCheckState(list, RowOf(form, "Gamma Warned"), TRUE);
    SetWindowTextA(GetDlgItem(form, IDC_W2_FILTER), "ALP");
    filtered = Rows(form);
    Click(form, IDC_W2_ALLOFF);
    SetWindowTextA(GetDlgItem(form, IDC_W2_FILTER), "");
    afterFilter = Rows(form);
    SetState(list, RowOf(form, "Beta Cache"), LVIS_SELECTED, LVIS_SELECTED);
    for (int i = 0, n = static_cast<int>(SendDlgItemMessageA(form, IDC_W2_KEYS, LB_GETCOUNT, 0, 0)); i < n; ++i) {
      char line[512] = {};
      SendDlgItemMessageA(form, IDC_W2_KEYS, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
      keys.push_back(line);
    }
    Click(form, IDC_W2_PREVIEW);
    Click(form, IDC_W2_APPLY);
    applyAfterSave = IsWindowEnabled(GetDlgItem(form, IDC_W2_APPLY));
  };
  TWinapp2Form::ShowModal(nullptr);
  const std::string T = tree.Path();
  EXPECT_EQ(caption, "Quorvane - Community Cleaners");
  EXPECT_EQ(count, "4 of 5 entries detected");
  EXPECT_EQ(problems.rfind("1 entry not loaded: \"Broken\" (an ExcludeKey cannot be read);", 0), 0u)
      << problems;
  EXPECT_EQ(first, (Lines{"Beta Cache|Internet|", "Alpha Logs|Utilities|", "Gamma Warned|Utilities|",
                          "Omega Aggressive|Aggressive (Winapp3.ini)|"}));
  EXPECT_EQ(afterSetAll, (Lines{"Beta Cache|Internet|x", "Alpha Logs|Utilities|x",
                                "Gamma Warned|Utilities|", "Omega Aggressive|Aggressive (Winapp3.ini)|"}));
  EXPECT_EQ(note, "warning: Signs you out.");
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Signs you out.\r\n\r\nTick \"Gamma Warned\"?");
  EXPECT_EQ(filtered, Lines{"Alpha Logs|Utilities|x"});
  EXPECT_EQ(afterFilter, (Lines{"Beta Cache|Internet|x", "Alpha Logs|Utilities|",
                                "Gamma Warned|Utilities|", "Omega Aggressive|Aggressive (Winapp3.ini)|"}));
  EXPECT_EQ(keys, (Lines{"[Beta Cache *]", "LangSecRef=3022", "DetectFile1=" + T + "\\beta",
                         "FileKey1=" + T + "\\beta|*.tmp"}));
  EXPECT_EQ(previewLines, (Lines{"    Beta Cache", "     to delete - " + T + "\\beta\\b.tmp"}));
  EXPECT_TRUE(FileExists(tree.File("beta\\b.tmp")));
  EXPECT_FALSE(applyAfterSave);
  // The tick of an entry not detected here stays in the file beside the new one.
  EXPECT_EQ(ReadFileText(Winapp2SelectionFilePath()), "Delta Absent\r\nBeta Cache\r\n");
  EXPECT_EQ(boxes.boxes.size(), 1u);  // all applied: closing asks nothing
}
}  // namespace
