// The history, typed-URL and form-history purges on generated profiles of both eras, checked
// row by row against what each purge must leave, worked out here from the rows before.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "run/purge_run.h"
#include "firefox/browser_activity.h"
#include "firefox/firefox_profile.h"
#include "firefox/history_purge.h"
#include "platform/files.h"
#include "platform/sqlite_statement.h"
#include "profile_generator.h"
#include "support/test_support.h"

namespace {
using Rows = std::vector<std::vector<std::string>>;

Rows Query(TSQLiteDatabase& db, const std::string& sql) {
  Rows rows;
  TSQLiteTable t = db.GetTable(sql);
  for (; !t.Eof(); t.Next()) {
    std::vector<std::string> row;
    for (int i = 0; i < t.ColumnCount(); ++i) row.push_back(t.FieldAsString(i));
    rows.push_back(row);
  }
  return rows;
}

long long N(const std::string& s) { return s.empty() ? 0 : std::stoll(s); }

// A visit without a type is neither typed nor other: both purges leave it.
constexpr int kNoType = -1;
struct Visit {
  long long place;
  int type;
  long long date;
  bool Other() const { return type != 2 && type != kNoType; }
};
struct Place {
  std::string url, lastVisit;
  long long visitCount, typed, frecency, foreignCount;
  std::string favicon;
};
struct Metadata {
  long long place;
  std::string referrer, query;
};

// The rows the purges act on, from both eras' files.
struct Snapshot {
  bool current = false;
  std::map<long long, Place> places;
  std::map<long long, Visit> visits;
  std::set<long long> bookmarked, keyworded;
  std::set<std::pair<long long, std::string>> inputHistory;
  std::map<long long, std::pair<long long, long long>> annos;  // id: place, expiration
  std::map<long long, Metadata> metadata;
  std::set<long long> queries;
  std::map<long long, std::string> origins;  // id: prefix and host
  std::map<long long, std::string> pages;    // favicons.sqlite
  std::set<std::pair<long long, long long>> links;
  std::map<long long, std::pair<std::string, long long>> icons;  // id: url, root
  std::set<long long> favicons;                                  // moz_favicons of the old era
};

Snapshot Read(const std::string& folder, bool current) {
  Snapshot s;
  s.current = current;
  TSQLiteDatabase db(folder + "\\places.sqlite");
  for (auto& r :
       Query(db, std::string("SELECT id, url, visit_count, last_visit_date, typed, "
                             "frecency, ") +
                     (current ? "foreign_count, NULL" : "0, favicon_id") + " FROM moz_places"))
    s.places[N(r[0])] = {r[1], r[3], N(r[2]), N(r[4]), N(r[5]), N(r[6]), r[7]};
  for (auto& r : Query(db, "SELECT id, place_id, visit_type, visit_date FROM moz_historyvisits"))
    s.visits[N(r[0])] = {N(r[1]), r[2].empty() ? kNoType : static_cast<int>(N(r[2])), N(r[3])};
  for (auto& r : Query(db, "SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL"))
    s.bookmarked.insert(N(r[0]));
  for (auto& r : Query(db, "SELECT place_id, input FROM moz_inputhistory"))
    s.inputHistory.insert({N(r[0]), r[1]});
  for (auto& r : Query(db, "SELECT id, place_id, expiration FROM moz_annos"))
    s.annos[N(r[0])] = {N(r[1]), N(r[2])};
  if (!current) {
    for (auto& r : Query(db, "SELECT id FROM moz_favicons")) s.favicons.insert(N(r[0]));
    return s;
  }
  for (auto& r : Query(db, "SELECT place_id FROM moz_keywords")) s.keyworded.insert(N(r[0]));
  for (auto& r : Query(db,
                       "SELECT id, place_id, referrer_place_id, search_query_id FROM "
                       "moz_places_metadata"))
    s.metadata[N(r[0])] = {N(r[1]), r[2], r[3]};
  for (auto& r : Query(db, "SELECT id FROM moz_places_metadata_search_queries"))
    s.queries.insert(N(r[0]));
  for (auto& r : Query(db, "SELECT id, prefix || host FROM moz_origins")) s.origins[N(r[0])] = r[1];
  TSQLiteDatabase icons(folder + "\\favicons.sqlite");
  for (auto& r : Query(icons, "SELECT id, page_url FROM moz_pages_w_icons"))
    s.pages[N(r[0])] = r[1];
  for (auto& r : Query(icons, "SELECT page_id, icon_id FROM moz_icons_to_pages"))
    s.links.insert({N(r[0]), N(r[1])});
  for (auto& r : Query(icons, "SELECT id, icon_url, root FROM moz_icons"))
    s.icons[N(r[0])] = {r[1], N(r[2])};
  return s;
}

bool KeptByOthers(const Snapshot& s, long long id, const Place& p) {
  return s.bookmarked.count(id) || s.keyworded.count(id) || p.foreignCount > 0 ||
         p.url.rfind("place:", 0) == 0;
}

// What goes with the removed places, on whichever era the snapshot is of.
void DropDependents(Snapshot& s) {
  auto alive = [&](long long id) { return s.places.count(id) > 0; };
  std::erase_if(s.metadata, [&](auto& m) {
    return !alive(m.second.place) || (!m.second.referrer.empty() && !alive(N(m.second.referrer)));
  });
  std::set<long long> usedQueries, usedOrigins, usedFavicons;
  std::set<std::string> urls, originIcons;
  for (auto& [id, m] : s.metadata)
    if (!m.query.empty()) usedQueries.insert(N(m.query));
  std::erase_if(s.queries, [&](long long q) { return !usedQueries.count(q); });
  for (auto& [id, p] : s.places) {
    urls.insert(p.url);
    if (!p.favicon.empty()) usedFavicons.insert(N(p.favicon));
  }
  std::erase_if(s.favicons, [&](long long f) { return !usedFavicons.count(f); });
  std::erase_if(s.pages, [&](auto& pg) { return !urls.count(pg.second); });
  std::erase_if(s.links, [&](auto& l) { return !s.pages.count(l.first); });
  std::set<long long> linkedIcons;
  for (auto& l : s.links) linkedIcons.insert(l.second);
  for (auto& [id, o] : s.origins) originIcons.insert(o + "/favicon.ico");
  std::erase_if(s.icons, [&](auto& i) {
    if (linkedIcons.count(i.first)) return false;
    return i.second.second == 0 || !originIcons.count(i.second.first);
  });
}

// Survivors whose visits went: counts from the visits left, frecency to be computed again.
void ResetCounts(Snapshot& s, const std::set<long long>& touched, bool clearTyped) {
  for (long long id : touched) {
    auto it = s.places.find(id);
    if (it == s.places.end()) continue;
    long long count = 0, last = 0;
    for (auto& [vid, v] : s.visits) {
      if (v.place != id) continue;
      if (v.type != kNoType && v.type != 0 && v.type != 4 && v.type != 7 && v.type != 8 &&
          v.type != 9)
        ++count;
      last = std::max(last, v.date);
    }
    it->second.visitCount = count;
    it->second.lastVisit = last ? std::to_string(last) : "";
    it->second.frecency = -1;
    if (clearTyped) it->second.typed = 0;
  }
}

Snapshot AfterTypedPurge(Snapshot s, const std::map<long long, long long>& originOf) {
  std::set<long long> typedPlaces, otherPlaces;
  for (auto& [id, v] : s.visits)
    if (v.type == 2 || v.Other()) (v.type == 2 ? typedPlaces : otherPlaces).insert(v.place);
  std::erase_if(s.places, [&](auto& p) {
    return typedPlaces.count(p.first) && !otherPlaces.count(p.first) &&
           !KeptByOthers(s, p.first, p.second);
  });
  std::erase_if(s.visits, [](auto& v) { return v.second.type == 2; });
  s.inputHistory.clear();
  ResetCounts(s, typedPlaces, true);
  std::set<long long> used;
  for (auto& [id, p] : s.places)
    if (originOf.count(id)) used.insert(originOf.at(id));
  std::erase_if(s.origins, [&](auto& o) { return !used.count(o.first); });
  DropDependents(s);
  return s;
}

Snapshot AfterHistoryPurge(Snapshot s, const std::map<long long, long long>& originOf) {
  std::set<long long> touched, visited;
  for (auto& [id, v] : s.visits)
    if (v.Other()) touched.insert(v.place);
  std::erase_if(s.visits, [](auto& v) { return v.second.Other(); });
  for (auto& [id, v] : s.visits) visited.insert(v.place);
  std::erase_if(s.places, [&](auto& p) {
    return !visited.count(p.first) && !KeptByOthers(s, p.first, p.second);
  });
  std::erase_if(s.annos, [&](auto& a) {
    return !s.places.count(a.second.first) ||
           (!visited.count(a.second.first) && a.second.second != 4);
  });
  std::erase_if(s.visits, [&](auto& v) { return !s.places.count(v.second.place); });
  std::erase_if(s.inputHistory, [&](auto& i) { return !s.places.count(i.first); });
  ResetCounts(s, touched, false);
  std::set<long long> used;
  for (auto& [id, p] : s.places)
    if (originOf.count(id)) used.insert(originOf.at(id));
  std::erase_if(s.origins, [&](auto& o) { return !used.count(o.first); });
  // View times and the searches that led to pages are history, of kept pages too.
  s.metadata.clear();
  s.queries.clear();
  DropDependents(s);
  return s;
}

std::map<long long, std::string> PlaceRows(const Snapshot& s) {
  std::map<long long, std::string> rows;
  for (auto& [id, p] : s.places)
    rows[id] = p.url + " count=" + std::to_string(p.visitCount) + " last=" + p.lastVisit +
               " typed=" + std::to_string(p.typed) + " frecency=" + std::to_string(p.frecency);
  return rows;
}

std::map<long long, std::string> VisitRows(const Snapshot& s) {
  std::map<long long, std::string> rows;
  for (auto& [id, v] : s.visits)
    rows[id] =
        std::to_string(v.place) + "/" + std::to_string(v.type) + "/" + std::to_string(v.date);
  return rows;
}

void ExpectSameRows(const Snapshot& actual, const Snapshot& expected) {
  EXPECT_EQ(PlaceRows(actual), PlaceRows(expected));
  EXPECT_EQ(VisitRows(actual), VisitRows(expected));
  EXPECT_EQ(actual.inputHistory, expected.inputHistory);
  EXPECT_EQ(actual.annos, expected.annos);
  EXPECT_EQ(actual.queries, expected.queries);
  EXPECT_EQ(actual.origins, expected.origins);
  EXPECT_EQ(actual.pages, expected.pages);
  EXPECT_EQ(actual.links, expected.links);
  EXPECT_EQ(actual.icons, expected.icons);
  EXPECT_EQ(actual.favicons, expected.favicons);
  std::set<long long> am, em;
  for (auto& m : actual.metadata) am.insert(m.first);
  for (auto& m : expected.metadata) em.insert(m.first);
  EXPECT_EQ(am, em);
}

void ExpectHealthy(const std::string& file) {
  SCOPED_TRACE(file);
  TSQLiteDatabase db(file);
  EXPECT_EQ(Query(db, "PRAGMA integrity_check"), Rows{{"ok"}});
  EXPECT_TRUE(Query(db, "PRAGMA foreign_key_check").empty());
}

std::string Bytes(const std::string& path) {
  std::string text;
  ReadWholeFile(path, text);
  return text;
}

long long FileSize(const std::string& path) { return static_cast<long long>(Bytes(path).size()); }

// A profile of the given era in a temp folder whose name is outside ASCII, set as the
// program's default profile for the test.
class HistoryPurgeTest : public testing::TestWithParam<FirefoxSchema> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FindFirefoxInstall());
    saved_ = FFoxProfile();
    folder_ = temp_.File("Profil \xDC\xE4 1");  // "Profil Üä 1" in code page 1252
    ForceDirectories(folder_);
    ProfileRecipe recipe;
    recipe.schema = GetParam();
    recipe.places = 700;
    recipe.formEntries = 120;
    WriteProfileFiles(folder_, recipe);
    TFFoxProfile& p = FFoxProfile();
    p.PlacesFile = folder_ + "\\Places.sqlite";
    p.FormHistoryFile = folder_ + "\\FormHistory.sqlite";
    p.HistoryDatFile = folder_ + "\\History.dat";
    p.FormHistoryDatFile = folder_ + "\\FormHistory.dat";
    p.HasPlacesDb = p.HasFormHistoryDb = p.IsSqliteProfile = true;
    SetFirefoxActive(false);
  }
  void TearDown() override {
    FFoxProfile() = saved_;
    SetFirefoxActive(false);
  }
  bool Current() const { return GetParam() == FirefoxSchema::Current; }
  Snapshot Now() { return Read(folder_, Current()); }
  std::map<long long, long long> OriginOfPlaces() {
    std::map<long long, long long> out;
    if (!Current()) return out;
    TSQLiteDatabase db(places());
    for (auto& r : Query(db, "SELECT id, origin_id FROM moz_places")) out[N(r[0])] = N(r[1]);
    return out;
  }
  std::string places() const { return folder_ + "\\places.sqlite"; }
  std::string favicons() const { return folder_ + "\\favicons.sqlite"; }
  std::string forms() const { return folder_ + "\\formhistory.sqlite"; }
  void ExpectAllHealthy() {
    ExpectHealthy(places());
    ExpectHealthy(forms());
    if (Current()) ExpectHealthy(favicons());
  }

  MessageBoxRecorder boxes_;
  TempFolder temp_;
  std::string folder_;
  TFFoxProfile saved_;
  TestRun run_;
};

