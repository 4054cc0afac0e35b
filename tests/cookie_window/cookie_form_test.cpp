// The cookie window on generated profiles, real keep-list files, real permission stores and
// the real WinINet cookie cache, worked with the messages a user's clicks send and read back
// from its lists.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <wininet.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "app/main_window.h"
#include "chromium/chromium_purge.h"
#include "chromium/chromium_test_support.h"
#include "cookie_window/cookie_form.h"
#include "cookie_window/cookie_help_form.h"
#include "cookie_window/site_permissions.h"
#include "core/folders.h"
#include "core/modal.h"
#include "core/os_flags.h"
#include "core/run_mode.h"
#include "core/settings.h"
#include "core/tab_colours.h"
#include "core/text_util.h"
#include "firefox/browser_activity.h"
#include "firefox/cookie_purge.h"
#include "firefox/firefox_profile.h"
#include "ie/ie_discovery.h"
#include "ie/ie_hooks.h"
#include "ie/url_server_link.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/sqlite_statement.h"
#include "platform/window.h"
#include "profile_generator.h"
#include "sqlite3.h"
#include "resource.h"
#include "support/test_support.h"
#include "support/url_cache_fill.h"

namespace {
constexpr const char* kTitle = "Quorvane - Select Cookies to Keep";

std::string Cell(HWND list, int row, int column) {
  char buf[1024] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = buf;
  item.cchTextMax = sizeof buf;
  SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return buf;
}

int FindRow(HWND list, const std::string& caption) {
  for (int i = 0; i < ListViewCount(list); ++i)
    if (Cell(list, i, 0) == caption) return i;
  return -1;
}

void Select(HWND list, std::initializer_list<int> rows) {
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  for (int r : rows) ListView_SetItemState(list, r, LVIS_SELECTED, LVIS_SELECTED);
}

void Click(HWND form, int id) { SendMessageA(GetDlgItem(form, id), BM_CLICK, 0, 0); }

std::string StatusText(HWND form, int panel) {
  char buf[512] = {};
  SendDlgItemMessageA(form, IDC_CK_STATUS, SB_GETTEXTA, panel, reinterpret_cast<LPARAM>(buf));
  return buf;
}

void ClickColumn(HWND form, int column) {
  NMLISTVIEW n{};
  n.hdr.hwndFrom = GetDlgItem(form, IDC_CK_LIST);
  n.hdr.idFrom = IDC_CK_LIST;
  n.hdr.code = LVN_COLUMNCLICK;
  n.iItem = -1;
  n.iSubItem = column;
  SendMessageA(form, WM_NOTIFY, IDC_CK_LIST, reinterpret_cast<LPARAM>(&n));
}

void SelectTab(HWND form, int tab) {
  HWND tabs = GetDlgItem(form, IDC_CK_TABS);
  TabCtrl_SetCurSel(tabs, tab);
  NMHDR n{tabs, IDC_CK_TABS, static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageA(form, WM_NOTIFY, IDC_CK_TABS, reinterpret_cast<LPARAM>(&n));
}

// Which header column shows an arrow, and which one (0 up, 1 down); -1 when none does.
std::pair<int, int> SortArrow(HWND list) {
  HWND header = ListView_GetHeader(list);
  for (int i = 0; i < Header_GetItemCount(header); ++i) {
    HDITEMA h{HDI_FORMAT | HDI_IMAGE};
    Header_GetItem(header, i, &h);
    if (h.fmt & HDF_IMAGE) return {i, h.iImage};
  }
  return {-1, -1};
}

std::vector<std::string> Column(HWND list, int column) {
  std::vector<std::string> v;
  for (int i = 0; i < ListViewCount(list); ++i) v.push_back(Cell(list, i, column));
  return v;
}

bool SortedBy(const std::vector<std::string>& v, bool ascending) {
  for (size_t i = 1; i < v.size(); ++i) {
    const int c = lstrcmpA(v[i - 1].c_str(), v[i].c_str());
    if (ascending ? c > 0 : c < 0) return false;
  }
  return true;
}

// The database's own answer: host -> cookie names.
std::map<std::string, std::multiset<std::string>> DbCookies(const std::string& file) {
  std::map<std::string, std::multiset<std::string>> out;
  TSQLiteDatabase db(file);
  for (TSQLiteTable t = db.GetTable("SELECT host, name FROM moz_cookies"); !t.Eof(); t.Next())
    out[t.FieldAsString(0)].insert(t.FieldAsString(1));
  return out;
}

// moz_perms rows of one origin: type -> permission.
std::map<std::string, int64_t> Perms(const std::string& file, const std::string& origin) {
  std::map<std::string, int64_t> out;
  TSQLiteDatabase db(file);
  for (TSQLiteTable t =
           db.GetTable("SELECT type, permission FROM moz_perms WHERE origin = ?", {origin});
       !t.Eof(); t.Next())
    out[t.FieldAsString(0)] = t.FieldAsInteger(1);
  return out;
}

// The window opened as the main window opens it, with the test's body run on it; dialogs it
// opens on top go to `nested`.
struct CookieWindow {
  std::function<void(HWND)> nested = [](HWND d) {
    ADD_FAILURE() << "unexpected dialog: " << WindowText(d);
  };
  std::vector<std::string> nestedTitles;
  void Run(const std::function<void(HWND)>& body, OptionSet options = {}) {
    SetModalDriver([&](HWND d) {
      if (WindowText(d) == kTitle) {
        body(d);
        if (IsWindow(d) && IsWindowVisible(d)) SendMessageA(d, WM_COMMAND, IDC_CK_CLOSE, 0);
      } else {
        nestedTitles.push_back(WindowText(d));
        nested(d);
      }
    });
    ShowCookieForm(nullptr, options, ShredSettings());
    SetModalDriver(nullptr);
  }
};

void Answer(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, id, 0); }

struct CookieFormTest : testing::Test {
  ScopedDataFolder data;
  ScopedArguments args{{}};
  MessageBoxRecorder boxes;
  TempFolder temp;
  TFFoxProfile saved;
  OsFlags savedOs = CurrentOsFlags();
  std::string folder;
  CookieWindow window;

  void SetUp() override {
    // "Yes To All" and the sort are kept while the program runs: each test starts afresh.
    ForgetCookieFormProcessState();
    ASSERT_TRUE(FindFirefoxInstall());
    saved = FFoxProfile();
    folder = temp.File("profile");
    ForceDirectories(folder);
    MakeProfile(FirefoxSchema::Current, 200);
    SetFirefoxActive(false);
    OsFlags os = savedOs;
    os.vista = true;
    SetCurrentOsFlags(os);
  }
  void MakeProfile(FirefoxSchema schema, int cookies, int hosts = 0) {
    ProfileRecipe recipe;
    recipe.schema = schema;
    recipe.places = 20;
    recipe.formEntries = 10;
    recipe.cookies = cookies;
    recipe.cookieHosts = hosts;
    recipe.permissions = 60;
    WriteProfileFiles(folder, recipe);
    TFFoxProfile& p = FFoxProfile();
    p = TFFoxProfile();
    p.DataPath = folder;
    p.CookiesFile = folder + "\\cookies.sqlite";
    p.PermissionsFile = folder + "\\permissions.sqlite";
    p.HostpermFile = folder + "\\hostperm.1";
    p.CookiesTxtFile = std::string(kFileNotFoundMarker) + "Cookies.txt";
    p.HasCookiesDb = p.HasPermissionsDb = p.IsSqliteProfile = true;
  }
  void TearDown() override {
    FFoxProfile() = saved;
    SetCurrentOsFlags(savedOs);
    SetFirefoxActive(false);
    SetModalDriver(nullptr);
  }
  std::string KeepFile() const { return data.Path() + "\\Quorvane.Dat"; }
  std::string IeKeepFile() const { return data.Path() + "\\IEcookie.dat"; }
};
}  // namespace

