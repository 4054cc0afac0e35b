#include "winapp2/winapp2_catalog.h"

#include "core/folders.h"
#include "core/text_util.h"
#include "platform/files.h"
#include "winapp2/winapp2_clean.h"
#include "winapp2/winapp2_rules.h"

std::string Winapp2FilePath() { return Folders().dataFolder + "\\Winapp2.ini"; }
std::string Winapp3FilePath() { return Folders().dataFolder + "\\Winapp3.ini"; }
std::string Winapp2SelectionFilePath() { return Folders().dataFolder + "\\Winapp2.sel"; }

namespace {
void Take(Winapp2Catalog& catalog, const std::string& path, bool aggressive) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    if (!aggressive)
      catalog.problem = FileExists(path) ? "Winapp2.ini could not be read"
                                         : "Winapp2.ini is not in the data folder";
    return;
  }
  Winapp2Database db = ParseWinapp2(bytes, aggressive);
  const std::string file = aggressive ? "Winapp3.ini" : "Winapp2.ini";
  for (const auto& p : db.problems)
    catalog.problems.push_back(file + " line " + std::to_string(p.line) + ": " + p.text);
  Winapp2Database& all = catalog.database;
  if (all.version.empty()) all.version = db.version;
  for (auto& e : db.entries) all.entries.push_back(std::move(e));
  for (auto& d : db.dropped) all.dropped.push_back(std::move(d));
}
}  // namespace

Winapp2Catalog LoadWinapp2Catalog() {
  Winapp2Catalog catalog;
  catalog.facts = ReadWinapp2Facts();
  Take(catalog, Winapp2FilePath(), false);
  if (FileExists(Winapp3FilePath())) Take(catalog, Winapp3FilePath(), true);
  catalog.total = catalog.database.entries.size();
  for (const Winapp2Entry& e : catalog.database.entries) {
    if (!Winapp2Detected(e, catalog.facts)) continue;
    catalog.detected.push_back({&e, e.aggressive ? kWinapp3Group : Winapp2GroupName(e),
                                EntryReachesBrowserDatabase(e)});
  }
  return catalog;
}

std::set<std::string> LoadWinapp2Selection() {
  std::set<std::string> names;
  std::string text;
  if (!ReadWholeFile(Winapp2SelectionFilePath(), text)) return names;
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  for (const std::string& line : SplitLines(text))
    if (!Trim(line).empty()) names.insert(Trim(line));
  return names;
}

bool SaveWinapp2Selection(const std::vector<std::string>& names) {
  std::string text;
  for (const auto& n : names) text += n + "\r\n";
  return WriteWholeFile(Winapp2SelectionFilePath(), text);
}

void RunCommunityCleaners(ReportContext& ctx) {
  const std::set<std::string> ticked = LoadWinapp2Selection();
  if (ticked.empty()) {
    ctx.AddReportLine("    No community cleaner is ticked.");
    return;
  }
  const Winapp2Catalog catalog = LoadWinapp2Catalog();
  if (!catalog.problem.empty()) {
    ctx.AddReportLine(" -Error- Community Cleaners: " + catalog.problem);
    ctx.RaiseLevel(3);
    return;
  }
  for (const Winapp2Listed& listed : catalog.detected) {
    if (ctx.State().cancel) return;
    // A refused key of the entry says so in its own line; the rest of the entry runs.
    if (ticked.count(listed.entry->name)) CleanWinapp2Entry(ctx, *listed.entry, catalog.facts);
  }
}
