// The community cleaners as the program runs them, for scripts/bench/winapp2.sh.
//   winapp2_bench setup DATA PROBES DIRCMD: makes 200 entries of DATA\Winapp2.ini present on
//     this system (each one's first DetectFile path, or its first Detect key), fills their
//     FileKey folders with files their masks take and ticks them (DATA\Winapp2.sel); writes
//     every entry's detection probes to PROBES (for winapp2_probe) and a "dir /b" line per
//     filled folder to DIRCMD ("dir /s /b" where a key walks down it). The 200 are chosen evenly through the file among the entries
//     that were not present and that run whole here.
//   winapp2_bench detect DATA: loads and detects the file, as the window does.
//   winapp2_bench preview DATA: the "Community Cleaners" box in a Preview with a Detail report.
// Each run mode prints on stderr what it found, its peak working set and, for preview, the
// share of the load; set-up failures exit non-zero.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "core/folders.h"
#include "core/report_context.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "winapp2/winapp2_catalog.h"
#include "winapp2/winapp2_clean.h"

namespace {
constexpr size_t kPresent = 200;
constexpr int kFilesPerFolder = 12;

double Seconds(const LARGE_INTEGER& from) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - from.QuadPart) / frequency.QuadPart;
}

double PeakMiB() {
  PROCESS_MEMORY_COUNTERS c{};
  c.cb = sizeof c;
  GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
  return c.PeakWorkingSetSize / 1048576.0;
}

// A path with its wildcards made concrete: what a program would have made there.
std::string Concrete(std::string path, const std::string& star) {
  std::string out;
  for (char c : path) out += c == '*' ? star : c == '?' ? std::string("a") : std::string(1, c);
  return out;
}

std::vector<std::string> Expanded(const std::string& written, const Winapp2Facts& facts) {
  const Winapp2Expansion e = ExpandWinapp2Path(written, facts.system);
  return e.problem.empty() ? e.paths : std::vector<std::string>{};
}

HKEY HiveOf(const std::string& hive) {
  if (hive == "HKCU") return HKEY_CURRENT_USER;
  if (hive == "HKLM") return HKEY_LOCAL_MACHINE;
  if (hive == "HKCR") return HKEY_CLASSES_ROOT;
  if (hive == "HKU") return HKEY_USERS;
  return hive == "HKCC" ? HKEY_CURRENT_CONFIG : nullptr;
}

// An entry whose keys all run here, so that a Preview of it does all its work.
bool RunsWhole(const Winapp2Entry& e, const Winapp2Facts& facts) {
  if (!e.specialDetects.empty() || !e.detectOS.empty() || e.fileKeys.empty()) return false;
  if (e.detects.empty() && e.detectFiles.empty()) return false;  // present everywhere
  if (EntryReachesBrowserDatabase(e) || !Winapp2EntryRefusal(e, facts).empty()) return false;
  for (const auto& k : e.fileKeys) {
    const std::vector<std::string> paths = Expanded(k.path, facts);
    if (paths.empty()) return false;
    for (const auto& p : paths)
      if (!Winapp2PatternProblem(p).empty()) return false;
  }
  for (const auto& f : e.detectFiles)
    if (Expanded(f, facts).empty()) return false;
  return true;
}

bool MakePresent(const Winapp2Entry& e, const Winapp2Facts& facts) {
  if (!e.detectFiles.empty()) {
    const std::string path = Concrete(Expanded(e.detectFiles[0], facts)[0], "Bench");
    // A key's folder may be the path itself: it is there already, made by Fill.
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const std::string name = ExtractFileName(path);
    if (name.find('.', 1) == std::string::npos) return ForceDirectories(path);
    return ForceDirectories(ExtractFilePath(path)) && WriteWholeFile(path, "bench");
  }
  std::string hive, rest;
  if (!SplitWinapp2Key(e.detects[0], hive, rest) || !HiveOf(hive)) return false;
  RegKey key;
  return key.Create(HiveOf(hive), rest) == ERROR_SUCCESS;
}