std::string Name(const testing::TestParamInfo<FirefoxSchema>& info) {
  return info.param == FirefoxSchema::Current ? "Current" : "Legacy";
}
}  // namespace

TEST_P(HistoryPurgeTest, TypedUrlsGoWithPlacesReachedOnlyByTyping) {
  const Snapshot before = Now();
  const Snapshot expected = AfterTypedPurge(before, OriginOfPlaces());
  PurgeFirefoxTypedUrls(run_.ctx);
  EXPECT_EQ(run_.view.lines,
            std::vector<std::string>{"  Deleted entries from  FireFox Typed URLs - Places.SQLite"});
  const Snapshot after = Now();
  ExpectSameRows(after, expected);
  // The generated profile has each kind of row the purge must keep or remove.
  EXPECT_LT(after.places.size(), before.places.size());
  EXPECT_GT(after.visits.size(), 0u);
  EXPECT_TRUE(after.inputHistory.empty());
  for (auto& [id, v] : after.visits) EXPECT_NE(v.type, 2);
  for (long long b : before.bookmarked) EXPECT_TRUE(after.places.count(b)) << b;
  ExpectAllHealthy();
}

TEST_P(HistoryPurgeTest, HistoryKeepsTypedVisitsBookmarksKeywordsAndTheirIcons) {
  const Snapshot before = Now();
  const Snapshot expected = AfterHistoryPurge(before, OriginOfPlaces());
  PurgeFirefoxHistory(run_.ctx);
  EXPECT_EQ(run_.view.lines, std::vector<std::string>{
                                 "  Deleted entries from  FireFox History file - Places.SQLite"});
  const Snapshot after = Now();
  ExpectSameRows(after, expected);
  size_t typedVisits = 0;
  for (auto& [id, v] : before.visits) typedVisits += v.type == 2;
  EXPECT_EQ(after.visits.size(), typedVisits);
  for (auto& [id, v] : after.visits) EXPECT_TRUE(after.places.count(v.place));
  for (long long b : before.bookmarked) EXPECT_TRUE(after.places.count(b)) << b;
  for (long long k : before.keyworded) EXPECT_TRUE(after.places.count(k)) << k;
  // A saved query nobody bookmarked is no history either.
  size_t queries = 0;
  for (auto& [id, p] : after.places) queries += p.url.rfind("place:type=6", 0) == 0;
  EXPECT_GT(queries, 0u);
  // Every bookmarked page that had an icon still has it.
  if (Current()) {
    std::set<std::string> iconPages;
    for (auto& [id, url] : after.pages) iconPages.insert(url);
    size_t withIcon = 0;
    for (auto& [id, url] : before.pages)
      for (long long b : before.bookmarked)
        if (before.places.at(b).url == url) {
          ++withIcon;
          EXPECT_TRUE(iconPages.count(url)) << url;
        }
    EXPECT_GT(withIcon, 0u);
    EXPECT_LT(after.icons.size(), before.icons.size());
  } else {
    EXPECT_FALSE(after.favicons.empty());
  }
  ExpectAllHealthy();
}

