// The plugins shipped with the program, each run in Test mode over the folders and keys of the
// test prefix, filled with what the plugin targets.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "core/text_util.h"
#include "files/temp_protect_list.h"
#include "platform/files.h"
#include "platform/links.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "plugins/plugin_engine.h"
#include "plugins/plugin_selection.h"
#include "support/registry_stash.h"
#include "support/test_support.h"

namespace {
using Lines = std::vector<std::string>;

void MakeFile(const std::string& path, const std::string& text = "x") {
  ForceDirectories(ExtractFilePath(path));
  WriteFileText(path, text);
}

std::string Folder(int csidl) {
  const SpecialFolder f = GetSpecialFolder(csidl);
  return f.ok ? f.text : std::string();
}

std::string Dump(const Lines& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\n";
  return s;
}

// Lines that say what would go, the result column taken off and upper-cased.
Lines ToDelete(const Lines& lines) {
  Lines r;
  for (const auto& l : lines)
    if (StartsWith(l, "       to delete - ") || StartsWith(l, "   to delete Val - "))
      r.push_back(UpperCase(l.substr(19)));
  std::sort(r.begin(), r.end());
  return r;
}

// A folder the test makes and removes; one that existed already is not the test's to remove.
struct MadeFolder {
  std::string path;
  explicit MadeFolder(std::string p) : path(std::move(p)) {
    EXPECT_FALSE(DirectoryExists(path)) << path << " exists already";
  }
  ~MadeFolder() { RemoveTree(path); }
};

struct ShippedPluginTest : testing::Test {
  ScopedArguments args{{}};
  ScopedDataFolder data;
  TestRun run;
  std::string local = Folder(kCsidlLocalAppData), roaming = Folder(kCsidlAppData);

