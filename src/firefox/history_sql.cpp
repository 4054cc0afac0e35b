#include "firefox/history_sql.h"

namespace {
// Which visits a purge removes: typed ones, all others, or both (typed-URL and history together).
enum class PurgedVisits { Typed, Other, All };

// Every visited place, with whether it has typed and other visits: read in one pass over the
// visits, it tells which places a purge takes visits from (their survivors get their counts
// reset) and which were reached only by typing.
constexpr const char* kCreateVisitedPlaces =
    "CREATE TEMP TABLE qv_visited_places (id INTEGER PRIMARY KEY, typed INTEGER, other INTEGER)";
constexpr const char* kRememberVisitedPlaces =
    "INSERT INTO temp.qv_visited_places SELECT place_id, MAX(visit_type = 2), MAX(visit_type <> "
    "2) FROM moz_historyvisits WHERE place_id IS NOT NULL GROUP BY place_id";

// The first six characters: SUBSTR counts from 1, and SUBSTR(url,0,6) gives only five, so
// a comparison with 'place:' on those never matched and protected no query place.
constexpr const char* kNotAQueryPlace = " AND SUBSTR(P.url,1,6) <> 'place:'";

// Places that something other than history still refers to: bookmarks and keywords (counted
// in foreign_count) and keywords themselves. Removing them would leave a keyword pointing at
// nothing. The condition is on P, a place, joined to B, its bookmark if any; where it is not
// true the place stays.
std::string NothingElseKeeps(const PlacesSchema& s) {
  std::string g = "B.id IS NULL" + std::string(kNotAQueryPlace);
  if (s.HasColumn("moz_places.foreign_count")) g += " AND P.foreign_count <= 0";
  if (s.Has("moz_keywords") && s.HasColumn("moz_keywords.place_id"))
    g += " AND P.id NOT IN (SELECT K.place_id FROM moz_keywords K WHERE K.place_id IS NOT NULL)";
  return g;
}

// Removing most rows of a big table one by one updates every index for every row. When what
// stays is the smaller part, setting it aside, emptying the table (SQLite then frees whole
// pages) and putting it back removes the same rows far faster. The rows kept are those the
// DELETE would keep: its condition not true. Not on a table with triggers, which emptying
// and refilling would run.
void AddDeleteMost(const PlacesSchema& s, const std::string& table, const std::string& condition,
                   const std::string& plainDelete, std::vector<std::string>& out) {
  if (s.triggered.count(table)) {
    out.push_back(plainDelete);
    return;
  }
  out.push_back("CREATE TEMP TABLE qv_kept_rows AS SELECT * FROM main." + table + " WHERE (" +
                condition + ") IS NOT 1");
  out.push_back("DELETE FROM main." + table);
  out.push_back("INSERT INTO main." + table + " SELECT * FROM temp.qv_kept_rows");
  out.push_back("DROP TABLE temp.qv_kept_rows");
}

// A place that survives (bookmarked, say) would still tell how often and when it was visited.
// Counts follow the visits left; frecency is left for Firefox to compute again. Firefox counts
// neither embeds (4), downloads (7), framed links (8), reloads (9) nor type 0 in visit_count.
// The places reset are those that had visits of the kinds the purge removes; a typed-URL purge
// also clears the typed mark of those that were typed.
std::string ResetSurvivingPlaces(const PlacesSchema& s, PurgedVisits purged) {
  std::string sql =
      "UPDATE moz_places SET visit_count = (SELECT COUNT(*) FROM moz_historyvisits V WHERE "
      "V.place_id = moz_places.id AND V.visit_type NOT IN (0,4,7,8,9)), last_visit_date = "
      "(SELECT MAX(V.visit_date) FROM moz_historyvisits V WHERE V.place_id = moz_places.id), "
      "frecency = -1";
  if (purged == PurgedVisits::Typed) sql += ", typed = 0";
  if (purged == PurgedVisits::All)
    sql +=
        ", typed = CASE WHEN id IN (SELECT id FROM temp.qv_visited_places WHERE typed = 1) THEN 0 "
        "ELSE typed END";
  if (s.HasColumn("moz_places.recalc_frecency")) sql += ", recalc_frecency = 1";
  if (s.HasColumn("moz_places.alt_frecency")) sql += ", alt_frecency = NULL";
  if (s.HasColumn("moz_places.recalc_alt_frecency")) sql += ", recalc_alt_frecency = 1";
  const char* which = purged == PurgedVisits::Typed   ? "typed = 1"
                      : purged == PurgedVisits::Other ? "other = 1"
                                                      : "typed = 1 OR T.other = 1";
  // Looked up from each place left, not the other way round: after a history purge few are.
  return sql +
         " WHERE EXISTS (SELECT 1 FROM temp.qv_visited_places T WHERE T.id = moz_places.id AND "
         "(T." +
         which + "))";
}

// What goes with removed places: on a current profile what Firefox's own triggers and foreign
// keys would remove (page metadata, search queries, origins), and the icons no remaining place
// uses. Icons of the era before favicons.sqlite sit in moz_favicons.
void AddRemovedPlaceCleanups(const PlacesSchema& s, std::vector<std::string>& out) {
  // Sync's extra data of places and visits (newer files); its foreign keys would cascade.
  if (s.Has("moz_places_extra"))
    out.push_back("DELETE FROM moz_places_extra WHERE place_id NOT IN (SELECT id FROM moz_places)");
  if (s.Has("moz_historyvisits_extra"))
    out.push_back(
        "DELETE FROM moz_historyvisits_extra WHERE visit_id NOT IN (SELECT id FROM "
        "moz_historyvisits)");
  if (s.Has("moz_places_metadata")) {
    std::string sql =
        "DELETE FROM moz_places_metadata WHERE place_id NOT IN (SELECT id FROM moz_places)";
    if (s.HasColumn("moz_places_metadata.referrer_place_id"))
      sql += " OR referrer_place_id NOT IN (SELECT id FROM moz_places)";
    out.push_back(sql);
    if (s.Has("moz_places_metadata_search_queries") &&
        s.HasColumn("moz_places_metadata.search_query_id"))
      out.push_back(
          "DELETE FROM moz_places_metadata_search_queries WHERE id NOT IN (SELECT "
          "search_query_id FROM moz_places_metadata WHERE search_query_id IS NOT NULL)");
  }
  const bool origins = s.Has("moz_origins") && s.HasColumn("moz_places.origin_id");
  if (origins)
    out.push_back(
        "DELETE FROM moz_origins WHERE id NOT IN (SELECT origin_id FROM moz_places WHERE "
        "origin_id IS NOT NULL)");
  if (s.Has("moz_favicons") && s.HasColumn("moz_places.favicon_id"))
    out.push_back(
        "DELETE FROM moz_FavIcons WHERE id NOT IN (SELECT favicon_id FROM moz_places WHERE "
        "favicon_id IS NOT NULL)");
  if (s.Has("icons.moz_pages_w_icons") && s.Has("icons.moz_icons_to_pages") &&
      s.Has("icons.moz_icons") && s.HasColumn("moz_places.url_hash")) {
    out.push_back(
        "DELETE FROM icons.moz_pages_w_icons WHERE id IN (SELECT W.id FROM "
        "icons.moz_pages_w_icons W LEFT OUTER JOIN moz_places P ON P.url_hash = W.page_url_hash "
        "AND P.url = W.page_url WHERE P.id IS NULL)");
    // Foreign keys are off on this connection, so their cascade does not run.
    out.push_back(
        "DELETE FROM icons.moz_icons_to_pages WHERE page_id NOT IN (SELECT id FROM "
        "icons.moz_pages_w_icons)");
    if (s.HasColumn("icons.moz_icons.root")) {
      out.push_back(
          "DELETE FROM icons.moz_icons WHERE root = 0 AND id NOT IN (SELECT icon_id FROM "
          "icons.moz_icons_to_pages)");
      // Firefox links no page to a site's root icon (its /favicon.ico); that icon goes with
      // the site's origin.
      if (origins)
        out.push_back(
            "DELETE FROM icons.moz_icons WHERE root = 1 AND id NOT IN (SELECT icon_id FROM "
            "icons.moz_icons_to_pages) AND icon_url NOT IN (SELECT prefix || host || "
            "'/favicon.ico' FROM moz_origins)");
    } else {
      out.push_back(
          "DELETE FROM icons.moz_icons WHERE id NOT IN (SELECT icon_id FROM "
          "icons.moz_icons_to_pages)");
    }
  }
}
}  // namespace

