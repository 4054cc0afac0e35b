// The cookie window's commands: Protect, Randomize, Unprotect, Delete, Open, Edit, and the
// browsers' site permissions with the buttons that follow Firefox's state.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <set>
#include <string>
#include <vector>

#include "chromium/chromium_purge.h"
#include "cookie_window/cookie_form.h"
#include "cookie_window/prot_edit_form.h"
#include "cookie_window/site_permissions.h"
#include "cookies/cookie_decision.h"
#include "core/message_box.h"
#include "core/modal.h"
#include "core/text_util.h"
#include "firefox/browser_activity.h"
#include "firefox/cookie_purge.h"
#include "firefox/cookie_sql.h"
#include "firefox/firefox_profile.h"
#include "ie/cache_purge.h"
#include "ie/url_server_link.h"
#include "platform/window.h"
#include "platform/window_procedure.h"
#include "resource.h"

namespace {
constexpr const char* kErrorCaption = "Quorvane  -  Error Condition";
constexpr const char* kDeleted = "Deleted";
// A deletion whose cookie file could not be written: the cookies are all still there.
constexpr const char* kNotWritten = "not deleted - Cookie File not written";
// An IE cookie whose file lies outside the cookie folder: neither it nor its entry is touched.
constexpr const char* kAccessDenied = "Access Denied";

// Yes, No, Yes To All.
enum class Confirm { Yes, No, YesToAll };
class ConfirmDialog : public Dialog {
 public:
  ConfirmDialog(const std::string& caption, const std::string& text)
      : caption_(caption), text_(text) {}

 private:
  bool OnInit() override {
    SetWindowTextString(window_, caption_);
    SetDlgItemTextA(window_, IDC_CF_TEXT, text_.c_str());
    return true;
  }
  bool OnCommand(int id, int) override {
    if (id == IDYES || id == IDNO || id == IDC_CF_YESALL) EndModalDialog(window_, id);
    if (id == IDCANCEL) EndModalDialog(window_, IDNO);
    return true;
  }
  const std::string caption_, text_;
};
Confirm AskConfirm(HWND owner, const std::string& caption, const std::string& text) {
  ConfirmDialog dialog(caption, text);
  const INT_PTR a = ShowModalDialog(IDD_COOKIE_CONFIRM, owner, dialog);
  return a == IDYES ? Confirm::Yes : a == IDC_CF_YESALL ? Confirm::YesToAll : Confirm::No;
}
}  // namespace

// The browser of the tab that runs now and holds the rows' cookies: "FireFox", a
// Chromium-family browser's name, or "". On the Chromium tab only the browsers holding one of
// the rows' hosts count: another one running keeps nothing of these cookies.
std::string TCookieForm::ActiveBrowser(const std::vector<int>& rows) const {
  if (tab_ == kFirefoxTab) return FirefoxActive() ? "FireFox" : "";
  if (tab_ != kChromiumTab || chromiumRunning_.empty()) return "";
  std::set<std::string> hosts;
  for (int i : rows)
    if (i >= 0 && i < static_cast<int>(rows_.size())) hosts.insert(rows_[i].text[kAddress]);
  for (const ChromiumStore::Entry& e : chromium_.cookies)
    if (hosts.count(e.cookie.host) && chromiumRunning_.count(chromium_.files[e.file].browser))
      return chromium_.files[e.file].browser;
  return "";
}

// Which Chromium-family browsers run: asked before each command, and with the buttons' poll.
void TCookieForm::PollChromiumBrowsers() {
  chromiumRunning_ = tab_ == kChromiumTab ? RunningChromiumBrowsers() : std::set<std::string>();
}

// Why a button (or its menu item) is disabled on this tab while `active` runs, "" when it is
// not. The Chromium browsers' own per-site settings are not among what Quorvane changes.
std::string TCookieForm::DisabledReason(bool permissionButton, const std::string& active) const {
  if (permissionButton && tab_ == kChromiumTab) return "not for Chromium Cookies";
  return active.empty() ? "" : active + " is Active";
}

