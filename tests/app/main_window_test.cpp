#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <map>

#include "app/main_window.h"
#include "run/purge_run.h"
#include "core/modal.h"
#include "core/report_rules.h"
#include "core/run_log_rules.h"
#include "core/run_mode.h"
#include "core/settings.h"
#include "core/text_util.h"
#include "core/window_placement.h"
#include "firefox/browser_activity.h"
#include "firefox/firefox_profile.h"
#include "platform/files.h"
#include "platform/shell_folders.h"
#include "platform/window.h"
#include "resource.h"
#include "support/test_support.h"

namespace {
int SelectedLine(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
}
void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }
}  // namespace

// A real main window over a data folder of its own.
struct MainWindowTest : testing::Test {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  MessageBoxRecorder boxes;
  TFFoxForm form;
  HWND list = nullptr;

  void SetUp() override {
    WriteFileText(data.SettingsPath(), "[ShowOption]\r\nQuickStartOpt=N\r\n");
    ASSERT_TRUE(form.Create());
    list = form.Control(IDC_RESULTS);
    ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
    PumpFor(50);
  }
  void TearDown() override {
    if (IsWindow(form.Handle())) DestroyWindow(form.Handle());
    PumpWaitingMessages();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // the window's end posts it
  }
  std::vector<std::string> ListLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < ListViewCount(list); ++i) lines.push_back(ListViewItemText(list, i));
    return lines;
  }
  HWND FrameButton(RunMode mode, int id) { return GetDlgItem(form.OptionFrame(mode).Handle(), id); }
};

TEST_F(MainWindowTest, StartsWithTheStandardPageAndItsStatusText) {
  EXPECT_EQ(form.MainPageIndex(), TFFoxForm::kPurgeOptionsPage);
  EXPECT_EQ(form.ShownOptionFrame().Mode(), RunMode::Standard);
  EXPECT_EQ(form.StatusPanelText(1), "  \"Standard Options\" is current...");
  EXPECT_EQ(WindowText(form.Handle()),
            "Quorvane - Purge Cache, Cookies and Tracks for Mozilla's FireFox -  Version 5.01");
  EXPECT_TRUE(boxes.boxes.empty());
  // No plugmgr.exe beside the program: the plugin manager's button and label stay hidden.
  HWND general = form.ConfigPageHandle(TFFoxForm::kGeneralPage);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(general, IDC_PLUGMGR_BTN)));
  EXPECT_FALSE(GetWindowLongA(GetDlgItem(general, IDC_PLUGMGR_LABEL), GWL_STYLE) & WS_VISIBLE);
  form.SelectOptionPage(RunMode::Startup);
  EXPECT_EQ(form.StatusPanelText(1), "  \"Startup Options\" is current...");
}

TEST_F(MainWindowTest, PageButtonsSaveSetAndReset) {
  TFFoxOptionsFrame1& frame = form.OptionFrame(RunMode::PurgeNow);
  SetChecked(frame.Control(OptionField::History), true);
  SetChecked(frame.Control(OptionField::Report, 0), false);
  SetChecked(frame.Control(OptionField::Report, 1), true);
  Click(FrameButton(RunMode::PurgeNow, IDC_SAVEOPT));
  EXPECT_NE(data.SettingsText().find("HistoryOption=1"), std::string::npos);
  EXPECT_NE(data.SettingsText().find("ReportOpt=1"), std::string::npos);

  const std::string before = data.SettingsText();
  SetChecked(frame.Control(OptionField::SecureDelete, 1), true);
  SetChecked(frame.Control(OptionField::SecureDelete, 0), false);
  Click(FrameButton(RunMode::PurgeNow, IDC_OPTON));
  OptionSet on = frame.Values();
  // Every track, but not the long wipe of the free space: that one is ticked on purpose.
  for (const auto& f : OptionFields())
    if (!f.isRadio) {
      EXPECT_EQ(on[f.field], f.field == OptionField::WipeFreeSpace ? 0 : 1) << f.key;
    }
  EXPECT_EQ(on[OptionField::SecureDelete], 1);  // radio groups untouched
  EXPECT_EQ(on[OptionField::Report], 1);
  EXPECT_EQ(data.SettingsText(), before);  // nothing written

  Click(FrameButton(RunMode::PurgeNow, IDC_OPTRESET));
  OptionSet reset = frame.Values();
  EXPECT_EQ(reset, ReadOptionSet(SettingsFile(), "PnowOptions"));
  EXPECT_EQ(reset[OptionField::History], 1);
  EXPECT_EQ(reset[OptionField::Cache], 0);
  EXPECT_EQ(reset[OptionField::SecureDelete], 0);
}

TEST_F(MainWindowTest, PreviewWithNothingSelected) {
  Click(form.Control(IDC_PREVIEW_BTN));
  std::vector<std::string> lines = ListLines();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], "This List is from a \"Preview Purge\".");
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], " -Error- No Purge Options were Selected.");
  EXPECT_EQ(form.State().highestLevel, 9);
  EXPECT_TRUE(form.State().attention);
  EXPECT_EQ(form.MainPageIndex(), TFFoxForm::kResultsPage);
  EXPECT_FALSE(IsWindowVisible(form.Control(IDC_CANCEL_BTN)));
  EXPECT_EQ(WindowText(form.Control(IDC_STATUS_LABEL)),
            " Errors in Purge function  -  Use the TAB key to locate the Error... ");
}

