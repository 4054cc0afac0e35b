#pragma once
#include <windows.h>

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/option_frame.h"
#include "app/results_column.h"
#include "core/report_context.h"
#include "core/report_lines.h"
#include "platform/window_procedure.h"

// The main window: option pages per run mode, Configure pages, results list, status area.
class TFFoxForm : public Window, public ReportView {
 public:
  enum MainPage { kPurgeOptionsPage = 0, kConfigurePage = 1, kResultsPage = 2 };
  enum ConfigPage { kGeneralPage, kPurgeNowPage, kStartupPage, kShutdownPage, kTempFoldersPage };

  ~TFFoxForm();
  // Initialise, then MakeWindow.
  bool Create();
  // The start-up initialisation with no window made: what every run needs (unless an
  // unattended run made it already), the option sets, the report and status texts.
  void Initialise(bool runsPrepared = false);
  // The window (hidden) and its controls, showing what happened without them: the report
  // lines, the status texts, the selected pages. Made once; false when it could not be made.
  bool MakeWindow();  // Handle() is null until then
  // The main window's caption (also before the window is made).
  const std::string& CaptionText() const { return caption_; }
  // The close handling (timers, URL server, saved position, shutdown action) and the window's
  // end; without a window, the handling alone.
  void Close();
  bool Fatal() const { return fatal_; }
  RunState& State() { return state_; }
  ReportContext& Context() { return context_; }

  // Buttons and timer
  void PurgeBtnClick();
  void PreviewBtnClick();
  void CookiesBtnClick();
  void ExitBtnClick();
  void CancelBtnClick();
  void Timer1Timer();
  void PollBrowserActivity();

  // Results list
  void ClearResults();
  void CopyReportToClipboard();
  void ShowFolderReport();
  void ShowHiddenBrowserWindows();
  void ShowResultsPage();
  void TabKeyDown();
  void PageDownKeyDown();
  // Tab or Page Down pressed anywhere in the window; false when not taken (busy, other key).
  bool PreviewKey(WPARAM key);
  std::vector<std::string> ResultLines() const { return lines_.Copy(); }
  // A run made without the window (an unattended one whose policy now shows it): its report,
  // state and closing status become the window's, as if the window had watched it.
  void ShowFinishedRun(const RunState& finished, ReportLines lines);

  // Pages
  TFFoxOptionsFrame1& OptionFrame(RunMode mode) { return frames_[ModeIndex(mode)]; }
  TFFoxOptionsFrame1& ShownOptionFrame();
  HWND ConfigPageHandle(ConfigPage page) const;  // makes the page if need be
  void SelectMainPage(int page);
  void SelectOptionPage(RunMode mode);
  void SelectConfigPage(int page);
  int MainPageIndex() const;
  void LoadAllSettings();
  // The Configure pages' "Apply Changes", each writing only its own keys.
  void SaveShredSettings();
  void SavePnowDisplay() { SaveDisplayPolicy(kPurgeNowPage); }
  void SaveBootDisplay() { SaveDisplayPolicy(kStartupPage); }
  void SaveShutDisplay() { SaveDisplayPolicy(kShutdownPage); }
  void SaveTempFolders();
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  HWND StatusBar() const;
  std::string StatusPanelText(int panel) const;
  COLORREF StatusBarColor() const { return statusBarColor_; }
  std::string HintOf(HWND control) const;
  bool PageDownHintVisible() const;

  // ReportView
  void ClearLines() override { ClearResults(); }
  void AddLine(const std::string& line) override;
  void ReplaceLine(size_t index, const std::string& line) override;
  size_t LineCount() const override { return lines_.size(); }
  const ReportLines& Lines() const override { return lines_; }
  void ShowStatus(const std::string& text) override;
  void PumpMessages() override;
  bool Watched() const override { return IsWindowVisible(window_) != FALSE; }
  void RunStarting(int gaugeStep) override;
  void FunctionFinished() override;
  void RunEnded(bool errorStatus) override;

