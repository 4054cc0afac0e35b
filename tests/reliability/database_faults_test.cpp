// The Firefox purges against databases that misbehave: written to by another program, corrupt,
// gone in the middle of a run, a run cancelled at every step, and a keep list that cannot be
// read. Whatever happens, the user's data is either as it was or as a whole purge leaves it,
// and the report claims only what was done.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>

#include "run/purge_run.h"
#include "cookie_window/site_permissions.h"
#include "cookies/keep_list_files.h"
#include "core/settings.h"
#include "firefox/browser_activity.h"
#include "firefox/cookie_purge.h"
#include "firefox/firefox_profile.h"
#include "firefox/history_purge.h"
#include "platform/files.h"
#include "profile_generator.h"
#include "reliability/database_support.h"
#include "sqlite3.h"
#include "support/test_support.h"

namespace {
using Lines = std::vector<std::string>;

// A line by which a purge says it changed something.
bool Claims(const std::string& line) {
  for (const char* mark : {"Deleted entries", "deleted - ", "Randomized", "Processed",
                           "Function Completed", "file completed"})
    if (line.find(mark) != std::string::npos) return true;
  return false;
}
Lines ClaimLines(const Lines& lines) {
  Lines out;
  for (const auto& l : lines)
    if (Claims(l)) out.push_back(l);
  return out;
}
bool HasError(const Lines& lines) {
  for (const auto& l : lines)
    if (l.rfind("*** Error", 0) == 0 || l.rfind("*-* Error", 0) == 0) return true;
  return false;
}

// One purge function and what it works on.
struct Purge {
  const char* name;
  void (*run)(ReportContext&);
  const char* file;      // the database it changes
  const char* failed;    // its error line without the reason
  const char* header;    // its frame's title line in a run
  bool (*claimed)(const Lines&);
};

bool HasLine(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}
const char* const kTypedDone = "  Deleted entries from  FireFox Typed URLs - Places.SQLite";
const char* const kHistoryDone = "  Deleted entries from  FireFox History file - Places.SQLite";
const char* const kFormsDone =
    "  Deleted entries from FireFox Form History file - FormHistory.SQLite";
const char* const kCookiesDone = "  Purge \"FireFox Cookies\" Function Completed.";

// In the run's order.
const Purge kPurges[] = {
    {"cookies", PurgeFirefoxCookies, "cookies.sqlite",
     "*** Error - Delete Entry from FireFox Cookies file failed - Cookies.SQLite",
     "Processing \"FireFox Cookies\"",
     [](const Lines& l) {
       for (const auto& x : l)
         if (x.rfind(kCookiesDone, 0) == 0 || x.rfind("       deleted - ", 0) == 0) return true;
       return false;
     }},
    {"typed URLs", PurgeFirefoxTypedUrls, "places.sqlite",
     "*** Error - Delete Typed URL entries failed - Places.SQLite",
     "Processing \"FireFox Typed URLs\"", [](const Lines& l) { return HasLine(l, kTypedDone); }},
    {"history", PurgeFirefoxHistory, "places.sqlite",
     "*** Error - Delete entries from History failed - Places.SQLite",
     "Processing \"FireFox History File\"",
     [](const Lines& l) { return HasLine(l, kHistoryDone); }},
    {"forms", PurgeFirefoxForms, "formhistory.sqlite",
     "*** Error - Delete entries from Form History failed - FormHistory.SQLite",
     "Processing \"FireFox Forms History\"", [](const Lines& l) { return HasLine(l, kFormsDone); }},
};

std::string Name(const testing::TestParamInfo<FirefoxSchema>& info) {
  return info.param == FirefoxSchema::Current ? "Current" : "Legacy";
}

// A small generated profile (a pristine copy kept aside) set as the default profile, with a
// keep list that protects the host with the most cookies.
class DatabaseFaultsTest : public testing::TestWithParam<FirefoxSchema> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FindFirefoxInstall());
    saved_ = FFoxProfile();
    pristine_ = temp_.File("pristine");
    folder_ = temp_.File("profile");
    ForceDirectories(pristine_);
    ProfileRecipe recipe;
    recipe.schema = GetParam();
    recipe.places = 40;
    recipe.visitsPerPlace = 2;
    recipe.cookies = 40;
    recipe.formEntries = 20;
    recipe.permissions = 12;
    recipe.cacheFiles = 0;
    WriteProfileFiles(pristine_, recipe);
    Restore();
    PointFirefoxProfileAt(folder_);
    Globals().messages.ffCookieMsgOpt = "Y";  // an empty keep list asks nothing
    keptHost_ = MostFrequentCookieHost(File("cookies.sqlite"));
    ASSERT_FALSE(keptHost_.empty());
    keepList_ = data_.Path() + "\\Quorvane.Dat";
    WriteFileText(keepList_, "p=" + keptHost_ + "\r\n");
  }
  void TearDown() override {
    CloseFirefoxPermissions();
    FFoxProfile() = saved_;
    Globals() = GlobalSettings();
    SetFirefoxActive(false);
  }
  bool Current() const { return GetParam() == FirefoxSchema::Current; }
  std::string File(const std::string& name) const { return folder_ + "\\" + name; }
  // The working profile back as generated.
  void Restore() {
    ForceDirectories(folder_);
    ASSERT_TRUE(CopyFolderFiles(pristine_, folder_));
  }
  ProfileDump Dumps() const { return DumpProfile(folder_); }
  // The profile after one purge function on the pristine copy, its report checked.
  ProfileDump PurgedBy(const Purge& purge) {
    Restore();
    TestRun run;
    purge.run(run.ctx);
    EXPECT_TRUE(purge.claimed(run.view.lines)) << purge.name;
    EXPECT_FALSE(HasError(run.view.lines)) << purge.name;
    ProfileDump d = Dumps();
    Restore();
    return d;
  }

  ScopedDataFolder data_;
  MessageBoxRecorder boxes_;
  TempFolder temp_;
  TFFoxProfile saved_;
  std::string pristine_, folder_, keptHost_, keepList_;
};
}  // namespace