// The log holds each run's report as the list shows it, without its item lines unless "Log each
// item" is ticked, under a header written as the run starts and completed as it ends; the General
// page's boxes turn items on and the log off.
TEST_F(MainWindowTest, EveryRunLeavesItsReportInTheLogUnlessTheBoxIsOff) {
  HWND general = form.ConfigPageHandle(TFFoxForm::kGeneralPage);
  EXPECT_EQ(IsDlgButtonChecked(general, IDC_RUNLOG_CHECK), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(general, IDC_LOGITEMS_CHECK), BST_UNCHECKED);
  SetChecked(form.OptionFrame(RunMode::Standard).Control(OptionField::ClipBoard), true);
  const std::string path = data.Path() + "\\Quorvane.log";
  std::string expected;
  for (const char* kind : {"Preview", "Purge"}) {
    Click(form.Control(std::string(kind) == "Preview" ? IDC_PREVIEW_BTN : IDC_PURGE_BTN));
    const std::string text = ReadFileText(path);
    if (expected.empty()) {
      ASSERT_TRUE(IsRunLogBanner(text.substr(0, text.find("\r\n")))) << text;
      expected = text.substr(0, text.find("\r\n") + 2);
    }
    const size_t header = text.find("\r\n", expected.size());  // the end of this run's header
    ASSERT_NE(header, std::string::npos) << text;
    std::string record = text.substr(expected.size(), header + 2 - expected.size());
    const std::vector<std::string> logged = RunLogLines(ListLines(), false);
    EXPECT_NE(record.find("  Stnd  " + std::string(kind) + "  Highest Level 0  " +
                          std::to_string(logged.size()) + " Lines\r\n"),
              std::string::npos)
        << record;
    for (const std::string& line : logged) record += line + "\r\n";
    expected += record;
    EXPECT_EQ(text, expected);
  }
  Click(GetDlgItem(general, IDC_LOGITEMS_CHECK));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(general, IDC_APPLY)));
  Click(GetDlgItem(general, IDC_APPLY));
  EXPECT_NE(data.SettingsText().find("LogItemsOpt=1"), std::string::npos);
  EXPECT_TRUE(Globals().logEachItem);
  Click(GetDlgItem(general, IDC_RUNLOG_CHECK));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(general, IDC_APPLY)));
  Click(GetDlgItem(general, IDC_APPLY));
  EXPECT_NE(data.SettingsText().find("RunLogOpt=0"), std::string::npos);
  Click(form.Control(IDC_PREVIEW_BTN));
  EXPECT_EQ(ReadFileText(path), expected);
}

TEST_F(MainWindowTest, ErrorLinesDrawBlueOthersBlack) {
  form.ClearResults();
  form.AddLine("       deleted - C:\\a.txt");
  form.AddLine("File not Found - C:\\b.txt");
  auto colourOf = [&](int item) {
    NMLVCUSTOMDRAW cd{};
    cd.nmcd.hdr.hwndFrom = list;
    cd.nmcd.hdr.idFrom = IDC_RESULTS;
    cd.nmcd.hdr.code = NM_CUSTOMDRAW;
    cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    cd.nmcd.dwItemSpec = item;
    SendMessageA(form.Handle(), WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&cd));
    return cd.clrText;
  };
  EXPECT_EQ(colourOf(0), RGB(0, 0, 0));
  EXPECT_EQ(colourOf(1), RGB(0, 0, 0xFF));
}

// The list holds no text: it reads each line from the report, and its column is as wide as the
// list view's own sizing to contents makes it, however the lines came.
TEST_F(MainWindowTest, TheListShowsTheReportAndSizesItsColumnToIt) {
  const std::string wide(400, 'W');  // wider than the list shows
  struct Case {
    std::vector<std::string> before, after;  // added before and after the column is sized once
    const char* firstBecomes;                // a replacement of the first line, or none
  } cases[] = {
      {{"short", "a much longer line, with more words in it", "mid"}, {}, nullptr},
      {{"the widest line of them all comes first", "b"}, {"c"}, "narrow"},
      {{"x"}, {"a line wider than those before it"}, "the first line now widest of all of them"},
      {{wide, "y"}, {""}, nullptr},
      {{}, {"only after"}, nullptr},
  };
  form.SelectMainPage(TFFoxForm::kResultsPage);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before.empty() ? "" : c.before[0]);
    form.ClearResults();
    std::vector<std::string> expected;
    for (const std::string& l : c.before) form.AddLine(l), expected.push_back(l);
    form.ShowResultsPage();
    for (const std::string& l : c.after) form.AddLine(l), expected.push_back(l);
    if (c.firstBecomes) form.ReplaceLine(0, expected[0] = c.firstBecomes);
    form.ShowResultsPage();
    EXPECT_EQ(ListLines(), expected);
    EXPECT_EQ(form.ResultLines(), expected);
    const LRESULT sized = SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0);
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
    EXPECT_EQ(sized, SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
  }
}

TEST_F(MainWindowTest, TabWalksTheErrorLines) {
  form.ClearResults();
  for (const char* l :
       {"a", "File not Found - x", "b", "*** Error occurred in above function ***", "c"})
    form.AddLine(l);
  auto tab = [&] {
    SendMessageA(list, WM_KEYDOWN, VK_TAB, 0);
    return SelectedLine(list);
  };
  EXPECT_EQ(tab(), 1);
  EXPECT_EQ(tab(), 3);
  EXPECT_EQ(tab(), 4);  // none further: the last line
  EXPECT_EQ(tab(), 1);  // from the last line the search starts at the top
  form.ClearResults();
  form.AddLine("only");
  EXPECT_EQ(tab(), 0);
}

