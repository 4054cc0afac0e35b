// The cookie window's lists: the cookies of each tab with their marks and settings, the
// details of the selected cookie, sorting and the filter.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cookie_window/cookie_form.h"
#include "cookie_window/site_permissions.h"
#include "cookies/cookie_decision.h"
#include "core/message_box.h"
#include "core/text_util.h"
#include "firefox/browser_activity.h"
#include "firefox/firefox_profile.h"
#include "ie/url_server_link.h"
#include "platform/files.h"
#include "platform/window.h"
#include "resource.h"

namespace {
// An owner-data list holds at most this many items (the list-view control's own limit).
constexpr size_t kListCapacity = 100000000;

// One 9-line record of an IE cookie text file: name, value, host/path, and six more.
struct IeCookieRecord {
  std::string name, value, hostPath;
};
std::vector<IeCookieRecord> ReadIeCookieFile(const std::string& path) {
  std::vector<IeCookieRecord> records;
  std::string text;
  if (path.empty() || !ReadWholeFile(path, text)) return records;
  const std::vector<std::string> lines = SplitLines(text);
  for (size_t i = 0; i + 2 < lines.size(); i += 9)
    records.push_back({lines[i], lines[i + 1], lines[i + 2]});
  return records;
}

// The filter text (trimmed, lower-cased) occurs in the lower-cased field.
bool FilterPasses(const std::string& filter, const std::string& field) {
  return field.find(filter) != std::string::npos;
}
}  // namespace

void TCookieForm::ListCookies() {
  // The IE listing lets messages run: nothing may sort or replace the rows meanwhile.
  BusyGuard busy;
  rows_.clear();
  ListView_SetItemCountEx(list_, 0, 0);
  ListView_DeleteAllItems(details_);
  if (tab_ == kFirefoxTab)
    ListFirefox();
  else if (tab_ == kChromiumTab)
    ListChromium();
  else
    ListIe();
}

void TCookieForm::ListFirefox() {
  const TFFoxProfile& p = FFoxProfile();
  std::string error;
  store_ = CookieStore();
  if (p.IsSqliteProfile && !FileExists(p.CookiesFile)) {
    Tell("Unable to find FireFox Cookies file - Cookies.SQLite\r\nExecution will continue...",
         kMessageCaption);
  } else if (!LoadCookieLines(store_, error,
                              FirefoxActive() ? SqlSharing::Shared : SqlSharing::Alone)) {
    store_ = CookieStore();
    rows_.push_back({{"  ---Unable to access FireFox Cookie file---", "", "", ""}});
    if (FirefoxActive())
      rows_.push_back({{"  ---FireFox must be closed to access its Cookie file---", "", "", ""}});
    rows_.push_back({{"  ---Unable to display FireFox Cookies---", "", "", ""}});
  }
  ListHosts(store_.cookies.size(), [&](size_t i, CookieFields& f) {
    const std::string& text = store_.cookies[i].text;
    if (text.empty() || text[0] == '#') return false;
    f = {CookieLineField(text, kCookieHost), CookieLineField(text, kCookieName),
         CookieLineField(text, kCookieValue)};
    return true;
  });
}

// One item per host of a store sorted by host (the cookies of a host adjacent), when the
// filter passes for the host, a name or a value; every host counts.
void TCookieForm::ListHosts(size_t count, const CookieAt& cookieAt) {
  const std::string filter = LowerCase(Trim(WindowText(Item(IDC_CK_FILTER))));
  const bool all = filter.empty();
  // The lines that say why nothing can be listed stand as addresses, and count as such.
  long long hosts = static_cast<long long>(rows_.size());
  std::string previous;
  bool first = true, shown = false;
  CookieFields f;
  for (size_t i = 0; i < count; ++i) {
    if (!cookieAt(i, f)) continue;
    if (first || f.host != previous) {
      ++hosts;
      shown = false;
      previous = f.host;
      first = false;
    }
    if (shown) continue;
    if (all || FilterPasses(filter, LowerCase(f.host)) || FilterPasses(filter, LowerCase(f.name)) ||
        FilterPasses(filter, LowerCase(f.value))) {
      rows_.push_back({{f.host, "", "", ""}});
      shown = true;
    }
  }
  SetStatus(1, "Displayed " + std::to_string(rows_.size()) + " of " + std::to_string(hosts) +
                   " Cookie Addresses");
  FinishListing();
}

