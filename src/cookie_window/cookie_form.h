#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "chromium/chromium_cookies.h"
#include "cookies/keep_list.h"
#include "core/folders.h"
#include "core/message_box.h"
#include "core/option_set.h"
#include "core/report_context.h"
#include "firefox/cookie_purge.h"
#include "platform/window_procedure.h"

// The cookie window (TCookieForm, "Quorvane - Select Cookies to Keep"): the cookies Firefox,
// Internet Explorer and the Chromium-family browsers hold, their keep-list marks and the browsers'
// own per-site settings, with the commands that change them. Modal; the keep lists load when it
// opens and are saved when it closes or its tab changes. Deletions follow the option set's Secure
// Erase choice.
void ShowCookieForm(HWND owner, const OptionSet& options, const ShredSettings& shred);
// Forgets what the window keeps while the program runs ("Yes To All" answers, the sort, a
// stopped IE listing), as a fresh start of the program has it.
void ForgetCookieFormProcessState();

// The splitter's rule: the details list's new height is taken when it is 20 % to 60 % of the
// area of both lists and leaves the main list 40 pixels plus the window's height (frame and
// caption included) above 375.
bool AcceptDetailsHeight(int height, int listArea, int windowHeight);

// The keep-status mark of a host on the Firefox and Chromium tabs: what the purges do with its
// cookies (DecideCookieHost, cookies/cookie_decision.h), "Protect" when they stay, "Random" when
// they are randomized, empty when they go. A list that could not be read shows the marks made
// since, which are never saved.
std::string HostKeepStatusMark(const KeepList& keep, const std::string& host);
// The keep-status mark of an IE tab's address (caption lower-cased), "Protect", "Random" or
// empty: exact entries and the IE part-of-host forms, a later entry winning.
std::string IeKeepStatusMark(const std::vector<std::string>& entries, const std::string& caption);

// The window, split over files by concern: cookie_form.cpp (creation, the window procedure,
// layout, tabs, closing), cookie_form_listing.cpp (each tab's list, details, sorting, filter),
// cookie_form_commands.cpp (Protect, Randomize, Unprotect, Delete, Open, Edit, the site
// permissions and their buttons) and cookie_form_chromium.cpp (what the Chromium tab reads and
// deletes).
class TCookieForm : public Dialog {
 public:
  static void ForgetProcessState() { Process() = ProcessState(); }
  TCookieForm(const OptionSet& options, const ShredSettings& shred) {
    run_.secureErase = options[OptionField::SecureDelete] == 1;
    run_.shred = shred;
    run_.options = options;
  }

 private:
  // The Chromium tab is always the last one, after the IE tabs the system has.
  enum Tab { kFirefoxTab = 0, kIeNormalTab = 1, kIeProtectedTab = 2, kChromiumTab = 3 };
  enum Column { kAddress = 0, kStatus = 1, kBrowser = 2, kComment = 3 };
  static constexpr const char* kMessageCaption = "Quorvane  -  Message";
  static constexpr const char* kOnlyInProtect = "Only in Protect File - no Cookie";

  // Kept while the program runs.
  struct ProcessState {
    bool yesToAllDelete = false;
    bool yesToAllRandom = false;
    bool busy = false;
    bool ieListingStopped = false;  // the list refused more IE items once: count, do not list
    int sortColumn = 0;
    std::array<bool, 4> ascending{true, false, false, false};
  };
  static ProcessState& Process();

  // Set for the length of a command or a listing, put back however it ends: a listing started
  // by a command leaves the command busy.
  struct BusyGuard {
    bool was = Process().busy;
    BusyGuard() { Process().busy = true; }
    ~BusyGuard() { Process().busy = was; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
  };

  struct Row {
    std::array<std::string, 4> text;
    // IE: the cookie's text file as the cache index named it. Column 3 shows it until a command
    // writes its result there, so deleting never takes the file name from the shown text.
    std::string localFile;
    // Carried through a sort, so that the selection stays on its cookies.
    bool selected = false, focused = false;
  };

