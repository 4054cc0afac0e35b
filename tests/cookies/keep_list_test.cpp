// The keep list's entry forms, normalising and both lookups; pure, also run natively.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cookies/keep_list.h"

namespace {
using Lines = std::vector<std::string>;

// A list as LoadKeepList leaves it after reading these lines.
void Fill(KeepList& list, Lines lines) { list.TakeFileLines(std::move(lines)); }

std::string Describe(const KeepMatch& m) {
  return (m.found ? "found " : "none ") + std::to_string(m.index) + " " + m.code;
}
}  // namespace

TEST(KeepListNormalize, OldFilesBecomeProtectEntriesAndHeadersGo) {
  Lines lines = {"Protect File list", "shop.example.com", "r=.example.org"};
  EXPECT_TRUE(NormalizeKeepList(lines));
  EXPECT_EQ(lines, (Lines{"p=shop.example.com", "r=.example.org"}));

  // Lower-casing alone is no change; one- and no-character lines and any "x=" form stay.
  Lines current = {"X=Foo", "", "p=B.example", "q"};
  EXPECT_FALSE(NormalizeKeepList(current));
  EXPECT_EQ(current, (Lines{"", "p=b.example", "q", "x=foo"}));

  // A protect entry sorts before the randomize entry of the same address.
  Lines both = {"r=x", "p=x"};
  NormalizeKeepList(both);
  EXPECT_EQ(both, (Lines{"p=x", "r=x"}));
}

TEST(KeepListEdit, AddKeepsSortedLowerCaseAndIgnoresDuplicates) {
  KeepList list;
  EXPECT_TRUE(list.Add("R=.Example.org"));
  EXPECT_TRUE(list.Add("p=.example.com"));
  EXPECT_FALSE(list.Add("P=.EXAMPLE.COM"));
  EXPECT_EQ(list.Entries(), (Lines{"p=.example.com", "r=.example.org"}));
  EXPECT_EQ(list.Count(), 2);
  EXPECT_FALSE(list.modified);
  list.ReplaceEntries({"p=b", "P=A", "p=b"});
  EXPECT_EQ(list.Entries(), (Lines{"p=a", "p=b"}));
  EXPECT_TRUE(list.modified);
  // Lookups follow edits.
  EXPECT_TRUE(list.LookupFirefoxHost("a").found);
  list.RemoveAt(0);
  EXPECT_FALSE(list.LookupFirefoxHost("a").found);
  EXPECT_TRUE(list.LookupFirefoxHost("b").found);
}

// The editor's typed entries: only "p=" and "r=" are taken, lower-cased; an entry for an
// address already listed under another code replaces it; deleting needs the exact text.
TEST(KeepListEdit, EditorEntriesReplaceTheirAddressAndDeleteExactly) {
  Lines entries{"a=*bank", "p=.example.com", "r=ads.example.net"};
  EXPECT_EQ(AddProtEntry(entries, "x=.example.com"), ProtEntryAdd::BadPrefix);
  EXPECT_EQ(AddProtEntry(entries, "*.example.com"), ProtEntryAdd::BadPrefix);
  EXPECT_EQ(AddProtEntry(entries, "P=.EXAMPLE.com"), ProtEntryAdd::AlreadyPresent);
  EXPECT_EQ(AddProtEntry(entries, "R=.Example.com"), ProtEntryAdd::Added);
  EXPECT_EQ(entries, (Lines{"a=*bank", "r=.example.com", "r=ads.example.net"}));
  // "p=*bank" has the address "*bank" of the "a=*" entry, which it replaces.
  EXPECT_EQ(AddProtEntry(entries, "p=*bank"), ProtEntryAdd::Added);
  EXPECT_EQ(entries, (Lines{"p=*bank", "r=.example.com", "r=ads.example.net"}));
  EXPECT_FALSE(DeleteProtEntry(entries, "p=.example.com"));
  EXPECT_FALSE(DeleteProtEntry(entries, "r=ads.example"));
  EXPECT_TRUE(DeleteProtEntry(entries, "R=ADS.example.net"));
  EXPECT_EQ(entries, (Lines{"p=*bank", "r=.example.com"}));
  // Addresses compare on their first 255 characters only.
  const std::string base(255, 'a');
  entries = {"p=" + base + "x"};
  EXPECT_EQ(AddProtEntry(entries, "r=" + base + "y"), ProtEntryAdd::Added);
  EXPECT_EQ(entries, (Lines{"r=" + base + "y"}));
}

