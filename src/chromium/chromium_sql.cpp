#include "chromium/chromium_sql.h"

#include <nlohmann/json.hpp>

namespace {
// Children before the rows they point at, so no moment of the transaction has an orphan.
const std::vector<std::string> kHistoryTables = {
    "visit_source",
    "keyword_search_terms",
    "segment_usage",
    "segments",
    "content_annotations",
    "context_annotations",
    "clusters_and_visits",
    "cluster_keywords",
    "cluster_visit_duplicates",
    "clusters",
    "downloads_url_chains",
    "downloads_slices",
    "downloads",
    "visited_links",
    "history_sync_metadata",
    "visits",
    "urls",
};

const std::vector<std::string> kCopyFiles = {"Top Sites", "Shortcuts", "Network Action Predictor",
                                             "Visited Links"};

const std::vector<ChromiumTypedTextStore> kTypedTextStores = {
    {"Shortcuts", "omni_box_shortcuts"},
    {"Network Action Predictor", "network_action_predictor"},
};

// Releases that encrypt the bookmarks write these beside (or instead of) the plain files.
const std::vector<ChromiumBookmarkStore> kBookmarkStores = {
    {"Bookmarks", {"EncryptedBookmarks", "EncryptedBookmarks2"}},
    {"AccountBookmarks", {"EncryptedAccountBookmarks", "EncryptedAccountBookmarks2"}},
};

void CollectUrls(const nlohmann::json& node, std::vector<std::string>& out, int depth) {
  if (depth > 200) return;  // a hostile file nests without end
  if (node.is_object()) {
    const auto url = node.find("url");
    if (url != node.end() && url->is_string()) out.push_back(url->get<std::string>());
    for (const auto& [key, child] : node.items())
      if (child.is_structured()) CollectUrls(child, out, depth + 1);
  } else if (node.is_array()) {
    for (const auto& child : node) CollectUrls(child, out, depth + 1);
  }
}
}  // namespace

const std::vector<std::string>& ChromiumHistoryTables() { return kHistoryTables; }
const std::vector<std::string>& ChromiumHistoryCopyFiles() { return kCopyFiles; }
const std::vector<ChromiumTypedTextStore>& ChromiumTypedTextStores() { return kTypedTextStores; }
const std::vector<ChromiumBookmarkStore>& ChromiumBookmarkStores() { return kBookmarkStores; }

std::vector<std::string> ChromiumHistoryStatements(const std::set<std::string>& tables) {
  std::vector<std::string> out;
  for (const auto& t : kHistoryTables)
    if (tables.count(t)) out.push_back("DELETE FROM " + t);
  return out;
}

std::vector<std::string> ChromiumTypedUrlStatements(const std::set<std::string>& tables) {
  std::vector<std::string> out;
  if (!tables.count("urls")) return out;
  const std::string typed = "(SELECT id FROM temp.qv_typed)";
  const std::string visits = "(SELECT id FROM visits WHERE url IN " + typed + ")";
  out.push_back("CREATE TEMP TABLE qv_typed AS SELECT id FROM urls WHERE typed_count > 0");
  if (tables.count("visits")) {
    for (const char* t : {"content_annotations", "context_annotations", "clusters_and_visits"})
      if (tables.count(t))
        out.push_back(std::string("DELETE FROM ") + t + " WHERE visit_id IN " + visits);
    if (tables.count("visit_source"))
      out.push_back("DELETE FROM visit_source WHERE id IN " + visits);
    out.push_back("DELETE FROM visits WHERE url IN " + typed);
  }
  // The page's row of the visited links (which colour links to it on other sites).
  if (tables.count("visited_links"))
    out.push_back("DELETE FROM visited_links WHERE link_url_id IN " + typed);
  if (tables.count("keyword_search_terms"))
    out.push_back("DELETE FROM keyword_search_terms WHERE url_id IN " + typed);
  if (tables.count("segments")) {
    if (tables.count("segment_usage"))
      out.push_back(
          "DELETE FROM segment_usage WHERE segment_id IN (SELECT id FROM segments WHERE url_id "
          "IN " +
          typed + ")");
    out.push_back("DELETE FROM segments WHERE url_id IN " + typed);
  }
  out.push_back("DELETE FROM urls WHERE id IN " + typed);
  out.push_back("DROP TABLE temp.qv_typed");
  return out;
}

std::vector<std::string> ChromiumFaviconStatements(const std::set<std::string>& tables) {
  std::vector<std::string> out;
  if (tables.count("icon_mapping"))
    out.push_back(
        "DELETE FROM icon_mapping WHERE page_url NOT IN (SELECT url FROM temp.qv_kept_pages)");
  if (tables.count("favicons") && tables.count("icon_mapping"))
    out.push_back("DELETE FROM favicons WHERE id NOT IN (SELECT icon_id FROM icon_mapping)");
  if (tables.count("favicon_bitmaps") && tables.count("favicons"))
    out.push_back("DELETE FROM favicon_bitmaps WHERE icon_id NOT IN (SELECT id FROM favicons)");
  return out;
}

bool ReadBookmarkUrls(const std::string& json, std::vector<std::string>& urls) {
  const nlohmann::json root = nlohmann::json::parse(json, nullptr, false);
  if (root.is_discarded()) return false;
  CollectUrls(root, urls, 0);
  return true;
}