TEST_F(CookieFormTest, ListsFirefoxHostsWithMarksPermissionsDetailsSortingAndFilter) {
  const auto db = DbCookies(FFoxProfile().CookiesFile);
  ASSERT_GT(db.size(), 4u);
  auto it = db.begin();
  const std::string protectedHost = it->first, randomHost = (++it)->first;
  WriteFileText(KeepFile(), "p=" + protectedHost + "\r\nr=" + randomHost + "\r\n");
  // The permissions current Firefox applies, from moz_perms itself.
  std::map<std::string, std::string> expectedPerm;
  {
    TSQLiteDatabase perms(FFoxProfile().PermissionsFile);
    for (TSQLiteTable t = perms.GetTable(
             "SELECT origin, permission FROM moz_perms WHERE type = 'cookie' ORDER BY id DESC");
         !t.Eof(); t.Next()) {
      const int64_t v = t.FieldAsInteger(1);
      expectedPerm[t.FieldAsString(0).substr(8)] = v == 1 ? "Allow" : v == 2 ? "Block" : "Session";
    }
  }
  ASSERT_FALSE(expectedPerm.empty());

  window.Run([&](HWND form) {
    HWND list = GetDlgItem(form, IDC_CK_LIST), details = GetDlgItem(form, IDC_CK_DETAILS);
    HWND tabs = GetDlgItem(form, IDC_CK_TABS);
    EXPECT_EQ(TabCtrl_GetItemCount(tabs), 4);
    ASSERT_EQ(ListViewCount(list), static_cast<int>(db.size()));
    EXPECT_EQ(StatusText(form, 1), "Displayed " + std::to_string(db.size()) + " of " +
                                       std::to_string(db.size()) + " Cookie Addresses");
    EXPECT_TRUE(SortedBy(Column(list, 0), true));
    EXPECT_EQ(SortArrow(list), std::make_pair(0, 0));
    LVCOLUMNA c{LVCF_TEXT};
    char caption[100] = {};
    c.pszText = caption;
    c.cchTextMax = sizeof caption;
    ListView_GetColumn(list, 0, &c);
    EXPECT_STREQ(caption, "Internet Address for FireFox Cookie");

    std::set<std::string> permHostsSeen;
    for (int i = 0; i < ListViewCount(list); ++i) {
      const std::string host = Cell(list, i, 0);
      EXPECT_EQ(Cell(list, i, 1), host == protectedHost ? "Protect"
                                  : host == randomHost  ? "Random"
                                                        : "")
          << host;
      const std::string key = host[0] == '.' ? host.substr(1) : host;
      auto p = expectedPerm.find(key);
      EXPECT_EQ(Cell(list, i, 2), p == expectedPerm.end() ? "" : p->second) << host;
      if (p != expectedPerm.end()) permHostsSeen.insert(key);
    }
    EXPECT_FALSE(permHostsSeen.empty());

    // The first item is selected and its cookies are the details.
    const std::string first = Cell(list, 0, 0);
    ASSERT_EQ(ListViewCount(details), static_cast<int>(db.at(first).size()));
    std::multiset<std::string> names;
    for (int i = 0; i < ListViewCount(details); ++i) {
      EXPECT_EQ(Cell(details, i, 0), first);
      names.insert(Cell(details, i, 1));
    }
    EXPECT_EQ(names, db.at(first));
    Select(list, {0, 1});
    EXPECT_EQ(ListViewCount(details), 0);

    // Column 0 turns descending on its first click; column 1 sorts ascending, ties by address.
    ClickColumn(form, 0);
    EXPECT_TRUE(SortedBy(Column(list, 0), false));
    EXPECT_EQ(SortArrow(list), std::make_pair(0, 1));
    ClickColumn(form, 1);
    EXPECT_EQ(SortArrow(list), std::make_pair(1, 0));
    const auto marks = Column(list, 1);
    EXPECT_TRUE(SortedBy(marks, true));
    EXPECT_EQ(marks.back(), "Random");
    std::vector<std::string> blanks;
    for (int i = 0; i < ListViewCount(list); ++i)
      if (Cell(list, i, 1).empty()) blanks.push_back(Cell(list, i, 0));
    EXPECT_TRUE(SortedBy(blanks, true));
    ClickColumn(form, 1);
    EXPECT_EQ(Column(list, 1).front(), "Random");
    EXPECT_EQ(SortArrow(list), std::make_pair(1, 1));

    // The filter finds a cookie name of one host only; a single blank lists everything.
    const std::string name = *db.at(randomHost).begin();
    SetDlgItemTextA(form, IDC_CK_FILTER, ("  " + UpperCase(name) + " ").c_str());
    Click(form, IDC_CK_REFRESH);
    std::set<std::string> having;
    for (const auto& [host, n] : db)
      for (const auto& x : n)
        if (LowerCase(x).find(LowerCase(name)) != std::string::npos) having.insert(host);
    EXPECT_EQ(ListViewCount(list), static_cast<int>(having.size()));
    EXPECT_EQ(StatusText(form, 1), "Displayed " + std::to_string(having.size()) + " of " +
                                       std::to_string(db.size()) + " Cookie Addresses");
    EXPECT_EQ(SortArrow(list), std::make_pair(0, 0));  // every listing sorts by address
    SetDlgItemTextA(form, IDC_CK_FILTER, " ");
    SetFocus(GetDlgItem(form, IDC_CK_FILTER));
    SendMessageA(form, WM_COMMAND, IDOK, 0);  // Enter in the filter edit
    EXPECT_EQ(ListViewCount(list), static_cast<int>(db.size()));
  });
  EXPECT_TRUE(boxes.boxes.empty());
  // Nothing changed: the keep list is not rewritten.
  EXPECT_EQ(ReadFileText(KeepFile()), "p=" + protectedHost + "\r\nr=" + randomHost + "\r\n");
}

TEST_F(CookieFormTest, ProtectedHostIsExactlyWhatAPurgeKeeps) {
  const auto db = DbCookies(FFoxProfile().CookiesFile);
  const std::string keep = std::next(db.begin(), 2)->first;
  window.Run([&](HWND form) {
    HWND list = GetDlgItem(form, IDC_CK_LIST);
    Select(list, {});
    Click(form, IDC_CK_PROTECT);
    Select(list, {FindRow(list, keep)});
    Click(form, IDC_CK_PROTECT);
    EXPECT_EQ(Cell(list, FindRow(list, keep), 1), "Protect");
  });
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "No entry selected for Protect function");
  EXPECT_EQ(boxes.boxes[0].caption, "Quorvane  -  Error Condition");
  EXPECT_EQ(ReadFileText(KeepFile()), "p=" + keep + "\r\n");
  // The purge the main window would run next.
  TestRun run;
  PurgeFirefoxCookies(run.ctx);
  const auto after = DbCookies(FFoxProfile().CookiesFile);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after.begin()->first, keep);
  EXPECT_EQ(after.begin()->second, db.at(keep));
}

TEST_F(CookieFormTest, RandomizeUnprotectDeleteAndTheirConfirmations) {
  auto db = DbCookies(FFoxProfile().CookiesFile);
  ASSERT_GT(db.size(), 6u);
  std::vector<std::string> hosts;
  for (const auto& [h, n] : db) hosts.push_back(h);
  int confirmAnswer = IDNO;
  std::vector<std::string> confirmTexts;
  window.nested = [&](HWND d) {
    confirmTexts.push_back(WindowText(GetDlgItem(d, IDC_CF_TEXT)));
    Answer(d, confirmAnswer);
  };
  window.Run([&](HWND form) {
    HWND list = GetDlgItem(form, IDC_CK_LIST);
    auto row = [&](int h) { return FindRow(list, hosts[h]); };
    Select(list, {row(0), row(1)});
    Click(form, IDC_CK_RANDOMIZE);
    EXPECT_EQ(Cell(list, row(0), 1), "Random");
    EXPECT_EQ(Cell(list, row(1), 1), "Random");
    // Unmarked items only: nothing changes and the user is told.
    Select(list, {row(2)});
    Click(form, IDC_CK_UNPROTECT);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "No \"Protect\" entry selected for Unprotect function");

    // Random to Protect asks per item: "No" leaves it Random.
    Select(list, {row(0)});
    confirmAnswer = IDNO;
    Click(form, IDC_CK_PROTECT);
    ASSERT_EQ(window.nestedTitles.size(), 1u);
    EXPECT_EQ(window.nestedTitles[0], "Quorvane  -  Random to Protect Confirmation");
    EXPECT_EQ(Cell(list, row(0), 1), "Random");
    EXPECT_EQ(DbCookies(FFoxProfile().CookiesFile).count(hosts[0]), 1u);
    // "Yes" deletes the cookie so that the sender makes a new one, and protects the address.
    confirmAnswer = IDYES;
    Click(form, IDC_CK_PROTECT);
    EXPECT_EQ(Cell(list, row(0), 1), "Protect");
    EXPECT_EQ(Cell(list, row(0), 3), "Only in Protect File - no Cookie");
    EXPECT_EQ(DbCookies(FFoxProfile().CookiesFile).count(hosts[0]), 0u);

    // Delete: nothing selected, then "No", then "Yes To All", after which nobody asks.
    Select(list, {});
    Click(form, IDC_CK_DELETE);
    EXPECT_EQ(boxes.boxes.back().text, "No entry selected for Delete function");
    Select(list, {row(3), row(4)});
    confirmAnswer = IDNO;
    Click(form, IDC_CK_DELETE);
    EXPECT_EQ(confirmTexts.back().substr(0, 52),
              "For your request to delete the 2 selected entries,\r\n");
    EXPECT_EQ(Cell(list, row(3), 3), "");
    confirmAnswer = IDC_CF_YESALL;
    Click(form, IDC_CK_DELETE);
    EXPECT_EQ(Cell(list, row(3), 3), "Deleted");
    EXPECT_EQ(Cell(list, row(4), 3), "Deleted");
    const size_t asked = window.nestedTitles.size();
    EXPECT_EQ(window.nestedTitles.back(), "Quorvane  -  Delete Confirmation");
    // A protected address keeps its entry; deleting it again only hints at Unprotect, once.
    Select(list, {row(0), row(5)});
    SendMessageA(form, WM_COMMAND, IDM_CK_PROTECT, 0);
    Select(list, {row(5)});
    SendMessageA(form, WM_COMMAND, IDM_CK_DELETE, 0);
    EXPECT_EQ(Cell(list, row(5), 3), "Only in Protect File - no Cookie");
    const size_t before = boxes.boxes.size();
    Select(list, {row(0), row(5)});
    Click(form, IDC_CK_DELETE);
    ASSERT_EQ(boxes.boxes.size(), before + 1);
    EXPECT_EQ(boxes.boxes.back().text,
              "You must use UnProtect to Remove \r\nan entry from the Protect File.");
    EXPECT_EQ(boxes.boxes.back().caption, "Quorvane  -  Information Message");
    EXPECT_EQ(window.nestedTitles.size(), asked);
    Select(list, {row(1)});
    Click(form, IDC_CK_UNPROTECT);
    EXPECT_EQ(Cell(list, row(1), 1), "");
    EXPECT_EQ(Cell(list, row(1), 3), "Protect removed");
  });
  const auto after = DbCookies(FFoxProfile().CookiesFile);
  for (int h : {0, 3, 4, 5}) EXPECT_EQ(after.count(hosts[h]), 0u) << hosts[h];
  for (int h : {1, 2, 6}) EXPECT_EQ(after.count(hosts[h]), 1u) << hosts[h];
  std::vector<std::string> expected{"p=" + hosts[0], "p=" + hosts[5]};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ReadFileText(KeepFile()), expected[0] + "\r\n" + expected[1] + "\r\n");
}