TEST(KeepListFirefox, ExactHostOnlyWithItsCode) {
  KeepList list;
  Fill(list, {"p=.example.com", "r=.example.org", "p=*example", "X=Foo", "plain.example.net"});
  auto m = list.LookupFirefoxHost(".Example.COM");
  EXPECT_EQ(Describe(m), "found " + std::to_string(m.index) + " P");
  EXPECT_EQ(list.Entries()[m.index], "p=.example.com");
  EXPECT_FALSE(list.LookupFirefoxHost("shop.example.com").found);
  EXPECT_FALSE(list.LookupFirefoxHost("example.com").found);

  m = list.LookupFirefoxHost(".example.org");
  EXPECT_TRUE(m.found);
  EXPECT_EQ(m.code, 'R');
  EXPECT_EQ(list.Entries()[m.index], "r=.example.org");

  // No part-of-host form in Firefox: "p=*example" only matches the host "*example".
  EXPECT_FALSE(list.LookupFirefoxHost("www.example.net").found);
  EXPECT_TRUE(list.LookupFirefoxHost("*example").found);
  // An old bare line became a protect entry; another letter's entry matches no real host.
  EXPECT_TRUE(list.LookupFirefoxHost("plain.example.net").found);
  EXPECT_FALSE(list.LookupFirefoxHost("foo").found);

  // Both entries for one host: the protect entry sorts first and wins.
  KeepList both;
  Fill(both, {"r=.a.example", "p=.a.example"});
  EXPECT_EQ(both.LookupFirefoxHost(".a.example").code, 'P');
}

// A site's entry keeps its domain cookies (the host with a leading dot), which a purge of
// Firefox or Chromium would otherwise delete; an entry written with the dot covers only that
// form, and a host's own entry wins over its site's. The window edits only a host's own entry.
TEST(KeepListFirefox, ASitesEntryAlsoCoversItsDomainCookies) {
  KeepList list;
  Fill(list, {"p=kept.example", "r=rand.example", "p=.dot.example", "p=both.example",
              "r=.both.example", "p=", "p=.twice.example"});
  const struct {
    const char* host;
    const char* entry;  // the entry a purge follows, "" for none
    const char* own;    // the host's own entry, "" for none
  } cases[] = {
      {"kept.example", "p=kept.example", "p=kept.example"},
      {".Kept.Example", "p=kept.example", ""},
      {".rand.example", "r=rand.example", ""},
      {".dot.example", "p=.dot.example", "p=.dot.example"},
      {"dot.example", "", ""},
      {".both.example", "r=.both.example", "r=.both.example"},
      {"both.example", "p=both.example", "p=both.example"},
      {"..twice.example", "", ""},
      {"..kept.example", "", ""},
      {"www.kept.example", "", ""},
      {".", "", ""},
  };
  for (const auto& c : cases) {
    const KeepMatch m = list.LookupFirefoxHost(c.host);
    EXPECT_EQ(m.found ? list.Entries()[m.index] : "", c.entry) << c.host;
    EXPECT_EQ(m.code, !m.found ? ' ' : c.entry[0] == 'r' ? 'R' : 'P') << c.host;
    const KeepMatch own = list.FindFirefoxEntry(c.host);
    EXPECT_EQ(own.found ? list.Entries()[own.index] : "", c.own) << c.host;
  }
}

