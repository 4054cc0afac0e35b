// Which statements the purges choose for which schema; built natively as well as under Wine.
#include <gtest/gtest.h>

#include <regex>

#include "firefox/history_sql.h"

namespace {
PlacesSchema LegacySchema() {
  PlacesSchema s;
  s.tables = {"moz_places", "moz_historyvisits", "moz_bookmarks", "moz_inputhistory",
              "moz_annos",  "moz_favicons",      "moz_keywords"};
  s.columns = {"moz_places.favicon_id", "moz_keywords.keyword"};
  return s;
}

PlacesSchema CurrentSchema() {
  PlacesSchema s;
  s.tables = {"moz_places",
              "moz_historyvisits",
              "moz_bookmarks",
              "moz_inputhistory",
              "moz_annos",
              "moz_keywords",
              "moz_origins",
              "moz_places_metadata",
              "moz_places_metadata_search_queries",
              "moz_places_extra",
              "moz_historyvisits_extra",
              "icons.moz_icons",
              "icons.moz_pages_w_icons",
              "icons.moz_icons_to_pages"};
  s.columns = {"moz_places.foreign_count",
               "moz_places.url_hash",
               "moz_places.origin_id",
               "moz_places.recalc_frecency",
               "moz_keywords.place_id",
               "moz_places_metadata.referrer_place_id",
               "moz_places_metadata.search_query_id",
               "icons.moz_icons.root"};
  return s;
}

// Every moz_ table a statement names, lower-cased, with "icons." when it is qualified so.
std::set<std::string> TablesNamed(const std::string& sql) {
  std::set<std::string> names;
  static const std::regex table(R"(((?:icons\.)?moz_[A-Za-z_]+))");
  for (std::sregex_iterator it(sql.begin(), sql.end(), table), end; it != end; ++it) {
    std::string name = (*it)[1];
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    names.insert(name);
  }
  return names;
}

size_t IndexOf(const std::vector<std::string>& statements, const std::string& start) {
  for (size_t i = 0; i < statements.size(); ++i)
    if (statements[i].rfind(start, 0) == 0) return i;
  return statements.size();
}

// Where the places go: one DELETE, or the table emptied after its kept rows were set aside.
size_t PlacesDeletion(const std::vector<std::string>& statements) {
  return std::min(IndexOf(statements, "DELETE FROM moz_places "),
                  IndexOf(statements, "DELETE FROM main.moz_places"));
}

std::vector<std::vector<std::string>> AllStatementLists(const PlacesSchema& s) {
  return {TypedUrlStatements(s), HistoryStatements(s)};
}
}  // namespace

TEST(HistoryStatements, EveryStatementNamesOnlyTablesTheFileHas) {
  PlacesSchema bare;
  bare.tables = {"moz_places", "moz_historyvisits", "moz_bookmarks"};
  for (const PlacesSchema& s : {LegacySchema(), CurrentSchema(), bare})
    for (const auto& list : AllStatementLists(s))
      for (const auto& sql : list)
        for (const auto& name : TablesNamed(sql)) EXPECT_TRUE(s.Has(name)) << name << " in " << sql;
}

TEST(HistoryStatements, IconsAreRemovedAfterThePlacesInEachEra) {
  for (const PlacesSchema& s : {LegacySchema(), CurrentSchema()}) {
    for (const auto& list : AllStatementLists(s)) {
      const size_t places = PlacesDeletion(list);
      const size_t icons =
          std::min(IndexOf(list, "DELETE FROM moz_FavIcons"), IndexOf(list, "DELETE FROM icons."));
      ASSERT_LT(places, list.size());
      ASSERT_LT(icons, list.size());
      EXPECT_LT(places, icons);
    }
  }
}

// Both purges keep query places, and every comparison with 'place:' takes six characters of
// the address (a longer one never matches).
TEST(HistoryStatements, QueryPlacesAreComparedOnSixCharacters) {
  const std::string sixCharacters = "SUBSTR(P.url,1,6) <> 'place:'";
  for (const PlacesSchema& s : {LegacySchema(), CurrentSchema()}) {
    for (const auto& list : AllStatementLists(s)) {
      int comparisons = 0;
      for (const auto& sql : list) {
        if (sql.find("'place:'") == std::string::npos) continue;
        ++comparisons;
        EXPECT_NE(sql.find(sixCharacters), std::string::npos) << sql;
      }
      EXPECT_GT(comparisons, 0) << list.front();
    }
  }
}

// Emptying a table whose triggers Firefox 3 kept in the file would run them for every row.
TEST(HistoryStatements, TablesWithTriggersLoseTheirRowsOneByOne) {
  PlacesSchema s = LegacySchema();
  s.triggered = {"moz_historyvisits", "moz_places"};
  for (const auto& list : AllStatementLists(s)) {
    for (const auto& sql : list) {
      EXPECT_EQ(sql.find("DELETE FROM main.moz_historyvisits"), std::string::npos);
      EXPECT_EQ(sql.find("DELETE FROM main.moz_places"), std::string::npos);
    }
  }
  const auto history = HistoryStatements(s);
  EXPECT_LT(IndexOf(history, "DELETE FROM moz_HistoryVisits WHERE visit_type <> 2 "),
            IndexOf(history,
                    "DELETE FROM moz_places WHERE id IN ( SELECT P.id FROM moz_places P "
                    "LEFT OUTER JOIN moz_historyvisits V"));
}

TEST(HistoryStatements, TypedVisitsGoAfterThePlacesFoundThroughThem) {
  const auto list = TypedUrlStatements(CurrentSchema());
  EXPECT_LT(PlacesDeletion(list),
            IndexOf(list, "DELETE FROM moz_HistoryVisits WHERE visit_type = 2 "));
}

TEST(HistoryStatements, FormHistoryTakesItsSourcesWhenTheFileHasThem) {
  EXPECT_EQ(FormHistoryStatements({"moz_formhistory"}),
            std::vector<std::string>{"DELETE FROM  moz_formhistory"});
  EXPECT_EQ(
      FormHistoryStatements({"moz_formhistory", "moz_sources", "moz_history_to_sources"}).size(),
      3u);
}