bool PlacesSchema::Has(std::string_view table) const {
  return tables.count(std::string(table)) > 0;
}

bool PlacesSchema::HasColumn(std::string_view tableDotColumn) const {
  return columns.count(std::string(tableDotColumn)) > 0;
}

std::string TableNamesSql(std::string_view schema) {
  return "SELECT LOWER(name) FROM " + std::string(schema) + ".sqlite_master WHERE type = 'table'";
}

std::string TriggeredTablesSql() {
  return "SELECT LOWER(tbl_name) FROM main.sqlite_master WHERE type = 'trigger'";
}

std::string ColumnNamesSql(std::string_view schema, std::string_view table) {
  return "PRAGMA " + std::string(schema) + ".table_info(" + std::string(table) + ")";
}

const std::vector<SchemaTable>& TablesWithColumnsOfInterest() {
  static const std::vector<SchemaTable> tables = {{"main", "moz_places"},
                                                  {"main", "moz_keywords"},
                                                  {"main", "moz_places_metadata"},
                                                  {kIconsSchema, "moz_icons"}};
  return tables;
}

namespace {
// Places reached only by typing: one that also has other visits belongs to the history, and
// removing it would leave those visits without their place. Read from the visited places noted
// before the typed visits go.
constexpr const char* kReachedOnlyByTyping =
    "P.id IN (SELECT id FROM temp.qv_visited_places WHERE typed = 1 AND other IS NOT 1)";

void AddVisitedPlaces(std::vector<std::string>& out) {
  out.push_back(kCreateVisitedPlaces);
  out.push_back(kRememberVisitedPlaces);
}

// The history purge; with `purged` All the typed-URL purge's too, in one pass: its visit
// deletion takes the typed visits as well, and the places reached only by typing go with the
// unvisited ones.
void AddHistoryStatements(const PlacesSchema& s, PurgedVisits purged,
                          std::vector<std::string>& out) {
  const bool typedToo = purged == PurgedVisits::All;
  if (!typedToo) {
    AddVisitedPlaces(out);
    // Typed visits are the few that stay, and after the typed-URL purge none does.
    AddDeleteMost(s, "moz_historyvisits", "visit_type <> 2",
                  "DELETE FROM moz_HistoryVisits WHERE visit_type <> 2 ", out);
  } else {
    if (s.Has("moz_inputhistory")) out.push_back("DELETE FROM moz_InputHistory ");
    // Every visit with a type goes, and with them every place nothing else keeps, unless it
    // has visits without a type. Only the places that may stay are worth noting.
    out.push_back(kCreateVisitedPlaces);
    out.push_back(
        "INSERT INTO temp.qv_visited_places SELECT place_id, MAX(visit_type = 2), "
        "MAX(visit_type <> 2) FROM moz_historyvisits WHERE place_id IN (SELECT P.id FROM "
        "moz_places P LEFT OUTER JOIN moz_bookmarks B ON P.id = B.fk WHERE (" +
        NothingElseKeeps(s) +
        ") IS NOT 1 UNION SELECT place_id FROM moz_historyvisits WHERE visit_type IS NULL) "
        "GROUP BY place_id");
    // What the typed-URL purge's "= 2" and the history purge's "<> 2" take between them: a
    // visit without a type stays, as it does after the two.
    AddDeleteMost(s, "moz_historyvisits", "visit_type = 2 OR visit_type <> 2",
                  "DELETE FROM moz_HistoryVisits WHERE visit_type = 2 OR visit_type <> 2 ", out);
  }
  const std::string gone = typedToo ? "(V.id IS NULL OR " + std::string(kReachedOnlyByTyping) + ")"
                                    : std::string("V.id IS NULL");
  const std::string unvisitedPlaces =
      "id IN ( SELECT P.id FROM moz_places P LEFT OUTER JOIN moz_historyvisits V ON P.id = "
      "V.place_id LEFT OUTER JOIN moz_bookmarks B ON P.id = B.fk WHERE " +
      gone + " AND " + NothingElseKeeps(s) + " )";
  AddDeleteMost(s, "moz_places", unvisitedPlaces, "DELETE FROM moz_places WHERE " + unvisitedPlaces,
                out);
  if (s.Has("moz_annos"))
    out.push_back(
        "DELETE FROM moz_Annos WHERE id IN( SELECT A.id FROM moz_Annos A LEFT OUTER JOIN "
        "moz_places P ON A.place_id = P.id LEFT OUTER JOIN moz_historyvisits V ON A.place_id = "
        "V.place_id WHERE P.id IS NULL OR (V.id IS NULL AND A.expiration != 4))");
  out.push_back(
      "DELETE FROM moz_HistoryVisits WHERE id IN( SELECT V.id FROM moz_HistoryVisits V LEFT "
      "OUTER JOIN moz_places P ON V.place_id = P.id WHERE P.id IS NULL)");
  if (s.Has("moz_inputhistory"))
    out.push_back(
        "DELETE FROM moz_InputHistory WHERE place_id IN( SELECT T.place_id FROM "
        "moz_InputHistory T LEFT OUTER JOIN moz_places P ON T.place_id = P.id WHERE P.id IS "
        "NULL)");
  out.push_back(ResetSurvivingPlaces(s, purged));
  // How long and after which search each page was viewed is history even of a page that stays
  // (a bookmark): all of it goes, the searches with it.
  if (s.Has("moz_places_metadata")) out.push_back("DELETE FROM moz_places_metadata");
  if (s.Has("moz_places_metadata_search_queries"))
    out.push_back("DELETE FROM moz_places_metadata_search_queries");
  AddRemovedPlaceCleanups(s, out);
}
}  // namespace