TEST_F(CookieFormTest, FirefoxPermissionsOnTheCurrentSchemaAreWhatFirefoxApplies) {
  const auto db = DbCookies(FFoxProfile().CookiesFile);
  std::string host;
  for (const auto& [h, n] : db)
    if (h[0] == '.') host = h;
  ASSERT_FALSE(host.empty());
  const std::string key = host.substr(1);
  const std::string perms = FFoxProfile().PermissionsFile;
  {
    // Another type for the same site, which a cookie "Remove" must leave.
    TSQLiteDatabase d(perms);
    d.ExecSQL("DELETE FROM moz_perms WHERE origin IN (?, ?)", {"http://" + key, "https://" + key});
    d.ExecSQL("INSERT INTO moz_perms (origin, type, permission) VALUES (?, 'geo', 1)",
              {"https://" + key});
  }
  window.Run([&](HWND form) {
    HWND list = GetDlgItem(form, IDC_CK_LIST);
    Select(list, {});
    Click(form, IDC_CK_BLOCK);
    EXPECT_EQ(boxes.boxes.back().text, "No entry selected for Exception Function");
    const int r = FindRow(list, host);
    EXPECT_EQ(Cell(list, r, 2), "");
    Select(list, {r});
    Click(form, IDC_CK_BLOCK);
    EXPECT_EQ(Cell(list, r, 2), "Block");
    EXPECT_EQ(Perms(perms, "http://" + key).at("cookie"), 2);
    EXPECT_EQ(Perms(perms, "https://" + key).at("cookie"), 2);
    Click(form, IDC_CK_SESSION);
    EXPECT_EQ(Cell(list, r, 2), "Session");
    EXPECT_EQ(Perms(perms, "https://" + key).at("cookie"), 8);
    SendMessageA(form, WM_COMMAND, IDM_CK_ALLOW, 0);
    EXPECT_EQ(Cell(list, r, 2), "Allow");
    EXPECT_EQ(Perms(perms, "http://" + key).at("cookie"), 1);
    {
      TSQLiteDatabase d(perms);
      EXPECT_EQ(d.GetTable("SELECT id FROM moz_perms WHERE origin IN (?, ?) AND type = 'cookie'",
                           {"http://" + key, "https://" + key})
                    .RowCount(),
                2);
    }
    Click(form, IDC_CK_REMOVE);
    EXPECT_EQ(Cell(list, r, 2), "");
    EXPECT_EQ(Perms(perms, "http://" + key).count("cookie"), 0u);
    EXPECT_EQ(Perms(perms, "https://" + key), (std::map<std::string, int64_t>{{"geo", 1}}));
    // While Firefox runs the buttons are disabled and a command does nothing.
    SetFirefoxActive(true);
    SendMessageA(form, WM_COMMAND, IDM_CK_BLOCK, 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form, IDC_CK_BLOCK)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form, IDC_CK_SESSION)));
    EXPECT_EQ(Cell(list, r, 2), "");
    SendMessageA(form, WM_SETCURSOR, reinterpret_cast<WPARAM>(GetDlgItem(form, IDC_CK_ALLOW)),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(StatusText(form, 0), "\"Allow\" Button Disabled - FireFox is Active");
  });
  // moz_hosts, which current Firefox ignores, stays as it was.
  TSQLiteDatabase d(perms);
  EXPECT_EQ(d.GetTable("SELECT id FROM moz_hosts").RowCount(), 0);
}

TEST_F(CookieFormTest, EditorValidatesEntriesAndAFailedListIsNeverSaved) {
  WriteFileText(KeepFile(), "p=kept.example\r\nr=other.example\r\n");
  std::vector<std::string> editorLists;
  window.nested = [&](HWND d) {
    EXPECT_EQ(WindowText(d), "Quorvane - Edit Protect File Entries for FireFox");
    HWND edit = GetDlgItem(d, IDC_PE_EDIT), list = GetDlgItem(d, IDC_PE_LIST);
    auto items = [&] {
      std::string all;
      for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
        char b[300] = {};
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(b));
        all += std::string(b) + ";";
      }
      return all;
    };
    editorLists.push_back(items());
    SetWindowTextString(edit, "p=");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_PE_ADD)));
    SetWindowTextString(edit, "shop.example");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_PE_ADD)));
    Click(d, IDC_PE_ADD);
    EXPECT_EQ(boxes.boxes.back().text,
              "The entry must begin with: \r\n    \"p=\" for Protect or\r\n    \"r=\" for "
              "Randomize\r\n\r\nAdd Function ignored.");
    EXPECT_EQ(boxes.boxes.back().caption, "Quorvane  -  Error Message");
    // Same address, other code: replaces the entry.
    SetWindowTextString(edit, "P=Other.Example");
    Click(d, IDC_PE_ADD);
    SetWindowTextString(edit, "r=new.example");
    Click(d, IDC_PE_ADD);
    EXPECT_EQ(items(), "p=kept.example;p=other.example;r=new.example;");
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_PE_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(WindowText(edit), "p=kept.example");
    Click(d, IDC_PE_DELETE);
    SetWindowTextString(edit, "p=absent.example");
    Click(d, IDC_PE_DELETE);
    EXPECT_EQ(boxes.boxes.back().text,
              "Unable to locate the specified \r\nentry for Deletion.\r\n\r\nDelete Function "
              "ignored.");
    Click(d, IDC_PE_CLOSE);
  };
  window.Run([&](HWND form) { Click(form, IDC_CK_EDIT); });
  ASSERT_EQ(editorLists.size(), 1u);
  EXPECT_EQ(editorLists[0], "p=kept.example;r=other.example;");
  EXPECT_EQ(ReadFileText(KeepFile()), "p=other.example\r\nr=new.example\r\n");

  // A list that cannot be read: said on opening, refused by Edit, and never written.
  boxes.boxes.clear();
  HANDLE lock =
      CreateFileA(KeepFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  window.Run([&](HWND form) {
    HWND list = GetDlgItem(form, IDC_CK_LIST);
    Select(list, {0});
    Click(form, IDC_CK_PROTECT);
    Click(form, IDC_CK_EDIT);
  });
  CloseHandle(lock);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].text, "Unable to open exsting FireFox Protect file - " + KeepFile() +
                                     "\r\n\r\nAny changes made here will be discarded...");
  EXPECT_EQ(boxes.boxes[0].caption, "Quorvane  -  Message");
  EXPECT_EQ(boxes.boxes[1].text, "Unable to open exsting FireFox Protect file - \r\n" + KeepFile());
  EXPECT_EQ(editorLists.size(), 1u);
  EXPECT_EQ(ReadFileText(KeepFile()), "p=other.example\r\nr=new.example\r\n");
}

TEST_F(CookieFormTest, LegacyProfileKeepsHostpermAndCookiesTxt) {
  TFFoxProfile& p = FFoxProfile();
  p.IsSqliteProfile = p.HasCookiesDb = p.HasPermissionsDb = false;
  p.CookiesTxtFile = folder + "\\cookies.txt";
  p.CookiesPg1File = folder + "\\Cookies.pg1";
  p.CookiesPg2File = folder + "\\Cookies.pg2";
  WriteFileText(p.CookiesTxtFile,
                "# Netscape HTTP Cookie File\n\n"
                ".a.example\tTRUE\t/\tFALSE\t2000000000\tid\t1\n"
                "b.example\tFALSE\t/\tFALSE\t2000000000\tx\t2\n"
                "b.example\tFALSE\t/\tFALSE\t2000000000\ty\t3\n"
                "c.example\tFALSE\t/\tFALSE\t2000000000\tz\t4\n");
  WriteFileText(p.HostpermFile, "host\tcookie\t1\ta.example\nhost\tcookie\t7\tc.example\n");
  window.nested = [&](HWND d) { Answer(d, IDYES); };
  window.Run([&](HWND form) {
    HWND list = GetDlgItem(form, IDC_CK_LIST);
    ASSERT_EQ(Column(list, 0), (std::vector<std::string>{".a.example", "b.example", "c.example"}));
    EXPECT_EQ(Column(list, 2), (std::vector<std::string>{"Allow", "", "unknown"}));
    Select(list, {1});
    EXPECT_EQ(ListViewCount(GetDlgItem(form, IDC_CK_DETAILS)), 2);
    Click(form, IDC_CK_BLOCK);
    Click(form, IDC_CK_DELETE);
    EXPECT_EQ(Cell(list, 1, 3), "Deleted");
    Select(list, {0});
    Click(form, IDC_CK_REMOVE);
    EXPECT_EQ(Column(list, 2), (std::vector<std::string>{"", "Block", "unknown"}));
  });
  EXPECT_EQ(ReadFileText(p.HostpermFile),
            "# Permission File\nhost\tcookie\t7\tc.example\nhost\tcookie\t2\tb.example\n");
  EXPECT_EQ(ReadFileText(p.CookiesTxtFile),
            "# Netscape HTTP Cookie File\n\n.a.example\tTRUE\t/\tFALSE\t2000000000\tid\t1\n"
            "c.example\tFALSE\t/\tFALSE\t2000000000\tz\t4\n");
}

TEST_F(CookieFormTest, LegacyDatabaseWritesMozHosts) {
  MakeProfile(FirefoxSchema::Legacy, 50);
  const std::string perms = FFoxProfile().PermissionsFile;
  {
    TSQLiteDatabase d(perms);
    d.ExecSQL("INSERT INTO moz_hosts (host, type, permission) VALUES ('x_y.example', 'popup', 1)");
  }
  ASSERT_TRUE(LoadFirefoxPermissions());
  EXPECT_EQ(GetFirefoxPermission(".x_y.example"), "");
  EXPECT_TRUE(SetFirefoxPermission(".X_Y.example", 'S'));
  EXPECT_EQ(GetFirefoxPermission("x_y.example"), "Session");
  EXPECT_TRUE(SetFirefoxPermission("x_y.example", 'B'));
  // A host whose '_' is no wildcard: a look-alike stays.
  {
    TSQLiteDatabase d(perms);
    d.ExecSQL("INSERT INTO moz_hosts (host, type, permission) VALUES ('xzy.example', 'cookie', 1)");
  }
  EXPECT_TRUE(SetFirefoxPermission("x_y.example", 'R'));
  EXPECT_TRUE(SetFirefoxPermission("none.example", 'R'));
  CloseFirefoxPermissions();
  {
    TSQLiteDatabase d(perms);
    EXPECT_EQ(d.GetTable("SELECT id FROM moz_hosts WHERE host = 'x_y.example'").RowCount(), 0);
    EXPECT_EQ(d.GetTable("SELECT id FROM moz_hosts WHERE host = 'xzy.example'").RowCount(), 1);
  }
  EXPECT_TRUE(boxes.boxes.empty());

  // No permissions.sqlite: said, and the window goes on without.
  ASSERT_TRUE(DeleteFileA(perms.c_str()));
  EXPECT_FALSE(LoadFirefoxPermissions());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text,
            "Unable to find FireFox Permissions file - Permissions.SQLite\r\nExecution will "
            "continue...");
  EXPECT_FALSE(SetFirefoxPermission("a.example", 'A'));
  CloseFirefoxPermissions();
}