TEST_F(MainWindowTest, PageDownStopsAboveTheNextSeparator) {
  form.ClearResults();
  form.SelectMainPage(TFFoxForm::kResultsPage);
  for (int i = 0; i < 120; ++i)
    form.AddLine(i % 30 == 29 ? kSeparatorLine : "line " + std::to_string(i));
  const int perPage = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
  ASSERT_GT(perPage, 3);
  ASSERT_LT(perPage, 58);
  SendMessageA(list, WM_KEYDOWN, VK_NEXT, 0);
  int firstBelow = perPage + 1, sep = firstBelow;
  while (sep % 30 != 29) ++sep;
  EXPECT_EQ(SelectedLine(list), sep - 1);

  form.ClearResults();
  form.AddLine("a");
  form.AddLine(kSeparatorLine);
  SendMessageA(list, WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(SelectedLine(list), -1);  // the list fits: nothing happens
}

TEST_F(MainWindowTest, RunningFirefoxTurnsTickedBoxesYellowAndCautionsThePurge) {
  TFFoxOptionsFrame1& frame = form.OptionFrame(RunMode::Standard);
  SetChecked(frame.Control(OptionField::Cookies), true);
  form.PollBrowserActivity();  // as start-up does; arms the 2-second timer
  FakeTopWindow firefox("MozillaWindowClass", "Start Page - Mozilla Firefox", true);
  DWORD end = GetTickCount() + 4000;  // the 2-second timer, with room for a loaded machine
  while (!frame.IsHighlighted(OptionField::Cookies) && static_cast<int>(end - GetTickCount()) > 0)
    PumpFor(50);
  EXPECT_TRUE(frame.IsHighlighted(OptionField::Cookies));
  EXPECT_FALSE(frame.IsHighlighted(OptionField::Cache));  // not ticked
  EXPECT_EQ(form.StatusPanelText(1), "  FireFox Browser is active");
  EXPECT_EQ(form.StatusBarColor(), RGB(255, 255, 0));
  // The box really paints yellow.
  HDC dc = GetDC(frame.Control(OptionField::Cookies));
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageA(frame.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(frame.Control(OptionField::Cookies))));
  ReleaseDC(frame.Control(OptionField::Cookies), dc);
  LOGBRUSH lb{};
  ASSERT_TRUE(GetObjectA(brush, sizeof lb, &lb));
  EXPECT_EQ(lb.lbColor, RGB(255, 255, 0));

  Click(form.Control(IDC_PURGE_BTN));
  EXPECT_EQ(ListViewItemText(list, 0),
            "-Caution- Some functions may not complete as a Browser was executing.");
  EXPECT_EQ(form.State().highestLevel, 9);
  EXPECT_EQ(form.HintOf(form.Control(IDC_PURGE_BTN)),
            "CAUTION - As FireFox is Executing, some Purge Options may not succeed.|"
            "CAUTION - As FireFox is Executing, some Purge Options may not succeed.");
}

TEST_F(MainWindowTest, IeAloneLeavesFirefoxPurgesFree) {
  TFFoxOptionsFrame1& frame = form.OptionFrame(RunMode::Standard);
  SetChecked(frame.Control(OptionField::Cache), true);
  SetChecked(frame.Control(OptionField::IECache), true);
  FakeTopWindow ie("IEFrame", "Home - Windows Internet Explorer", true);
  form.PollBrowserActivity();
  EXPECT_EQ(form.StatusPanelText(1), "  I.E. Browser is active");
  EXPECT_TRUE(frame.IsHighlighted(OptionField::IECache));
  EXPECT_FALSE(frame.IsHighlighted(OptionField::Cache));
  EXPECT_FALSE(FirefoxActive());
}

// A Chromium browser holding its lock file marks the ticked Chromium boxes, and only those.
TEST_F(MainWindowTest, RunningChromiumBrowserMarksTheTickedChromiumBoxes) {
  TFFoxOptionsFrame1& frame = form.OptionFrame(RunMode::Standard);
  SetChecked(frame.Control(OptionField::ChromiumCookies), true);
  SetChecked(frame.Control(OptionField::Cookies), true);
  const std::string userData = GetSpecialFolder(kCsidlLocalAppData).text + "\\Vivaldi\\User Data";
  ForceDirectories(userData);
  HANDLE lock = CreateFileA((userData + "\\lockfile").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  form.PollBrowserActivity();
  const bool marked = frame.IsHighlighted(OptionField::ChromiumCookies);
  const bool firefoxMarked = frame.IsHighlighted(OptionField::Cookies);
  CloseHandle(lock);
  form.PollBrowserActivity();
  const bool markedAfter = frame.IsHighlighted(OptionField::ChromiumCookies);
  RemoveTree(GetSpecialFolder(kCsidlLocalAppData).text + "\\Vivaldi");
  EXPECT_TRUE(marked);
  EXPECT_FALSE(firefoxMarked);
  EXPECT_FALSE(frame.IsHighlighted(OptionField::ChromiumHistory));  // not ticked
  EXPECT_FALSE(markedAfter);
}

TEST_F(MainWindowTest, CancelDuringARunStopsItBetweenItems) {
  static HWND cancelButton;
  static int counted;
  cancelButton = form.Control(IDC_CANCEL_BTN);
  counted = 0;
  PurgeFunctionTable table = PurgeFunctions();
  auto body = [](ReportContext& ctx) {
    PostMessageA(cancelButton, BM_CLICK, 0, 0);  // the user clicks while the run works
    for (int i = 0; i < 1000 && !ctx.Cancelled(); ++i, ++counted) ctx.CountItem();
    if (ctx.Cancelled()) ctx.AddReportLine("*** Cancelled by operator.");
  };
  for (auto& e : table)
    if (e.option == OptionField::IECache || e.option == OptionField::IEStrays) e.body = body;
  PurgeRequest r;
  r.options[OptionField::IECache] = 1;
  r.options[OptionField::IEStrays] = 1;
  ASSERT_TRUE(RunPurge(form.Context(), r, table));
  std::vector<std::string> lines = ListLines();
  EXPECT_LT(counted, 1000);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "*** Cancelled by operator."), lines.end());
  EXPECT_EQ(std::find(lines.begin(), lines.end(), "Processing \"I.E. Strays\""), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "  Purge Functions Cancelled by Operator."),
            lines.end());
}

TEST_F(MainWindowTest, CopiedReportEndsWithItsFooter) {
  ScopedArguments a({"MULT", "LEVEL3"});
  form.ClearResults();
  form.AddLine("first");
  SendMessageA(form.Handle(), WM_COMMAND, IDM_COPY_REPORT, 0);
  std::string text = ClipboardText();
  ASSERT_EQ(text.rfind("first\r\n \r\nvia Quorvane - Version - 5.01 - Build 5.1.0.180 - ", 0), 0u)
      << text;
  EXPECT_NE(text.find("\r\n    FireFox Product version - "), std::string::npos);
  EXPECT_NE(text.find("\r\n  Params = Quorvane.exe MULT LEVEL3\r\n"), std::string::npos);
  EXPECT_TRUE(EndsWith(text, "\r\n \r\n"));
}