void TCookieForm::ListIe() {
  UrlServerLink& link = UrlLink();
  link.SetProtectedMode(tab_ == kIeProtectedTab);
  const std::string filter = UpperCase(Trim(WindowText(Item(IDC_CK_FILTER))));
  long long passed = 0;
  ProcessState& ps = Process();
  for (bool more = link.First("Cookie:"); more; more = link.Next()) {
    const CacheEntryView e = link.CurrentEntry();
    if (!StartsWithText(e.url, "Cookie:")) continue;
    if (!filter.empty()) {
      bool pass = false;
      for (const IeCookieRecord& r : ReadIeCookieFile(e.localFile))
        pass = pass || UpperCase(r.name).find(filter) != std::string::npos ||
               UpperCase(r.value).find(filter) != std::string::npos ||
               UpperCase(r.hostPath).find(filter) != std::string::npos;
      if (!pass) continue;
    }
    ++passed;
    if (ps.ieListingStopped) continue;
    if (rows_.size() >= kListCapacity) {
      ps.ieListingStopped = true;
      Tell(
          "The number of Entries to process exceeds \r\nthe Windows ListView Capacity.\r\n"
          "Execution will continue without listing.",
          kMessageCaption);
      continue;
    }
    rows_.push_back({{e.url, "", "", e.localFile}, e.localFile});
    if (rows_.size() % 500 == 0) PumpWaitingMessages();
  }
  link.Close();
  link.SetProtectedMode(false);
  SetStatus(1, "Displayed " + std::to_string(rows_.size()) + " of " + std::to_string(passed) +
                   " Cookie Addreses");
  FinishListing();
}

void TCookieForm::FinishListing() {
  MarkKeepStatus();
  MarkBrowserSetting();
  // Every listing shows the addresses ascending; each column keeps the direction its clicks
  // gave it until the window opens again or the tab changes.
  Process().sortColumn = 0;
  SortBy(0, true);
  ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), 0);
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (!rows_.empty())
    ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  InvalidateRect(list_, nullptr, TRUE);
  ShowDetails();
}

void TCookieForm::MarkKeepStatus() {
  if (IeTab()) {
    const std::vector<std::string>& entries = ieKeep_.Entries();
    for (Row& r : rows_) r.text[kStatus] = IeKeepStatusMark(entries, LowerCase(r.text[kAddress]));
    return;
  }
  for (Row& r : rows_) r.text[kStatus] = HostKeepStatusMark(ffKeep_, r.text[kAddress]);
}

void TCookieForm::MarkBrowserSetting() {
  if (tab_ == kChromiumTab) return MarkChromiumProfiles();
  for (Row& r : rows_)
    r.text[kBrowser] = IeTab() ? GetIePermission(r.text[kAddress])
                               : GetFirefoxPermission(LowerCase(r.text[kAddress]));
}

std::vector<int> TCookieForm::Selected() const {
  std::vector<int> s;
  for (int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED); i >= 0;
       i = ListView_GetNextItem(list_, i, LVNI_SELECTED))
    s.push_back(i);
  return s;
}

void TCookieForm::ShowDetails() {
  ListView_DeleteAllItems(details_);
  const std::vector<int> sel = Selected();
  if (sel.size() != 1 || sel[0] >= static_cast<int>(rows_.size())) return;
  const Row& row = rows_[sel[0]];
  std::vector<std::array<std::string, 3>> details;
  if (tab_ == kChromiumTab) {
    details = ChromiumDetails(row.text[kAddress]);
  } else if (!IeTab()) {
    for (const CookieLine& l : store_.cookies)
      if (CookieLineField(l.text, kCookieHost) == row.text[kAddress])
        details.push_back({row.text[kAddress], CookieLineField(l.text, kCookieName),
                           CookieLineField(l.text, kCookieValue)});
  } else if (row.text[kComment] != kOnlyInProtect) {
    for (const IeCookieRecord& r : ReadIeCookieFile(row.localFile)) {
      std::string hostPath = r.hostPath;
      if (EndsWith(hostPath, "/")) hostPath.pop_back();
      details.push_back({hostPath, r.name, r.value});
    }
  }
  for (size_t i = 0; i < details.size(); ++i) {
    LVITEMA it{LVIF_TEXT};
    it.iItem = static_cast<int>(i);
    it.pszText = const_cast<char*>(details[i][0].c_str());
    ListView_InsertItem(details_, &it);
    ListView_SetItemText(details_, static_cast<int>(i), 1,
                         const_cast<char*>(details[i][1].c_str()));
    ListView_SetItemText(details_, static_cast<int>(i), 2,
                         const_cast<char*>(details[i][2].c_str()));
  }
}