namespace {
// The IE tabs list through the URL link's shared record, made once per test program.
void MapUrlLink() {
  static bool mapped = false;
  if (mapped) return;
  DiscoverIeFolders();  // as start-up does: an IE Delete trusts only the cookie folder
  UrlLink().SetNameSuffix("_cookiewin" + std::to_string(GetCurrentProcessId()));
  std::string error;
  ASSERT_TRUE(UrlLink().CreateSharedMap(error)) << error;
  mapped = true;
}

// A click of the left button at the centre of a rectangle of a control, as the mouse posts it.
void PostClick(HWND control, const RECT& r) {
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(control, WM_LBUTTONUP, 0, at);
}
}  // namespace

TEST_F(CookieFormTest, InternetExplorerTabsListTheCookieCacheAndSetSiteDecisions) {
  MapUrlLink();
  ASSERT_TRUE(InternetSetCookieA("http://www.cookiewin-one.test/", "session",
                                 "alpha77; expires=Sat, 01-Jan-2039 00:00:00 GMT"));
  ASSERT_TRUE(InternetSetCookieA("http://shop.cookiewin-two.test/", "cart",
                                 "beta88; expires=Sat, 01-Jan-2039 00:00:00 GMT"));
  const std::string key = IePermissionKey("cookiewin-two.test");
  DeleteRegistryTree(HKEY_CURRENT_USER, key);
  WriteFileText(IeKeepFile(), "r=*cookiewin-one\r\n");
  window.nested = [&](HWND d) { Answer(d, IDC_CF_YESALL); };
  std::string one, two;
  window.Run([&](HWND form) {
    HWND list = GetDlgItem(form, IDC_CK_LIST), details = GetDlgItem(form, IDC_CK_DETAILS);
    auto rowOf = [&](const std::string& part) {
      for (int i = 0; i < ListViewCount(list); ++i)
        if (LowerCase(Cell(list, i, 0)).find(part) != std::string::npos) return i;
      return -1;
    };
    SelectTab(form, 1);
    LVCOLUMNA c{LVCF_TEXT};
    char caption[100] = {};
    c.pszText = caption;
    c.cchTextMax = sizeof caption;
    ListView_GetColumn(list, 0, &c);
    EXPECT_STREQ(caption, "Internet Address for \"I.E. Normal Mode\"");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form, IDC_CK_SESSION)));
    int rOne = rowOf("@www.cookiewin-one.test/"), rTwo = rowOf("@shop.cookiewin-two.test/");
    ASSERT_GE(rOne, 0);
    ASSERT_GE(rTwo, 0);
    one = Cell(list, rOne, 0);
    two = Cell(list, rTwo, 0);
    EXPECT_TRUE(StartsWithText(one, "Cookie:"));
    const int n = ListViewCount(list);
    EXPECT_EQ(StatusText(form, 1),
              "Displayed " + std::to_string(n) + " of " + std::to_string(n) + " Cookie Addreses");
    EXPECT_EQ(Cell(list, rOne, 1), "Random");
    EXPECT_EQ(Cell(list, rTwo, 1), "");
    EXPECT_TRUE(FileExists(Cell(list, rTwo, 3)));
    Select(list, {rTwo});
    ASSERT_EQ(ListViewCount(details), 1);
    EXPECT_NE(Cell(details, 0, 0).find("cookiewin-two.test"), std::string::npos);
    EXPECT_NE(Cell(details, 0, 0).back(), '/');
    EXPECT_EQ(Cell(details, 0, 1), "cart");
    EXPECT_EQ(Cell(details, 0, 2), "beta88");

    Click(form, IDC_CK_BLOCK);
    EXPECT_EQ(Cell(list, rTwo, 2), "Block");
    RegKey k;
    ASSERT_EQ(k.OpenRead(HKEY_CURRENT_USER, key), ERROR_SUCCESS);
    DWORD v = 0, size = sizeof v, type = 0;
    RegQueryValueExA(k, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(v, 5u);
    k = RegKey();
    Click(form, IDC_CK_SESSION);  // not offered here
    EXPECT_EQ(Cell(list, rTwo, 2), "Block");
    Click(form, IDC_CK_REMOVE);
    EXPECT_EQ(Cell(list, rTwo, 2), "");
    EXPECT_NE(k.OpenRead(HKEY_CURRENT_USER, key), ERROR_SUCCESS);
    Click(form, IDC_CK_ALLOW);
    EXPECT_EQ(GetIePermission(two), "Allow");

    // The filter reads the cookie files: a value finds its one entry.
    SetDlgItemTextA(form, IDC_CK_FILTER, "alpha77");
    Click(form, IDC_CK_REFRESH);
    ASSERT_EQ(ListViewCount(list), 1);
    EXPECT_EQ(Cell(list, 0, 0), one);
    EXPECT_EQ(StatusText(form, 1), "Displayed 1 of 1 Cookie Addreses");
    SetDlgItemTextA(form, IDC_CK_FILTER, "");
    Click(form, IDC_CK_REFRESH);

    // Protecting an IE address goes to IEcookie.dat, saved when the tab changes.
    Select(list, {rowOf("@shop.cookiewin-two.test/")});
    Click(form, IDC_CK_PROTECT);
    SelectTab(form, 0);
    EXPECT_EQ(ReadFileText(IeKeepFile()), "p=" + LowerCase(two) + "\r\nr=*cookiewin-one\r\n");
    SelectTab(form, 1);
    rOne = rowOf("@www.cookiewin-one.test/");
    Select(list, {rOne});
    Click(form, IDC_CK_DELETE);
    EXPECT_EQ(Cell(list, rOne, 3), "Only in Protect File - no Cookie");
  });
  char buffer[8192];
  DWORD size = sizeof buffer;
  EXPECT_FALSE(GetUrlCacheEntryInfoA(one.c_str(),
                                     reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer), &size));
  size = sizeof buffer;
  EXPECT_TRUE(GetUrlCacheEntryInfoA(two.c_str(),
                                    reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer), &size));
  DeleteRegistryTree(HKEY_CURRENT_USER, key);
}

TEST_F(CookieFormTest, TwentyThousandCookiesAllListedAndSorted) {
  MakeProfile(FirefoxSchema::Current, 20000, 20000);
  const auto db = DbCookies(FFoxProfile().CookiesFile);
  window.nested = [](HWND d) { Answer(d, IDC_CF_YESALL); };
  ASSERT_GT(db.size(), 10000u);
  window.Run([&](HWND form) {
    HWND list = GetDlgItem(form, IDC_CK_LIST);
    ASSERT_EQ(ListViewCount(list), static_cast<int>(db.size()));
    EXPECT_TRUE(SortedBy(Column(list, 0), true));
    ClickColumn(form, 0);
    const auto descending = Column(list, 0);
    EXPECT_TRUE(SortedBy(descending, false));
    EXPECT_EQ(std::set<std::string>(descending.begin(), descending.end()).size(), db.size());
    // Every host at once, as Ctrl+A selects them.
    ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
    Click(form, IDC_CK_DELETE);
    const auto comments = Column(list, 3);
    EXPECT_EQ(std::count(comments.begin(), comments.end(), "Deleted"),
              static_cast<long>(db.size()));
  });
  EXPECT_TRUE(DbCookies(FFoxProfile().CookiesFile).empty());
}

TEST(IePermissionTest, SiteDecisionsByDomainKey) {
  const std::string key = IePermissionKey("cookiewin-three.co.uk");
  DeleteRegistryTree(HKEY_CURRENT_USER, key);
  const std::string address = "Cookie:joe@a.b.cookiewin-three.co.uk/path/";
  EXPECT_EQ(GetIePermission(address), "");
  EXPECT_TRUE(SetIePermission(address, 'B'));
  EXPECT_EQ(GetIePermission("https://cookiewin-three.co.uk/"), "Block");
  {
    RegKey k;
    ASSERT_EQ(k.Create(HKEY_CURRENT_USER, key), ERROR_SUCCESS);
    const DWORD three = 3;
    RegSetValueExA(k, nullptr, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&three), sizeof three);
  }
  EXPECT_EQ(GetIePermission(address), "Other - 3");
  {
    RegKey k;
    ASSERT_EQ(k.Create(HKEY_CURRENT_USER, key), ERROR_SUCCESS);
    k.WriteString("", "1");
  }
  EXPECT_EQ(GetIePermission(address), "");  // not an integer
  EXPECT_TRUE(SetIePermission(address, 'R'));
  RegKey gone;
  EXPECT_NE(gone.OpenRead(HKEY_CURRENT_USER, key), ERROR_SUCCESS);
  EXPECT_TRUE(SetIePermission(address, 'R'));  // nothing there: nothing to do
  EXPECT_FALSE(SetIePermission(address, 'S'));
  // A host the browser could not key gets no decision.
  EXPECT_FALSE(SetIePermission("Cookie:joe@my_site.cookiewin-three.co.uk/", 'A'));
  EXPECT_NE(gone.OpenRead(HKEY_CURRENT_USER, key), ERROR_SUCCESS);
  EXPECT_EQ(GetIePermission("Cookie:joe@my_site.cookiewin-three.co.uk/"), "");
}

std::string TabText(HWND tabs, int tab) {
  char text[100] = {};
  TCITEMA t{TCIF_TEXT};
  t.pszText = text;
  t.cchTextMax = sizeof text;
  TabCtrl_GetItem(tabs, tab, &t);
  return text;
}

TEST_F(CookieFormTest, WindowsBeforeVistaHaveOneIeTab) {
  OsFlags os = CurrentOsFlags();
  os.vista = false;
  SetCurrentOsFlags(os);
  window.Run([&](HWND form) {
    HWND tabs = GetDlgItem(form, IDC_CK_TABS);
    ASSERT_EQ(TabCtrl_GetItemCount(tabs), 3);
    EXPECT_EQ(TabText(tabs, 1), "for Internet Explorer Cookies");
    EXPECT_EQ(TabText(tabs, 2), "for Chromium Cookies");
  });
}