TEST_F(MainWindowTest, ConfigurePagesApplyTheirOwnKeys) {
  HWND general = form.ConfigPageHandle(TFFoxForm::kGeneralPage);
  CheckRadio(general, IDC_SHRED_QUICK, 3, 1);
  SetDlgItemTextA(general, IDC_REPEATS_EDIT, "250");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(general, IDC_APPLY)));  // the edit enables Apply
  Click(GetDlgItem(general, IDC_APPLY));
  ShredSettings s = ReadShredSettings(SettingsFile());
  EXPECT_EQ(s.thoroughness, "1");
  EXPECT_EQ(s.repeats, 99);
  EXPECT_EQ(Globals().shred.repeats, 99);
  EXPECT_EQ(data.SettingsText().find("SplashOpt"), std::string::npos);

  HWND shut = form.ConfigPageHandle(TFFoxForm::kShutdownPage);
  CheckRadio(shut, IDC_MAINWIN_0, 4, 2);
  CheckRadio(shut, IDC_SHUTTYPE_0, 6, 5);
  Click(GetDlgItem(shut, IDC_APPLY));
  DisplayPolicy p = ReadDisplayPolicy(SettingsFile(), "ShutOptions");
  EXPECT_EQ(p.mainWinOpt, 2);
  EXPECT_EQ(p.shutType, 5);

  HWND temp = form.ConfigPageHandle(TFFoxForm::kTempFoldersPage);
  CheckDlgButton(temp, IDC_TMPDIR, BST_UNCHECKED);
  CheckDlgButton(temp, IDC_TMPDIR + 1, BST_CHECKED);  // "Windows Temp"
  SetDlgItemTextA(temp, IDC_AGEHOURS, "x");
  Click(GetDlgItem(temp, IDC_APPLY));
  TempFolderSelection t = ReadTempFolders(SettingsFile());
  EXPECT_TRUE(t.dosDir);
  EXPECT_FALSE(t.tmpDir);
  EXPECT_EQ(WindowText(GetDlgItem(temp, IDC_AGEHOURS)), "0");  // reloaded from the file
}

TEST_F(MainWindowTest, WindowPositionRoundTripAndOffScreenCheck) {
  WriteFileText(
      data.SettingsPath(),
      "[ShowOption]\r\nQuickStartOpt=N\r\n[Positions]\r\nFFoxForm=0 5000 5000 500 600\r\n");
  LoadWindowPosition(form.Handle(), "FFoxForm");
  RECT r;
  GetWindowRect(form.Handle(), &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, 600);
  EXPECT_EQ(r.bottom - r.top, 500);
  SetWindowPos(form.Handle(), nullptr, 12, 34, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE);
  Globals().fonts.main = {"Lucida Console", 11, 1};
  SaveWindowPosition(form.Handle(), "FFoxForm");
  ProfileFile file = SettingsFile();
  EXPECT_EQ(file.ReadString("Positions", "FFoxForm"), "0 34 12 480 640");
  EXPECT_EQ(file.ReadString("Fonts", "Main0Name"), "Lucida Console");
  EXPECT_EQ(file.ReadString("ShowOption", "QuickStartOpt"), "N");
  Globals().fonts = FontSettings();
}

TEST_F(MainWindowTest, FontsWindowStoresTheChosenMainFont) {
  SetFontDialogAnswerer([](CHOOSEFONTA& cf) {
    EXPECT_TRUE(cf.Flags & CF_FIXEDPITCHONLY);
    EXPECT_EQ(cf.nSizeMin, 6);
    EXPECT_EQ(cf.nSizeMax, 16);
    lstrcpyA(cf.lpLogFont->lfFaceName, "Lucida Console");
    cf.lpLogFont->lfItalic = TRUE;
    cf.iPointSize = 120;
    return true;
  });
  std::string caption;
  SetModalDriver([&](HWND dialog) {
    caption = WindowText(dialog);
    Click(GetDlgItem(dialog, IDC_SET_MAIN_FONT));
    Click(GetDlgItem(dialog, IDOK));
  });
  Click(GetDlgItem(form.ConfigPageHandle(TFFoxForm::kGeneralPage), IDC_SELECT_FONTS));
  SetModalDriver(nullptr);
  SetFontDialogAnswerer(nullptr);
  EXPECT_EQ(caption, "Quorvane - Configure Display Fonts");
  EXPECT_EQ(Globals().fonts.main.name, "Lucida Console");
  EXPECT_EQ(Globals().fonts.main.size, 12);
  EXPECT_EQ(Globals().fonts.main.style, 2);
  Globals().fonts = FontSettings();
}

TEST_F(MainWindowTest, AboutBoxAndVendorQuestion) {
  std::vector<std::string> texts;
  SetModalDriver([&](HWND dialog) {
    for (int id : {IDC_ABOUT_NAME, IDC_ABOUT_VERSION, IDC_ABOUT_BUILD})
      texts.push_back(WindowText(GetDlgItem(dialog, id)));
    EXPECT_TRUE(form.State().busy);
    Click(GetDlgItem(dialog, IDOK));
  });
  SendMessageA(form.Handle(), WM_COMMAND, IDM_ABOUT, 0);
  SetModalDriver(nullptr);
  EXPECT_EQ(texts, (std::vector<std::string>{"Quorvane", "Version - 5.01", "Build 5.1.0.180"}));
  EXPECT_FALSE(form.State().busy);

  MessageBoxRecorder no(MessageAnswer::No);
  SendMessageA(form.Handle(), WM_COMMAND, IDM_VENDOR_MAIL, 0);
  ASSERT_EQ(no.boxes.size(), 1u);
  EXPECT_EQ(no.boxes[0].caption, "Quorvane  -  Information");
  EXPECT_EQ(no.boxes[0].buttons, MessageButtons::YesNo);
  EXPECT_NE(no.boxes[0].text.find("?MailDrop=Support"), std::string::npos);
}