// Another program's open write transaction: the purge gets SQLite's busy error at once, writes
// its error line and nothing else, and once the other program rolled back the file is byte for
// byte what it was.
TEST_P(DatabaseFaultsTest, AnotherProgramsWriteTransactionFailsThePurgeAndChangesNothing) {
  for (const Purge& purge : kPurges) {
    SCOPED_TRACE(purge.name);
    const std::string file = File(purge.file);
    const std::string bytes = FileBytes(file);
    const ProfileDump before = Dumps();
    TestRun run;
    {
      DatabaseHolder holder(file);
      ASSERT_TRUE(holder.Holding());
      purge.run(run.ctx);
      EXPECT_TRUE(holder.Release());
    }
    EXPECT_EQ(run.view.lines, Lines{std::string(purge.failed) + " - the database is locked"});
    EXPECT_TRUE(FileBytes(file) == bytes);
    EXPECT_EQ(DumpDifference(Dumps(), before), "");
    EXPECT_FALSE(FileExists(file + "-journal"));
  }
}

// The cookie window's Block/Allow/Remove against a held permissions.sqlite: each answers false
// with its message, the window's view of the site stays what the file says, the file unchanged.
TEST_P(DatabaseFaultsTest, PermissionChangesFailAgainstAnotherProgramsWriteAndChangeNothing) {
  const std::string file = File("permissions.sqlite");
  const std::string existing = FirstCookiePermissionHost(file, Current());
  ASSERT_FALSE(existing.empty());
  const std::string bytes = FileBytes(file);
  const ProfileDump before = Dumps();
  ASSERT_TRUE(LoadFirefoxPermissions());
  const std::string existingValue = GetFirefoxPermission(existing);
  ASSERT_FALSE(existingValue.empty());
  {
    DatabaseHolder holder(file);
    ASSERT_TRUE(holder.Holding());
    EXPECT_FALSE(SetFirefoxPermission("new-site.example", 'B'));
    EXPECT_FALSE(SetFirefoxPermission(existing, existingValue == "Block" ? 'A' : 'B'));
    EXPECT_FALSE(SetFirefoxPermission(existing, 'R'));
    // What the window shows next is what the file holds.
    EXPECT_EQ(GetFirefoxPermission("new-site.example"), "");
    EXPECT_EQ(GetFirefoxPermission(existing), existingValue);
    EXPECT_TRUE(holder.Release());
  }
  CloseFirefoxPermissions();
  ASSERT_EQ(boxes_.boxes.size(), 3u);
  for (const auto& box : boxes_.boxes)
    EXPECT_NE(box.text.find("FireFox Permissions file failed..."), std::string::npos) << box.text;
  EXPECT_TRUE(FileBytes(file) == bytes);
  EXPECT_EQ(DumpDifference(Dumps(), before), "");
}