TEST_F(CookieFormTest, PositionColumnWidthsAndHelpWindow) {
  window.Run([&](HWND form) {
    HWND list = GetDlgItem(form, IDC_CK_LIST);
    ListView_SetColumnWidth(list, 0, 311);
    ListView_SetColumnWidth(GetDlgItem(form, IDC_CK_DETAILS), 2, 177);
    Click(form, IDC_CK_HELP);
    HWND help = CookieHelpWindow();
    ASSERT_TRUE(help);
    EXPECT_TRUE(IsWindowVisible(help));
    EXPECT_EQ(WindowText(help), "Quorvane - Help For Cookies Window");
    const std::string text = WindowText(GetDlgItem(help, IDC_CH_TEXT));
    EXPECT_NE(text.find("Protect"), std::string::npos);
    EXPECT_EQ(text.find("Unable to locate"), std::string::npos);
    Click(help, IDC_CH_CLOSE);
    EXPECT_FALSE(IsWindowVisible(help));
  });
  ProfileFile file = SettingsFile();
  EXPECT_EQ(file.ReadString("Positions", "Lv1C0", ""), "311");
  EXPECT_EQ(file.ReadString("Positions", "Lv2C2", ""), "177");
  EXPECT_FALSE(file.ReadString("Positions", "CookieForm", "").empty());
  EXPECT_FALSE(file.ReadString("Positions", "LV2Ht", "").empty());
  window.Run([&](HWND form) {
    EXPECT_EQ(ListView_GetColumnWidth(GetDlgItem(form, IDC_CK_LIST), 0), 311);
  });
}

TEST_F(CookieFormTest, UnreadableOrMissingCookieStoreAndMissingHelpText) {
  // A cookies file that is no database: the listing says so in its items.
  WriteFileText(FFoxProfile().CookiesFile, std::string(4096, 'x'));
  window.Run([&](HWND form) {
    HWND list = GetDlgItem(form, IDC_CK_LIST);
    EXPECT_EQ(Column(list, 0),
              (std::vector<std::string>{"  ---Unable to access FireFox Cookie file---",
                                        "  ---Unable to display FireFox Cookies---"}));
    EXPECT_EQ(StatusText(form, 1), "Displayed 2 of 2 Cookie Addresses");
  });
  EXPECT_TRUE(boxes.boxes.empty());
  // No file at all: a message, and an empty list.
  ASSERT_TRUE(DeleteFileA(FFoxProfile().CookiesFile.c_str()));
  MutableFolders().programFolder = temp.Path();  // no QvrnCook.rtf here
  window.Run([&](HWND form) {
    EXPECT_EQ(ListViewCount(GetDlgItem(form, IDC_CK_LIST)), 0);
    Click(form, IDC_CK_HELP);
    ASSERT_TRUE(CookieHelpWindow());
    EXPECT_EQ(WindowText(GetDlgItem(CookieHelpWindow(), IDC_CH_TEXT)),
              "\r\n...Unable to locate the text file to display.\r\n\r\n...The file - "
              "QvrnCook.rtf must be in the Quorvane execution folder.");
  });
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text,
            "Unable to find FireFox Cookies file - Cookies.SQLite\r\nExecution will continue...");
  EXPECT_EQ(boxes.boxes[0].caption, "Quorvane  -  Message");
  EXPECT_EQ(CookieHelpWindow(), nullptr);  // gone with the cookie window
}

TEST(CookieFormRulesTest, SplitterAndHelpPlacement) {
  EXPECT_TRUE(AcceptDetailsHeight(100, 400, 375));
  EXPECT_FALSE(AcceptDetailsHeight(79, 400, 375));   // under 20 %
  EXPECT_FALSE(AcceptDetailsHeight(241, 400, 375));  // over 60 %
  EXPECT_TRUE(AcceptDetailsHeight(240, 400, 375));
  EXPECT_FALSE(AcceptDetailsHeight(240, 400, 500));  // a tall window keeps more for the list
  EXPECT_TRUE(AcceptDetailsHeight(200, 400, 500));
  const RECT work{0, 0, 1000, 700};
  RECT at = PlaceCookieHelp({0, 0, 800, 600}, {100, 100, 600, 500}, work);
  EXPECT_EQ(at.right - at.left, 500);
  EXPECT_EQ(at.bottom - at.top, 350);
  EXPECT_EQ(at.left, 500);
  EXPECT_EQ(at.top, 350);
  at = PlaceCookieHelp({0, 0, 400, 300}, {0, 0, 100, 50}, {0, 0, 600, 400});
  EXPECT_EQ(at.right - at.left, 360);  // half of 600 would be 300: never below 360
  EXPECT_EQ(at.bottom - at.top, 240);
  EXPECT_EQ(at.left, 100);
  EXPECT_EQ(at.top, 50);
}

TEST(CookieFormRulesTest, IeKeepStatusMarksLaterEntriesWin) {
  const std::string a = "cookie:joe@shop.example.com/";
  EXPECT_EQ(IeKeepStatusMark({"p=" + a}, a), "Protect");
  EXPECT_EQ(IeKeepStatusMark({"p=" + a, "r=*example"}, a), "Random");
  EXPECT_EQ(IeKeepStatusMark({"r=" + a, "a=*shop"}, a), "Protect");
  EXPECT_EQ(IeKeepStatusMark({"p=*"}, a), "");
  EXPECT_EQ(IeKeepStatusMark({"p=*other"}, a), "");
}

// The Firefox and Chromium tabs mark a host as the purges treat it (DecideCookieHost).
TEST(CookieFormRulesTest, HostKeepStatusMarksAreWhatThePurgesDo) {
  const auto mark = [](const std::vector<std::string>& entries, const std::string& host) {
    KeepList keep;
    for (const auto& e : entries) keep.Add(e);
    return HostKeepStatusMark(keep, host);
  };
  EXPECT_EQ(mark({"p=example.com"}, "Example.COM"), "Protect");
  EXPECT_EQ(mark({"r=example.com"}, "example.com"), "Random");
  EXPECT_EQ(mark({"p=.example.com"}, "example.com"), "");
  // A domain cookie's host shows its site's mark unless it has an entry of its own.
  EXPECT_EQ(mark({"p=example.com"}, ".example.com"), "Protect");
  EXPECT_EQ(mark({"r=example.com"}, ".example.com"), "Random");
  EXPECT_EQ(mark({"p=example.com", "r=.example.com"}, ".example.com"), "Random");
  EXPECT_EQ(mark({"p=example.com"}, "..example.com"), "");
  // IE's part-of-host forms keep no Firefox or Chromium cookie, so they mark none.
  EXPECT_EQ(mark({"p=*example", "r=*example"}, "www.example.com"), "");
  // A list that could not be read shows the marks made since (they are never saved).
  KeepList unread;
  unread.loaded = false;
  unread.Add("p=example.com");
  EXPECT_EQ(HostKeepStatusMark(unread, "example.com"), "Protect");
}

