#include <gtest/gtest.h>

#include <algorithm>

#include "core/text_util.h"
#include "firefox/firefox_profile.h"
#include "firefox/profile_rules.h"
#include "firefox/sqlite_module.h"
#include "firefox_install.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "support/registry_stash.h"
#include "support/test_support.h"

namespace {
// The registered products and the user's profiles.ini are the test's for its duration.
struct DiscoveryTest : testing::Test {
  RegistryStash machine{HKEY_LOCAL_MACHINE, "Software\\Mozilla"};
  RegistryStash user{HKEY_CURRENT_USER, "Software\\Mozilla"};
  std::string appData = GetSpecialFolder(kCsidlAppData).text;
  std::string firefoxFolder = appData + "\\Mozilla\\Firefox";
  ScopedFileRestore ini{firefoxFolder + "\\profiles.ini"};
  TempFolder temp;
  void SetUp() override { FFoxProfile() = TFFoxProfile(); }
  void TearDown() override { FFoxProfile() = TFFoxProfile(); }
  void Register(const std::string& product, const std::string& fixtureProduct) {
    RegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, "Software\\Mozilla\\" + product + "\\1.0\\Main"),
              ERROR_SUCCESS);
    key.WriteString("Install Directory", BinFolder() + "\\fixtures\\" + fixtureProduct);
  }
};
}  // namespace

TEST_F(DiscoveryTest, NewestModuleWinsInEitherRegistryOrder) {
  const std::string firefox = LowerCase(BinFolder() + "\\fixtures\\Mozilla Firefox");
  Register("A Product", "SeaMonkey");
  Register("B Product", "Mozilla Firefox");
  FindFirefoxInstall();
  EXPECT_EQ(FFoxProfile().ExecPath, firefox);
  EXPECT_EQ(FFoxProfile().SqliteModule, "SQLite3.dll");
  DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Mozilla");
  Register("A Product", "Mozilla Firefox");
  Register("B Product", "SeaMonkey");
  FindFirefoxInstall();
  EXPECT_EQ(FFoxProfile().ExecPath, firefox);
  ReadFirefoxProductVersion();
  EXPECT_EQ(FFoxProfile().ProductVersion, "10.0.2");
}

TEST_F(DiscoveryTest, FirefoxsOwnModuleWinsOverANewerProductBesideIt) {
  const std::string firefox = LowerCase(BinFolder() + "\\fixtures\\Mozilla Firefox");
  Register("Thunderbird", "Thunderbird");  // 91.0.3, no firefox.exe in its folder
  Register("Mozilla Firefox", "Mozilla Firefox");
  FindFirefoxInstall();
  EXPECT_EQ(FFoxProfile().ExecPath, firefox);
  ReadFirefoxProductVersion();
  EXPECT_EQ(FFoxProfile().ProductVersion, "10.0.2");
  // Without a Firefox among them the newest product still lends its module.
  DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Mozilla");
  Register("Thunderbird", "Thunderbird");
  Register("SeaMonkey", "SeaMonkey");
  FindFirefoxInstall();
  EXPECT_EQ(FFoxProfile().ExecPath, LowerCase(BinFolder() + "\\fixtures\\Thunderbird"));
  EXPECT_EQ(FFoxProfile().SqliteModule, "MozSQLite3.dll");
}

TEST_F(DiscoveryTest, AModuleWithoutVersionNeverWins) {
  Register("Partial", "Partial");
  CopyFileA((BinFolder() + "\\fixtures\\Partial\\partialsqlite.dll").c_str(),
            temp.File("sqlite3.dll").c_str(), FALSE);
  RegKey key;
  key.Create(HKEY_CURRENT_USER, "Software\\Mozilla\\Partial\\1.0\\Main");
  key.WriteString("Install Directory", temp.Path());
  // A module lying in the current folder is never taken without an installation.
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(temp.Path().c_str());
  EXPECT_FALSE(FindFirefoxInstall());
  SetCurrentDirectoryA(previous);
  EXPECT_EQ(FFoxProfile().ExecPath, "");
  EXPECT_EQ(FFoxProfile().SqliteModule, "");
  ReadFirefoxProductVersion();
  EXPECT_EQ(FFoxProfile().ProductVersion, "not found.");
  MessageBoxRecorder boxes;
  EXPECT_FALSE(CheckFirefoxInstall(false));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Quorvane - FireFox Install Folder Error");
  EXPECT_EQ(boxes.boxes[0].text,
            "Quorvane could not locate the FireFox install folder.\r\n\r\nQuorvane will "
            "terminate.\r\n\r\nPlease notify the Vendor.");
}