// In a run with both ticked the typed-URL purge does the history's part too, and the history
// purge then finds nothing to change: the rows are those the two leave one after the other.
TEST_P(HistoryPurgeTest, AfterBothPurgesOnlyBookmarkedAndKeptPlacesRemainWithoutCounts) {
  {
    // Visits without a type, which neither purge takes, on every kind of place: the places
    // they keep must come out as they do after the two purges one after the other.
    TSQLiteDatabase db(places());
    db.ExecSQL(
        "INSERT INTO moz_historyvisits (place_id, visit_date, visit_type) SELECT place_id, "
        "MAX(visit_date) + 1, NULL FROM moz_historyvisits GROUP BY place_id HAVING place_id % 5 "
        "= 0");
  }
  const auto origins = OriginOfPlaces();
  const Snapshot expected = AfterHistoryPurge(AfterTypedPurge(Now(), origins), origins);
  run_.state.options[OptionField::History] = 1;
  PurgeFirefoxTypedUrls(run_.ctx);
  ExpectSameRows(Now(), expected);
  PurgeFirefoxHistory(run_.ctx);
  EXPECT_EQ(run_.view.lines, (std::vector<std::string>{
                                 "  Deleted entries from  FireFox Typed URLs - Places.SQLite",
                                 "  Deleted entries from  FireFox History file - Places.SQLite"}));
  const Snapshot after = Now();
  ExpectSameRows(after, expected);
  std::set<long long> withUntypedVisits;
  bool keptByThem = false;
  for (auto& [id, v] : after.visits) {
    EXPECT_EQ(v.type, kNoType);
    withUntypedVisits.insert(v.place);
    keptByThem = keptByThem || !KeptByOthers(after, v.place, after.places.at(v.place));
  }
  EXPECT_TRUE(keptByThem);
  EXPECT_TRUE(after.inputHistory.empty());
  EXPECT_TRUE(after.metadata.empty());
  EXPECT_FALSE(after.places.empty());
  for (auto& [id, p] : after.places) {
    SCOPED_TRACE(p.url);
    if (withUntypedVisits.count(id)) continue;
    EXPECT_TRUE(KeptByOthers(after, id, p));
    EXPECT_EQ(p.visitCount, 0);
    EXPECT_EQ(p.lastVisit, "");
    EXPECT_EQ(p.typed, 0);
    EXPECT_LE(p.frecency, 0);
  }
  ExpectAllHealthy();
}

