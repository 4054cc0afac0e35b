#include "core/settings.h"

#include <map>

#include "core/folders.h"
#include "core/text_util.h"

namespace {
constexpr const char* kShred = "ShredOption";
constexpr const char* kTemp = "TempFolders";
constexpr const char* kShow = "ShowOption";
constexpr const char* kFonts = "Fonts";
constexpr const char* kLog = "LogOption";

FontSetting ReadFont(const ProfileFile& file, const std::string& prefix, const FontSetting& d) {
  return {file.ReadString(kFonts, prefix + "Name", d.name),
          file.ReadInt(kFonts, prefix + "Size", d.size),
          file.ReadInt(kFonts, prefix + "Style", d.style)};
}

void WriteFont(SettingsChanges& changes, const std::string& prefix, const FontSetting& f) {
  changes.Set(kFonts, prefix + "Name", f.name);
  changes.SetInt(kFonts, prefix + "Size", f.size);
  changes.SetInt(kFonts, prefix + "Style", f.style);
}
}  // namespace

ProfileFile SettingsFile() { return ProfileFile(Folders().settingsFile); }

GlobalSettings& Globals() {
  static GlobalSettings g;
  return g;
}

// The section is read at once: a plain "0" or "1", which is what this program writes, is taken
// as it stands; any other value, and a key not among the lines, is read as the system reads a
// number (quotes, signs, other forms), key by key.
OptionSet ReadOptionSet(const ProfileFile& file, const std::string& section) {
  std::map<std::string, std::string> lines;
  for (const auto& [key, value] : file.ReadSection(section))
    lines.emplace(LowerCase(key), value);  // the first of a key counts, as for the system
  OptionSet set;
  // A section without lines (none written yet, as on a first start) holds no key: every box is
  // off, as the system would read each of them.
  if (lines.empty()) return set;
  for (const auto& f : OptionFields()) {
    const auto it = lines.find(LowerCase(f.key));
    const bool plain = it != lines.end() && (it->second == "0" || it->second == "1");
    const int v = plain ? it->second[0] - '0' : file.ReadInt(section, f.key, 0);
    set[f.field] = f.isRadio ? (v == 1 ? 1 : 0) : (v != 0 ? 1 : 0);
  }
  return set;
}

void WriteOptionSet(SettingsChanges& changes, const std::string& section, const OptionSet& set) {
  for (const auto& f : OptionFields()) changes.SetInt(section, f.key, set[f.field]);
}

DisplayPolicy ReadDisplayPolicy(const ProfileFile& file, const std::string& section) {
  DisplayPolicy p;
  p.splashOpt = file.ReadInt(section, "SplashOpt", 0);
  p.mainWinOpt = file.ReadInt(section, "MainWinOpt", 0);
  if (section == "ShutOptions") p.shutType = file.ReadInt(section, "ShutType", 0);
  return p;
}

void WriteDisplayPolicy(SettingsChanges& changes, const std::string& section,
                        const DisplayPolicy& p) {
  changes.SetInt(section, "SplashOpt", p.splashOpt);
  changes.SetInt(section, "MainWinOpt", p.mainWinOpt);
  if (section == "ShutOptions") changes.SetInt(section, "ShutType", p.shutType);
}

ShredSettings ReadShredSettings(const ProfileFile& file) {
  ShredSettings s;
  s.thoroughness = file.ReadString(kShred, "Thoroughness", "0");
  s.repeats = ClampRepeats(file.ReadInt(kShred, "Repeats", 1));
  return s;
}

void WriteShredSettings(SettingsChanges& changes, const ShredSettings& s) {
  if (s.Method() == '0' || s.Method() == '1' || s.Method() == '2')
    changes.Set(kShred, "Thoroughness", std::string(1, s.Method()));
  changes.SetInt(kShred, "Repeats", ClampRepeats(s.repeats));
}

TempFolderSelection ReadTempFolders(const ProfileFile& file) {
  TempFolderSelection t;
  t.tmpDir = file.ReadBool(kTemp, "TmpDir", false);
  t.dosDir = file.ReadBool(kTemp, "DosDir", false);
  t.winDir = file.ReadBool(kTemp, "WinDir", false);
  t.volDir = file.ReadBool(kTemp, "VolDir", false);
  t.ageTemp = file.ReadBool(kTemp, "AgeTemp", true);
  t.ageHours = file.ReadString(kTemp, "AgeHours", "8");
  if (!t.tmpDir && !t.dosDir && !t.winDir && !t.volDir) t.tmpDir = true;
  t.ageHours = NormalizeAgeHours(t.ageHours);
  return t;
}

void WriteTempFolders(SettingsChanges& changes, const TempFolderSelection& t) {
  changes.SetBool(kTemp, "TmpDir", t.tmpDir);
  changes.SetBool(kTemp, "DosDir", t.dosDir);
  changes.SetBool(kTemp, "WinDir", t.winDir);
  changes.SetBool(kTemp, "VolDir", t.volDir);
  changes.Set(kTemp, "AgeHours", t.ageHours);
  changes.SetBool(kTemp, "AgeTemp", t.ageTemp);
}

MessageChoices ReadMessageChoices(const ProfileFile& file) {
  MessageChoices m;
  m.cookieMsgOpt = file.ReadString(kShow, "CookieMsgOpt", "N");
  m.ffCookieMsgOpt = file.ReadString(kShow, "FFcookieMsgOpt", "N");
  m.quickStartOpt = file.ReadString(kShow, "QuickStartOpt", "S");
  m.win8WarningOpt = file.ReadString(kShow, "Win8WarningOpt", "S");
  return m;
}

void WriteMessageChoices(SettingsChanges& changes, const MessageChoices& m) {
  changes.Set(kShow, "CookieMsgOpt", m.cookieMsgOpt);
  changes.Set(kShow, "FFcookieMsgOpt", m.ffCookieMsgOpt);
  changes.Set(kShow, "QuickStartOpt", m.quickStartOpt);
  changes.Set(kShow, "Win8WarningOpt", m.win8WarningOpt);
}

bool ReadRunLogOption(const ProfileFile& file) { return file.ReadBool(kLog, "RunLogOpt", true); }

void WriteRunLogOption(SettingsChanges& changes, bool keep) {
  changes.SetBool(kLog, "RunLogOpt", keep);
}

bool ReadLogEachItemOption(const ProfileFile& file) {
  return file.ReadBool(kLog, "LogItemsOpt", false);
}

void WriteLogEachItemOption(SettingsChanges& changes, bool logItems) {
  changes.SetBool(kLog, "LogItemsOpt", logItems);
}

FontSettings ReadFonts(const ProfileFile& file) {
  FontSettings d;
  return {ReadFont(file, "Main0", d.main), ReadFont(file, "Prot1", d.cookies)};
}

void WriteFonts(SettingsChanges& changes, const FontSettings& f) {
  WriteFont(changes, "Main0", f.main);
  WriteFont(changes, "Prot1", f.cookies);
}