std::vector<std::string> TypedUrlStatements(const PlacesSchema& s) {
  std::vector<std::string> out;
  if (s.Has("moz_inputhistory")) out.push_back("DELETE FROM moz_InputHistory ");
  AddVisitedPlaces(out);
  out.push_back(
      "DELETE FROM moz_places WHERE id IN ( SELECT P.id FROM moz_places P LEFT OUTER JOIN "
      "moz_bookmarks B ON P.id = B.fk WHERE " +
      std::string(kReachedOnlyByTyping) + " AND " + NothingElseKeeps(s) + " )");
  // After the places statement, which finds the places through these visits.
  out.push_back("DELETE FROM moz_HistoryVisits WHERE visit_type = 2 ");
  out.push_back(ResetSurvivingPlaces(s, PurgedVisits::Typed));
  AddRemovedPlaceCleanups(s, out);
  return out;
}

std::vector<std::string> HistoryStatements(const PlacesSchema& s) {
  std::vector<std::string> out;
  AddHistoryStatements(s, PurgedVisits::Other, out);
  return out;
}

std::vector<std::string> TypedUrlAndHistoryStatements(const PlacesSchema& s) {
  std::vector<std::string> out;
  AddHistoryStatements(s, PurgedVisits::All, out);
  return out;
}

std::vector<std::string> FormHistoryStatements(const std::set<std::string>& tables) {
  std::vector<std::string> out{"DELETE FROM  moz_formhistory"};
  // Since Firefox 111 entries name their sources; the links would point at nothing, and the
  // sources tell where the entries were typed.
  if (tables.count("moz_history_to_sources")) out.push_back("DELETE FROM moz_history_to_sources");
  if (tables.count("moz_sources")) out.push_back("DELETE FROM moz_sources");
  return out;
}
