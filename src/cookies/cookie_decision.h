#pragma once
#include <string_view>

#include "cookies/keep_list.h"

// What a cookie purge does with the cookies of one host under a keep list (the Firefox list
// serves the Chromium browsers too: a host is a host whichever browser holds it), for the
// Firefox purge, the Chromium purge and the cookie window alike. Pure.
enum class CookieAction {
  Keep,       // a "p=" entry governs the host: its cookies stay as they are
  Randomize,  // an "r=" entry: they stay, with new values
  Delete,     // no entry: they go
  Bypass,     // the list could not be read: nothing of any host may change
};

// What a list that could not be read (loaded false; it is never written back) decides.
enum class UnreadableKeepList {
  Bypass,   // nothing, for every host: a purge then leaves every cookie with an error line
  Entries,  // what the entries made since say: the cookie window's marks, discarded at close
};

// The entry written for the host decides (compared whole, the host lower-cased); failing that,
// for a domain cookie's host (".example.com") the entry of its site ("example.com"), where
// logins usually live. An entry written with the leading dot covers only that form. Of two
// entries for the same text the first in the list's order wins, so "p=" before "r=". IE's
// part-of-host forms match nothing here: "p=*part" and "r=*part" are compared whole after
// their code like any other entry, and a line of any other form is compared whole and keeps.
CookieAction DecideCookieHost(const KeepList& keep, std::string_view host,
                              UnreadableKeepList unreadable = UnreadableKeepList::Bypass);