TEST(KeepListIe, ModesDecideWhichFormsCount) {
  KeepList list;
  Fill(list, {"p=*example", "p=*", "r=*tracker", "a=*always.test", "p=cookie:joe@shop.sample.net/",
              "r=cookie:ann@ads.test/", "x=cookie:bob@x.test/"});
  // Mode 1: part of the host part, which keeps the path.
  auto m = list.LookupIeAddress("Cookie:joe@shop.example.com/", kIeCookieMode);
  EXPECT_TRUE(m.found);
  EXPECT_EQ(list.Entries()[m.index], "p=*example");
  EXPECT_TRUE(list.LookupIeAddress("cookie:joe@other.test/example/", kIeCookieMode).found);
  // "p=*" alone protects nothing.
  EXPECT_FALSE(list.LookupIeAddress("cookie:joe@other.test/", kIeCookieMode).found);
  m = list.LookupIeAddress("cookie:joe@a.tracker.test/", kIeCookieMode);
  EXPECT_EQ(m.code, 'R');
  EXPECT_EQ(list.LookupIeAddress("COOKIE:ANN@ADS.TEST/", kIeCookieMode).code, 'R');
  EXPECT_EQ(list.LookupIeAddress("cookie:JOE@shop.SAMPLE.net/", kIeCookieMode).code, 'P');
  EXPECT_FALSE(list.LookupIeAddress("cookie:joe@shop.sample.net/x", kIeCookieMode).found);
  EXPECT_FALSE(list.LookupIeAddress("cookie:bob@x.test/", kIeCookieMode).found);

  // Modes 2 and 3: only "a=*" and exact "p=".
  for (int mode : {kIeCacheMode, kIeVisitedMode}) {
    EXPECT_FALSE(list.LookupIeAddress("http://www.example.com/", mode).found) << mode;
    EXPECT_FALSE(list.LookupIeAddress("cookie:ann@ads.test/", mode).found) << mode;
    EXPECT_FALSE(list.LookupIeAddress("http://a.tracker.test/", mode).found) << mode;
    EXPECT_EQ(list.LookupIeAddress("http://www.always.test/x", mode).code, 'P') << mode;
    EXPECT_TRUE(list.LookupIeAddress("cookie:joe@shop.sample.net/", mode).found) << mode;
  }
  // Any other mode: "a=*" alone.
  EXPECT_TRUE(list.LookupIeAddress("http://always.test/", 7).found);
  EXPECT_FALSE(list.LookupIeAddress("cookie:joe@shop.sample.net/", 7).found);

  // "a=*" needs the host part: after the '@' and before '?' or '#'.
  KeepList cache;
  Fill(cache, {"a=*example"});
  EXPECT_TRUE(cache.LookupIeAddress("http://example.com/", kIeCacheMode).found);
  EXPECT_FALSE(cache.LookupIeAddress("http://x.test/?q=example", kIeCacheMode).found);
  EXPECT_FALSE(cache.LookupIeAddress("visited: joe@x.test/#example", kIeVisitedMode).found);

  KeepList empty;
  EXPECT_EQ(Describe(empty.LookupIeAddress("cookie:joe@x/", kIeCookieMode)), "none -1  ");
}

TEST(KeepListIe, FirstEntryInSortedOrderWins) {
  KeepList list;
  // "a=*" sorts first; of the part-of-host entries the lowest index wins whatever the
  // pattern length or position in the host.
  Fill(list, {"r=*shop", "p=*example.com", "a=*zzz", "r=cookie:joe@shop.example.com/"});
  auto m = list.LookupIeAddress("cookie:joe@shop.example.com/", kIeCookieMode);
  EXPECT_EQ(list.Entries()[m.index], "p=*example.com");
  EXPECT_EQ(m.code, 'P');
  m = list.LookupIeAddress("cookie:joe@zzz.shop.test/", kIeCookieMode);
  EXPECT_EQ(list.Entries()[m.index], "a=*zzz");
  // Patterns that overlap inside the host (one a suffix of another's prefix) are all found.
  KeepList overlap;
  Fill(overlap, {"r=*abcd", "p=*bce", "p=*cd"});
  m = overlap.LookupIeAddress("cookie:x@zabcez/", kIeCookieMode);
  EXPECT_EQ(overlap.Entries()[m.index], "p=*bce");
  m = overlap.LookupIeAddress("cookie:x@abcd/", kIeCookieMode);
  EXPECT_EQ(overlap.Entries()[m.index], "p=*cd");
}

TEST(KeepListIe, CookieHostPart) {
  EXPECT_EQ(ExtractCookieHost("cookie:joe@host/page?x=@y"), "host/page");
  EXPECT_EQ(ExtractCookieHost("cookie:joe@host/page#frag?x"), "host/page#frag");
  EXPECT_EQ(ExtractCookieHost("http://host/page#frag"), "http://host/page");
  EXPECT_EQ(ExtractCookieHost("@"), "");
}

TEST(KeepListRandomize, LettersAndDigitsStayInTheirClass) {
  // The largest move of each kind shows the direction and the bound.
  auto most = [](int n) { return n - 1; };
  EXPECT_EQ(ScrambleCookieValue("amAMnzNZ0459-_.%", most), "myMYbnBN4815-_.%");
  auto none = [](int) { return 0; };
  EXPECT_EQ(ScrambleCookieValue("Value123", none), "Value123");
  int calls = 0;
  auto counting = [&](int n) {
    ++calls;
    return calls % n;
  };
  const std::string v = ScrambleCookieValue("aZ9=x", counting);
  EXPECT_EQ(calls, 4);
  EXPECT_EQ(v.size(), 5u);
  EXPECT_EQ(v[3], '=');
}