TEST_F(MainWindowTest, HiddenBrowserListingAndFolderReport) {
  FakeTopWindow hidden("MozillaWindowClass", "Old - Mozilla Firefox", false);
  SendMessageA(form.Handle(), WM_COMMAND, IDM_HIDDEN_BROWSERS, 0);
  std::vector<std::string> lines = ListLines();
  EXPECT_EQ(lines.front(), "Display Hidden Browser Windows ");
  EXPECT_EQ(lines.back(), "1 - Browser Window Found");
  EXPECT_EQ(form.MainPageIndex(), TFFoxForm::kResultsPage);

  SendMessageA(form.Handle(), WM_COMMAND, IDM_FOLDERS, 0);
  lines = ListLines();
  EXPECT_EQ(lines[0], "Following are the Files and Folders:");
  EXPECT_EQ(lines[lines.size() - 2], "       Plugins Path - " + BinFolder() + "\\Plugins");
  EXPECT_EQ(lines.back(), " Community Cleaners - " + data.Path() + "\\Winapp2.ini (not present)");
  EXPECT_NE(std::find(lines.begin(), lines.end(), " Quorvane Data Path - " + data.Path()),
            lines.end());
  // The installed Firefox and the profile its install section names, with its databases.
  const TFFoxProfile& p = FFoxProfile();
  EXPECT_EQ(lines[2], "  FireFox Exec Path - c:\\program files\\mozilla firefox");
  EXPECT_TRUE(EndsWith(p.DataPath, "\\Profiles\\k3w9d2qa.default-release")) << p.DataPath;
  EXPECT_EQ(lines[4], "        Cookie File - " + p.DataPath + "\\Cookies.sqlite");
  EXPECT_EQ(lines[5], "       History File - " + p.DataPath + "\\Places.sqlite");
  EXPECT_EQ(lines[6], "  Form History File - " + p.DataPath + "\\FormHistory.sqlite");
  EXPECT_NE(lines[7].find(
                "\\AppData\\Local\\Mozilla\\Firefox\\Profiles\\k3w9d2qa.default-release\\Cache"),
            std::string::npos)
      << lines[7];
  EXPECT_EQ(p.ProductVersion, "10.0.2");
}

TEST_F(MainWindowTest, FolderReportListsEachChromiumBrowserAndProfile) {
  const std::string local = GetSpecialFolder(kCsidlLocalAppData).text;
  const std::string chrome = local + "\\Google\\Chrome\\User Data";
  ForceDirectories(chrome + "\\Profile 1");
  WriteFileText(chrome + "\\Profile 1\\Preferences", "{}");
  WriteFileText(chrome + "\\Local State", R"({"profile":{"info_cache":{"Profile 1":{}}}})");
  SendMessageA(form.Handle(), WM_COMMAND, IDM_FOLDERS, 0);
  const std::vector<std::string> lines = ListLines();
  RemoveTree(local + "\\Google");
  auto at = std::find(lines.begin(), lines.end(), "      Google Chrome - " + chrome);
  ASSERT_NE(at, lines.end());
  ASSERT_NE(at + 1, lines.end());
  EXPECT_EQ(*(at + 1), "            Profile - " + chrome + "\\Profile 1");
  EXPECT_NE(std::find_if(at, lines.end(),
                         [](const std::string& l) {
                           return StartsWith(l, "      SQLite Module - Quorvane's own SQLite ") &&
                                  EndsWith(l, "(these browsers export no SQLite of their own)");
                         }),
            lines.end());
}

TEST_F(MainWindowTest, ExitIsRefusedWhileBusy) {
  form.State().busy = true;
  Click(form.Control(IDC_EXIT_BTN));
  PumpFor(50);
  EXPECT_TRUE(IsWindow(form.Handle()));
  form.State().busy = false;
  Click(form.Control(IDC_EXIT_BTN));
  PumpFor(50);
  EXPECT_FALSE(IsWindow(form.Handle()));
  EXPECT_NE(data.SettingsText().find("FFoxForm="), std::string::npos);  // position saved on close
}

TEST_F(MainWindowTest, ExitDuringACancelledRunClosesOnceTheRunHasReturned) {
  static HWND cancelButton, exitButton, window;
  static bool openWhenCancelled;
  cancelButton = form.Control(IDC_CANCEL_BTN);
  exitButton = form.Control(IDC_EXIT_BTN);
  window = form.Handle();
  PurgeFunctionTable table = PurgeFunctions();
  for (auto& e : table)
    if (e.option == OptionField::ClipBoard)
      e.body = [](ReportContext& ctx) {
        PostMessageA(cancelButton, BM_CLICK, 0, 0);
        PostMessageA(exitButton, BM_CLICK, 0, 0);
        for (int i = 0; i < 40; ++i) ctx.CountItem();  // messages run every 10th item
        openWhenCancelled = ctx.Cancelled() && IsWindow(window);
      };
  PurgeRequest r;
  r.options[OptionField::ClipBoard] = 1;
  ASSERT_TRUE(RunPurge(form.Context(), r, table));
  EXPECT_TRUE(openWhenCancelled);  // not torn down under the unwinding run
  PumpFor(100);
  EXPECT_FALSE(IsWindow(form.Handle()));
}