TEST_P(HistoryPurgeTest, FormHistoryIsEmptied) {
  PurgeFirefoxForms(run_.ctx);
  EXPECT_EQ(run_.view.lines, std::vector<std::string>{"  Deleted entries from FireFox Form "
                                                      "History file - FormHistory.SQLite"});
  TSQLiteDatabase db(forms());
  EXPECT_EQ(Query(db, "SELECT COUNT(*) FROM moz_formhistory"), Rows{{"0"}});
  if (Current()) {
    EXPECT_EQ(Query(db, "SELECT COUNT(*) FROM moz_history_to_sources"), Rows{{"0"}});
    EXPECT_EQ(Query(db, "SELECT COUNT(*) FROM moz_sources"), Rows{{"0"}});
  }
  ExpectAllHealthy();
}

TEST_P(HistoryPurgeTest, CompactYesShrinksTheFiles) {
  run_.state.compact = true;
  const long long placesBefore = FileSize(places()), formsBefore = FileSize(forms());
  PurgeFirefoxTypedUrls(run_.ctx);
  PurgeFirefoxHistory(run_.ctx);
  PurgeFirefoxForms(run_.ctx);
  EXPECT_EQ(run_.view.lines, (std::vector<std::string>{
                                 "  Deleted entries from  FireFox Typed URLs - Places.SQLite",
                                 "  Compact History file completed",
                                 "  Deleted entries from  FireFox History file - Places.SQLite",
                                 "  Compact Form History file completed",
                                 "  Deleted entries from FireFox Form History file - "
                                 "FormHistory.SQLite"}));
  EXPECT_LT(FileSize(places()), placesBefore / 2);
  EXPECT_LT(FileSize(forms()), formsBefore);
  ExpectAllHealthy();
}

