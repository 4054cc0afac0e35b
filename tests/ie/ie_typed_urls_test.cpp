// "I.E. Typed URLs" and "I.E. Searches" on real keys of the current user's registry.
#include <windows.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>

#include "run/purge_run.h"
#include "ie/ie_typed_urls.h"
#include "platform/registry.h"
#include "support/registry_stash.h"
#include "support/test_support.h"

namespace {
constexpr const char* kIeTyped = "Software\\Microsoft\\Internet Explorer\\Typedurls";
constexpr const char* kIeTimes = "Software\\Microsoft\\Internet Explorer\\TypedURLsTime";
constexpr const char* kMsnTyped = "Software\\Microsoft\\MSN\\Typedurls";
constexpr const char* kMsn6 = "Software\\Microsoft\\MSN6";
constexpr const char* kSearch = "Software\\Microsoft\\Internet Explorer\\Search\\SearchProperties";

void SetString(const std::string& path, const std::string& name, const std::string& value) {
  RegKey key;
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, path), ERROR_SUCCESS);
  ASSERT_EQ(key.WriteString(name, value), ERROR_SUCCESS);
}

void SetDword(const std::string& path, const std::string& name, DWORD value) {
  RegKey key;
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, path), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&value),
                           sizeof value),
            ERROR_SUCCESS);
}

bool HasValue(const std::string& path, const std::string& name) {
  RegKey key;
  return key.OpenRead(HKEY_CURRENT_USER, path) == ERROR_SUCCESS &&
         RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The keys the purges touch, moved aside for each test and put back afterwards.
struct IeRegistryTest : testing::Test {
  RegistryStash ie{HKEY_CURRENT_USER, kIeTyped}, times{HKEY_CURRENT_USER, kIeTimes},
      msn{HKEY_CURRENT_USER, "Software\\Microsoft\\MSN"}, msn6{HKEY_CURRENT_USER, kMsn6},
      search{HKEY_CURRENT_USER, kSearch};
  TestRun run;
  ScopedArguments args{{}};

  void AddTypedUrls() {
    SetString(kIeTyped, "url1", "http://a.example/");
    SetString(kIeTyped, "MRUList", "ab");
    SetString(kIeTyped, "url10", "http://b.example/page");
    SetDword(kIeTyped, "url3", 7);  // not text: reported with empty data
    for (const char* name : {"url1", "url10", "url7"}) SetDword(kIeTimes, name, 1);
    SetString(kMsnTyped, "URL1", "http://msn.example/");
    const std::string alice = std::string(kMsn6) + "\\Users\\alice\\TypedURLs";
    SetString(alice, "first", "http://alice.example/");
    SetString(alice, "MRUList", "a");
  }
};
}  // namespace

TEST_F(IeRegistryTest, PreviewListsTypedUrlsWithDetailAndDeletesNothing) {
  AddTypedUrls();
  run.state.preview = true;
  ClearTypedUrls(run.ctx);
  const auto& l = run.view.lines;
  EXPECT_TRUE(Contains(l, "     to delete - I.E.-url1 = http://a.example/"));
  EXPECT_TRUE(Contains(l, "     to delete - I.E.-url10 = http://b.example/page"));
  EXPECT_TRUE(Contains(l, "     to delete - I.E.-url3 = "));
  EXPECT_TRUE(Contains(l, "     to delete - MSN-URL1 = http://msn.example/"));
  EXPECT_TRUE(Contains(l, "       ..Process MSN entries for - alice"));
  EXPECT_TRUE(Contains(l, "     to delete - first = http://alice.example/"));
  EXPECT_EQ(l.size(), 7u);
  EXPECT_EQ(l.back(), "  \"I.E. Typed URLs\" Function Completed. 5 Entries Processed.");
  EXPECT_EQ(run.state.processed, 5);
  EXPECT_TRUE(HasValue(kIeTyped, "url1"));
  EXPECT_TRUE(HasValue(kIeTimes, "url1"));
  EXPECT_TRUE(HasValue(kMsnTyped, "URL1"));

  // Without Detail only the footer, with the same count.
  TestRun quiet;
  quiet.state.preview = true;
  quiet.state.detail = false;
  ClearTypedUrls(quiet.ctx);
  EXPECT_EQ(
      quiet.view.lines,
      std::vector<std::string>{"  \"I.E. Typed URLs\" Function Completed. 5 Entries Processed."});
}

TEST_F(IeRegistryTest, PurgeDeletesTypedUrlsAndKeepsTheMruLists) {
  AddTypedUrls();
  ClearTypedUrls(run.ctx);
  const auto& l = run.view.lines;
  EXPECT_TRUE(Contains(l, "       deleted - I.E.-url1 = http://a.example/"));
  EXPECT_TRUE(Contains(l, "       deleted - I.E.-url3 = "));
  EXPECT_TRUE(Contains(l, "       deleted - MSN-URL1 = http://msn.example/"));
  EXPECT_TRUE(Contains(l, "       deleted - first = http://alice.example/"));
  // The user is announced before the user's first line.
  auto announce = std::find(l.begin(), l.end(), "       ..Process MSN entries for - alice");
  auto first = std::find(l.begin(), l.end(), "       deleted - first = http://alice.example/");
  EXPECT_LT(announce, first);
  EXPECT_EQ(l.back(), "  \"I.E. Typed URLs\" Function Completed. 5 Entries Processed.");
  for (const char* name : {"url1", "url10", "url3"}) EXPECT_FALSE(HasValue(kIeTyped, name));
  // The time of each deleted URL goes with it; one without its URL is none of this purge's.
  for (const char* name : {"url1", "url10"}) EXPECT_FALSE(HasValue(kIeTimes, name));
  EXPECT_TRUE(HasValue(kIeTimes, "url7"));
  EXPECT_FALSE(HasValue(kMsnTyped, "URL1"));
  const std::string alice = std::string(kMsn6) + "\\Users\\alice\\TypedURLs";
  EXPECT_FALSE(HasValue(alice, "first"));
  EXPECT_TRUE(HasValue(kIeTyped, "MRUList"));
  EXPECT_TRUE(HasValue(alice, "MRUList"));
  EXPECT_EQ(run.state.highestLevel, 0);

  // A second purge finds nothing.
  TestRun again;
  ClearTypedUrls(again.ctx);
  EXPECT_EQ(again.view.lines,
            (std::vector<std::string>{"    No Typed URLs were found to delete.",
                                      "  \"I.E. Typed URLs\" Function Completed. "}));
}