// Broken files: each purge gives its error line, claims nothing and leaves the file's bytes as
// they were for whoever tries to recover it. A WAL file of junk beside a sound database is
// another matter: SQLite finds no valid frame in it and ignores it, so the purge works on the
// database as it is; then the report must tell exactly what the purge did.
TEST_P(DatabaseFaultsTest, CorruptDatabasesGiveErrorsAndKeepTheirBytes) {
  std::mt19937 rng(11);
  auto junk = [&](size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
  };
  struct Damage {
    const char* name;
    std::function<std::string(const std::string&)> make;  // the damaged file from the sound one
  };
  const std::vector<Damage> damages = {
      {"random bytes", [&](const std::string& s) { return junk(s.size()); }},
      {"cut to half", [](const std::string& s) { return s.substr(0, s.size() / 2); }},
      {"cut to a few pages",
       [](const std::string& s) {
         const size_t page = SqlitePageSize(s);
         return s.substr(0, std::min(3 * page, s.size() - page));
       }},
      {"empty", [](const std::string&) { return std::string(); }},
  };
  for (const Purge& purge : kPurges) {
    for (const Damage& damage : damages) {
      SCOPED_TRACE(std::string(purge.name) + ", " + damage.name);
      Restore();
      const std::string file = File(purge.file);
      const std::string broken = damage.make(FileBytes(file));
      ASSERT_NE(broken, FileBytes(file));
      ASSERT_TRUE(WriteWholeFile(file, broken));
      ProfileDump others = Dumps();
      others.erase(purge.file);
      TestRun run;
      purge.run(run.ctx);
      const Lines& lines = run.view.lines;
      EXPECT_EQ(ClaimLines(lines), Lines{});
      if (std::string(purge.name) == "cookies") {
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(
            lines[0].rfind("*** Error - Load FireFox Cookies File failed - Cookies.SQLite - ", 0),
            0u)
            << lines[0];
        for (const auto& l : lines) EXPECT_EQ(l.rfind("*** Error", 0), 0u) << l;
      } else {
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind(std::string(purge.failed) + " - ", 0), 0u) << lines[0];
      }
      // An error line is never a clean run.
      EXPECT_GE(run.state.highestLevel, 3);
      EXPECT_TRUE(run.state.attention);
      EXPECT_TRUE(FileBytes(file) == broken);
      EXPECT_FALSE(FileExists(file + "-journal"));
      ProfileDump after = Dumps();
      after.erase(purge.file);
      EXPECT_EQ(DumpDifference(after, others), "");
    }
  }

  for (const Purge& purge : kPurges) {
    SCOPED_TRACE(std::string(purge.name) + ", WAL of junk");
    const ProfileDump purged = PurgedBy(purge);
    const ProfileDump before = Dumps();
    const std::string file = File(purge.file);
    ASSERT_TRUE(WriteWholeFile(file + "-wal", junk(5 * 4096)));
    TestRun run;
    purge.run(run.ctx);
    EXPECT_TRUE(purge.claimed(run.view.lines));
    EXPECT_FALSE(HasError(run.view.lines));
    EXPECT_EQ(DumpDifference(Dumps(), purged), "");
    EXPECT_NE(DumpDifference(Dumps(), before), "");
    EXPECT_EQ(IntegrityCheck(file), "ok");
    // The last connection's checkpoint ended the WAL: the junk is gone with it.
    EXPECT_FALSE(FileExists(file + "-wal"));
  }
}