  // Runs the shipped file as "Test Plugin" does.
  Lines TestRunOf(const std::string& name) {
    std::vector<std::string> lines;
    EXPECT_TRUE(ReadPluginLines(BinFolder() + "\\PLUGINS\\" + name, lines)) << name;
    run.view.lines.clear();
    run.state.preview = true;
    run.state.detail = true;
    RunPlugin(run.ctx, lines, true);
    EXPECT_EQ(run.state.highestLevel, 0) << Dump(run.view.lines);
    return run.view.lines;
  }
  void SetUp() override {
    ASSERT_FALSE(local.empty());
    ASSERT_FALSE(roaming.empty());
  }
};

// Chrome, Edge and Opera are cleaned by the program itself (the Chromium boxes), row by row and
// with the keep list: no shipped plugin deletes their files whole any more.
TEST_F(ShippedPluginTest, NoShippedPluginTargetsAChromiumBrowser) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((BinFolder() + "\\PLUGINS\\*.STD").c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  int files = 0;
  do {
    ++files;
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadPluginLines(BinFolder() + "\\PLUGINS\\" + fd.cFileName, lines));
    for (const auto& line : lines)
      for (const char* browser : {"\\GOOGLE\\CHROME", "\\MICROSOFT\\EDGE", "OPERA SOFTWARE"})
        EXPECT_EQ(UpperCase(line).find(browser), std::string::npos) << fd.cFileName << ": " << line;
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  EXPECT_EQ(files, 3);  // THUMBNAILS, MEDIAPLAYERS, NOTEPADPP
}

TEST_F(ShippedPluginTest, ThumbnailCachesOfExplorerAndThumbsFiles) {
  const std::string pictures = Folder(39), documents = Folder(5);
  // The plugin walks the user's pictures and documents: in the test prefix they must be real
  // folders, never Wine's links to the home folder of whoever runs the tests.
  for (const std::string& f : {pictures, documents}) {
    ASSERT_FALSE(f.empty());
    const DWORD a = GetFileAttributesA(f.c_str());
    ASSERT_NE(a, INVALID_FILE_ATTRIBUTES) << f;
    ASSERT_FALSE(a & FILE_ATTRIBUTE_REPARSE_POINT) << f << " is a link";
    ASSERT_TRUE(SameText(FinalPathOf(f), "\\\\?\\" + f)) << f << " -> " << FinalPathOf(f);
  }
  const std::string explorer = local + "\\Microsoft\\Windows\\Explorer";
  ForceDirectories(explorer);
  MadeFolder holiday(pictures + "\\Holiday");
  struct Files {
    Lines paths;
    ~Files() {
      for (const auto& p : paths) DeleteFileA(p.c_str());
    }
  } files{{explorer + "\\thumbcache_32.db", explorer + "\\thumbcache_idx.db",
           explorer + "\\iconcache_16.db", explorer + "\\thumbcache_x.dbx",
           pictures + "\\Thumbs.db", documents + "\\Thumbs.db", documents + "\\report.doc"}};
  for (const auto& p : files.paths) MakeFile(p);
  MakeFile(pictures + "\\Holiday\\Thumbs.db");
  MakeFile(pictures + "\\Holiday\\beach.jpg");
  const Lines lines = TestRunOf("THUMBNAILS.STD");
  const std::string e = UpperCase(explorer), p = UpperCase(pictures), d = UpperCase(documents);
  EXPECT_EQ(ToDelete(lines),
            (Lines{e + "\\THUMBCACHE_32.DB", e + "\\THUMBCACHE_IDX.DB", d + "\\THUMBS.DB",
                   p + "\\HOLIDAY\\THUMBS.DB", p + "\\THUMBS.DB"}))
      << Dump(lines);
  EXPECT_EQ(lines[lines.size() - 2], "   5 - Entries processed for this Plugin");
  EXPECT_TRUE(FileExists(pictures + "\\Holiday\\Thumbs.db"));
}

TEST_F(ShippedPluginTest, MediaPlayersRecentLists) {
  const std::string wmp = "Software\\Microsoft\\MediaPlayer\\Player";
  const std::string mpc = "Software\\MPC-HC\\MPC-HC\\Recent File List";
  RegistryStash wmpStash(HKEY_CURRENT_USER, wmp), mpcStash(HKEY_CURRENT_USER, "Software\\MPC-HC");
  auto set = [](const std::string& key, const std::string& name, const std::string& value) {
    RegKey k;
    ASSERT_EQ(k.Create(HKEY_CURRENT_USER, key), ERROR_SUCCESS);
    k.WriteString(name, value);
  };
  set(wmp + "\\RecentFileList", "File0", "C:\\Music\\a.mp3");
  set(wmp + "\\RecentFileList", "File1", "C:\\Video\\b.avi");
  set(wmp + "\\RecentFileList", "Count", "2");
  set(wmp + "\\RecentURLList", "URL0", "http://example.com/stream");
  set(mpc, "File1", "C:\\Video\\c.mkv");
  MadeFolder vlc(roaming + "\\vlc");
  MakeFile(roaming + "\\vlc\\vlc-qt-interface.ini",
           "[General]\r\nplaylist-visible=true\r\n[RecentsMRU]\r\nlist=file:///C:/a.mp3\r\n"
           "times=0\r\n");
  const Lines lines = TestRunOf("MEDIAPLAYERS.STD");
  EXPECT_EQ(ToDelete(lines), (Lines{"FILE0 - C:\\MUSIC\\A.MP3", "FILE1 - C:\\VIDEO\\B.AVI",
                                    "FILE1 - C:\\VIDEO\\C.MKV", "LIST=FILE:///C:/A.MP3", "TIMES=0",
                                    "URL0 - HTTP://EXAMPLE.COM/STREAM"}))
      << Dump(lines);
  EXPECT_EQ(lines[lines.size() - 2], "   6 - Entries processed for this Plugin");
  RegKey k;
  ASSERT_EQ(k.OpenRead(HKEY_CURRENT_USER, wmp + "\\RecentFileList"), ERROR_SUCCESS);
  EXPECT_TRUE(k.ReadString("File0").has_value());
}

TEST_F(ShippedPluginTest, NotepadPlusPlusHistory) {
  MadeFolder folder(roaming + "\\Notepad++");
  const std::string config =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<NotepadPlus>\r\n"
      "    <FindHistory nbMaxFindHistoryPath=\"10\" />\r\n"
      "    <History nbMaxFile=\"10\" inSubMenu=\"no\" customLength=\"-1\">\r\n"
      "        <File filename=\"C:\\secret\\plan.txt\" />\r\n"
      "        <File filename=\"C:\\notes.txt\" />\r\n    </History>\r\n"
      "    <FileBrowser latestSelectedItem=\"\" />\r\n</NotepadPlus>\r\n";
  MakeFile(roaming + "\\Notepad++\\config.xml", config);
  const Lines lines = TestRunOf("NOTEPADPP.STD");
  EXPECT_EQ(ToDelete(lines), (Lines{"<FILE FILENAME=\"C:\\NOTES.TXT\" />",
                                    "<FILE FILENAME=\"C:\\SECRET\\PLAN.TXT\" />"}))
      << Dump(lines);
  EXPECT_EQ(lines[lines.size() - 2], "   2 - Entries processed for this Plugin");
  EXPECT_EQ(ReadFileText(roaming + "\\Notepad++\\config.xml"), config);
}
}  // namespace
