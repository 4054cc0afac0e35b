// Explorer's lists on the prefix's real registry, and the system calls that Wine lacks.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/links.h"
#include "platform/registry.h"
#include "support/registry_stash.h"
#include "support/test_support.h"
#include "system/explorer_mru.h"
#include "system/system_tracks.h"
#include "system/windows_track_rules.h"

namespace {
const std::string kBase = std::string(kExplorerKey) + "\\";
const std::string kCount = "UserAssist\\{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}\\Count";

bool HasValue(const std::string& key, const std::string& name) {
  RegKey k;
  return k.OpenRead(HKEY_CURRENT_USER, kBase + key) == ERROR_SUCCESS &&
         (name.empty() || k.ReadString(name).has_value());
}

// The lists as a user's day leaves them (key, value, text, whether it goes), values beside them
// that stay, and one list that is a registry link to a key elsewhere.
struct FilledLists {
  struct Entry {
    std::string key, name, text;
    bool goes;
  };
  const std::vector<Entry> entries = {{"RunMRU", "a", "notepad\\1", true},
                                      {"RunMRU", "MRUList", "a", true},
                                      {"TypedPaths", "url1", "C:\\Private", true},
                                      {"RecentDocs", "0", "x", true},
                                      {"RecentDocs\\.txt", "0", "y", true},
                                      {"ComDlg32\\OpenSavePidlMRU\\txt", "0", "z", true},
                                      {kCount, "HRZR_PGYFRFFVBA", "1", true},
                                      {kCount.substr(0, kCount.size() - 6), "Version", "5", false},
                                      {"Advanced", "Hidden", "1", false},
                                      {"ComDlg32", "Beside", "1", false}};
  const std::string link = kBase + "Map Network Drive MRU", target = "Software\\QvLinkTarget";
  FilledLists() {
    for (const Entry& e : entries) {
      RegKey k;
      EXPECT_EQ(k.Create(HKEY_CURRENT_USER, kBase + e.key), ERROR_SUCCESS);
      EXPECT_EQ(k.WriteString(e.name, e.text), ERROR_SUCCESS);
    }
    RegKey t;
    EXPECT_EQ(t.Create(HKEY_CURRENT_USER, target), ERROR_SUCCESS);
    EXPECT_EQ(t.WriteString("a", "\\\\server\\share"), ERROR_SUCCESS);
    EXPECT_TRUE(MakeRegistryLink(link, UserKeyPath(target)));
  }
  ~FilledLists() {
    DeleteKeyItself(HKEY_CURRENT_USER, link);
    DeleteRegistryTree(HKEY_CURRENT_USER, target);
    for (const char* k :
         {"RunMRU", "TypedPaths", "RecentDocs", "ComDlg32", "UserAssist", "Advanced"})
      DeleteRegistryTree(HKEY_CURRENT_USER, kBase + k);
  }
  // Each value that goes, and the two sub-keys.
  std::vector<std::string> Lines(const std::string& result) const {
    std::vector<std::string> lines = {result + "RecentDocs\\.txt",
                                      result + "ComDlg32\\OpenSavePidlMRU\\txt"};
    for (const Entry& e : entries)
      if (e.goes) lines.push_back(result + e.key + ": " + e.name + " = " + e.text);
    std::sort(lines.begin(), lines.end());
    return lines;
  }
};
}  // namespace

// Preview names every value and sub-key and changes nothing; Purge takes exactly those. The
// keys the lists hang on, the values beside them and what a linked list points at stay.
TEST(ExplorerMruTest, TakesTheListsValuesAndSubkeysOnlyAndNeverFollowsALink) {
  FilledLists lists;
  for (bool preview : {true, false}) {
    TestRun run;
    run.state.preview = preview;
    PurgeExplorerMru(run.ctx);
    const std::string result = preview ? "     to delete - " : "       deleted - ";
    std::vector<std::string> lines = run.view.lines;
    std::erase_if(lines, [&](const std::string& l) { return !l.starts_with(result); });
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, lists.Lines(result));
    EXPECT_EQ(std::count(run.view.lines.begin(), run.view.lines.end(),
                         "    Not followed, a registry link - HKCU\\" + lists.link),
              1);
    EXPECT_EQ(run.view.lines.back(),
              "  Purge \"Explorer MRU Lists\" Function Completed.  9 Entries Processed.");
    EXPECT_EQ(run.state.highestLevel, 1);  // the link
    for (const auto& e : lists.entries)
      EXPECT_EQ(HasValue(e.key, e.name), preview || !e.goes) << e.key;
    EXPECT_EQ(HasValue("RecentDocs\\.txt", ""), preview);
  }
  for (const std::string key :
       {"RunMRU", "RecentDocs", "ComDlg32\\OpenSavePidlMRU", kCount.c_str()})
    EXPECT_TRUE(HasValue(key, "")) << key;
  RegKey target;
  ASSERT_EQ(target.OpenRead(HKEY_CURRENT_USER, lists.target), ERROR_SUCCESS);
  EXPECT_TRUE(target.ReadString("a").has_value());
}

// Wine has none of the three calls (its channel listing and its DNS flush are stubs, and it
// registers no clipboard-history class): each purge says so at level 1, in a Preview too.
TEST(SystemTracksTest, UnderWineEachCallIsNotAvailable) {
  if (!RunningUnderWine()) GTEST_SKIP() << "Windows has the calls";
  const std::pair<void (*)(ReportContext&), const char*> cases[] = {
      {ClearEventLogs, "Event Logs"},
      {FlushDnsCache, "DNS Cache"},
      {ClearClipboardHistory, "Clipboard History"}};
  for (const auto& [purge, caption] : cases) {
    for (bool preview : {true, false}) {
      TestRun run;
      run.state.preview = preview;
      purge(run.ctx);
      EXPECT_EQ(run.view.lines, std::vector<std::string>{NotAvailableLine(caption).text});
      EXPECT_EQ(run.state.highestLevel, 1) << caption;
    }
  }
}