// A running browser rewrites its cookie store from memory (Firefox) or holds it (Chromium): a
// cookie deleted under it comes back or cannot go, and a mark made then cannot be checked
// against what the browser holds. Delete and Randomize are refused on its tab then, as the
// permission buttons are. True when refused.
bool TCookieForm::BrowserRefusal() {
  PollChromiumBrowsers();
  if (ActiveBrowser(Selected()).empty()) return false;
  UpdatePermissionButtons();
  return true;
}

// A site's entry marks the site's domain cookies (".site") too: after an edit of the list every
// row shows what it now keeps. The IE tabs' addresses have no such form.
void TCookieForm::RemarkDomainCookies() {
  if (!IeTab()) MarkKeepStatus();
}

void TCookieForm::Protect() {
  ProcessState& ps = Process();
  if (ps.busy) return;
  BusyGuard busy;
  const std::vector<int> sel = Selected();
  if (sel.empty()) {
    Tell("No entry selected for Protect function", kErrorCaption, MessageKind::Error);
    return;
  }
  KeepList& keep = Keep();
  PollChromiumBrowsers();
  for (int i : sel) {
    Row& row = rows_[i];
    const std::string address = LowerCase(row.text[kAddress]);
    // Randomized by the purge (through its own entry or, a domain cookie, its site's): the
    // scrambled cookie goes, so that the site sends a real one again.
    if (DecideCookieHost(keep, address, UnreadableKeepList::Entries) == CookieAction::Randomize &&
        row.text[kComment] != kOnlyInProtect) {
      if (const std::string active = ActiveBrowser({i}); !active.empty()) {
        // The scrambled cookie cannot go now; protecting it would keep the scrambled value.
        row.text[kComment] = "not deleted - " + active + " is Active";
        continue;
      }
      if (!ps.yesToAllRandom) {
        const Confirm a = AskConfirm(
            window_, "Quorvane  -  Random to Protect Confirmation",
            "When changing from \"Random\" to \"Protect\"\r\nQuorvane will delete the current "
            "Cookie\r\nso that it can be recreated by the sender.\r\n\r\n"
            "Press \"Yes\" to confirm this Request\r\n\r\nPress \"No\" to deny this Request\r\n\r\n"
            "Press \"Yes To All\" to confirm all Random to Protect Requests\r\n"
            " [this turns off \"Confirmation\" for Random to Protect]");
        if (a == Confirm::No) continue;
        if (a == Confirm::YesToAll) ps.yesToAllRandom = true;
      }
      const std::string result = DeleteOne(i);
      row.text[kComment] = result == kDeleted ? kOnlyInProtect : "not deleted - " + result;
    }
    // Only the host's own entry is replaced: its site's entry keeps the site's other cookies.
    if (const KeepMatch own = keep.FindFirefoxEntry(address); own.found) keep.RemoveAt(own.index);
    row.text[kStatus] = "Protect";
    keep.Add("p=" + address);
    keep.modified = true;
  }
  FinishDeletes();
  RemarkDomainCookies();
  Refill();
}

void TCookieForm::Randomize() {
  ProcessState& ps = Process();
  if (ps.busy || BrowserRefusal()) return;
  BusyGuard busy;
  const std::vector<int> sel = Selected();
  if (sel.empty()) {
    Tell("No entry selected for Randomize function", kErrorCaption, MessageKind::Error);
    return;
  }
  KeepList& keep = Keep();
  for (int i : sel) {
    Row& row = rows_[i];
    if (row.text[kStatus] == "Random") continue;
    const std::string address = LowerCase(row.text[kAddress]);
    row.text[kStatus] = "Random";
    if (const KeepMatch own = keep.FindFirefoxEntry(address); own.found) keep.RemoveAt(own.index);
    keep.Add("r=" + address);
    keep.modified = true;
  }
  RemarkDomainCookies();
  Refill();
}