TEST_F(DiscoveryTest, InstallFolderWithoutModuleIsFatalToo) {
  FFoxProfile().ExecPath = "c:\\somewhere";
  MessageBoxRecorder boxes;
  EXPECT_FALSE(CheckFirefoxInstall(false));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Quorvane - FireFox Database Modules Error");
  EXPECT_EQ(boxes.boxes[0].text,
            "Quorvane could not locate the SQLite database\r\nmodules used by FireFox.\r\n\r\n"
            "Quorvane will terminate.\r\n\r\nPlease notify the Vendor.");
  EXPECT_EQ(boxes.boxes[0].kind, MessageKind::Error);
}

TEST_F(DiscoveryTest, DefaultProfileFromProfilesIni) {
  const std::string p1 = temp.File("p1");
  CreateDirectoryA(p1.c_str(), nullptr);
  WriteFileText(p1 + "\\Places.sqlite", "");
  WriteFileText(firefoxFolder + "\\profiles.ini",
                "[General]\r\nStartWithLastProfile=1\r\n[Profile0]\r\nIsRelative=1\r\nPath="
                "Profiles/abc.default\r\n"
                "[Profile1]\r\nDefault=1\r\nIsRelative=0\r\nPath=" +
                    p1 + "\r\n");
  RefreshProfileStatus();
  const TFFoxProfile& p = FFoxProfile();
  EXPECT_EQ(p.DataPath, p1);
  EXPECT_EQ(p.PlacesFile, p1 + "\\Places.sqlite");
  EXPECT_TRUE(p.HasPlacesDb);
  EXPECT_TRUE(p.IsSqliteProfile);
  EXPECT_EQ(p.CookiesFile, "  File not found - Cookies.sqlite");
  EXPECT_EQ(p.HistoryDatFile, "  File not found - History.dat");
  EXPECT_EQ(p.ProfileCacheFolder, "  Folder not found");
  EXPECT_EQ(p.LocalCacheFolder, "  Folder not found");  // outside the roaming folder

  // The default's folder missing: no fallback to Profile0.
  FFoxProfile() = TFFoxProfile();
  RemoveTree(p1);
  RefreshProfileStatus();
  EXPECT_EQ(FFoxProfile().DataPath, "");
  EXPECT_FALSE(FFoxProfile().IsSqliteProfile);
}

TEST_F(DiscoveryTest, RelativeProfileCacheAndTypedUrlsOption) {
  const std::string profile = firefoxFolder + "\\Profiles\\abc.default";
  ForceDirectories(profile);
  WriteFileText(firefoxFolder + "\\profiles.ini",
                "[General]\r\n[PROFILE-X]\r\nIsRelative=1\r\nPath=Profiles/abc.default\r\n");
  WriteFileText(profile + "\\Prefs.js", "user_pref(\"browser.cache.disk.parent_directory\", \"" +
                                            ReplaceAll(temp.Path(), "\\", "\\\\") + "\");\r\n");
  static int available;
  available = -1;
  SetTypedUrlsAvailability([](bool on) { available = on; });
  RefreshProfileStatus();
  const TFFoxProfile& p = FFoxProfile();
  EXPECT_EQ(p.DataPath, profile);
  EXPECT_FALSE(p.IsSqliteProfile);
  EXPECT_EQ(available, 0);  // no databases: typed URLs cannot be purged
  // The preference names the folder Firefox makes its cache folders in, not the cache itself.
  EXPECT_EQ(p.ProfileCacheFolder, "  Folder not found");
  EXPECT_EQ(p.LocalCacheFolder, "  Folder not found");
  EXPECT_EQ(p.HistoryDatFile, "  File not found - History.dat");
  ForceDirectories(temp.File("Cache"));
  ForceDirectories(temp.File("cache2\\entries"));
  RefreshProfileStatus();
  EXPECT_EQ(p.ProfileCacheFolder, temp.File("Cache"));
  EXPECT_EQ(p.Cache2Folder, temp.File("cache2"));

  // Files made after start-up are seen by the next refresh, and the markers give way again.
  WriteFileText(profile + "\\Places.sqlite", "");
  WriteFileText(profile + "\\History.dat", "x");
  RefreshProfileStatus();
  EXPECT_TRUE(p.HasPlacesDb);
  EXPECT_TRUE(p.IsSqliteProfile);
  EXPECT_EQ(available, 1);
  EXPECT_EQ(p.HistoryDatFile, profile + "\\History.dat");
  DeleteFileA((profile + "\\Places.sqlite").c_str());
  RefreshProfileStatus();
  EXPECT_FALSE(p.HasPlacesDb);
  EXPECT_EQ(available, 0);
  SetTypedUrlsAvailability(nullptr);
  RemoveTree(profile);
}