// Commands that reach the window while a Delete lets messages run are refused: they can change
// neither the rows the Delete goes through nor what it reports.
TEST_F(CookieFormTest, CommandsArrivingDuringADeleteAreRefused) {
  MapUrlLink();
  for (int i = 0; i < 6; ++i)  // enough IE rows for every Firefox row number used below
    ASSERT_TRUE(InternetSetCookieA(("http://busy" + std::to_string(i) + ".cookiewin.test/").c_str(),
                                   "b", "1; expires=Sat, 01-Jan-2039 00:00:00 GMT"));
  const struct {
    const char* name;
    std::function<void(HWND form)> post;
  } cases[] = {
      {"column click",
       [](HWND form) {
         HWND header = ListView_GetHeader(GetDlgItem(form, IDC_CK_LIST));
         RECT r;
         Header_GetItemRect(header, 0, &r);
         PostClick(header, r);
       }},
      {"Refresh", [](HWND form) { PostMessageA(form, WM_COMMAND, IDC_CK_REFRESH, 0); }},
      {"tab change",
       [](HWND form) {
         HWND tabs = GetDlgItem(form, IDC_CK_TABS);
         RECT r;
         TabCtrl_GetItemRect(tabs, 1, &r);
         PostClick(tabs, r);
       }},
      {"Edit", [](HWND form) { PostMessageA(form, WM_COMMAND, IDC_CK_EDIT, 0); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MakeProfile(FirefoxSchema::Current, 200);
    const auto before = DbCookies(FFoxProfile().CookiesFile);
    window.nestedTitles.clear();
    window.nested = [](HWND d) { Answer(d, IDC_CF_YESALL); };
    std::vector<std::string> chosen;
    window.Run([&](HWND form) {
      HWND list = GetDlgItem(form, IDC_CK_LIST);
      ASSERT_GT(ListViewCount(list), 6);
      for (int r : {0, 2, 4}) chosen.push_back(Cell(list, r, 0));
      Select(list, {0, 2, 4});
      c.post(form);
      Click(form, IDC_CK_DELETE);
      PumpFor(50);  // whatever was refused has been handled by now
      EXPECT_EQ(TabCtrl_GetCurSel(GetDlgItem(form, IDC_CK_TABS)), 0);
      EXPECT_EQ(SortArrow(list), std::make_pair(0, 0));
      for (int r : {0, 2, 4}) {
        EXPECT_EQ(Cell(list, r, 0), chosen[r / 2]);
        EXPECT_EQ(Cell(list, r, 3), "Deleted");
      }
    });
    for (const auto& t : window.nestedTitles) EXPECT_EQ(t, "Quorvane  -  Delete Confirmation");
    auto expected = before;
    for (const auto& h : chosen) expected.erase(h);
    EXPECT_EQ(DbCookies(FFoxProfile().CookiesFile), expected);
  }
}

// The IE Delete takes the file the cache index named for the cookie, whatever column 3 shows
// after an Unprotect or a failed delete: never a file of the user's named like that text.
TEST_F(CookieFormTest, IeDeleteTakesTheCookiesOwnFileWhateverItsRowShows) {
  MapUrlLink();
  HANDLE held = INVALID_HANDLE_VALUE;
  const struct {
    const char* host;
    std::function<void(HWND form, const std::string& file)> before;
    const char* shown;  // column 3 before the Delete
  } cases[] = {
      {"unprotected.cookiewin.test",
       [](HWND form, const std::string&) {
         Click(form, IDC_CK_PROTECT);
         Click(form, IDC_CK_UNPROTECT);
       },
       "Protect removed"},
      {"once-locked.cookiewin.test",
       [&](HWND form, const std::string& file) {
         held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         ASSERT_NE(held, INVALID_HANDLE_VALUE);
         Click(form, IDC_CK_DELETE);
         CloseHandle(held);
       },
       "not deleted - Locked"},
  };
  window.nested = [](HWND d) { Answer(d, IDC_CF_YESALL); };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.host);
    const std::string url = std::string("http://") + c.host + "/";
    ASSERT_TRUE(InternetSetCookieA(url.c_str(), "k", "v; expires=Sat, 01-Jan-2039 00:00:00 GMT"));
    std::string address, file;
    WriteFileText(c.shown, "the user's own file");  // in the current directory
    window.Run([&](HWND form) {
      HWND list = GetDlgItem(form, IDC_CK_LIST);
      SelectTab(form, 1);
      int row = -1;
      for (int i = 0; i < ListViewCount(list); ++i)
        if (Cell(list, i, 0).find(std::string("@") + c.host + "/") != std::string::npos) row = i;
      ASSERT_GE(row, 0);
      address = Cell(list, row, 0);
      file = Cell(list, row, 3);
      ASSERT_TRUE(FileExists(file));
      Select(list, {row});
      c.before(form, file);
      EXPECT_EQ(Cell(list, row, 3), c.shown);
      Click(form, IDC_CK_DELETE);
      EXPECT_EQ(Cell(list, row, 3), "Deleted");
    });
    EXPECT_FALSE(FileExists(file));
    EXPECT_EQ(ReadFileText(c.shown), "the user's own file");
    DeleteFileA(c.shown);
    char buffer[8192];
    DWORD size = sizeof buffer;
    EXPECT_FALSE(GetUrlCacheEntryInfoA(
        address.c_str(), reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer), &size));
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

// The cookie's file name reaches the window through the shared record, which any low-integrity
// program can write: one that leads out of the cookie folder is refused in its row, and neither
// the file it names nor the cookie's entry is touched. Wine's index keeps such a name (the
// folder, then ".."), so a real entry carries it here as a forged record would.
TEST_F(CookieFormTest, IeDeleteRefusesAFileOutsideTheCookieFolder) {
  MapUrlLink();
  const std::string url = SetIeCookie("http://forged.cookiewin.test/", "k", "v");
  const std::string victim = ExtractFilePath(IeFolders().cookiesFolder) + "\\victim.txt";
  const std::string forged = IeFolders().cookiesFolder + "\\..\\victim.txt";
  WriteFileText(victim, "the user's own file");
  FILETIME none{};
  ASSERT_TRUE(CommitUrlCacheEntryA(url.c_str(), forged.c_str(), none, none, COOKIE_CACHE_ENTRY,
                                   nullptr, 0, "txt", nullptr));
  ASSERT_EQ(LocalFileOf(url), forged);
  window.nested = [](HWND d) { Answer(d, IDC_CF_YESALL); };
  window.Run([&](HWND form) {
    HWND list = GetDlgItem(form, IDC_CK_LIST);
    SelectTab(form, 1);
    const int row = FindRow(list, url);
    ASSERT_GE(row, 0);
    EXPECT_EQ(Cell(list, row, 3), forged);
    Select(list, {row});
    Click(form, IDC_CK_DELETE);
    EXPECT_EQ(Cell(list, row, 3), "not deleted - Access Denied");
  });
  EXPECT_EQ(ReadFileText(victim), "the user's own file");
  EXPECT_TRUE(InCache(url));
  DeleteUrlCacheEntryA(url.c_str());
  DeleteFileA(victim.c_str());
}

// A write another program keeps from happening leaves every row telling so, never "Deleted"
// or a setting that was not stored; the files stay as they were.
TEST_F(CookieFormTest, AWriteThatFailsIsNeverShownAsDone) {
  const std::string legacyCookies =
      "# Netscape HTTP Cookie File\n\n"
      ".a.example\tTRUE\t/\tFALSE\t2000000000\tid\t1\n"
      "b.example\tFALSE\t/\tFALSE\t2000000000\tx\t2\n";
  const std::string legacyPerms = "host\tcookie\t1\ta.example\n";
  auto legacy = [&] {
    TFFoxProfile& p = FFoxProfile();
    p.IsSqliteProfile = p.HasCookiesDb = p.HasPermissionsDb = false;
    p.CookiesTxtFile = folder + "\\cookies.txt";
    p.CookiesPg1File = folder + "\\Cookies.pg1";
    p.CookiesPg2File = folder + "\\Cookies.pg2";
    WriteFileText(p.CookiesTxtFile, legacyCookies);
    WriteFileText(p.HostpermFile, legacyPerms);
  };
  const struct {
    const char* name;
    bool legacy;
    std::function<std::string()> heldFile;
    int command;
    int column;
    const char* shown;
    const char* box;
  } cases[] = {
      {"cookies.sqlite written by another program", false,
       [&] { return FFoxProfile().CookiesFile; }, IDC_CK_DELETE, 3,
       "not deleted - Cookie File not written",
       "Delete Entry from Cookies file failed... \r\nExecution will continue..."},
      {"Cookies.txt held open", true, [&] { return FFoxProfile().CookiesTxtFile; }, IDC_CK_DELETE,
       3, "not deleted - Cookie File not written",
       "Delete Entry from Cookies file failed... \r\nExecution will continue..."},
      {"hostperm.1 held open", true, [&] { return FFoxProfile().HostpermFile; }, IDC_CK_BLOCK, 2,
       "", "Unable to write FireFox Permissions file - hostperm.1\r\nExecution will continue..."},
  };
  window.nested = [](HWND d) { Answer(d, IDC_CF_YESALL); };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    boxes.boxes.clear();
    MakeProfile(FirefoxSchema::Current, 50);
    if (c.legacy) legacy();
    const std::string held = c.heldFile();
    const std::string bytes = ReadFileText(held);
    std::unique_ptr<TSQLiteDatabase> writer;
    HANDLE open = INVALID_HANDLE_VALUE;
    window.Run([&](HWND form) {
      HWND list = GetDlgItem(form, IDC_CK_LIST);
      const int row = 1;
      if (c.legacy) {
        open = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
        ASSERT_NE(open, INVALID_HANDLE_VALUE);
      } else {
        // Another program in the middle of its own write transaction.
        writer = std::make_unique<TSQLiteDatabase>(held);
        writer->ExecSQL("BEGIN IMMEDIATE");
        writer->ExecSQL("CREATE TABLE qv_other_writer (x)");
      }
      Select(list, {row});
      Click(form, c.command);
      EXPECT_EQ(Cell(list, row, c.column), c.shown);
      Select(list, {});
      Select(list, {row});
      if (c.command == IDC_CK_DELETE) {  // the cookies are listed as the file still holds them
        EXPECT_GT(ListViewCount(GetDlgItem(form, IDC_CK_DETAILS)), 0);
      }
    });
    if (open != INVALID_HANDLE_VALUE) CloseHandle(open);
    writer.reset();
    EXPECT_EQ(ReadFileText(held), bytes);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, c.box);
  }
}

// While Firefox runs, Delete and Randomize are refused on its tab as the permission buttons
// are, and a Random to Protect change keeps the cookie and its mark.
TEST_F(CookieFormTest, DeleteAndRandomizeAreRefusedWhileFirefoxRuns) {
  const auto before = DbCookies(FFoxProfile().CookiesFile);
  std::vector<std::string> hosts;
  for (const auto& [h, n] : before) hosts.push_back(h);
  WriteFileText(KeepFile(), "r=" + hosts[0] + "\r\n");
  window.nested = [](HWND d) { Answer(d, IDC_CF_YESALL); };
  window.Run([&](HWND form) {
    HWND list = GetDlgItem(form, IDC_CK_LIST);
    SetFirefoxActive(true);
    const struct {
      int command, row;
    } refused[] = {{IDC_CK_DELETE, FindRow(list, hosts[1])},
                   {IDM_CK_DELETE, FindRow(list, hosts[1])},
                   {IDC_CK_RANDOMIZE, FindRow(list, hosts[2])},
                   {IDM_CK_RANDOMIZE, FindRow(list, hosts[2])}};
    for (const auto& r : refused) {
      Select(list, {r.row});
      SendMessageA(form, WM_COMMAND, r.command, 0);
      EXPECT_EQ(Cell(list, r.row, 1), "") << r.command;
      EXPECT_EQ(Cell(list, r.row, 3), "") << r.command;
    }
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form, IDC_CK_DELETE)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form, IDC_CK_RANDOMIZE)));
    SendMessageA(form, WM_SETCURSOR, reinterpret_cast<WPARAM>(GetDlgItem(form, IDC_CK_DELETE)),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(StatusText(form, 0), "\"Delete\" Button Disabled - FireFox is Active");
    const int random = FindRow(list, hosts[0]);
    Select(list, {random});
    Click(form, IDC_CK_PROTECT);
    EXPECT_EQ(Cell(list, random, 1), "Random");
    EXPECT_EQ(Cell(list, random, 3), "not deleted - FireFox is Active");
    SetFirefoxActive(false);
    SendMessageA(form, WM_TIMER, 1, 0);  // the poll that follows the browser's state
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(form, IDC_CK_DELETE)));
  });
  EXPECT_EQ(DbCookies(FFoxProfile().CookiesFile), before);
  EXPECT_EQ(ReadFileText(KeepFile()), "r=" + hosts[0] + "\r\n");
  EXPECT_TRUE(window.nestedTitles.empty());
}

namespace {
// The fill the window draws for one tab, read from a bitmap it drew into.
COLORREF TabFill(HWND form, int tab) {
  HWND tabs = GetDlgItem(form, IDC_CK_TABS);
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 40, 20, 1, 32, BI_RGB};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  DRAWITEMSTRUCT d{ODT_TAB, IDC_CK_TABS, static_cast<UINT>(tab), ODA_DRAWENTIRE, 0,
                   tabs,    dc,          {0, 0, 40, 20}};
  SendMessageA(form, WM_DRAWITEM, IDC_CK_TABS, reinterpret_cast<LPARAM>(&d));
  const COLORREF c = GetPixel(dc, 1, 1);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  return c;
}

RECT ClientRectOf(HWND form, int id) {
  RECT r;
  GetWindowRect(GetDlgItem(form, id), &r);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// A drag of the splitter above the details list to the height `h`, as the mouse does it.
void DragDetailsTo(HWND form, int h) {
  const RECT d = ClientRectOf(form, IDC_CK_DETAILS);
  SendMessageA(form, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, d.top - 3));
  SendMessageA(form, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, d.bottom - h - 3));
  SendMessageA(form, WM_LBUTTONUP, 0, MAKELPARAM(10, d.bottom - h - 3));
}