  // One cookie as the listing groups it by host.
  struct CookieFields {
    std::string host, name, value;
  };
  // Cookie i of the tab's store; false for a line that is no cookie.
  using CookieAt = std::function<bool(size_t, CookieFields&)>;

  static void Tell(const std::string& text, const std::string& caption,
                   MessageKind kind = MessageKind::Information);

  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  bool OnNotify(NMHDR* n) override;
  bool OnSize() override;
  bool OnTimer(UINT_PTR id) override;
  bool OnClose() override;
  // A command that fails leaves the window as it is, without a word.
  bool ReportsFailures() const override { return false; }
  void Layout();
  void SetupTabs();
  void SetColumnCaptions();
  void ListCookies();
  void ListFirefox();
  void ListIe();
  void ListChromium();
  void ListHosts(size_t count, const CookieAt& cookieAt);
  void FinishListing();
  void MarkKeepStatus();
  void RemarkDomainCookies();
  void MarkBrowserSetting();
  void MarkChromiumProfiles();
  void ShowDetails();
  std::vector<std::array<std::string, 3>> ChromiumDetails(const std::string& host) const;
  void SortBy(int column, bool ascending);
  void ResetSort();
  void ColumnClick(int column);
  void ShowSortArrow(bool ascending);
  void Refill();
  std::vector<int> Selected() const;
  void Protect();
  void Randomize();
  void Unprotect();
  void Delete();
  std::string DeleteOne(int row);
  bool FlushDeletes();
  std::set<std::string> FlushChromiumDeletes();
  void FinishDeletes();
  std::string ActiveBrowser(const std::vector<int>& rows) const;
  void PollChromiumBrowsers();
  std::string DisabledReason(bool permissionButton, const std::string& active) const;
  bool BrowserRefusal();
  void Open();
  void Edit();
  void Permission(char action);
  void UpdatePermissionButtons();
  bool Busy() const { return Process().busy; }
  void TabChanged();
  void Close();
  void SelectAll();
  void SetStatus(int panel, const std::string& text);
  void ContextMenu();
  void SaveLayout();
  // The Firefox keep list governs the Chromium browsers' cookies too: a host is a host
  // whichever browser holds it.
  KeepList& Keep() { return IeTab() ? ieKeep_ : ffKeep_; }
  bool IeTab() const { return tab_ == kIeNormalTab || tab_ == kIeProtectedTab; }
  int TabOfIndex(int index) const;
  int IndexOfTab(int tab) const;

  HWND list_ = nullptr, details_ = nullptr, status_ = nullptr, tabs_ = nullptr;
  HFONT listFont_ = nullptr;
  HIMAGELIST arrows_ = nullptr;
  RunState run_;
  CountingReportView view_;
  ReportContext ctx_{run_, view_};
  KeepList ffKeep_{FirefoxKeepListFile()}, ieKeep_{IeKeepListFile()};
  CookieStore store_;
  // The Chromium tab's store: the cookie files found and their cookies, sorted by host.
  struct ChromiumStore {
    std::vector<ChromiumCookieFile> files;
    struct Entry {
      ChromiumCookie cookie;
      size_t file;
    };
    std::vector<Entry> cookies;
  } chromium_;
  std::set<std::string> chromiumRunning_;  // the Chromium-family browsers found running
  std::vector<Row> rows_;
  struct PendingDeletes {
    std::set<std::string> present, gone;  // hosts of the cookie lines; hosts to delete
    std::vector<int> rows;                // the rows that read "Deleted" once the write is done
    bool primed = false;
  } pending_;
  int tab_ = kFirefoxTab;
  int detailsHeight_ = 0;
  COLORREF selectedTab_ = 0;
  bool dragging_ = false;
  std::vector<std::pair<HWND, std::string>> hints_;
  std::array<int, 4> widths1_{260, 70, 70, 200};
  std::array<int, 3> widths2_{200, 120, 200};
};