// Files each mask takes, in the key's folders (and one level down for RECURSE); the folders go
// to the reference's listing, marked when a key walks down them.
bool Fill(const Winapp2Entry& e, const Winapp2Facts& facts, std::map<std::string, bool>& folders) {
  for (const auto& k : e.fileKeys) {
    for (const auto& expanded : Expanded(k.path, facts)) {
      const std::string folder = Concrete(expanded, "Bench");
      std::vector<std::string> places = {folder};
      if (k.recurse) places.push_back(folder + "\\bench");
      for (const auto& place : places) {
        if (!ForceDirectories(place)) return false;
        for (int i = 0; i < kFilesPerFolder; ++i) {
          const std::string name = Concrete(k.masks[i % k.masks.size()], "bench" + std::to_string(i));
          if (name.find_first_of("\\/:\"<>|") != std::string::npos) continue;
          if (!FileExists(place + "\\" + name) && !WriteWholeFile(place + "\\" + name, "bench"))
            return false;
        }
      }
      folders[folder] = folders[folder] || k.recurse;
    }
  }
  return true;
}

int Setup(const std::string& probesPath, const std::string& dirPath) {
  std::string bytes;
  if (!ReadWholeFile(Winapp2FilePath(), bytes)) return 3;
  const Winapp2Database db = ParseWinapp2(bytes);
  const Winapp2Facts facts = ReadWinapp2Facts();
  std::vector<const Winapp2Entry*> candidates;
  for (const auto& e : db.entries)
    if (RunsWhole(e, facts) && !Winapp2Detected(e, facts)) candidates.push_back(&e);
  if (candidates.size() < kPresent) return 4;
  std::vector<std::string> names;
  std::map<std::string, bool> folders;
  for (size_t i = 0; i < kPresent; ++i) {
    const Winapp2Entry& e = *candidates[i * candidates.size() / kPresent];
    if (!Fill(e, facts, folders) || !MakePresent(e, facts) || !Winapp2Detected(e, facts)) {
      std::fprintf(stderr, "winapp2_bench: could not make \"%s\" present\n", e.name.c_str());
      return 5;
    }
    names.push_back(e.name);
  }
  // Every entry's probes, in file order: "E" starts an entry, "R key" and "F path" follow.
  std::string probes;
  for (const auto& e : db.entries) {
    probes += e.specialDetects.empty() && e.detectOS.empty() ? "E\n" : "S\n";
    for (const auto& d : e.detects) probes += "R " + d + "\n";
    for (const auto& f : e.detectFiles)
      for (const auto& p : Expanded(f, facts)) probes += "F " + p + "\n";
  }
  std::string dir = "@echo off\r\n";
  // A key without RECURSE reads its folder alone; "/s" would walk a profile or the Windows
  // folder that such a key names for a few files.
  for (const auto& [f, recurse] : folders)
    dir += std::string(recurse ? "dir /s /b" : "dir /b") + " \"" + f + "\"\r\n";
  if (!SaveWinapp2Selection(names) || !WriteWholeFile(probesPath, probes) ||
      !WriteWholeFile(dirPath, dir))
    return 6;
  std::fprintf(stderr, "winapp2_bench: %zu of %zu candidates present, %zu folders filled\n",
               names.size(), candidates.size(), folders.size());
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: winapp2_bench setup|detect|preview DATA [PROBES DIRCMD]\n");
    return 2;
  }
  const std::string mode = argv[1];
  AppFolders& folders = MutableFolders();
  folders.dataFolder = argv[2];
  folders.settingsFile = folders.dataFolder + "\\Quorvane.ini";
  if (mode == "setup") return argc < 5 ? 2 : Setup(argv[3], argv[4]);
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (mode == "detect") {
    const Winapp2Catalog catalog = LoadWinapp2Catalog();
    std::fprintf(stderr, "winapp2_bench: %zu of %zu entries detected in %.3f s, peak %.1f MiB\n",
                 catalog.detected.size(), catalog.total, Seconds(start), PeakMiB());
    return catalog.problem.empty() && catalog.detected.size() >= kPresent ? 0 : 1;
  }
  if (mode == "preview") {
    RunState state;
    state.preview = true;
    state.detail = true;
    CountingReportView view;
    ReportContext ctx(state, view);
    RunCommunityCleaners(ctx);
    std::fprintf(stderr, "winapp2_bench: preview of %zu lines in %.3f s, peak %.1f MiB\n",
                 view.lines, Seconds(start), PeakMiB());
    return view.lines > kPresent ? 0 : 1;
  }
  return 2;
}
