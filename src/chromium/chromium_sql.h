#pragma once
#include <set>
#include <string>
#include <vector>

// The statements of the Chromium purges, for the tables a file actually holds (the schema grows
// with each release; a table it lacks is simply not named). Pure text: values never appear in
// them, they travel bound.

// "History": every row of the history tables, and what hangs off them.
std::vector<std::string> ChromiumHistoryStatements(const std::set<std::string>& tables);
// "Typed URLs": the urls typed into the address bar, their visits and search terms.
std::vector<std::string> ChromiumTypedUrlStatements(const std::set<std::string>& tables);
// "Favicons": icon mappings of pages not in temp.qv_kept_pages, then icons nobody maps.
std::vector<std::string> ChromiumFaviconStatements(const std::set<std::string>& tables);
// The tables of the history database that the history purge empties, in order.
const std::vector<std::string>& ChromiumHistoryTables();

// The files beside History that repeat it, deleted whole by the history purge (with journals).
const std::vector<std::string>& ChromiumHistoryCopyFiles();

// The urls of a Bookmarks file (JSON), whose favicons stay; empty when it cannot be read.
std::vector<std::string> BookmarkUrls(const std::string& json);