// Database files removed after the refresh found them: the not-found lines, nothing claimed,
// and no empty database left where the user's file was.
TEST_P(DatabaseFaultsTest, DatabasesRemovedAfterDiscoveryAreNotFoundAndNotRecreated) {
  for (const char* name :
       {"places.sqlite", "favicons.sqlite", "formhistory.sqlite", "cookies.sqlite"})
    DeleteFileA(File(name).c_str());
  TestRun run;
  for (const Purge& purge : kPurges) purge.run(run.ctx);
  const std::string noCookies = "*** Error - Unable to find FireFox Cookies file - Cookies.SQLite";
  const std::string noPlaces = "*** Error - Unable to find FireFox History file - Places.SQLite";
  EXPECT_EQ(run.view.lines,
            (Lines{noCookies, noPlaces, noPlaces,
                   "*-* Error - Unable to find FireFox Form History file - FormHistory.SQLite"}));
  for (const char* name : {"places.sqlite", "formhistory.sqlite", "cookies.sqlite"})
    EXPECT_FALSE(FileExists(File(name))) << name;
}

// The whole profile folder gone between two functions of one run (a profile removed or moved
// by hand while the run goes): every later function says so and claims nothing, none fails as
// a whole, the run ends in order, and nothing recreates the folder.
TEST_P(DatabaseFaultsTest, ProfileFolderRemovedDuringARun) {
  ScopedArguments args{{}};
  for (size_t at = 0; at < std::size(kPurges); ++at) {
    SCOPED_TRACE(std::string("removed before ") + kPurges[at].name);
    ForceDirectories(folder_);
    Restore();
    PointFirefoxProfileAt(folder_);
    struct RemovingView : VectorView {
      std::string trigger, folder;
      void AddLine(const std::string& l) override {
        VectorView::AddLine(l);
        if (l == trigger) RemoveTree(folder);
      }
    };
    RunState state;
    RemovingView view;
    view.trigger = kPurges[at].header;
    view.folder = folder_;
    ReportContext ctx(state, view);
    PurgeRequest request;
    for (auto f :
         {OptionField::Cookies, OptionField::FFTypedUrls, OptionField::History, OptionField::Forms})
      request.options[f] = 1;
    request.options[OptionField::Report] = 0;  // Detail
    ASSERT_TRUE(RunPurge(ctx, request));
    const Lines& l = view.lines;
    const auto start = std::find(l.begin(), l.end(), kPurges[at].header);
    ASSERT_NE(start, l.end());
    EXPECT_EQ(ClaimLines(Lines(start, l.end())), Lines{});
    for (size_t i = at; i < std::size(kPurges); ++i) {
      const auto from = std::find(l.begin(), l.end(), kPurges[i].header);
      ASSERT_NE(from, l.end());
      EXPECT_TRUE(HasError(Lines{from[1]})) << from[1];
    }
    for (size_t i = 0; i < at; ++i) EXPECT_TRUE(kPurges[i].claimed(l)) << kPurges[i].name;
    EXPECT_FALSE(HasLine(l, "*** Error occurred in above function ***"));
    EXPECT_TRUE(HasLine(l, "  Purge Functions Completed."));
    EXPECT_FALSE(DirectoryExists(folder_));
  }
}

