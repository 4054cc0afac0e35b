// The cookie window's Chromium tab: the cookies of every profile of every Chromium-family
// browser found, listed by host as the Firefox tab lists them, and their deletion.
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "chromium/chromium_cookies.h"
#include "chromium/chromium_purge.h"
#include "cookie_window/cookie_form.h"
#include "core/text_util.h"

namespace {
// The browser's own values are encrypted with its key; a plain value (a randomized cookie)
// is shown as the browser reads it.
std::string ShownValue(const ChromiumCookie& c) {
  return c.encrypted && c.value.empty() ? "(encrypted)" : c.value;
}
}  // namespace

void TCookieForm::ListChromium() {
  chromium_ = ChromiumStore();
  chromium_.files = FindChromiumCookieFiles();
  PollChromiumBrowsers();
  std::string holding;  // a running browser whose cookie file could not be read
  for (size_t f = 0; f < chromium_.files.size(); ++f) {
    try {
      for (ChromiumCookie& c : ReadChromiumCookies(chromium_.files[f].file))
        chromium_.cookies.push_back({std::move(c), f});
    } catch (const std::exception&) {
      rows_.push_back(
          {{"  ---Unable to access " + chromium_.files[f].label + " Cookie file---", "", "", ""}});
      if (holding.empty() && chromiumRunning_.count(chromium_.files[f].browser))
        holding = chromium_.files[f].browser;
    }
  }
  if (!holding.empty())
    rows_.push_back(
        {{"  ---" + holding + " must be closed to access its Cookie file---", "", "", ""}});
  // The cookies of one host adjacent, each profile's together.
  std::stable_sort(chromium_.cookies.begin(), chromium_.cookies.end(),
                   [](const ChromiumStore::Entry& a, const ChromiumStore::Entry& b) {
                     if (a.cookie.host != b.cookie.host) return a.cookie.host < b.cookie.host;
                     if (a.file != b.file) return a.file < b.file;
                     return a.cookie.name < b.cookie.name;
                   });
  ListHosts(chromium_.cookies.size(), [&](size_t i, CookieFields& f) {
    const ChromiumCookie& c = chromium_.cookies[i].cookie;
    f = {c.host, c.name, ShownValue(c)};
    return true;
  });
}

// The browser column: the browsers and profiles that hold the host.
void TCookieForm::MarkChromiumProfiles() {
  std::map<std::string, std::set<size_t>> held;
  for (const ChromiumStore::Entry& e : chromium_.cookies) held[e.cookie.host].insert(e.file);
  for (Row& r : rows_) {
    r.text[kBrowser].clear();
    const auto it = held.find(r.text[kAddress]);
    if (it == held.end()) continue;
    for (size_t f : it->second)
      r.text[kBrowser] += (r.text[kBrowser].empty() ? "" : ", ") + chromium_.files[f].label;
  }
}

std::vector<std::array<std::string, 3>> TCookieForm::ChromiumDetails(
    const std::string& host) const {
  std::vector<std::array<std::string, 3>> details;
  for (const ChromiumStore::Entry& e : chromium_.cookies)
    if (e.cookie.host == host)
      details.push_back(
          {host + " (" + chromium_.files[e.file].label + ")", e.cookie.name, ShownValue(e.cookie)});
  return details;
}

// The Chromium deletions of one command: in each cookie file that holds one of the hosts, all
// of them in one transaction. The hosts a file still holds afterwards (its write failed).
std::set<std::string> TCookieForm::FlushChromiumDeletes() {
  PendingDeletes gone = std::move(pending_);
  pending_ = PendingDeletes();
  if (gone.gone.empty()) return {};
  std::set<size_t> touched, failed;
  for (const ChromiumStore::Entry& e : chromium_.cookies)
    if (gone.gone.count(LowerCase(e.cookie.host))) touched.insert(e.file);
  for (size_t f : touched) {
    try {
      DeleteChromiumCookieHosts(chromium_.files[f].file, gone.gone);
    } catch (const std::exception&) {
      failed.insert(f);
    }
  }
  std::erase_if(chromium_.cookies, [&](const ChromiumStore::Entry& e) {
    return gone.gone.count(LowerCase(e.cookie.host)) && !failed.count(e.file);
  });
  std::set<std::string> left;
  for (const ChromiumStore::Entry& e : chromium_.cookies)
    if (gone.gone.count(LowerCase(e.cookie.host))) left.insert(LowerCase(e.cookie.host));
  if (!failed.empty())
    Tell("Delete Entry from Cookies file failed... \r\nExecution will continue...",
         "Quorvane -  Message", MessageKind::Error);
  return left;
}
