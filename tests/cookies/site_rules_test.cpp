// The site domain of IE's per-site decisions, Firefox permission values and origins, and the
// hostperm.1 text file.
#include "cookies/site_rules.h"

#include <gtest/gtest.h>

namespace {
std::string Domain(const char* a) { return ExtractSiteDomain(a).domain; }
std::string Sub(const char* a) { return ExtractSiteDomain(a).subDomain; }
}  // namespace

TEST(SiteDomainTest, RegistrableDomainOfCookieAddressesAndUrls) {
  EXPECT_EQ(Domain("Cookie:joe@shop.example.com/"), "example.com");
  EXPECT_EQ(Sub("Cookie:joe@shop.example.com/"), "shop");
  EXPECT_EQ(ExtractSiteDomain("Cookie:joe@shop.example.com/cart").host, "shop.example.com");
  EXPECT_EQ(Domain("https://Shop.Example.Co.UK/page?x=1"), "example.co.uk");
  EXPECT_EQ(Sub("https://Shop.Example.Co.UK/page?x=1"), "shop");
  EXPECT_EQ(Domain("http://a.b.shop.example.com/"), "example.com");
  EXPECT_EQ(Sub("http://a.b.shop.example.com/"), "a.b.shop");
  EXPECT_EQ(Sub("http://x.y.example.co.uk/"), "x.y");
  EXPECT_EQ(Domain("example.com"), "example.com");
  EXPECT_EQ(Sub("example.com"), "");
  EXPECT_EQ(Domain("co.uk"), "co.uk");
  // A two-letter top label after a long second label is an ordinary domain.
  EXPECT_EQ(Domain("www.example.de"), "example.de");
  EXPECT_EQ(Domain("ftp://files.example.org/pub"), "example.org");
  EXPECT_EQ(Domain("gopher://old.example.net/1"), "example.net");
  EXPECT_EQ(Domain("news.example.com#top"), "example.com");
  EXPECT_EQ(ExtractSiteDomain("file:///c:/x.htm").found, false);  // "c:" is no host
}

TEST(SiteDomainTest, IpAddressesWildcardsAndRefusedHosts) {
  SiteDomain ip = ExtractSiteDomain("Cookie:joe@192.168.1.20/");
  EXPECT_TRUE(ip.found);
  EXPECT_EQ(ip.domain, "192.168.1.20");
  EXPECT_EQ(ip.subDomain, "");
  EXPECT_EQ(Domain("10.*.1-9.4"), "10.*.1-9.4");
  EXPECT_EQ(Domain("*.example.com"), "example.com");
  EXPECT_EQ(Sub("*.example.com"), "*");
  EXPECT_EQ(Domain("*.com"), "com");
  EXPECT_EQ(Sub("*.com"), "*");
  EXPECT_FALSE(ExtractSiteDomain("Cookie:joe@my_host.example.com/").found);
  EXPECT_FALSE(ExtractSiteDomain("Cookie:joe@/").found);
  EXPECT_FALSE(ExtractSiteDomain("Cookie:joe@example.com./").found);
  EXPECT_FALSE(ExtractSiteDomain("http://ex ample.com/").found);
}

TEST(FirefoxPermissionRulesTest, HostKeysValuesAndOrigins) {
  EXPECT_EQ(FirefoxHostKey(".Example.COM"), "example.com");
  EXPECT_EQ(FirefoxHostKey("..x"), ".x");
  EXPECT_EQ(FirefoxPermissionText("1"), "Allow");
  EXPECT_EQ(FirefoxPermissionText("2"), "Block");
  EXPECT_EQ(FirefoxPermissionText("8"), "Session");
  EXPECT_EQ(FirefoxPermissionText("3"), "");
  EXPECT_EQ(FirefoxPermissionValue('S'), "8");
  EXPECT_EQ(FirefoxPermissionValue('R'), "");
  EXPECT_EQ(OriginHostKey("https://Shop.Example.com"), "shop.example.com");
  EXPECT_EQ(OriginHostKey("http://example.com:8080"), "example.com");
  EXPECT_EQ(OriginHostKey("https://example.com^userContextId=2"), "example.com");
  EXPECT_EQ(OriginHostKey("http://[::1]:80"), "[::1]");
  EXPECT_EQ(OriginHostKey("moz-extension://abc"), "");
  EXPECT_EQ(OriginHostKey("file:///c:/"), "");
}

TEST(HostpermFileTest, HeaderRecordsAndWriteBack) {
  HostpermFile f;
  f.Parse(
      "# Permission File\r\n#\r\n\r\nhost\tcookie\t1\tShop.Example.com\r\n"
      "host\tcookie\t2\tblocked.example\r\nhost\tpopup\t1\tpop.example\r\n"
      "host\tcookie\t5\todd.example\r\nbroken line\r\n");
  EXPECT_EQ(f.Records().size(), 5u);
  EXPECT_EQ(f.Get(".SHOP.example.com"), "Allow");
  EXPECT_EQ(f.Get("blocked.example"), "Block");
  EXPECT_EQ(f.Get("pop.example"), "");  // not a cookie record
  EXPECT_EQ(f.Get("odd.example"), "unknown");
  EXPECT_EQ(f.Get("none.example"), "");
  EXPECT_FALSE(f.changed);

  EXPECT_TRUE(f.Set("Blocked.Example", 'S'));
  EXPECT_EQ(f.Get("blocked.example"), "Session");
  EXPECT_TRUE(f.Set(".new.example", 'B'));
  EXPECT_TRUE(f.Set("odd.example", 'R'));
  EXPECT_TRUE(f.changed);
  EXPECT_EQ(f.Serialize(),
            "# Permission File\n#\n\nhost\tcookie\t1\tshop.example.com\n"
            "host\tcookie\t8\tblocked.example\nhost\tpopup\t1\tpop.example\nbroken line\n"
            "host\tcookie\t2\tnew.example\n");
}

TEST(HostpermFileTest, NoHeaderGetsOneAndRemovingNothingChangesNothing) {
  HostpermFile f;
  f.Parse("host\tcookie\t8\tx.example\nhost\tcookie\t1\ty.example\tand\tmore");
  EXPECT_TRUE(f.Set("absent.example", 'R'));
  EXPECT_FALSE(f.changed);
  EXPECT_FALSE(f.Set("x.example", 'Q'));
  EXPECT_EQ(
      f.Serialize(),
      "# Permission File\nhost\tcookie\t8\tx.example\nhost\tcookie\t1\ty.example\tand\tmore\n");
  // The last line is never header, even when it is a comment.
  HostpermFile only;
  only.Parse("#a\n#b");
  EXPECT_EQ(only.Records().size(), 1u);
  EXPECT_EQ(only.Serialize(), "#a\n#b\n");
  HostpermFile empty;
  empty.Parse("");
  EXPECT_TRUE(empty.Set("z.example", 'A'));
  EXPECT_EQ(empty.Serialize(), "# Permission File\nhost\tcookie\t1\tz.example\n");
}

TEST(HostpermFileTest, StrayCarriageReturnsDoNotGrowOrChangeTheFile) {
  HostpermFile file;
  file.Parse("# Permission File\r\r\nhost\tcookie\t2\tads.example.com\r\r\r\n");
  const std::string written = file.Serialize();
  EXPECT_EQ(written, "# Permission File\nhost\tcookie\t2\tads.example.com\n");
  HostpermFile again;
  again.Parse(written);
  EXPECT_EQ(again.Serialize(), written);
  EXPECT_EQ(again.Get("ads.example.com"), "Block");
}