TEST_P(HistoryPurgeTest, PreviewChangesNoByte) {
  run_.state.preview = true;
  run_.state.compact = true;
  const std::string p = Bytes(places()), f = Bytes(forms()), i = Bytes(favicons());
  PurgeFirefoxTypedUrls(run_.ctx);
  PurgeFirefoxHistory(run_.ctx);
  PurgeFirefoxForms(run_.ctx);
  const std::string noDeletes = "  No Deletes are done for a \"Preview Purge\".";
  EXPECT_EQ(run_.view.lines, (std::vector<std::string>{noDeletes, noDeletes, noDeletes}));
  EXPECT_TRUE(Bytes(places()) == p);
  EXPECT_TRUE(Bytes(forms()) == f);
  EXPECT_TRUE(Bytes(favicons()) == i);
  EXPECT_FALSE(FileExists(places() + "-journal"));
}

TEST_P(HistoryPurgeTest, WhileFirefoxRunsNothingIsTouched) {
  const std::string p = Bytes(places()), f = Bytes(forms());
  run_.state.browsers.firefox = true;
  const std::string refusal = " -Error- not Processed as FireFox browser is active.";
  PurgeFirefoxTypedUrls(run_.ctx);
  PurgeFirefoxHistory(run_.ctx);
  PurgeFirefoxForms(run_.ctx);
  EXPECT_EQ(run_.view.lines, (std::vector<std::string>{refusal, refusal, refusal}));
  EXPECT_EQ(run_.state.highestLevel, 7);
  EXPECT_TRUE(Bytes(places()) == p);
  EXPECT_TRUE(Bytes(forms()) == f);

  TestRun preview;
  preview.state.preview = true;
  preview.state.browsers.firefox = true;
  PurgeFirefoxHistory(preview.ctx);
  EXPECT_EQ(preview.view.lines, std::vector<std::string>{refusal});
  EXPECT_EQ(preview.state.highestLevel, 0);
}