TEST_F(DiscoveryTest, TodaysFirefoxIsFoundInThe64BitViewAndLendsItsNss3) {
  const std::string folder = temp.File("Mozilla Firefox");
  ASSERT_TRUE(InstallMozillaProduct(kCurrentFirefox, BinFolder() + "\\fixtures", folder,
                                    HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY));
  EXPECT_FALSE(FileExists(folder + "\\mozsqlite3.dll"));
  // An older Firefox registered beside it: the newer module wins, as between any two products.
  Register("Mozilla Firefox Old", "Mozilla Firefox");
  MessageBoxRecorder boxes;
  EXPECT_TRUE(FindFirefoxInstall());
  EXPECT_EQ(FFoxProfile().ExecPath, LowerCase(folder));
  EXPECT_EQ(FFoxProfile().SqliteModule, "nss3.dll");
  EXPECT_EQ(FFoxProfile().SqliteModuleNote, "");
  ReadFirefoxProductVersion();
  EXPECT_EQ(FFoxProfile().ProductVersion, "128.0.3");
  EXPECT_TRUE(CheckFirefoxInstall(true));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(DiscoveryTest, A64BitFirefoxIsCleanedWithTheBuiltInSqlite) {
  const std::string folder = temp.File("Mozilla Firefox");
  ASSERT_TRUE(InstallMozillaProduct(kCurrentFirefox, BinFolder() + "\\fixtures", folder,
                                    HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY));
  ASSERT_TRUE(MarkModuleAs64Bit(folder + "\\nss3.dll"));
  // Windows itself refuses it to a 32-bit process.
  HMODULE refused =
      LoadLibraryExA((folder + "\\nss3.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  EXPECT_FALSE(refused);
  if (refused) FreeLibrary(refused);
  MessageBoxRecorder boxes;
  EXPECT_TRUE(FindFirefoxInstall());
  EXPECT_EQ(FFoxProfile().ExecPath, LowerCase(folder));  // the version rules still found it
  EXPECT_EQ(FFoxProfile().SqliteModule, BuiltinSqliteName());
  EXPECT_EQ(FFoxProfile().SqliteModuleNote, "nss3.dll not a 32-bit module");
  EXPECT_TRUE(CheckFirefoxInstall(true));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(DiscoveryTest, ModulesAreJudgedByTheirHeaders) {
  auto facts = [](const std::string& path) {
    std::string image;
    EXPECT_TRUE(ReadWholeFile(path, image)) << path;
    return ReadPeModuleFacts(image);
  };
  const std::string fixtures = BinFolder() + "\\fixtures";
  const PeModuleFacts nss = facts(fixtures + "\\Firefox Current\\nss3.dll");
  EXPECT_TRUE(nss.valid);
  EXPECT_EQ(nss.machine, kMachineI386);
  for (int i = 0; i < kSqliteEntryPointCount; ++i)
    EXPECT_TRUE(std::binary_search(nss.exports.begin(), nss.exports.end(),
                                   std::string(SqliteEntryPointNames()[i])))
        << SqliteEntryPointNames()[i];
  EXPECT_EQ(SqliteModuleUnusable(nss), "");
  EXPECT_EQ(SqliteModuleUnusable(facts(fixtures + "\\Partial\\partialsqlite.dll")),
            "does not export sqlite3_column_blob");
  EXPECT_EQ(SqliteModuleUnusable(facts(fixtures + "\\Firefox Current\\firefox.exe")),
            "does not export sqlite3_close");
  CopyFileA((fixtures + "\\Firefox Current\\nss3.dll").c_str(), temp.File("nss3.dll").c_str(),
            FALSE);
  ASSERT_TRUE(MarkModuleAs64Bit(temp.File("nss3.dll")));
  EXPECT_EQ(SqliteModuleUnusable(facts(temp.File("nss3.dll"))), "not a 32-bit module");
}
