#include "winapp2/winapp2_clean.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/folders.h"
#include "core/option_set.h"
#include "core/text_util.h"
#include "files/temp_protect_list.h"
#include "platform/files.h"
#include "platform/links.h"
#include "platform/registry.h"
#include "run/purge_run.h"
#include "support/scratch_volume.h"
#include "support/test_support.h"
#include "winapp2/winapp2_catalog.h"

namespace {
using Lines = std::vector<std::string>;

void MakeFile(const std::string& path) {
  ForceDirectories(ExtractFilePath(path));
  WriteFileText(path, "x");
}

std::string Dump(const Lines& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\n";
  return s;
}

Winapp2Entry EntryOf(const std::string& text) {
  const Winapp2Database db = ParseWinapp2("[Test Entry *]\r\n" + text);
  EXPECT_TRUE(db.problems.empty()) << Winapp2ProblemText(db.problems.front());
  return db.entries.at(0);
}

struct Winapp2CleanTest : testing::Test {
  ScopedDataFolder data;
  TestRun run;
  TempFolder tree;
  const Winapp2Facts facts = ReadWinapp2Facts();

  Lines Clean(const std::string& keys, bool preview) {
    run.view.lines.clear();
    run.state.preview = preview;
    run.state.detail = true;
    CleanWinapp2Entry(run.ctx, EntryOf(keys), facts);
    return run.view.lines;
  }
};

// One tree, one key per case: what goes and what stays beside it.
TEST_F(Winapp2CleanTest, FileKeysTakeWhatTheyNameAndNothingElse) {
  const std::string T = tree.Path();
  struct Case {
    std::string key;
    Lines gone, stays;
    bool folderGone = false;
  } cases[] = {
      {"FileKey1=" + T + "\\a|*.log", {"a\\x.log"}, {"a\\BleachBit.txt", "a\\sub\\y.log"}},
      {"FileKey1=" + T + "\\b|LOG", {"b\\LOG"}, {"b\\BleachBit.log"}},
      {"FileKey1=" + T + "\\c|*.tmp;*.bak|RECURSE", {"c\\1.tmp", "c\\d\\2.bak"}, {"c\\d\\3.txt"}},
      {"FileKey1=" + T + "\\e|*|REMOVESELF", {"e\\1", "e\\f\\g\\2"}, {}, true},
      {"FileKey1=" + T + "\\h|*|REMOVESELF\r\nExcludeKey1=FILE|" + T + "\\h\\k|keep.db",
       {"h\\1", "h\\j\\2"}, {"h\\k\\keep.db"}},
      {"FileKey1=" + T + "\\p*\\Cache|*.*\r\nExcludeKey1=PATH|" + T + "\\p2\\Cache\\|*.cfg",
       {"p1\\Cache\\a.bin", "p2\\Cache\\b.bin"}, {"p2\\Cache\\c.cfg", "q\\Cache\\d.bin"}},
      {"FileKey1=" + T + "\\r|cookies*;*.tmp", {}, {"r\\cookies.sqlite", "r\\x.tmp"}},
      {"FileKey1=" + T + "\\s|*", {}, {"s\\History", "s\\cookies.sqlite-wal"}},
      {"FileKey1=" + T + "\\..\\t|*", {}, {"t\\x"}},
      {"FileKey1=" + T + "\\u|*.tmp|RECURSE", {"u\\1.tmp"}, {"u\\keepdir\\2.tmp", "u\\pinned.tmp"}},
  };
  // "p=" entries of the temp protect list: a sub-folder skipped whole, a file by its name.
  TempProtectEntries().SetLines({"p=keepdir", "p=pinned.tmp"});
  for (const Case& c : cases) {
    for (const auto& f : c.gone) MakeFile(tree.File(f));
    for (const auto& f : c.stays) MakeFile(tree.File(f));
  }
  for (const Case& c : cases) {
    const Lines preview = Clean(c.key, true);
    for (const auto& f : c.gone) EXPECT_TRUE(FileExists(tree.File(f))) << "Preview took " << f;
    const Lines lines = Clean(c.key, false);
    for (const auto& f : c.gone) {
      EXPECT_FALSE(FileExists(tree.File(f))) << c.key << "\n" << Dump(lines);
      EXPECT_NE(std::find(lines.begin(), lines.end(), "       deleted - " + tree.File(f)), lines.end())
          << Dump(lines);
      EXPECT_NE(std::find(preview.begin(), preview.end(), "     to delete - " + tree.File(f)),
                preview.end())
          << Dump(preview);
    }
    for (const auto& f : c.stays) EXPECT_TRUE(FileExists(tree.File(f))) << c.key << "\n" << Dump(lines);
    if (c.folderGone) { EXPECT_FALSE(DirectoryExists(tree.File("e"))) << Dump(lines); }
  }
  TempProtectEntries().Clear();
  EXPECT_TRUE(DirectoryExists(tree.File("h\\k")));
  EXPECT_FALSE(DirectoryExists(tree.File("h\\j")));
}

TEST_F(Winapp2CleanTest, LinksAreRemovedNeverFollowed) {
  const std::string outside = tree.Path() + "_outside";
  struct CleanUp {
    std::string outside;
    ~CleanUp() { RemoveTree(outside); }
  } cleanUp{outside};
  MakeFile(outside + "\\precious.txt");
  MakeFile(tree.File("links\\plain.txt"));
  ASSERT_TRUE(MakeTestLink(outside, tree.File("links\\Link"), true)) << "no folder link made";
  ASSERT_TRUE(MakeTestLink(outside, tree.File("via"), true)) << "no folder link made";
  const Lines named = Clean("FileKey1=" + tree.File("via") + "|*", false);
  EXPECT_EQ(named.at(1), " -Error- Line 2 not processed - " + tree.File("via") + " is a link")
      << Dump(named);
  const Lines lines = Clean("FileKey1=" + tree.File("links") + "|*|REMOVESELF", false);
  EXPECT_TRUE(FileExists(outside + "\\precious.txt")) << Dump(lines);
  EXPECT_EQ(GetFileAttributesA(tree.File("links\\Link").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(DirectoryExists(tree.File("links"))) << Dump(lines);
}

TEST_F(Winapp2CleanTest, RegistryKeysAndValuesWithExclusions) {
  const std::string K = "Software\\QuorvaneWinapp2Test" + std::to_string(GetCurrentProcessId());
  struct Scoped {
    std::string k;
    ~Scoped() { DeleteRegistryTree(HKEY_CURRENT_USER, k); }
  } scoped{K};
  auto set = [](const std::string& key, const char* name) {
    RegKey k;
    k.Create(HKEY_CURRENT_USER, key);
    k.WriteString(name, "v");
  };
  set(K + "\\Recent\\A", "x");
  set(K + "\\Recent\\Pinned", "x");
  set(K + "\\Recent", "Last");
  set(K + "\\Recent", "Keep");
  set(K + "\\Whole\\Deep", "x");
  set(K, "Path");
  set(K, "Other");
  auto exists = [](const std::string& key, const char* value = nullptr) {
    RegKey k;
    if (k.OpenRead(HKEY_CURRENT_USER, key) != ERROR_SUCCESS) return false;
    return !value || RegQueryValueExA(k, value, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  };
  const std::string keys = "RegKey1=HKCU\\" + K + "\\Recent\r\nRegKey2=HKCU\\" + K +
                           "\\Whole\r\nRegKey3=HKCU\\" + K + "|Path\r\nRegKey4=HKCU\r\n" +
                           "ExcludeKey1=REG|HKCU\\" + K + "\\Recent\\Pinned\r\n" +
                           "ExcludeKey2=REG|HKCU\\" + K + "\\Recent|Keep\r\n";
  Clean(keys, true);
  EXPECT_TRUE(exists(K + "\\Whole\\Deep"));
  const Lines lines = Clean(keys, false);
  EXPECT_FALSE(exists(K + "\\Recent\\A")) << Dump(lines);
  EXPECT_FALSE(exists(K + "\\Recent", "Last")) << Dump(lines);
  EXPECT_TRUE(exists(K + "\\Recent\\Pinned"));
  EXPECT_TRUE(exists(K + "\\Recent", "Keep"));
  EXPECT_FALSE(exists(K + "\\Whole"));
  EXPECT_FALSE(exists(K, "Path"));
  EXPECT_TRUE(exists(K, "Other"));
  EXPECT_NE(std::find(lines.begin(), lines.end(), "       deleted - HKCU\\" + K + "\\Whole"),
            lines.end())
      << Dump(lines);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      " -Error- Line 5 not processed - names a key no entry may delete whole"),
            lines.end())
      << Dump(lines);
}

// The whole community file of today loads without a problem line, and the box runs the ticked
// entry that is detected here through a real Purge.
TEST_F(Winapp2CleanTest, TheSharedFileLoadsAndTheBoxRunsTickedEntries) {
  ASSERT_TRUE(CopyFileA((BinFolder() + "\\fixtures\\Winapp2.ini").c_str(), Winapp2FilePath().c_str(), FALSE));
  const Winapp2Catalog all = LoadWinapp2Catalog();
  EXPECT_TRUE(all.problem.empty());
  // One key of today's file names a folder and no mask: that line alone is refused.
  EXPECT_EQ(all.problems,
            Lines{"Winapp2.ini line 12435: FileKey needs a path and a mask (path|mask)"});
  EXPECT_TRUE(all.database.dropped.empty());
  EXPECT_EQ(all.total, 4067u);
  EXPECT_EQ(all.database.version, "260730");
  size_t fileKeys = 0, regKeys = 0, excludes = 0, warnings = 0;
  for (const auto& e : all.database.entries) {
    fileKeys += e.fileKeys.size();
    regKeys += e.regKeys.size();
    excludes += e.excludes.size();
    warnings += !e.warning.empty();
  }
  EXPECT_EQ(fileKeys, 14118u - 1);
  EXPECT_EQ(regKeys, 3677u);
  EXPECT_EQ(excludes, 86u);
  EXPECT_EQ(warnings, 5u);
  EXPECT_LT(all.detected.size(), all.total);

  const std::string app = tree.File("Vendor App");
  MakeFile(app + "\\logs\\run.log");
  MakeFile(app + "\\settings.ini");
  WriteFileText(Winapp2FilePath(),
                "[Vendor App Logs *]\r\nLangSecRef=3024\r\nDetectFile=" + app +
                    "\r\nFileKey1=" + app + "\\logs|*.log\r\n\r\n[Absent App *]\r\nDetectFile=" +
                    tree.File("absent") + "\r\nFileKey1=" + app + "|*.ini\r\n");
  ASSERT_TRUE(SaveWinapp2Selection({"Vendor App Logs", "Absent App"}));
  PurgeRequest request;
  request.options[OptionField::Winapp2] = 1;
  RunAndRecord(run.ctx, request);
  const Lines& lines = run.view.lines;
  const auto at = std::find(lines.begin(), lines.end(), "Processing \"Community Cleaners\"");
  ASSERT_NE(at, lines.end()) << Dump(lines);
  EXPECT_EQ(*(at + 1), "    Vendor App Logs") << Dump(lines);
  EXPECT_EQ(*(at + 2), "       deleted - " + app + "\\logs\\run.log") << Dump(lines);
  EXPECT_FALSE(FileExists(app + "\\logs\\run.log"));
  EXPECT_TRUE(FileExists(app + "\\settings.ini"));
}
}  // namespace