// A reader that starts between the deletions and the VACUUM (another program opening the
// file, say) makes the VACUUM fail; the deletions stand, the success line is not written.
struct ReaderAtFirstPump : VectorView {
  std::string file;
  std::unique_ptr<TSQLiteDatabase> reader;
  void PumpMessages() override {
    VectorView::PumpMessages();
    if (reader || file.empty()) return;
    reader = std::make_unique<TSQLiteDatabase>(file);
    reader->ExecSQL("BEGIN");
    reader->GetTable("SELECT COUNT(*) FROM sqlite_master");
  }
};

TEST_P(HistoryPurgeTest, AFailingVacuumGivesItsErrorAndNoSuccessLine) {
  RunState state;
  state.compact = true;
  ReaderAtFirstPump view;
  ReportContext ctx(state, view);
  view.file = places();
  PurgeFirefoxHistory(ctx);
  ASSERT_NE(view.reader, nullptr);
  EXPECT_EQ(view.lines, std::vector<std::string>{
                            "*** Error - Compact History file failed - the database is locked"});
  view.reader.reset();
  for (auto& [id, v] : Now().visits) EXPECT_EQ(v.type, 2);  // the deletions were committed

  view.lines.clear();
  view.file = forms();
  PurgeFirefoxForms(ctx);
  EXPECT_EQ(view.lines,
            std::vector<std::string>{
                "*** Error - Compact Form History file failed - the database is locked"});
  view.reader.reset();
  TSQLiteDatabase db(forms());
  EXPECT_EQ(Query(db, "SELECT COUNT(*) FROM moz_formhistory"), Rows{{"0"}});
}

TEST_P(HistoryPurgeTest, AFailingStatementLeavesTheFileAsItWas) {
  {
    TSQLiteDatabase db(places());
    db.ExecSQL("DROP TABLE moz_bookmarks");  // the places statements join it
  }
  const std::string p = Bytes(places()), i = Bytes(favicons());
  PurgeFirefoxHistory(run_.ctx);
  PurgeFirefoxTypedUrls(run_.ctx);
  EXPECT_EQ(run_.view.lines, (std::vector<std::string>{
                                 "*** Error - Delete entries from History failed - Places.SQLite"
                                 " - no such table: moz_bookmarks",
                                 "*** Error - Delete Typed URL entries failed - Places.SQLite"
                                 " - no such table: moz_bookmarks"}));
  // The visits and input history deleted before the failing statement came back.
  EXPECT_TRUE(Bytes(places()) == p);
  EXPECT_TRUE(Bytes(favicons()) == i);
  ExpectHealthy(places());
}