TEST_F(MainWindowTest, QuickStartShowsTheGuideAndRemembersTheStartupChoice) {
  SendMessageA(form.Handle(), WM_COMMAND, IDM_QUICK_START, 0);
  HWND quick = FindWindowA(nullptr, "Quorvane - Quick Start");
  ASSERT_TRUE(quick);
  EXPECT_TRUE(IsWindowVisible(quick));
  EXPECT_NE(WindowText(GetDlgItem(quick, IDC_QS_TEXT)).find("Click Preview"), std::string::npos);
  // The fixture's settings say "N": the box starts ticked.
  EXPECT_EQ(IsDlgButtonChecked(quick, IDC_QS_NOSHOW), BST_CHECKED);
  Click(GetDlgItem(quick, IDC_QS_NOSHOW));
  EXPECT_EQ(Globals().messages.quickStartOpt, "S");
  Click(GetDlgItem(quick, IDC_QS_NOSHOW));
  EXPECT_EQ(Globals().messages.quickStartOpt, "N");
  Click(GetDlgItem(quick, IDOK));
  EXPECT_FALSE(IsWindowVisible(quick));
  // The build puts Quorvane.chm beside the program: its menu item can be chosen.
  EXPECT_FALSE(GetMenuState(GetMenu(form.Handle()), IDM_HELP_CONTENTS, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(MainWindowTest, SaveStoresTicksEvenOfDisabledBoxesAndOnlyTheBinDropsOutOfARun) {
  TFFoxOptionsFrame1& frame = form.OptionFrame(RunMode::Standard);
  for (OptionField f : {OptionField::FFTypedUrls, OptionField::RecycleBin}) {
    SetChecked(frame.Control(f), true);
    frame.EnableOption(f, false);  // no databases / no recycle-bin service
  }
  Click(FrameButton(RunMode::Standard, IDC_SAVEOPT));
  OptionSet saved = ReadOptionSet(SettingsFile(), "StndOptions");
  EXPECT_EQ(saved[OptionField::FFTypedUrls], 1);
  EXPECT_EQ(saved[OptionField::RecycleBin], 1);
  // The run takes the typed-URLs tick but not the bin's: two steps of the gauge, not three.
  Click(form.Control(IDC_PREVIEW_BTN));
  EXPECT_EQ(form.State().gaugeStep, 100);
  frame.EnableOption(OptionField::RecycleBin, true);
  Click(form.Control(IDC_PREVIEW_BTN));
  EXPECT_EQ(form.State().gaugeStep, 66);
}

TEST_F(MainWindowTest, ChoosingAnotherShredMethodOffersApply) {
  HWND general = form.ConfigPageHandle(TFFoxForm::kGeneralPage);
  HWND apply = GetDlgItem(general, IDC_APPLY);
  EXPECT_FALSE(IsWindowEnabled(apply));
  Click(GetDlgItem(general, IDC_SHRED_THOROUGH));
  ASSERT_TRUE(IsWindowEnabled(apply));
  Click(apply);
  EXPECT_EQ(SettingsFile().ReadString("ShredOption", "Thoroughness"), "1");
  EXPECT_EQ(Globals().shred.Method(), '1');
  Globals().shred = ShredSettings();
}

TEST_F(MainWindowTest, TabAndPageDownWorkFromAnyControlOfTheWindowButNotWhileBusy) {
  for (int i = 0; i < 60; ++i) form.AddLine(i == 40 ? "*** Error - something" : "line");
  HWND box = form.OptionFrame(RunMode::Standard).Control(OptionField::History);
  PostMessageA(box, WM_KEYDOWN, VK_TAB, 0);
  PumpFor(50);
  EXPECT_EQ(SelectedLine(list), 40);
  PostMessageA(form.Control(IDC_PREVIEW_BTN), WM_KEYDOWN, VK_TAB, 0);
  PumpFor(50);
  EXPECT_EQ(SelectedLine(list), 59);  // no further error line: the last one
  form.State().busy = true;
  PostMessageA(box, WM_KEYDOWN, VK_TAB, 0);
  PumpFor(50);
  EXPECT_EQ(SelectedLine(list), 59);
  form.State().busy = false;

  // The fonts window is a modal action: busy while it is open.
  bool busyInside = false;
  SetModalDriver([&](HWND dialog) {
    busyInside = form.State().busy;
    Click(GetDlgItem(dialog, IDOK));
  });
  Click(GetDlgItem(form.ConfigPageHandle(TFFoxForm::kGeneralPage), IDC_SELECT_FONTS));
  SetModalDriver(nullptr);
  EXPECT_TRUE(busyInside);
  EXPECT_FALSE(form.State().busy);
}

TEST_F(MainWindowTest, DesignSizeCentredWithSilverBarsWhenNoPositionIsStored) {
  RECT r;
  GetWindowRect(form.Handle(), &r);
  EXPECT_EQ(r.right - r.left, 592);
  EXPECT_EQ(r.bottom - r.top, 434);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 592) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 434) / 2);

  SetWindowPos(form.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  RedrawWindow(form.Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpFor(100);
  RECT client;
  GetClientRect(form.Handle(), &client);
  RECT bar;
  GetWindowRect(form.StatusBar(), &bar);
  HDC dc = GetDC(form.Handle());
  const COLORREF top = GetPixel(dc, 470, 20);  // between the buttons and the version text
  const COLORREF bottom = GetPixel(dc, 3, client.bottom - (bar.bottom - bar.top) - 20);
  ReleaseDC(form.Handle(), dc);
  EXPECT_EQ(top, RGB(0xC0, 0xC0, 0xC0));
  EXPECT_EQ(bottom, RGB(0xC0, 0xC0, 0xC0));
}

TEST_F(MainWindowTest, FolderReportShowsTheMarkerWhenTheLocalCacheIsMissing) {
  RefreshProfileStatus();
  const std::string local = FFoxProfile().discoveredPaths.localCache;
  ASSERT_FALSE(local.empty());
  const std::string moved = local + ".away";
  ASSERT_TRUE(MoveFileA(local.c_str(), moved.c_str()));
  SendMessageA(form.Handle(), WM_COMMAND, IDM_FOLDERS, 0);
  std::vector<std::string> lines = ListLines();
  MoveFileA(moved.c_str(), local.c_str());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "       Cache Folder -   Folder not found"),
            lines.end());
  SendMessageA(form.Handle(), WM_COMMAND, IDM_FOLDERS, 0);  // and back once it is there again
  lines = ListLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "       Cache Folder - " + local), lines.end());
}

// An unattended run makes no window unless it shows it; the window made then shows the run as
// it would have shown it all along.
TEST(MainWindowMadeAfterTheRun, ShowsTheReportStatusAndPageOfARunMadeWithoutIt) {
  ScopedDataFolder data;
  MessageBoxRecorder boxes;
  ScopedArguments args{{"AUTO"}};
  SelectRunMode();
  TFFoxForm form;
  form.Initialise();
  form.PurgeBtnClick();  // nothing ticked: a level 9 error
  EXPECT_EQ(form.Handle(), nullptr);
  EXPECT_FALSE(form.OptionFrame(RunMode::PurgeNow).Made());
  const std::vector<std::string> report = form.ResultLines();
  EXPECT_NE(std::find(report.begin(), report.end(), " -Error- No Purge Options were Selected."),
            report.end());

  ASSERT_TRUE(form.MakeWindow());
  HWND list = form.Control(IDC_RESULTS);
  std::vector<std::string> listed;
  for (int i = 0; i < ListViewCount(list); ++i) listed.push_back(ListViewItemText(list, i));
  EXPECT_EQ(listed, report);
  EXPECT_EQ(form.MainPageIndex(), TFFoxForm::kResultsPage);
  EXPECT_EQ(form.ShownOptionFrame().Mode(), RunMode::PurgeNow);
  EXPECT_EQ(WindowText(form.Control(IDC_STATUS_LABEL)),
            " Errors in Purge function  -  Use the TAB key to locate the Error... ");
  EXPECT_EQ(form.StatusPanelText(1), "  \"Purge Now Options\" is current...");
  EXPECT_EQ(WindowText(form.Handle()).rfind("Quorvane - ", 0), 0u);
  DestroyWindow(form.Handle());
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  SelectRunMode();
}