std::set<std::string> SelectedCaptions(HWND list) {
  std::set<std::string> out;
  for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i >= 0;
       i = ListView_GetNextItem(list, i, LVNI_SELECTED))
    out.insert(Cell(list, i, 0));
  return out;
}
}  // namespace

TEST_F(CookieFormTest, TheSelectedTabTakesTheMainWindowsHighlight) {
  HDC screen = GetDC(nullptr);
  const int depth = GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  const COLORREF highlight = TabColoursForDepth(depth).mainSelected;
  ASSERT_NE(highlight, GetSysColor(COLOR_HIGHLIGHT));  // else the test could not tell them apart
  window.Run([&](HWND form) {
    EXPECT_EQ(TabFill(form, 0), highlight);
    EXPECT_EQ(TabFill(form, 1), GetSysColor(COLOR_BTNFACE));
    SelectTab(form, 1);
    EXPECT_EQ(TabFill(form, 1), highlight);
    EXPECT_EQ(TabFill(form, 0), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(TabFill(form, 2), GetSysColor(COLOR_BTNFACE));
  });
}

TEST_F(CookieFormTest, TheSplitterKeepsRoomByTheWindowsWholeHeight) {
  window.Run([&](HWND form) {
    MoveWindow(form, 0, 0, 640, 700, TRUE);
    RECT w, c;
    GetWindowRect(form, &w);
    GetClientRect(form, &c);
    const int windowHeight = w.bottom - w.top;
    ASSERT_GT(windowHeight, c.bottom);
    const int area =
        ClientRectOf(form, IDC_CK_DETAILS).bottom - ClientRectOf(form, IDC_CK_LIST).top;
    // Just too tall for the main list's room by the window's height, not by its client area.
    const int tooTall = area - 40 - (windowHeight - 375) + 1;
    ASSERT_TRUE(AcceptDetailsHeight(tooTall, area, c.bottom));
    ASSERT_FALSE(AcceptDetailsHeight(tooTall, area, windowHeight));
    const int before =
        ClientRectOf(form, IDC_CK_DETAILS).bottom - ClientRectOf(form, IDC_CK_DETAILS).top;
    DragDetailsTo(form, tooTall);
    const RECT d = ClientRectOf(form, IDC_CK_DETAILS);
    EXPECT_EQ(d.bottom - d.top, before);
    const int fits = tooTall - 2;
    ASSERT_TRUE(AcceptDetailsHeight(fits, area, windowHeight));
    DragDetailsTo(form, fits);
    const RECT after = ClientRectOf(form, IDC_CK_DETAILS);
    EXPECT_EQ(after.bottom - after.top, fits);
  });
}

TEST_F(CookieFormTest, ResetAndAnyposOpenWithTheDesignedWidthsHeightAndFont) {
  const FontSetting savedFont = Globals().fonts.cookies;
  Globals().fonts.cookies = {"Arial", 14, 0};
  struct Case {
    std::vector<std::string> args;
    bool stored;
  };
  for (const Case& c : {Case{{}, true}, Case{{"RESET"}, false}, Case{{"ANYPOS"}, false}}) {
    SCOPED_TRACE(c.args.empty() ? "no switch" : c.args[0]);
    SettingsChanges changes;
    changes.Set("Positions", "Lv1C0", "311");
    changes.Set("Positions", "Lv2C2", "177");
    changes.Set("Positions", "LV2Ht", "130");
    changes.Commit();
    {
      ScopedArguments switches(c.args);
      SelectRunMode();
      window.Run([&](HWND form) {
        HWND list = GetDlgItem(form, IDC_CK_LIST), details = GetDlgItem(form, IDC_CK_DETAILS);
        EXPECT_EQ(ListView_GetColumnWidth(list, 0) == 311, c.stored);
        EXPECT_EQ(ListView_GetColumnWidth(details, 2) == 177, c.stored);
        const RECT d = ClientRectOf(form, IDC_CK_DETAILS);
        EXPECT_EQ(d.bottom - d.top == 130, c.stored);
        for (HWND l : {list, details}) {
          LOGFONTA lf{};
          GetObjectA(reinterpret_cast<HFONT>(SendMessageA(l, WM_GETFONT, 0, 0)), sizeof lf, &lf);
          EXPECT_EQ(std::string(lf.lfFaceName) == "Arial", c.stored) << lf.lfFaceName;
        }
      });
    }
    SelectRunMode();
  }
  Globals().fonts.cookies = savedFont;
}

TEST_F(CookieFormTest, SortDirectionsStartAgainOnlyWhenTheWindowOpensOrTheTabChanges) {
  window.Run([&](HWND form) {
    HWND list = GetDlgItem(form, IDC_CK_LIST);
    ClickColumn(form, 0);
    EXPECT_TRUE(SortedBy(Column(list, 0), false));
    // A refresh lists ascending, but the column keeps its direction: its next click turns it.
    Click(form, IDC_CK_REFRESH);
    EXPECT_TRUE(SortedBy(Column(list, 0), true));
    EXPECT_EQ(SortArrow(list), std::make_pair(0, 0));
    ClickColumn(form, 0);
    EXPECT_TRUE(SortedBy(Column(list, 0), true));
    ClickColumn(form, 0);
    EXPECT_TRUE(SortedBy(Column(list, 0), false));
    // Another tab starts every column afresh.
    SelectTab(form, 1);
    SelectTab(form, 0);
    ClickColumn(form, 0);
    EXPECT_TRUE(SortedBy(Column(list, 0), false));
    EXPECT_EQ(SortArrow(list), std::make_pair(0, 1));
  });
  // And so does opening the window again.
  window.Run([&](HWND form) {
    HWND list = GetDlgItem(form, IDC_CK_LIST);
    ClickColumn(form, 0);
    EXPECT_TRUE(SortedBy(Column(list, 0), false));
  });
}

TEST_F(CookieFormTest, ASortKeepsTheSelectionOnItsCookies) {
  const auto db = DbCookies(FFoxProfile().CookiesFile);
  window.Run([&](HWND form) {
    HWND list = GetDlgItem(form, IDC_CK_LIST), details = GetDlgItem(form, IDC_CK_DETAILS);
    ASSERT_GT(ListViewCount(list), 4);
    const std::set<std::string> two{Cell(list, 0, 0), Cell(list, 2, 0)};
    Select(list, {0, 2});
    ClickColumn(form, 0);
    EXPECT_EQ(SelectedCaptions(list), two);
    // One cookie selected: still that one, with its details.
    const std::string one = Cell(list, 1, 0);
    Select(list, {1});
    ClickColumn(form, 0);
    EXPECT_EQ(SelectedCaptions(list), std::set<std::string>{one});
    ASSERT_EQ(ListViewCount(details), static_cast<int>(db.at(one).size()));
    EXPECT_EQ(Cell(details, 0, 0), one);
  });
}

namespace {
// Google Chrome and Brave, each with the real profile Debian's chromium wrote (a cookie of each
// site's host and one of its domain, ".site"), placed as on Windows. Brave lacks gone.example's
// cookies and holds a second cookie of other.example, so the profiles differ. (Not Edge: its folder
// would go below Microsoft, which holds the WinINet cache of the IE tests.)
struct ChromiumTabTest : CookieFormTest {
  static constexpr int kChromiumTab = 3;
  ScopedBrowserFolder chrome{"Google\\Chrome\\User Data"},
      brave{"BraveSoftware\\Brave-Browser\\User Data"};
  const std::string chromeCookies = chrome.Path() + "\\Default\\Network\\Cookies";
  const std::string braveCookies = brave.Path() + "\\Default\\Network\\Cookies";

  void SetUp() override {
    CookieFormTest::SetUp();
    const std::string from = FixtureUserData();
    ASSERT_TRUE(FileExists(from + "\\Default\\Cookies"))
        << "the chromium_profile set-up step makes " << from;
    for (const std::string& to : {chrome.Path(), brave.Path()}) {
      ForceDirectories(to + "\\Default\\Network");
      for (const auto& [a, b] : {std::pair{"\\Local State", "\\Local State"},
                                 {"\\Default\\Preferences", "\\Default\\Preferences"},
                                 {"\\Default\\Cookies", "\\Default\\Network\\Cookies"}})
        ASSERT_TRUE(CopyFileA((from + a).c_str(), (to + b).c_str(), FALSE)) << to + b;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(braveCookies.c_str(), &db), SQLITE_OK);
    const int rc = sqlite3_exec(db,
                                "DELETE FROM cookies WHERE host_key LIKE '%gone.example';"
                                "CREATE TEMP TABLE t AS SELECT * FROM cookies "
                                "WHERE host_key = 'other.example';"
                                "UPDATE t SET name = 'second';"
                                "INSERT INTO cookies SELECT * FROM t;",
                                nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK);
    WriteFileText(KeepFile(), "p=kept.example\r\nr=rand.example\r\n");
  }
  // Every cookie of a file, whole, one row per cookie.
  static std::vector<std::string> AllCookies(const std::string& file) {
    return Rows(file,
                "SELECT host_key, name, path, value, hex(encrypted_value), expires_utc "
                "FROM cookies ORDER BY host_key, name, path");
  }
  // The window on its Chromium tab.
  void RunOnTab(const std::function<void(HWND, HWND)>& body) {
    window.Run([&](HWND form) {
      SelectTab(form, kChromiumTab);
      body(form, GetDlgItem(form, IDC_CK_LIST));
    });
  }
};

std::string HintOf(HWND form, int id) {
  SendMessageA(form, WM_SETCURSOR, reinterpret_cast<WPARAM>(GetDlgItem(form, id)),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  return StatusText(form, 0);
}
}  // namespace

TEST_F(ChromiumTabTest, ListsEveryProfilesHostsWithKeepMarksProfilesAndDetails) {
  std::vector<std::string> hosts = Rows(chromeCookies, "SELECT DISTINCT host_key FROM cookies");
  std::sort(hosts.begin(), hosts.end());
  ASSERT_GE(hosts.size(), 6u);
  const std::string both = "Google Chrome - Default, Brave - Default";
  RunOnTab([&](HWND form, HWND list) {
    EXPECT_EQ(TabText(GetDlgItem(form, IDC_CK_TABS), kChromiumTab), "for Chromium Cookies");
    std::vector<std::string> captions;
    for (int i = 0; i < 4; ++i) {
      char caption[100] = {};
      LVCOLUMNA c{LVCF_TEXT};
      c.pszText = caption;
      c.cchTextMax = sizeof caption;
      ListView_GetColumn(list, i, &c);
      captions.push_back(caption);
    }
    EXPECT_EQ(captions, (std::vector<std::string>{"Internet Address for Chromium Cookie",
                                                  "Quorvane", "Browser", "Comments"}));
    EXPECT_EQ(Column(list, 0), hosts);
    const std::string total = std::to_string(hosts.size());
    EXPECT_EQ(StatusText(form, 1), "Displayed " + total + " of " + total + " Cookie Addresses");
    // A site's entry marks its domain cookies too, as the purge keeps them.
    for (int i = 0; i < ListViewCount(list); ++i) {
      const std::string host = Cell(list, i, 0);
      const std::string site = host[0] == '.' ? host.substr(1) : host;
      EXPECT_EQ(Cell(list, i, 1), site == "kept.example"   ? "Protect"
                                  : site == "rand.example" ? "Random"
                                                           : "")
          << host;
      EXPECT_EQ(Cell(list, i, 2), site == "gone.example" ? "Google Chrome - Default" : both);
    }
    // The details: each profile's cookies of the host; the browser's values stay encrypted.
    Select(list, {FindRow(list, "other.example")});
    HWND details = GetDlgItem(form, IDC_CK_DETAILS);
    ASSERT_EQ(ListViewCount(details), 3);
    EXPECT_EQ(Column(details, 0),
              (std::vector<std::string>{"other.example (Google Chrome - Default)",
                                        "other.example (Brave - Default)",
                                        "other.example (Brave - Default)"}));
    EXPECT_EQ(Column(details, 2), std::vector<std::string>(3, "(encrypted)"));
    // The filter finds the host whatever its case; every host still counts.
    SetDlgItemTextA(form, IDC_CK_FILTER, " RAND.Example ");
    Click(form, IDC_CK_REFRESH);
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{".rand.example", "rand.example"}));
    EXPECT_EQ(StatusText(form, 1), "Displayed 2 of " + total + " Cookie Addresses");
    // The browsers' own site settings are not changed here; Delete and Randomize are there.
    for (int id : {IDC_CK_BLOCK, IDC_CK_ALLOW, IDC_CK_SESSION, IDC_CK_REMOVE})
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form, id))) << id;
    EXPECT_EQ(HintOf(form, IDC_CK_BLOCK), "\"Block\" Button Disabled - not for Chromium Cookies");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(form, IDC_CK_DELETE)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(form, IDC_CK_RANDOMIZE)));
  });
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ChromiumTabTest, ProtectUnprotectAndRandomizeEditTheFirefoxKeepListThePurgeFollows) {
  const std::vector<std::string> chromeBefore = AllCookies(chromeCookies);
  // A site's entry marks and keeps its domain cookies (".site") too: unprotecting one of them
  // takes the site's entry off.
  const struct {
    int command;
    const char* host;
    const char* mark;
    const char* otherForm;  // the same site's other cookie host, which the entry also marks
  } steps[] = {{IDC_CK_PROTECT, "other.example", "Protect", ".other.example"},
               {IDM_CK_RANDOMIZE, "gone.example", "Random", ".gone.example"},
               {IDC_CK_UNPROTECT, ".kept.example", "", "kept.example"},
               {IDM_CK_PROTECT, "typed.example", "Protect", ".typed.example"},
               {IDM_CK_UNPROTECT, "rand.example", "", ".rand.example"}};
  RunOnTab([&](HWND form, HWND list) {
    for (const auto& s : steps) {
      Select(list, {FindRow(list, s.host)});
      SendMessageA(form, WM_COMMAND, s.command, 0);
      EXPECT_EQ(Cell(list, FindRow(list, s.host), 1), s.mark) << s.host;
      EXPECT_EQ(Cell(list, FindRow(list, s.otherForm), 1), s.mark) << s.otherForm;
    }
  });
  EXPECT_TRUE(window.nestedTitles.empty());
  EXPECT_EQ(ReadFileText(KeepFile()), "p=other.example\r\np=typed.example\r\nr=gone.example\r\n");
  // Marking changes no cookie; the next purge keeps what the list keeps, in every profile.
  EXPECT_EQ(AllCookies(chromeCookies), chromeBefore);
  TestRun run;
  PurgeChromiumCookies(run.ctx);
  using Hosts = std::vector<std::string>;
  const std::map<std::string, Hosts> kept = {
      {chromeCookies,
       {".gone.example", ".other.example", ".typed.example", "gone.example", "other.example",
        "typed.example"}},
      {braveCookies, {".other.example", ".typed.example", "other.example", "typed.example"}}};
  for (const auto& [file, hosts] : kept) {
    Hosts left = Rows(file, "SELECT DISTINCT host_key FROM cookies");
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, hosts) << file;
  }
}

