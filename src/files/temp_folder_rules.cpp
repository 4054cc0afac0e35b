#include "files/temp_folder_rules.h"

#include "core/text_util.h"

bool IsSafeTempPath(std::string_view path, bool anyTemp) {
  if (path.size() < 4) return false;
  if (path.find(':') == std::string_view::npos || path.find('\\') == std::string_view::npos)
    return false;
  return anyTemp || EndsWith(path, "\\TEMP");
}

std::string NormalizeTempPath(std::string_view path) {
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return UpperCase(path);
}

void ClassifyTempCandidate(TempCandidate& c, bool exists, bool anyTemp) {
  c.drive = c.path.empty() || c.path[0] == '\\' ? 'C' : c.path[0];
  if (c.path.empty()) {
    c.status = kTempNotFound;
    c.shown = "... Not Found ...";
    c.reason = "... No Path Specified ...";
  } else if (!exists) {
    c.status = kTempNotFound;
    c.reason = "... Folder Not Found ...";
  } else if (!IsSafeTempPath(c.path, anyTemp)) {
    c.status = kTempUnsafe;
    c.reason = "... not safe to use - Folder name not \"temp\" ...";
  } else {
    c.status = kTempValid;
    c.reason.clear();
  }
}

void SettleWindowsTemp(TempCandidate& windowsTemp, TempCandidate& bootDisk, bool vista,
                       bool windowsTempListable,
                       const std::function<TempCandidate(const std::string&)>& validate) {
  if (windowsTemp.status == kTempValid) {
    bootDisk = validate(std::string(1, windowsTemp.drive) + ":\\temp");
  } else {
    bootDisk = TempCandidate{};
    bootDisk.status = kTempNotFound;
    bootDisk.shown = "... Path Not Found ...";
  }
  bootDisk.name = "BootDisk Temp";
  if (vista && windowsTemp.status == kTempValid && !windowsTempListable) {
    windowsTemp.status = kTempNotFound;
    windowsTemp.reason = "Only available to Admin with Elevated UAC";
    windowsTemp.enabled = false;
  }
}

std::string TempCandidateLabel(const TempCandidate& c) {
  std::string label = c.shown.empty() ? c.path : c.shown;
  if (!c.reason.empty()) label += "  [" + c.reason + "]";
  return label;
}

std::vector<SelectedTempFolder> SelectTempFolders(const std::array<TempCandidate, 4>& candidates,
                                                  const std::array<bool, 4>& selected,
                                                  const TempCandidate& fallback) {
  std::vector<SelectedTempFolder> out;
  for (size_t i = 0; i < candidates.size(); ++i) {
    const TempCandidate& c = candidates[i];
    if (!selected[i] || c.status != kTempValid) continue;
    bool taken = false;
    for (const auto& s : out) taken = taken || s.path == c.path;
    if (!taken) out.push_back({c.name, c.path});
  }
  if (out.empty() && fallback.status == kTempValid) out.push_back({"System Temp", fallback.path});
  return out;
}

TempDeleteResult TempDeleteError(unsigned long code, bool ignore) {
  switch (code) {
    case 0: return {"       deleted - "};
    case 2: return {"File not Found - ", 3};
    case 3: return {"Path not Found - ", 3};
    case 5:
      return ignore ? TempDeleteResult{" Ignore Denied - "}
                    : TempDeleteResult{" Access Denied - ", 3};
    case 32:
    case 33:
    case 1224:
      return ignore ? TempDeleteResult{" Ignore Locked - "}
                    : TempDeleteResult{"        Locked - ", 0, true};
    case 145: return {" Dir Not Empty - "};
    default: return {(" -Error-" + std::to_string(code) + std::string(10, ' ')).substr(0, 17), 3};
  }
}

int64_t WholeHoursBetween(uint64_t fileTime, uint64_t now) {
  constexpr uint64_t kHour = 36000000000ULL;  // 100-ns units
  // Truncated toward zero either way: a file from the future is "0 hours" old for its
  // first hour, like one from the past.
  if (now >= fileTime) return static_cast<int64_t>((now - fileTime) / kHour);
  return -static_cast<int64_t>((fileTime - now) / kHour);
}

bool OldEnough(uint64_t fileTime, uint64_t now, bool apply, bool filterOn, int hours) {
  if (!apply || !filterOn || fileTime == 0) return true;
  return WholeHoursBetween(fileTime, now) >= hours;
}