namespace {
// A main window made over a given settings file and command line, closed as the user would.
struct StoredStateTest : testing::Test {
  ScopedDataFolder data;
  MessageBoxRecorder boxes;
  void TearDown() override {
    Globals() = GlobalSettings();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
  void StartAndClose(const std::string& settings, std::vector<std::string> args,
                     const std::function<void(TFFoxForm&)>& whileOpen = {}) {
    if (!settings.empty()) WriteFileText(data.SettingsPath(), settings);
    ScopedArguments scoped(args);
    SelectRunMode();
    TFFoxForm form;
    ASSERT_TRUE(form.Create());
    if (whileOpen) whileOpen(form);
    SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
    PumpWaitingMessages();
    EXPECT_FALSE(IsWindow(form.Handle()));
    SelectRunMode();
  }
  std::string Stored(const char* section, const char* key) {
    return SettingsFile().ReadString(section, key, "(none)");
  }
};
constexpr const char* kStoredChoices =
    "[ShowOption]\r\nQuickStartOpt=N\r\nCookieMsgOpt=Y\r\n"
    "[Fonts]\r\nMain0Name=Lucida Console\r\nMain0Size=11\r\nMain0Style=1\r\n"
    "Prot1Name=Arial\r\nProt1Size=12\r\nProt1Style=2\r\n";
}  // namespace

TEST_F(StoredStateTest, AHiddenRunKeepsTheMaximisedState) {
  StartAndClose(std::string(kStoredChoices) + "[Positions]\r\nFFoxForm=2\r\n", {"BOOT"});
  EXPECT_EQ(Stored("Positions", "FFoxForm"), "2");
}

// An unattended run that stays hidden makes no window; its close writes back the position the
// window was given at start, with the fonts and choices it read, as the window would have.
TEST_F(StoredStateTest, AWindowNeverMadeWritesBackWhatItWasGiven) {
  const struct {
    const char* stored;
    std::vector<std::string> args;
    const char* written;
  } cases[] = {{"FFoxForm=2\r\n", {"BOOT"}, "2"},
               {"FFoxForm=0 10 20 500 600\r\n", {"BOOT"}, "0 10 20 500 600"},
               {"", {"BOOT"}, "Default"},
               {"FFoxForm=0 10 20 500 600\r\n", {"BOOT", "RESET"}, "Default"},
               {"FFoxForm=0 10 20 500 600\r\n", {"BOOT", "ANYPOS"}, "Default"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.stored) + " " + c.args.back());
    WriteFileText(data.SettingsPath(), std::string(kStoredChoices) + "[Positions]\r\n" + c.stored);
    ScopedArguments scoped(c.args);
    SelectRunMode();
    {
      TFFoxForm form;
      form.Initialise();
      form.Close();
      EXPECT_EQ(form.Handle(), nullptr);
    }
    EXPECT_EQ(Stored("Positions", "FFoxForm"), c.written);
    EXPECT_EQ(Stored("Fonts", "Main0Name"), "Lucida Console");
    EXPECT_EQ(Stored("ShowOption", "CookieMsgOpt"), "Y");
    Globals() = GlobalSettings();
  }
  SelectRunMode();
}

TEST_F(StoredStateTest, AnyPosSkipsOnlyThePositionsNeverTheFontsAndChoices) {
  StartAndClose(std::string(kStoredChoices) + "[Positions]\r\nFFoxForm=0 10 20 500 600\r\n",
                {"BOOT", "ANYPOS"}, [](TFFoxForm& form) {
                  RECT r;
                  GetWindowRect(form.Handle(), &r);
                  EXPECT_EQ(r.right - r.left, 592);  // the design size stays
                  EXPECT_EQ(Globals().fonts.main.name, "Lucida Console");
                });
  EXPECT_EQ(Stored("Fonts", "Main0Name"), "Lucida Console");
  EXPECT_EQ(Stored("Fonts", "Main0Style"), "1");
  EXPECT_EQ(Stored("ShowOption", "QuickStartOpt"), "N");
  EXPECT_EQ(Stored("ShowOption", "CookieMsgOpt"), "Y");
}

TEST_F(StoredStateTest, TheCookieWindowsFontIsReadAndKept) {
  CHOOSEFONTA seen{};
  LOGFONTA seenFont{};
  SetFontDialogAnswerer([&](CHOOSEFONTA& cf) {
    seen = cf;
    seenFont = *cf.lpLogFont;
    return false;  // cancelled: nothing changes
  });
  StartAndClose(kStoredChoices, {}, [](TFFoxForm& form) {
    SetModalDriver([](HWND dialog) {
      Click(GetDlgItem(dialog, IDC_SET_COOKIE_FONT));
      Click(GetDlgItem(dialog, IDOK));
    });
    Click(GetDlgItem(form.ConfigPageHandle(TFFoxForm::kGeneralPage), IDC_SELECT_FONTS));
    SetModalDriver(nullptr);
  });
  SetFontDialogAnswerer(nullptr);
  EXPECT_STREQ(seenFont.lfFaceName, "Arial");  // the dialog opens on the stored font
  EXPECT_EQ(Stored("Fonts", "Prot1Name"), "Arial");
  EXPECT_EQ(Stored("Fonts", "Prot1Size"), "12");
  EXPECT_EQ(Stored("Fonts", "Prot1Style"), "2");
}