// A history statement that fails takes only the history purge with it: with History ticked,
// the typed URLs still go.
TEST_P(HistoryPurgeTest, WhenTheHistoryPartFailsTheTypedUrlsStillGo) {
  {
    TSQLiteDatabase db(places());
    db.ExecSQL(
        "CREATE TRIGGER refuse BEFORE DELETE ON moz_annos BEGIN SELECT RAISE(ABORT, "
        "'kept'); END");
  }
  const Snapshot expected = AfterTypedPurge(Now(), OriginOfPlaces());
  ASSERT_FALSE(expected.annos.empty());
  run_.state.options[OptionField::History] = 1;
  PurgeFirefoxTypedUrls(run_.ctx);
  PurgeFirefoxHistory(run_.ctx);
  EXPECT_EQ(run_.view.lines, (std::vector<std::string>{
                                 "  Deleted entries from  FireFox Typed URLs - Places.SQLite",
                                 "*** Error - Delete entries from History failed - Places.SQLite"
                                 " - kept"}));
  ExpectSameRows(Now(), expected);
}

TEST_P(HistoryPurgeTest, MissingDatabasesAreReported) {
  TFFoxProfile& p = FFoxProfile();
  p.HasPlacesDb = p.HasFormHistoryDb = false;
  PurgeFirefoxTypedUrls(run_.ctx);
  PurgeFirefoxHistory(run_.ctx);
  PurgeFirefoxForms(run_.ctx);
  EXPECT_EQ(run_.view.lines,
            (std::vector<std::string>{
                "*** Error - Unable to find FireFox History file - Places.SQLite",
                "*** Error - Unable to find FireFox History file - Places.SQLite",
                "*-* Error - Unable to find FireFox Form History file - FormHistory.SQLite"}));
}

INSTANTIATE_TEST_SUITE_P(BothEras, HistoryPurgeTest,
                         testing::Values(FirefoxSchema::Current, FirefoxSchema::Legacy), Name);

// Places that something besides history refers to stay, however they are referred to.
TEST(HistoryPurgeGuards, KeywordAndForeignCountPlacesSurvive) {
  ASSERT_TRUE(FindFirefoxInstall());
  const TFFoxProfile saved = FFoxProfile();
  TempFolder folder;
  ProfileRecipe recipe;
  recipe.places = 420;
  WriteProfileFiles(folder.Path(), recipe);
  {
    TSQLiteDatabase db(folder.File("places.sqlite"));
    // A keyword whose place lost its count (an older Firefox), and a place only another
    // table refers to.
    db.ExecSQL("UPDATE moz_places SET foreign_count = 0 WHERE id = 213");
    db.ExecSQL("UPDATE moz_places SET foreign_count = 1 WHERE id = 214");
    db.ExecSQL("DELETE FROM moz_bookmarks WHERE fk IN (213, 214)");
  }
  TFFoxProfile& p = FFoxProfile();
  p.PlacesFile = folder.File("places.sqlite");
  p.HasPlacesDb = p.IsSqliteProfile = true;
  TestRun run;
  PurgeFirefoxTypedUrls(run.ctx);
  PurgeFirefoxHistory(run.ctx);
  TSQLiteDatabase db(p.PlacesFile);
  EXPECT_EQ(
      Query(db, "SELECT id, visit_count FROM moz_places WHERE id IN (13, 213, 214) ORDER BY id"),
      (Rows{{"13", "0"}, {"213", "0"}, {"214", "0"}}));
  EXPECT_EQ(Query(db, "SELECT keyword FROM moz_keywords WHERE place_id = 213"), Rows{{"k213"}});
  FFoxProfile() = saved;
}

// The whole files of a profile from before Places.sqlite.
struct LegacyFilesTest : testing::Test {
  void SetUp() override {
    saved = FFoxProfile();
    TFFoxProfile& p = FFoxProfile();
    p = TFFoxProfile();
    p.HistoryDatFile = folder.File("History.dat");
    p.FormHistoryDatFile = folder.File("FormHistory.dat");
    WriteWholeFile(p.HistoryDatFile, "// <!-- <mdb:mork:z v=\"1.4\"/> -->\n");
    WriteWholeFile(p.FormHistoryDatFile, "// <!-- <mdb:mork:z v=\"1.4\"/> -->\n");
    SetFirefoxActive(false);
  }
  void TearDown() override { FFoxProfile() = saved; }
  TFFoxProfile saved;
  TempFolder folder;
  TestRun run;
};

