#include "cookies/cookie_decision.h"

CookieAction DecideCookieHost(const KeepList& keep, std::string_view host,
                              UnreadableKeepList unreadable) {
  if (!keep.loaded && unreadable == UnreadableKeepList::Bypass) return CookieAction::Bypass;
  const KeepMatch match = keep.LookupFirefoxHost(host);
  if (!match.found) return CookieAction::Delete;
  return match.code == 'R' ? CookieAction::Randomize : CookieAction::Keep;
}