  // The idle text of the second status panel, e.g. `  "Standard Options" is current...`.
  std::string IdleStatusText();
  void SetFatal() { fatal_ = true; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // A Configure page: what it hears is the main window's to answer.
  class ConfigPageDialog : public Dialog {
   public:
    ConfigPageDialog(TFFoxForm& form) : form_(form) {}  // not explicit: the array lists them

   protected:
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

   private:
    TFFoxForm& form_;
  };

  INT_PTR OnConfigMessage(HWND page, UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  void CreatePages();
  void Layout();
  void PlaceOnPageTabs(HWND page);
  void SizeTempFolderRows();
  void OnCommand(int id, int code, HWND control);
  LRESULT OnNotify(NMHDR* header);
  void OnDrawTab(DRAWITEMSTRUCT* item);
  HBRUSH OnControlColor(HDC dc, HWND control);
  void OnMainPageChanged();
  void OnOptionPageChanged();
  void OnTimer(UINT_PTR id);
  bool RunPurgeOrPreview(bool preview);
  void SetStatusLabel(const std::string& text, bool errorColour);
  void FlushStatus();
  void SetPageDownHint(bool visible);
  void SetHint(HWND control, const std::string& hint);
  void ShowHintFor(HWND control);
  void SetStatusPanel(int panel, const std::string& text);
  void SizeResultsColumn(bool toContents);
  // Into the results list, which asks for the text when it shows the line; false if refused.
  bool ListLine(size_t index, std::string_view line);
  void SelectResultLine(int index);
  void ApplyMainFont();
  void LoadGlobalSettings();
  void MakeConfigPage(ConfigPage page);
  void FillConfigPage(ConfigPage page);
  void LoadTempFolderPage();
  void SaveDisplayPolicy(ConfigPage page);
  std::string NormalStatusText() const;
  void OpenFontsWindow();
  void OpenAboutBox();
  void OpenQuickStart();
  void OpenShell(const std::string& target, const std::string& params = {});
  void AskAndOpenVendorPage(const std::string& caption, const std::string& target,
                            const std::string& params);
  void RunInitialisation(bool runsPrepared);
  void ShowInitialState();
  void ShowModel();

  bool controlsMade_ = false;  // messages before that (those of the window's making) are default
  HWND resultsList_ = nullptr;
  // The list's own keys: Tab and Page Down search the report, and its column follows its size.
  class ResultsListKeys : public Window {
   public:
    explicit ResultsListKeys(TFFoxForm& form) : form_(form) {}

   protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

   private:
    TFFoxForm& form_;
  };
  ResultsListKeys resultsListKeys_{*this};
  std::array<TFFoxOptionsFrame1, 4> frames_;
  std::array<ConfigPageDialog, 5> configPages_{*this, *this, *this, *this, *this};
  RunState state_;
  ReportContext context_{state_, *this};
  ReportLines lines_;
  ResultsColumn resultsColumn_;
  std::string caption_;
  // What the window's controls show, kept also while there is no window.
  std::string statusLabel_;
  std::array<std::string, 2> statusPanels_;
  int mainPage_ = kPurgeOptionsPage, optionPage_ = 0, configPage_ = kGeneralPage;
  bool pageDownHintDue_ = false;  // a run ended with more lines than a page, no window to show it
  bool browserPollArmed_ = false;
  std::map<HWND, std::string> hints_;
  int tabSearchPos_ = -1;
  int gaugeWidth_ = 0;
  bool fatal_ = false;
  bool closing_ = false;
  bool closeAfterRun_ = false;  // Exit was chosen while a cancelled run was still returning
  bool statusLabelError_ = false;
  COLORREF statusBarColor_ = 0;
  COLORREF mainTabSelected_ = 0, mainTabOther_ = 0, subTabSelected_ = 0, subTabOther_ = 0;
  HFONT purgeFont_ = nullptr, boldFont_ = nullptr, resultsFont_ = nullptr, guiFont_ = nullptr;
  HWND quickStart_ = nullptr;
  HHOOK keyHook_ = nullptr;
  std::string pendingStatus_;  // the run's latest status text, shown at most every 50 ms
  bool statusPending_ = false;
  DWORD lastStatusTick_ = 0;
  std::string purgeHint_ = "|Process Delete function for selected Purge Options";
};

// The one main window of the process (null before it is created).
TFFoxForm* MainForm();

// The program-wide handler for failures no other code caught: box, busy cleared, window closed.
void HandleProgramFailure(const std::string& message, const void* address);
