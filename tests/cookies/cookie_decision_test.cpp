// The one decision the Firefox purge, the Chromium purge and the cookie window's marks make for
// a cookie host; pure, also run natively.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cookies/cookie_decision.h"

namespace {
using Lines = std::vector<std::string>;

// A list as LoadKeepList leaves it after reading these lines.
CookieAction Decide(Lines lines, const std::string& host) {
  KeepList list;
  list.TakeFileLines(std::move(lines));
  return DecideCookieHost(list, host);
}
}  // namespace

TEST(CookieDecision, AProtectEntryKeepsARandomizeEntryRandomizesAndNoEntryDeletes) {
  EXPECT_EQ(Decide({"p=kept.example"}, "kept.example"), CookieAction::Keep);
  EXPECT_EQ(Decide({"r=random.example"}, "random.example"), CookieAction::Randomize);
  EXPECT_EQ(Decide({"p=kept.example"}, "other.example"), CookieAction::Delete);
  EXPECT_EQ(Decide({}, "any.example"), CookieAction::Delete);
  // The host is compared lower-cased, the entry whole: no part of a host is its site.
  EXPECT_EQ(Decide({"p=kept.example"}, "Kept.EXAMPLE"), CookieAction::Keep);
  EXPECT_EQ(Decide({"p=kept.example"}, "www.kept.example"), CookieAction::Delete);
  // An old file's bare address is a protect entry.
  EXPECT_EQ(Decide({"kept.example"}, "kept.example"), CookieAction::Keep);
}

// Logins usually live in a site's domain cookies: the site's entry covers them.
TEST(CookieDecision, ASitesEntryCoversItsDomainCookiesUnlessTheyHaveTheirOwn) {
  EXPECT_EQ(Decide({"p=kept.example"}, ".kept.example"), CookieAction::Keep);
  EXPECT_EQ(Decide({"r=kept.example"}, ".kept.example"), CookieAction::Randomize);
  EXPECT_EQ(Decide({"p=kept.example", "r=.kept.example"}, ".kept.example"),
            CookieAction::Randomize);
  EXPECT_EQ(Decide({"r=kept.example", "p=.kept.example"}, ".kept.example"), CookieAction::Keep);
  // An entry written with the dot covers only that form; two dots are no domain cookie.
  EXPECT_EQ(Decide({"p=.kept.example"}, "kept.example"), CookieAction::Delete);
  EXPECT_EQ(Decide({"p=kept.example"}, "..kept.example"), CookieAction::Delete);
}

TEST(CookieDecision, ProtectWinsOverRandomizeForTheSameHost) {
  EXPECT_EQ(Decide({"r=both.example", "p=both.example"}, "both.example"), CookieAction::Keep);
  EXPECT_EQ(Decide({"r=both.example", "p=both.example"}, ".both.example"), CookieAction::Keep);
}

// The IE list's part-of-host forms say nothing of these browsers' hosts.
TEST(CookieDecision, IePartOfHostFormsMatchNoHost) {
  EXPECT_EQ(Decide({"p=*example", "r=*example", "a=*example"}, "www.example.com"),
            CookieAction::Delete);
}

// A purge changes nothing under a list it could not read; the cookie window marks what was
// entered since, which it never saves.
TEST(CookieDecision, AListThatCouldNotBeReadDecidesNothingUnlessItsEntriesAreAskedFor) {
  KeepList list;
  list.loaded = false;
  list.Add("p=kept.example");
  EXPECT_EQ(DecideCookieHost(list, "kept.example"), CookieAction::Bypass);
  EXPECT_EQ(DecideCookieHost(list, "other.example"), CookieAction::Bypass);
  EXPECT_EQ(DecideCookieHost(list, "kept.example", UnreadableKeepList::Entries),
            CookieAction::Keep);
  EXPECT_EQ(DecideCookieHost(list, "other.example", UnreadableKeepList::Entries),
            CookieAction::Delete);
}