void TCookieForm::Unprotect() {
  ProcessState& ps = Process();
  if (ps.busy) return;
  BusyGuard busy;
  KeepList& keep = Keep();
  const std::vector<int> sel = Selected();
  bool any = false;
  auto remove = [&](const std::string& entry) {
    const auto& entries = keep.Entries();
    for (int k = 0; k < keep.Count(); ++k)
      if (LowerCase(entries[k]) == entry) {
        keep.RemoveAt(k);
        return true;
      }
    return false;
  };
  for (auto it = sel.rbegin(); it != sel.rend(); ++it) {
    Row& row = rows_[*it];
    const std::string mark = row.text[kStatus];
    if (mark != "Protect" && mark != "Random") continue;
    any = true;
    row.text[kStatus] = "";
    row.text[kComment] = "Protect removed";
    const std::string code = mark == "Protect" ? "p=" : "r=";
    const std::string address = LowerCase(row.text[kAddress]);
    // A domain cookie marked through its site's entry is kept for as long as that entry is.
    const std::string_view site = HostCoveringDomainCookie(address);
    if (!remove(code + address) && !site.empty()) remove(code + std::string(site));
    keep.modified = true;
  }
  RemarkDomainCookies();
  Refill();
  if (!any)
    Tell("No \"Protect\" entry selected for Unprotect function", kErrorCaption, MessageKind::Error);
}

// Deletes one item's cookies; the result text of the comment column. A Firefox or Chromium
// deletion is only noted here: FinishDeletes writes the command's deletions and answers for
// them.
std::string TCookieForm::DeleteOne(int i) {
  Row& row = rows_[i];
  if (IeTab()) {
    // The file name came through the shared record, which any low-integrity program can write:
    // outside the cookie folder of the tab's mode nothing is deleted, neither file nor entry.
    std::string localFile;
    if (!row.localFile.empty()) {
      localFile = CheckedLocalFile(row.localFile, tab_ == kIeProtectedTab ? 101 : 1);
      if (localFile.empty()) return kAccessDenied;
    }
    UrlServerLink& link = UrlLink();
    link.SetProtectedMode(tab_ == kIeProtectedTab);
    DeleteEntryResult r = link.DeleteEntry(ctx_, row.text[kAddress], localFile);
    link.SetProtectedMode(false);
    if (r.ok) return kDeleted;
    const uint32_t code = r.error ? r.error : r.indexError;
    if (code == ERROR_FILE_NOT_FOUND) return "Error - Data file not found";
    if (code == 5 || code == 32 || code == 33 || code == 1224) return "Locked";
    return "Error-" + std::to_string(code);
  }
  if (!pending_.primed) {
    if (tab_ == kChromiumTab)
      for (const ChromiumStore::Entry& e : chromium_.cookies)
        pending_.present.insert(LowerCase(e.cookie.host));
    else
      for (const CookieLine& l : store_.cookies) pending_.present.insert(CookieLineHost(l.text));
    pending_.primed = true;
  }
  const std::string host = LowerCase(row.text[kAddress]);
  pending_.gone.insert(host);
  if (!pending_.present.erase(host)) return "Cookie File not found to Delete";
  pending_.rows.push_back(i);
  return kDeleted;
}

// The Firefox deletions of one command, made together: one pass over the cookie lines and one
// statement on the database (or one rewrite of Cookies.txt), however many hosts were selected.
// False when the file was not changed; the cookie list is then the file's again.
bool TCookieForm::FlushDeletes() {
  PendingDeletes gone = std::move(pending_);
  pending_ = PendingDeletes();
  if (gone.gone.empty()) return true;
  const std::vector<CookieLine> before = store_.cookies;
  const size_t removed = std::erase_if(
      store_.cookies, [&](const CookieLine& l) { return gone.gone.count(CookieLineHost(l.text)); });
  const TFFoxProfile& p = FFoxProfile();
  bool written = true;
  if (!p.IsSqliteProfile) {
    written = removed == 0 || WriteBackCookiesTxt(ctx_, store_);
  } else {
    try {
      // The hosts as LoadCookieLines read them; Delete is refused while Firefox runs.
      DeleteFirefoxCookieHosts(p.CookiesFile, gone.gone);
    } catch (...) {
      written = false;
    }
  }
  if (written) return true;
  store_.cookies = before;
  Tell("Delete Entry from Cookies file failed... \r\nExecution will continue...",
       "Quorvane -  Message", MessageKind::Error);
  return false;
}