TEST_F(LegacyFilesTest, PurgeDeletesHistoryDatAndFormHistoryDat) {
  const TFFoxProfile& p = FFoxProfile();
  PurgeFirefoxTypedUrls(run.ctx);
  PurgeFirefoxHistory(run.ctx);
  PurgeFirefoxForms(run.ctx);
  EXPECT_EQ(run.view.lines, (std::vector<std::string>{"       deleted - " + p.HistoryDatFile,
                                                      "       deleted - " + p.FormHistoryDatFile}));
  EXPECT_FALSE(FileExists(p.HistoryDatFile));
  EXPECT_FALSE(FileExists(p.FormHistoryDatFile));
  EXPECT_EQ(run.state.processed, 2);
  EXPECT_EQ(run.state.highestLevel, 0);
}

TEST_F(LegacyFilesTest, PreviewNamesTheFilesAndKeepsThem) {
  const TFFoxProfile& p = FFoxProfile();
  run.state.preview = true;
  PurgeFirefoxHistory(run.ctx);
  PurgeFirefoxForms(run.ctx);
  const std::string noDeletes = "  No Deletes are done for a \"Preview Purge\".";
  EXPECT_EQ(run.view.lines,
            (std::vector<std::string>{"     to delete - " + p.HistoryDatFile, noDeletes,
                                      "     to delete - " + p.FormHistoryDatFile, noDeletes}));
  EXPECT_TRUE(FileExists(p.HistoryDatFile));
  EXPECT_TRUE(FileExists(p.FormHistoryDatFile));
}

TEST_F(LegacyFilesTest, MarkedAndMissingFiles) {
  TFFoxProfile& p = FFoxProfile();
  p.HistoryDatFile = "  File not found - History.dat";
  DeleteFileA(p.FormHistoryDatFile.c_str());
  PurgeFirefoxHistory(run.ctx);
  PurgeFirefoxForms(run.ctx);
  EXPECT_EQ(run.view.lines, (std::vector<std::string>{"    This file is not currently defined...",
                                                      "File not Found - " + p.FormHistoryDatFile}));
  EXPECT_EQ(run.state.processed, 0);
}

TEST_F(LegacyFilesTest, AFileThatCannotBeDeletedGetsItsMappedResult) {
  const TFFoxProfile& p = FFoxProfile();
  HANDLE h = CreateFileA(p.HistoryDatFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                         nullptr);  // no sharing: the deletion meets a locked file
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(PurgeDataFile(run.ctx, p.HistoryDatFile));
  CloseHandle(h);
  EXPECT_EQ(run.view.lines, std::vector<std::string>{"        Locked - " + p.HistoryDatFile});
  EXPECT_TRUE(FileExists(p.HistoryDatFile));
}

// The three functions in one run, through the run's own table and frame.
TEST(HistoryPurgeRun, TheRunCallsTheThreeInOrderInsideTheFrame) {
  ASSERT_TRUE(FindFirefoxInstall());
  const TFFoxProfile saved = FFoxProfile();
  ScopedArguments args{{}};
  TempFolder folder;
  ProfileRecipe recipe;
  recipe.places = 200;
  WriteProfileFiles(folder.Path(), recipe);
  TFFoxProfile& p = FFoxProfile();
  p.PlacesFile = folder.File("places.sqlite");
  p.FormHistoryFile = folder.File("formhistory.sqlite");
  p.HasPlacesDb = p.HasFormHistoryDb = p.IsSqliteProfile = true;
  TestRun run;
  PurgeRequest request;
  request.options[OptionField::History] = 1;
  request.options[OptionField::FFTypedUrls] = 1;
  request.options[OptionField::Forms] = 1;
  request.options[OptionField::CompactSql] = 1;
  ASSERT_TRUE(RunPurge(run.ctx, request));
  const std::string separator = " - - - - - - - - - - - - - - - - -";
  EXPECT_EQ(run.view.lines,
            (std::vector<std::string>{
                "Results of \"Purge\" function...", "", "Processing \"FireFox Typed URLs\"",
                "  Deleted entries from  FireFox Typed URLs - Places.SQLite", separator,
                "Processing \"FireFox History File\"", "  Compact History file completed",
                "  Deleted entries from  FireFox History file - Places.SQLite", separator,
                "Processing \"FireFox Forms History\"", "  Compact Form History file completed",
                "  Deleted entries from FireFox Form History file - FormHistory.SQLite", separator,
                "  Purge Functions Completed."}));
  FFoxProfile() = saved;
}