TEST_F(StoredStateTest, ResetTurnsAStoredPositionIntoTheDefaultAndReadOnlyIsCleared) {
  StartAndClose("[ShowOption]\r\nQuickStartOpt=N\r\n[Positions]\r\nFFoxForm=0 10 20 500 600\r\n",
                {"RESET"}, [](TFFoxForm& form) {
                  RECT r;
                  GetWindowRect(form.Handle(), &r);
                  EXPECT_EQ(r.left, 0);
                  EXPECT_EQ(r.top, 0);
                  EXPECT_EQ(r.right - r.left, 620);
                  EXPECT_EQ(r.bottom - r.top, 450);
                });
  SetFileAttributesA(data.SettingsPath().c_str(), FILE_ATTRIBUTE_READONLY);
  StartAndClose("", {});
  // Cleared at start, so the close could write the position.
  EXPECT_FALSE(GetFileAttributesA(data.SettingsPath().c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Stored("Positions", "FFoxForm"), "0 0 0 450 620");
}

TEST_F(StoredStateTest, APopulatedSettingsFileReachesEveryPage) {
  // Each mode ticks a different pair of boxes and radio choices, so a mix-up shows.
  const OptionField picks[4][2] = {{OptionField::Cache, OptionField::IEStrays},
                                   {OptionField::Cookies, OptionField::RecentLnks},
                                   {OptionField::FFTypedUrls, OptionField::IEDomStore},
                                   {OptionField::Forms, OptionField::ClipBoard}};
  std::map<std::string, std::string> sections{
      {"ShowOption", "QuickStartOpt=N\r\n"},
      {"PnowOptions", "SplashOpt=1\r\nMainWinOpt=2\r\n"},
      {"BootOptions", "MainWinOpt=3\r\n"},
      {"ShutOptions", "MainWinOpt=1\r\nShutType=4\r\n"},
      {"ShredOption", "Thoroughness=2\r\nRepeats=7\r\n"},
      {"TempFolders",
       "TmpDir=0\r\nDosDir=1\r\nWinDir=0\r\nVolDir=1\r\nAgeTemp=0\r\nAgeHours=24\r\n"}};
  for (RunMode m : kAllModes) {
    const int i = ModeIndex(m);
    OptionSet set;
    set[picks[i][0]] = set[picks[i][1]] = 1;
    set[OptionField::SecureDelete] = i % 2;
    set[OptionField::CompactSql] = i / 2;
    set[OptionField::Report] = i == 3;
    for (const auto& f : OptionFields())
      sections[InfoOf(m).section] +=
          std::string(f.key) + "=" + std::to_string(set[f.field]) + "\r\n";
  }
  std::string settings;
  for (const auto& [name, keys] : sections) settings += "[" + name + "]\r\n" + keys;
  StartAndClose(settings, {}, [&](TFFoxForm& form) {
    for (RunMode m : kAllModes) {
      const int i = ModeIndex(m);
      OptionSet shown = form.OptionFrame(m).Values();
      for (const auto& f : OptionFields()) {
        if (f.isRadio) continue;
        const bool expected = f.field == picks[i][0] || f.field == picks[i][1];
        EXPECT_EQ(shown[f.field], expected ? 1 : 0) << InfoOf(m).section << " " << f.key;
      }
      EXPECT_EQ(shown[OptionField::SecureDelete], i % 2) << InfoOf(m).section;
      EXPECT_EQ(shown[OptionField::CompactSql], i / 2) << InfoOf(m).section;
      EXPECT_EQ(shown[OptionField::Report], i == 3 ? 1 : 0) << InfoOf(m).section;
    }
    HWND general = form.ConfigPageHandle(TFFoxForm::kGeneralPage);
    EXPECT_EQ(CheckedRadio(general, IDC_SHRED_QUICK, 3), 2);
    EXPECT_EQ(WindowText(GetDlgItem(general, IDC_REPEATS_EDIT)), "7");
    HWND pnow = form.ConfigPageHandle(TFFoxForm::kPurgeNowPage);
    EXPECT_EQ(CheckedRadio(pnow, IDC_SPLASH_ENABLE, 2), 1);
    EXPECT_EQ(CheckedRadio(pnow, IDC_MAINWIN_0, 4), 2);
    HWND boot = form.ConfigPageHandle(TFFoxForm::kStartupPage);
    EXPECT_EQ(CheckedRadio(boot, IDC_SPLASH_ENABLE, 2), 0);
    EXPECT_EQ(CheckedRadio(boot, IDC_MAINWIN_0, 4), 3);
    HWND shut = form.ConfigPageHandle(TFFoxForm::kShutdownPage);
    EXPECT_EQ(CheckedRadio(shut, IDC_MAINWIN_0, 4), 1);
    EXPECT_EQ(CheckedRadio(shut, IDC_SHUTTYPE_0, 6), 4);
    HWND temp = form.ConfigPageHandle(TFFoxForm::kTempFoldersPage);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(IsDlgButtonChecked(temp, IDC_TMPDIR + i), i % 2 ? BST_CHECKED : BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(temp, IDC_AGETEMP), BST_UNCHECKED);
    EXPECT_EQ(WindowText(GetDlgItem(temp, IDC_AGEHOURS)), "24");
  });
}

namespace {
void CountThreeItems(ReportContext& ctx) {
  for (int i = 0; i < 3; ++i) ctx.CountItem();
}
PurgeRequest ClipboardOnly() {
  PurgeRequest r;
  r.options[OptionField::ClipBoard] = 1;
  return r;
}
PurgeFunctionTable ClipboardCounts() {
  PurgeFunctionTable t = PurgeFunctions();
  for (auto& e : t)
    if (e.option == OptionField::ClipBoard) e.body = CountThreeItems;
  return t;
}
}  // namespace

TEST_F(MainWindowTest, ErrorsAndTotalsSwitchesShapeTheEndOfARun) {
  ASSERT_TRUE(RunPurge(form.Context(), ClipboardOnly(), ClipboardCounts()));
  EXPECT_EQ(ListLines().back(), "  Purge Functions Completed.");
  EXPECT_EQ(WindowText(form.Control(IDC_STATUS_LABEL)),
            "New Users - click \"Help\" and select \"Getting Started Information\"");
  {
    ScopedArguments totals({"totals"});
    RunPurge(form.Context(), ClipboardOnly(), ClipboardCounts());
    EXPECT_EQ(WindowText(form.Control(IDC_STATUS_LABEL)), "Total Processed - 3");
  }
  ScopedArguments errors({"errors", "totals"});
  RunPurge(form.Context(), ClipboardOnly(), ClipboardCounts());
  std::vector<std::string> lines = ListLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(form.State().highestLevel, 0);
  EXPECT_EQ(lines[lines.size() - 2],
            "NOTE - The TroubleShooting section of the Quorvane Help file ");
  EXPECT_EQ(WindowText(form.Control(IDC_STATUS_LABEL)),
            " Errors in Purge function  -  Use the TAB key to locate the Error... ");
}
