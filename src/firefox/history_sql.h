#pragma once
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The SQL of the history, typed-URL and form-history purges, chosen by what the database holds.
// Firefox's schema changed over the years (icons moved to favicons.sqlite in 55, places got
// foreign_count in 34, keywords name their place since 39, origins and page metadata are
// newer still), so statements follow the tables and columns present, not a version number.
struct PlacesSchema {
  std::set<std::string> tables;     // lower case; those of the attached icon file as "icons.<name>"
  std::set<std::string> columns;    // lower case, "table.column", for the tables named below
  std::set<std::string> triggered;  // lower case: tables of the main file that have triggers
  bool Has(std::string_view table) const;
  bool HasColumn(std::string_view tableDotColumn) const;
};

// favicons.sqlite is attached to the Places connection under this name, so that its pages are
// compared with the places in one statement and committed in the same transaction.
inline constexpr const char* kIconsSchema = "icons";
inline constexpr const char* kIconsFileName = "favicons.sqlite";

// Reading the schema: table names (of `schema`, "main" or "icons") and a table's columns.
std::string TableNamesSql(std::string_view schema);
std::string ColumnNamesSql(std::string_view schema, std::string_view table);
std::string TriggeredTablesSql();
// The tables whose columns the statements look at, as "schema.table" pairs.
struct SchemaTable {
  const char* schema;
  const char* table;
};
const std::vector<SchemaTable>& TablesWithColumnsOfInterest();

// The statements of each purge, in the order they run (inside one transaction).
std::vector<std::string> TypedUrlStatements(const PlacesSchema& schema);
std::vector<std::string> HistoryStatements(const PlacesSchema& schema);
// Both of the above in one transaction, leaving the rows the two leave one after the other.
// Most of the typed-URL purge's time goes on counting again the visits of places that the
// history purge then removes; a run that does both does the work once.
std::vector<std::string> TypedUrlAndHistoryStatements(const PlacesSchema& schema);
std::vector<std::string> FormHistoryStatements(const std::set<std::string>& tables);

// A purge touches most pages of a large file: with SQLite's default 2 MB cache, dirty pages
// spill to the file and are read back many times over before the commit. Every megabyte of
// cache is memory the run holds, and a heavy profile's purge dirties more pages than any cache
// of a sensible size keeps: 32 MB is about where a larger one stops buying time.
inline constexpr const char* kPurgeCacheSql = "PRAGMA cache_size = -32768";  // 32 MB

inline constexpr const char* kBeginSql = "BEGIN";
inline constexpr const char* kCommitSql = "COMMIT";
inline constexpr const char* kRollbackSql = "ROLLBACK";
inline constexpr const char* kCompactPrepareSql = "PRAGMA SYNCHRONOUS=OFF;";
inline constexpr const char* kVacuumSql = "VACUUM";