void TCookieForm::SortBy(int column, bool ascending) {
  auto less = [&](const Row& a, const Row& b) {
    int c = CompareStringA(LOCALE_USER_DEFAULT, 0, a.text[column].c_str(), -1,
                           b.text[column].c_str(), -1) -
            CSTR_EQUAL;
    if (c == 0 && column != 0)
      // Ties fall back to the address, always ascending.
      return CompareStringA(LOCALE_USER_DEFAULT, 0, a.text[0].c_str(), -1, b.text[0].c_str(), -1) ==
             CSTR_LESS_THAN;
    return ascending ? c < 0 : c > 0;
  };
  std::stable_sort(rows_.begin(), rows_.end(), less);
  ShowSortArrow(ascending);
}

void TCookieForm::ResetSort() {
  Process().sortColumn = 0;
  Process().ascending = {true, false, false, false};
}

void TCookieForm::ShowSortArrow(bool ascending) {
  HWND header = ListView_GetHeader(list_);
  const ProcessState& ps = Process();
  for (int i = 0; i < 4; ++i) {
    HDITEMA h{HDI_FORMAT | HDI_IMAGE};
    Header_GetItem(header, i, &h);
    h.fmt &= ~(HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
    if (i == ps.sortColumn) {
      h.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
      h.iImage = ascending ? 0 : 1;
    }
    Header_SetItem(header, i, &h);
  }
}

void TCookieForm::ColumnClick(int column) {
  ProcessState& ps = Process();
  // A running command holds row numbers: sorting under it would turn them to other cookies.
  if (ps.busy || column < 0 || column > 3) return;
  // Each column turns its own direction round; column 0 starts ascending, so its first click
  // sorts descending, while the others start descending and sort ascending first.
  ps.ascending[column] = !ps.ascending[column];
  ps.sortColumn = column;
  // The list's selection is by row number: it moves with its cookies, not with the positions.
  const int focused = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
  for (Row& r : rows_) r.selected = r.focused = false;
  for (int i : Selected()) rows_[i].selected = true;
  if (focused >= 0 && focused < static_cast<int>(rows_.size())) rows_[focused].focused = true;
  SortBy(column, ps.ascending[column]);
  Refill();
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  for (size_t i = 0; i < rows_.size(); ++i) {
    const UINT state =
        (rows_[i].selected ? LVIS_SELECTED : 0) | (rows_[i].focused ? LVIS_FOCUSED : 0);
    if (state) ListView_SetItemState(list_, static_cast<int>(i), state, state);
  }
}

void TCookieForm::Refill() {
  ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), LVSICF_NOSCROLL);
  InvalidateRect(list_, nullptr, TRUE);
}

std::string HostKeepStatusMark(const KeepList& keep, const std::string& host) {
  switch (DecideCookieHost(keep, LowerCase(host), UnreadableKeepList::Entries)) {
    case CookieAction::Keep: return "Protect";
    case CookieAction::Randomize: return "Random";
    case CookieAction::Delete:
    case CookieAction::Bypass: break;
  }
  return "";
}

std::string IeKeepStatusMark(const std::vector<std::string>& entries, const std::string& caption) {
  const std::string host = ExtractCookieHost(caption);
  std::string mark;
  for (const std::string& e : entries) {
    if (e == "p=" + caption) {
      mark = "Protect";
    } else if (e == "r=" + caption) {
      mark = "Random";
    } else if (e.size() > 3 && (StartsWith(e, "p=*") || StartsWith(e, "a=*")) &&
               host.find(e.substr(3)) != std::string::npos) {
      mark = "Protect";
    } else if (e.size() > 3 && StartsWith(e, "r=*") &&
               host.find(e.substr(3)) != std::string::npos) {
      mark = "Random";
    }
  }
  return mark;
}