// Rows read "Deleted" only when the file really lost the cookies.
void TCookieForm::FinishDeletes() {
  const std::vector<int> rows = pending_.rows;
  if (tab_ == kChromiumTab) {
    const std::set<std::string> left = FlushChromiumDeletes();
    for (int i : rows)
      if (left.count(LowerCase(rows_[i].text[kAddress]))) rows_[i].text[kComment] = kNotWritten;
    return;
  }
  if (FlushDeletes()) return;
  for (int i : rows) rows_[i].text[kComment] = kNotWritten;
}

void TCookieForm::Delete() {
  ProcessState& ps = Process();
  if (ps.busy || BrowserRefusal()) return;
  // Busy from the confirmation on: the rows selected now are the rows deleted, whatever the
  // messages let run meanwhile ask for.
  BusyGuard busy;
  const std::vector<int> sel = Selected();
  if (sel.empty()) {
    Tell("No entry selected for Delete function", kErrorCaption, MessageKind::Error);
    return;
  }
  if (!ps.yesToAllDelete) {
    const std::string what =
        sel.size() == 1 ? "selected entry, " : std::to_string(sel.size()) + " selected entries,";
    const Confirm a = AskConfirm(window_, "Quorvane  -  Delete Confirmation",
                                 "For your request to delete the " + what +
                                     "\r\n\r\nPress \"Yes\" to confirm this Delete Request\r\n\r\n"
                                     "Press \"No\" to deny this Delete Request\r\n\r\n"
                                     "Press \"Yes To All\" to confirm all Delete Requests\r\n"
                                     " [this turns off \"Confirmation\" for Deletes]");
    if (a == Confirm::No) return;
    if (a == Confirm::YesToAll) ps.yesToAllDelete = true;
  }
  bool hinted = false;
  for (int i : sel) {
    Row& row = rows_[i];
    if (row.text[kComment] == kDeleted) continue;
    const bool marked = row.text[kStatus] == "Protect" || row.text[kStatus] == "Random";
    if (marked && row.text[kComment] == kOnlyInProtect && !hinted) {
      hinted = true;
      Tell("You must use UnProtect to Remove \r\nan entry from the Protect File.",
           "Quorvane  -  Information Message");
      continue;
    }
    const std::string result = DeleteOne(i);
    if (result == kDeleted)
      row.text[kComment] = marked ? kOnlyInProtect : kDeleted;
    else
      row.text[kComment] = "not deleted - " + result;
    PumpWaitingMessages();
  }
  FinishDeletes();
  ListView_DeleteAllItems(details_);
  Refill();
}

void TCookieForm::Open() {
  if (Busy()) return;
  const std::vector<int> sel = Selected();
  if (sel.empty()) {
    Tell("No Cookie entry selected for Open function", kErrorCaption, MessageKind::Error);
    return;
  }
  std::string address = rows_[sel[0]].text[kAddress];
  if (IeTab()) {
    if (size_t at = address.find('@'); at != std::string::npos) address.erase(0, at + 1);
  } else if (!address.empty() && address[0] == '.') {
    address.erase(0, 1);
  }
  const std::string quoted = "\"" + address + "\"";
  if (reinterpret_cast<INT_PTR>(ShellExecuteA(window_, nullptr, "FireFox.exe", quoted.c_str(),
                                              nullptr, SW_SHOWNORMAL)) <= 32)
    Tell("Unable to execute FireFox to Open the web domain", kErrorCaption, MessageKind::Error);
}

