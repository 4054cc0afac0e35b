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
    if (StartsWith(l, "       to delete - ") || StartsWith(l, "   to delete Val - ") ||
        StartsWith(l, "   to delete Key - "))
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

namespace {
// One registry value set for a test and put back as it was, type included.
struct ScopedValue {
  HKEY root;
  std::string key, name;
  DWORD type = 0;
  std::vector<BYTE> saved;
  bool existed = false;
  ScopedValue(HKEY r, std::string k, std::string n, DWORD newType, const std::string& value)
      : root(r), key(std::move(k)), name(std::move(n)) {
    DWORD size = 0;
    existed = RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                           nullptr, &size) == ERROR_SUCCESS;
    if (existed) {
      saved.resize(size);
      RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, saved.data(),
                   &size);
    }
    EXPECT_EQ(RegSetKeyValueA(root, key.c_str(), name.c_str(), newType, value.c_str(),
                              static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS);
  }
  ~ScopedValue() {
    if (existed)
      RegSetKeyValueA(root, key.c_str(), name.c_str(), type, saved.data(),
                      static_cast<DWORD>(saved.size()));
    else
      RegDeleteKeyValueA(root, key.c_str(), name.c_str());
  }
};
}  // namespace

// OneDrive's folder backup moves Pictures and Documents into the OneDrive folder and records
// it in "User Shell Folders": the plugin follows the known folders there.
TEST_F(ShippedPluginTest, ThumbnailsOfPicturesAndDocumentsKeptInOneDrive) {
  char profile[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH), 0u);
  MadeFolder onedrive(std::string(profile) + "\\OneDrive");
  const std::string pictures = onedrive.path + "\\Pictures",
                    documents = onedrive.path + "\\Documents";
  MakeFile(pictures + "\\Thumbs.db");
  MakeFile(pictures + "\\Trip\\Thumbs.db");
  MakeFile(pictures + "\\Trip\\sea.jpg");
  MakeFile(documents + "\\Thumbs.db");
  const std::string shell =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  ScopedValue movedPictures(HKEY_CURRENT_USER, shell, "My Pictures", REG_EXPAND_SZ,
                            "%USERPROFILE%\\OneDrive\\Pictures");
  ScopedValue movedDocuments(HKEY_CURRENT_USER, shell, "Personal", REG_EXPAND_SZ,
                             "%USERPROFILE%\\OneDrive\\Documents");
  ASSERT_TRUE(SameText(Folder(39), pictures)) << Folder(39);
  ASSERT_TRUE(SameText(Folder(5), documents)) << Folder(5);
  const Lines lines = TestRunOf("THUMBNAILS.STD");
  const std::string p = UpperCase(pictures), d = UpperCase(documents);
  Lines found;
  for (const auto& l : ToDelete(lines))
    if (StartsWith(l, UpperCase(onedrive.path))) found.push_back(l);
  EXPECT_EQ(found, (Lines{d + "\\THUMBS.DB", p + "\\THUMBS.DB", p + "\\TRIP\\THUMBS.DB"}))
      << Dump(lines);
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
  // MPC-HC 2.x: one sub-key per file played; its settings stay.
  const std::string history = "Software\\MPC-HC\\MPC-HC\\MediaHistory";
  set(history + "\\5F1A09C2", "Filename", "C:\\Video\\d.mkv");
  set(history + "\\5F1A09C2", "Title", "d");
  set(history + "\\0B77E3D4", "Filename", "C:\\Video\\e.mp4");
  set("Software\\MPC-HC\\MPC-HC\\Settings", "Language", "0");
  MadeFolder vlc(roaming + "\\vlc");
  MakeFile(roaming + "\\vlc\\vlc-qt-interface.ini",
           "[General]\r\nplaylist-visible=true\r\n[RecentsMRU]\r\nlist=file:///C:/a.mp3\r\n"
           "times=0\r\n");
  const Lines lines = TestRunOf("MEDIAPLAYERS.STD");
  EXPECT_EQ(ToDelete(lines), (Lines{"FILE0 - C:\\MUSIC\\A.MP3", "FILE1 - C:\\VIDEO\\B.AVI",
                                    "FILE1 - C:\\VIDEO\\C.MKV", "LIST=FILE:///C:/A.MP3",
                                    "SOFTWARE\\MPC-HC\\MPC-HC\\MEDIAHISTORY\\0B77E3D4",
                                    "SOFTWARE\\MPC-HC\\MPC-HC\\MEDIAHISTORY\\5F1A09C2", "TIMES=0",
                                    "URL0 - HTTP://EXAMPLE.COM/STREAM"}))
      << Dump(lines);
  EXPECT_EQ(lines[lines.size() - 2], "   8 - Entries processed for this Plugin");
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
