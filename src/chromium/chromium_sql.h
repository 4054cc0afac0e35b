#pragma once
#include <set>
#include <string>
#include <vector>

// The statements of the Chromium purges, for the tables a file actually holds (the schema grows
// with each release; a table it lacks is simply not named). Pure text: values never appear in
// them, they travel bound.

// "History": every row of the history tables, and what hangs off them.
std::vector<std::string> ChromiumHistoryStatements(const std::set<std::string>& tables);
// "Typed URLs": the urls typed into the address bar, their visits, search terms and the
// visited-link rows of those pages.
std::vector<std::string> ChromiumTypedUrlStatements(const std::set<std::string>& tables);
// "Favicons": icon mappings of pages not in temp.qv_kept_pages, then icons nobody maps.
std::vector<std::string> ChromiumFaviconStatements(const std::set<std::string>& tables);
// The tables of the history database that the history purge empties, in order.
const std::vector<std::string>& ChromiumHistoryTables();

// The databases beside History that repeat it, deleted whole by the history purge (each with
// its journal once it went).
const std::vector<std::string>& ChromiumHistoryCopyFiles();

// The files that keep what was typed into the address bar, and the table of each whose every
// row is such a text with the page it led to: the typed-URL purge empties them.
struct ChromiumTypedTextStore {
  const char* file;
  const char* table;
};
const std::vector<ChromiumTypedTextStore>& ChromiumTypedTextStores();

// A profile's bookmarks: the file Quorvane reads, and the encrypted copies a release may keep
// instead, whose pages cannot be read.
struct ChromiumBookmarkStore {
  const char* plain;
  std::vector<const char*> encrypted;
};
const std::vector<ChromiumBookmarkStore>& ChromiumBookmarkStores();

// Adds the urls of a Bookmarks file (JSON), whose favicons stay; false when it is not JSON.
bool ReadBookmarkUrls(const std::string& json, std::vector<std::string>& urls);