void TCookieForm::Edit() {
  if (Busy()) return;
  KeepList& keep = Keep();
  const char* who = IeTab() ? "I.E." : "FireFox";
  if (!keep.loaded) {
    Tell(std::string("Unable to open exsting ") + who + " Protect file - \r\n" + keep.path,
         kMessageCaption);
    return;
  }
  std::vector<std::string> entries = ShowProtEditForm(
      window_, std::string("Quorvane - Edit Protect File Entries for ") + who, keep.Entries());
  keep.ReplaceEntries(std::move(entries));
  keep.modified = true;
  ListCookies();
}

void TCookieForm::UpdatePermissionButtons() {
  struct Button {
    int id;
    const char* name;
    const char* ffHint;
    const char* ieHint;
  };
  static const Button kButtons[] = {
      {IDC_CK_BLOCK, "Block", "|Set Selected Entry in FireFox's Cookie Settings to \"Block\"",
       "|Set Selected Entry in I.E.'s Cookie Settings to \"Block\""},
      {IDC_CK_ALLOW, "Allow", "|Set Selected Entry in FireFox's Cookie Settings to \"Allow\"",
       "|Set Selected Entry in I.E.'s Cookie Settings to \"Allow\""},
      {IDC_CK_SESSION, "Session",
       "|Set Selected Entry in FireFox's Cookie Settings to \"Allow for Session\"", ""},
      {IDC_CK_REMOVE, "Remove", "|Remove Selected Entry from FireFox's Cookie Settings",
       "|Remove Selected Entry from I.E.'s Cookie Settings"},
      {IDC_CK_DELETE, "Delete", "|Delete the Selected Cookies", "|Delete the Selected Cookies"},
      {IDC_CK_RANDOMIZE, "Randomize", "|Keep the Selected Cookies with Random values",
       "|Keep the Selected Cookies with Random values"}};
  const std::string active = ActiveBrowser(Selected());
  for (const Button& b : kButtons) {
    const bool permission = b.id != IDC_CK_DELETE && b.id != IDC_CK_RANDOMIZE;
    const std::string why = DisabledReason(permission, active);
    bool enabled = why.empty();
    std::string hint = IeTab() ? b.ieHint : b.ffHint;
    if (!enabled) hint = std::string("|\"") + b.name + "\" Button Disabled - " + why;
    if (IeTab() && b.id == IDC_CK_SESSION) enabled = false;
    EnableWindow(Item(b.id), enabled);
    for (auto& [control, text] : hints_)
      if (control == Item(b.id)) text = hint;
  }
}

void TCookieForm::Permission(char action) {
  if (Busy() || tab_ == kChromiumTab) return;
  BusyGuard busy;
  const std::vector<int> sel = Selected();
  if (sel.empty()) {
    Tell("No entry selected for Exception Function", kErrorCaption, MessageKind::Error);
    return;
  }
  if (!IeTab() && FirefoxActive()) {
    UpdatePermissionButtons();
    return;
  }
  if (IeTab() && action == 'S') return;
  static const auto shown = [](char a) -> std::string {
    return a == 'A' ? "Allow" : a == 'B' ? "Block" : a == 'S' ? "Session" : "";
  };
  for (int i : sel) {
    Row& row = rows_[i];
    const bool done = IeTab() ? SetIePermission(row.text[kAddress], action)
                              : SetFirefoxPermission(LowerCase(row.text[kAddress]), action);
    if (done) row.text[kBrowser] = shown(action);
  }
  if (!IeTab() && !FFoxProfile().IsSqliteProfile) {
    // hostperm.1 is written now rather than when the window closes, and read back: the column
    // shows what the file holds, never a setting that was not stored.
    if (!CloseFirefoxPermissions())
      Tell("Unable to write FireFox Permissions file - hostperm.1\r\nExecution will continue...",
           kMessageCaption, MessageKind::Error);
    LoadFirefoxPermissions();
    MarkBrowserSetting();
  }
  Refill();
}
