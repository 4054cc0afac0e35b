#pragma once
#include <string>

#include "core/option_set.h"
#include "core/settings_changes.h"
#include "platform/profile_file.h"

// Reading and writing the sections of Quorvane.ini. Every read swallows failures and yields the
// defaults. The writes gather their keys into a set of changes, which its caller commits once
// (a write that fails is lost silently).
ProfileFile SettingsFile();

OptionSet ReadOptionSet(const ProfileFile& file, const std::string& section);
void WriteOptionSet(SettingsChanges& changes, const std::string& section, const OptionSet& set);

DisplayPolicy ReadDisplayPolicy(const ProfileFile& file, const std::string& section);
// ShutType is written only for "ShutOptions".
void WriteDisplayPolicy(SettingsChanges& changes, const std::string& section,
                        const DisplayPolicy& p);

ShredSettings ReadShredSettings(const ProfileFile& file);
void WriteShredSettings(SettingsChanges& changes, const ShredSettings& s);

TempFolderSelection ReadTempFolders(const ProfileFile& file);
void WriteTempFolders(SettingsChanges& changes, const TempFolderSelection& t);

MessageChoices ReadMessageChoices(const ProfileFile& file);
void WriteMessageChoices(SettingsChanges& changes, const MessageChoices& m);

// "Keep a log of runs" on the General page: "LogOption"/"RunLogOpt", on unless stored as 0.
bool ReadRunLogOption(const ProfileFile& file);
void WriteRunLogOption(SettingsChanges& changes, bool keep);
// "Log each item" beside it: "LogOption"/"LogItemsOpt", off unless stored as 1.
bool ReadLogEachItemOption(const ProfileFile& file);
void WriteLogEachItemOption(SettingsChanges& changes, bool logItems);

FontSettings ReadFonts(const ProfileFile& file);
void WriteFonts(SettingsChanges& changes, const FontSettings& f);

// The process-wide values that live in memory between load and save.
struct GlobalSettings {
  ShredSettings shred;
  MessageChoices messages;
  FontSettings fonts;
  bool keepRunLog = true;
  bool logEachItem = false;
};
GlobalSettings& Globals();