TEST_F(IeRegistryTest, AKeyThatRefusesWritingIsReportedNotCalledEmpty) {
  SetString(kIeTyped, "url1", "http://a.example/");
  auto setDacl = [](const char* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(
        ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, nullptr));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kIeTyped, 0, WRITE_DAC, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
    RegCloseKey(key);
    LocalFree(sd);
  };
  setDacl("D:P(A;;KR;;;WD)");  // everyone may read, nobody may change
  ClearTypedUrls(run.ctx);
  setDacl("D:P(A;;KA;;;WD)");
  EXPECT_EQ(run.view.lines,
            (std::vector<std::string>{
                " -Error- I.E. Typed URLs:  not processed as key refused write access - " +
                    std::string(kIeTyped),
                "  \"I.E. Typed URLs\" Function Completed. "}));
  EXPECT_EQ(run.state.highestLevel, 3);
  EXPECT_TRUE(HasValue(kIeTyped, "url1"));
}

TEST_F(IeRegistryTest, CancelStopsEveryKeyBeforeItsFirstValue) {
  AddTypedUrls();
  run.state.cancel = true;
  ClearTypedUrls(run.ctx);
  EXPECT_EQ(run.view.lines.front(), "*** Cancelled by operator.");
  EXPECT_TRUE(HasValue(kIeTyped, "url1"));
  EXPECT_TRUE(HasValue(kMsnTyped, "URL1"));
}

TEST_F(IeRegistryTest, SearchesDeletePreviousSearchesOfEveryProvider) {
  SetString(std::string(kSearch) + "\\Provider1", "PreviousSearches", "cheap flights");
  SetString(std::string(kSearch) + "\\NoHistory", "Other", "kept");
  SetString(std::string(kSearch) + "\\provider2", "PreviousSearches", "weather");

  TestRun preview;
  preview.state.preview = true;
  ClearSearches(preview.ctx);
  EXPECT_EQ(preview.view.lines,
            (std::vector<std::string>{"Clear Searches:",
                                      "  \"I.E. Searches\" Function bypassed for Preview."}));
  EXPECT_TRUE(HasValue(std::string(kSearch) + "\\Provider1", "PreviousSearches"));

  ClearSearches(run.ctx);
  EXPECT_EQ(run.view.lines,
            (std::vector<std::string>{
                "Clear Searches:",
                "  \"I.E. Searches\" Function Completed.   2 \"I.E. Search\" blocks Processed."}));
  EXPECT_FALSE(HasValue(std::string(kSearch) + "\\Provider1", "PreviousSearches"));
  EXPECT_FALSE(HasValue(std::string(kSearch) + "\\provider2", "PreviousSearches"));
  EXPECT_TRUE(HasValue(std::string(kSearch) + "\\NoHistory", "Other"));
  EXPECT_EQ(run.state.processed, 2);

  TestRun again;
  ClearSearches(again.ctx);
  EXPECT_EQ(again.view.lines, (std::vector<std::string>{
                                  "Clear Searches:", "    No \"I.E. Searches\" found to delete.",
                                  "  \"I.E. Searches\" Function Completed."}));
}

TEST_F(IeRegistryTest, OneSearchBlockIsCountedInTheSingular) {
  SetString(std::string(kSearch) + "\\Only", "PreviousSearches", "x");
  ClearSearches(run.ctx);
  EXPECT_EQ(run.view.lines.back(),
            "  \"I.E. Searches\" Function Completed.   1 \"I.E. Search\" block Processed.");
}

TEST_F(IeRegistryTest, ThePurgeRunCallsBothFunctionsInItsOrder) {
  AddTypedUrls();
  SetString(std::string(kSearch) + "\\Provider1", "PreviousSearches", "cheap flights");
  PurgeRequest r;
  r.options[OptionField::IESearches] = 1;
  r.options[OptionField::IETypedUrls] = 1;
  ASSERT_TRUE(RunPurge(run.ctx, r));
  const auto& l = run.view.lines;
  auto searches = std::find(l.begin(), l.end(), "Processing \"I.E. Searches\"");
  auto typed = std::find(l.begin(), l.end(), "Processing \"I.E. Typed URLs\"");
  ASSERT_NE(searches, l.end());
  ASSERT_NE(typed, l.end());
  EXPECT_LT(searches, typed);
  EXPECT_EQ(*(searches + 1), "Clear Searches:");
  EXPECT_TRUE(Contains(l, "  \"I.E. Typed URLs\" Function Completed. 5 Entries Processed."));
  EXPECT_TRUE(Contains(l, "  Purge Functions Completed."));
  EXPECT_FALSE(HasValue(kIeTyped, "url1"));
}