TEST_F(ChromiumTabTest, DeleteRemovesExactlyTheSelectedHostsRowsFromEveryProfile) {
  const std::set<std::string> gone = {"other.example", "gone.example"};
  std::map<std::string, std::vector<std::string>> expected;
  for (const std::string& file : {chromeCookies, braveCookies})
    for (const std::string& row : AllCookies(file))
      if (!gone.count(row.substr(0, row.find('|')))) expected[file].push_back(row);
  window.nested = [](HWND d) { Answer(d, IDYES); };
  RunOnTab([&](HWND form, HWND list) {
    Select(list, {FindRow(list, "other.example"), FindRow(list, "gone.example")});
    Click(form, IDC_CK_DELETE);
    for (const std::string& host : gone) EXPECT_EQ(Cell(list, FindRow(list, host), 3), "Deleted");
    EXPECT_EQ(Cell(list, FindRow(list, "kept.example"), 3), "");
  });
  EXPECT_EQ(window.nestedTitles, std::vector<std::string>{"Quorvane  -  Delete Confirmation"});
  for (const std::string& file : {chromeCookies, braveCookies}) {
    EXPECT_EQ(AllCookies(file), expected[file]) << file;
    EXPECT_EQ(Scalar(file, "PRAGMA integrity_check"), "ok") << file;
  }
}

TEST_F(ChromiumTabTest, DeleteAndRandomizeAreRefusedWhileTheBrowserHoldsItsLockFile) {
  const std::vector<std::string> chromeBefore = AllCookies(chromeCookies),
                                 braveBefore = AllCookies(braveCookies);
  // As the browser holds it: written, shared for reading only, gone when closed.
  HANDLE held = CreateFileA((chrome.Path() + "\\lockfile").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                            nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  window.nested = [](HWND d) { Answer(d, IDC_CF_YESALL); };
  RunOnTab([&](HWND form, HWND list) {
    const int row = FindRow(list, "other.example");
    for (int command : {IDC_CK_DELETE, IDM_CK_DELETE, IDC_CK_RANDOMIZE, IDM_CK_RANDOMIZE}) {
      Select(list, {row});
      SendMessageA(form, WM_COMMAND, command, 0);
      EXPECT_EQ(Cell(list, row, 1), "") << command;
      EXPECT_EQ(Cell(list, row, 3), "") << command;
    }
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form, IDC_CK_DELETE)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form, IDC_CK_RANDOMIZE)));
    EXPECT_EQ(HintOf(form, IDC_CK_DELETE), "\"Delete\" Button Disabled - Google Chrome is Active");
    // Random to Protect would delete the scrambled cookie: not under a running browser.
    const int random = FindRow(list, "rand.example");
    Select(list, {random});
    Click(form, IDC_CK_PROTECT);
    EXPECT_EQ(Cell(list, random, 1), "Random");
    EXPECT_EQ(Cell(list, random, 3), "not deleted - Google Chrome is Active");
    CloseHandle(held);
    SendMessageA(form, WM_TIMER, 1, 0);  // the poll that follows the browsers' state
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(form, IDC_CK_DELETE)));
  });
  EXPECT_TRUE(window.nestedTitles.empty());
  EXPECT_EQ(AllCookies(chromeCookies), chromeBefore);
  EXPECT_EQ(AllCookies(braveCookies), braveBefore);
  EXPECT_EQ(ReadFileText(KeepFile()), "p=kept.example\r\nr=rand.example\r\n");
}

// Only the browsers that hold the chosen hosts matter: with Brave running, a host only Google
// Chrome holds can go; one Brave holds too cannot, and the buttons follow the selection.
TEST_F(ChromiumTabTest, DeleteIsRefusedOnlyForTheRunningBrowsersThatHoldTheHosts) {
  const std::vector<std::string> braveBefore = AllCookies(braveCookies);
  HANDLE held = CreateFileA((brave.Path() + "\\lockfile").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                            nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  window.nested = [](HWND d) { Answer(d, IDC_CF_YESALL); };
  RunOnTab([&](HWND form, HWND list) {
    const struct {
      const char* host;
      bool deleted;
    } cases[] = {{"other.example", false}, {"gone.example", true}, {".gone.example", true}};
    for (const auto& c : cases) {
      Select(list, {FindRow(list, c.host)});
      EXPECT_EQ(IsWindowEnabled(GetDlgItem(form, IDC_CK_DELETE)) != FALSE, c.deleted) << c.host;
      if (!c.deleted) {
        EXPECT_EQ(HintOf(form, IDC_CK_DELETE), "\"Delete\" Button Disabled - Brave is Active");
      }
      Click(form, IDC_CK_DELETE);
      EXPECT_EQ(Cell(list, FindRow(list, c.host), 3), c.deleted ? "Deleted" : "") << c.host;
    }
  });
  CloseHandle(held);
  const std::string count = "SELECT count(*) FROM cookies WHERE host_key ";
  EXPECT_EQ(Scalar(chromeCookies, count + "LIKE '%gone.example'"), "0");
  EXPECT_NE(Scalar(chromeCookies, count + "= 'other.example'"), "0");
  EXPECT_EQ(AllCookies(braveCookies), braveBefore);
}