// A run cancelled after its N-th report line, status update or message pump, for every N until
// a run ends before the cancel comes: each time the profile must be as some whole number of the
// run's functions leave it (all four databases compared), and no function that did not finish
// its change may claim it.
// Every step costs a run (each function's frame pauses a moment): today's schema only.
using DatabaseCancelTest = DatabaseFaultsTest;
TEST_P(DatabaseCancelTest, ACancelAtAnyStepLeavesEachDatabaseWholeAndTheReportTrue) {
  ScopedArguments args{{}};
  struct CancellingView : VectorView {
    RunState* state = nullptr;
    int cancelAt = -1, steps = 0;
    bool armed = false, fired = false;
    std::function<void()> finished;
    void Step() {
      if (!armed || steps++ != cancelAt) return;
      state->cancel = true;
      fired = true;
    }
    void RunStarting(int) override { armed = true; }
    void AddLine(const std::string& l) override {
      VectorView::AddLine(l);
      Step();
    }
    void ShowStatus(const std::string& s) override {
      VectorView::ShowStatus(s);
      Step();
    }
    void PumpMessages() override {
      VectorView::PumpMessages();
      Step();
    }
    void FunctionFinished() override {
      VectorView::FunctionFinished();
      if (finished) finished();
    }
  };
  PurgeRequest request;
  for (auto f : {OptionField::Cookies, OptionField::FFTypedUrls, OptionField::History,
                 OptionField::Forms, OptionField::CompactSql})
    request.options[f] = 1;
  request.options[OptionField::Report] = 0;  // Detail: a line per host

  // The profile after each whole function of an uncancelled run.
  std::vector<ProfileDump> states{Dumps()};
  {
    RunState state;
    CancellingView view;
    view.state = &state;
    view.finished = [&] { states.push_back(Dumps()); };
    ReportContext ctx(state, view);
    ASSERT_TRUE(RunPurge(ctx, request));
    ASSERT_EQ(states.size(), 5u);
    for (const Purge& purge : kPurges) EXPECT_TRUE(purge.claimed(view.lines)) << purge.name;
    // Each function changes the profile, but for the history purge: with Typed URLs also
    // ticked, that one did the history's work as well.
    for (size_t i = 1; i < states.size(); ++i)
      EXPECT_EQ(DumpDifference(states[i], states[i - 1]) == "",
                std::string(kPurges[i - 1].name) == "history")
          << i;
  }

  int n = 0;
  for (;; ++n) {
    ASSERT_LT(n, 1000);
    Restore();
    RunState state;
    CancellingView view;
    view.state = &state;
    view.cancelAt = n;
    ReportContext ctx(state, view);
    ASSERT_TRUE(RunPurge(ctx, request));
    const ProfileDump now = Dumps();
    // The furthest function whose result this is: two in a row may leave the same profile.
    const auto match = std::find(states.rbegin(), states.rend(), now);
    ASSERT_NE(match, states.rend()) << "cancelled at step " << n << ": a database is half purged";
    const size_t done = states.rend() - match - 1;
    for (size_t i = 0; i < std::size(kPurges); ++i) {
      if (kPurges[i].claimed(view.lines)) {
        EXPECT_GT(done, i) << "step " << n << ": " << kPurges[i].name << " claimed, not done";
      }
    }
    if (!view.fired) {
      EXPECT_EQ(done, states.size() - 1);
      break;
    }
    // A cancel after the last function (during the closing lines) leaves a finished run.
    if (done < states.size() - 1) {
      EXPECT_TRUE(HasLine(view.lines, "  Purge Functions Cancelled by Operator.")) << n;
    }
  }
  EXPECT_GT(n, 20);  // the run has that many steps: the cancel met it all along the way
}

// A keep list another program holds open, or one that is no file at all: the cookie purge
// bypasses with its error and level 7, every cookie stays, and the list is not written.
TEST_P(DatabaseFaultsTest, AnUnreadableKeepListKeepsEveryCookieAndIsNotOverwritten) {
  const std::string keepBytes = FileBytes(keepList_);
  const ProfileDump before = Dumps();
  const Lines bypass{
      "*** Error - Bypassed Cookie procesing as existing Protect file could not be opened"};
  {
    FileHolder holder(keepList_);
    ASSERT_TRUE(holder.Holding());
    TestRun run;
    PurgeFirefoxCookies(run.ctx);
    EXPECT_EQ(run.view.lines, bypass);
    EXPECT_EQ(run.state.highestLevel, 7);
    // The list as the cookie window would have it: a change to it is never saved.
    KeepList list(keepList_);
    EXPECT_FALSE(LoadKeepList(list));
    list.Add("p=.other.example");
    SaveKeepList(list);
    EXPECT_TRUE(boxes_.boxes.empty());
    EXPECT_TRUE(holder.Release());
  }
  EXPECT_TRUE(FileBytes(keepList_) == keepBytes);
  EXPECT_EQ(DumpDifference(Dumps(), before), "");

  DeleteFileA(keepList_.c_str());
  ASSERT_TRUE(CreateDirectoryA(keepList_.c_str(), nullptr));
  TestRun run;
  PurgeFirefoxCookies(run.ctx);
  EXPECT_EQ(run.view.lines, bypass);
  EXPECT_EQ(run.state.highestLevel, 7);
  EXPECT_EQ(DumpDifference(Dumps(), before), "");
  EXPECT_TRUE(DirectoryExists(keepList_));
  RemoveDirectoryA(keepList_.c_str());
}

INSTANTIATE_TEST_SUITE_P(BothEras, DatabaseFaultsTest,
                         testing::Values(FirefoxSchema::Current, FirefoxSchema::Legacy), Name);
INSTANTIATE_TEST_SUITE_P(TodaysSchema, DatabaseCancelTest, testing::Values(FirefoxSchema::Current),
                         Name);
