#include "plugins/plugin_statement.h"

#include <gtest/gtest.h>

#include <map>

namespace {
using Lines = std::vector<std::string>;

TEST(PluginStatementTest, ShortLinesAndUnknownWordsAreComments) {
  EXPECT_EQ(ParsePluginStatement("DELFILE=").kind, 'T');
  EXPECT_EQ(ParsePluginStatement("DELFILE=C").kind, 'T');  // nine characters
  EXPECT_EQ(ParsePluginStatement("DELFILE=C:").kind, 'F');
  EXPECT_EQ(ParsePluginStatement("DELFILES=C:\\X").kind, 'T');
  EXPECT_EQ(ParsePluginStatement("; DELFILE=C:\\X").kind, 'T');
  EXPECT_EQ(ParsePluginStatement("").kind, 'T');
}

TEST(PluginStatementTest, FileCommandsSplitTheirPathAndIgnoreCase) {
  PluginStatement s = ParsePluginStatement("delfile=c:\\temp\\a.txt");
  EXPECT_EQ(s.kind, 'F');
  EXPECT_EQ(s.command, "DELFILE");
  EXPECT_EQ(s.path, "C:\\TEMP\\A.TXT");
  EXPECT_EQ(s.drive, "C:");
  EXPECT_EQ(s.folder, "C:\\TEMP");
  EXPECT_EQ(s.fileName, "A.TXT");

  s = ParsePluginStatement("DELFILE=C:\\A.TXT?ignored");
  EXPECT_EQ(s.folder, "C:\\");
  EXPECT_EQ(s.fileName, "A.TXT");
  EXPECT_EQ(JoinPluginPath(s.folder, s.fileName), "C:\\A.TXT");

  s = ParsePluginStatement("EXECUTE=C:\\TOOLS\\RUN.EXE /Q C:\\LOGS\\X?");
  EXPECT_EQ(JoinPluginPath(s.folder, s.fileName), "C:\\TOOLS\\RUN.EXE /Q C:\\LOGS\\X");

  s = ParsePluginStatement("DELFILE=\\\\SERVER\\SHARE\\DIR\\F.LOG");
  EXPECT_EQ(s.drive, "\\\\SERVER\\SHARE");
  EXPECT_EQ(s.folder, "\\\\SERVER\\SHARE\\DIR");
}

TEST(PluginStatementTest, TextAndElementOperandsLoseOneQuoteEachSide) {
  PluginStatement s = ParsePluginStatement("DELTEXT=C:\\A.INI['recent=']");
  EXPECT_EQ(s.path, "C:\\A.INI");
  EXPECT_EQ(s.text, "RECENT=");
  s = ParsePluginStatement("DELTEXT=C:\\A.INI[''X'']");
  EXPECT_EQ(s.text, "'X'");
  // No closing bracket: the text runs to the end of the line.
  s = ParsePluginStatement("DELTEXT=C:\\A.INI[FILE1=C:\\X]Y");
  EXPECT_EQ(s.text, "FILE1=C:\\X");
  s = ParsePluginStatement("DELTEXT=C:\\A.INI[NO CLOSE");
  EXPECT_EQ(s.text, "NO CLOSE");
  s = ParsePluginStatement("DELEXML=C:\\R.XML[RecentItem]");
  EXPECT_EQ(s.command, "DELEXML");
  EXPECT_EQ(s.text, "RECENTITEM");
}

TEST(PluginStatementTest, FolderTypesOutsideTheFiveAreInvalid) {
  PluginStatement s = ParsePluginStatement("DELFOLD=C:\\CACHE\\[*.HTM]PS?");
  EXPECT_FALSE(s.invalidType);
  EXPECT_EQ(s.path, "C:\\CACHE");
  EXPECT_EQ(s.filter, "*.HTM");
  EXPECT_EQ(s.folderType, "PS");
  for (const char* type : {"DS", "PS", "OD", "OR", "IS", "ds"})
    EXPECT_FALSE(ParsePluginStatement(std::string("DELFOLD=C:\\X[*.*]") + type).invalidType)
        << type;
  for (const char* line : {"DELFOLD=C:\\X[*.*]XX?", "DELFOLD=C:\\X[*.*]?", "DELFOLD=C:\\X[*.*]",
                           "DELFOLD=C:\\X[*.*]PSS?", "DELFOLD=C:\\X"})
    EXPECT_TRUE(ParsePluginStatement(line).invalidType) << line;
}

TEST(PluginStatementTest, RegistryCommandsAndMatchModes) {
  PluginStatement s = ParsePluginStatement("DEL1VAL=HKCU:Software\\Demo[LastFile]");
  EXPECT_EQ(s.kind, 'R');
  EXPECT_EQ(s.root, "HKCU");
  EXPECT_EQ(s.key, "SOFTWARE\\DEMO");
  EXPECT_EQ(s.value, "LASTFILE");
  EXPECT_EQ(s.matchMode, ' ');

  s = ParsePluginStatement("DELVALS=HKCU:SOFTWARE\\MRU[*]");
  EXPECT_TRUE(s.invalidType);  // the mode is empty
  s = ParsePluginStatement("DELVALS=HKCU:SOFTWARE\\MRU[*]A");
  EXPECT_FALSE(s.invalidType);
  EXPECT_EQ(s.matchMode, 'A');
  s = ParsePluginStatement("delkeys=hkcu:software\\mru['file']b?");
  EXPECT_EQ(s.pattern, "FILE");
  EXPECT_EQ(s.matchMode, 'B');
  EXPECT_TRUE(ParsePluginStatement("DELSKVS=HKCU:X[Y]D?").invalidType);
  EXPECT_TRUE(ParsePluginStatement("DELSKVS=HKCU:X[Y]AB?").invalidType);

  s = ParsePluginStatement("DEL1KEY=HKXX:SOFTWARE\\GONE?");
  EXPECT_EQ(s.root, "HKXX");
  EXPECT_EQ(s.key, "SOFTWARE\\GONE");

  EXPECT_TRUE(MatchesPluginPattern("ANYTHING", "*", 'A'));
  EXPECT_FALSE(MatchesPluginPattern("FILE1", "FILE", 'A'));
  EXPECT_TRUE(MatchesPluginPattern("FILE1", "FILE", 'B'));
  EXPECT_FALSE(MatchesPluginPattern("MYFILE1", "FILE", 'B'));
  EXPECT_TRUE(MatchesPluginPattern("MYFILE1", "FILE", 'C'));
  EXPECT_FALSE(MatchesPluginPattern("MYFIL", "FILE", 'C'));
}

TEST(PluginStatementTest, LevelsAndRotation) {
  EXPECT_TRUE(IsLevelLine("LEVEL=62"));
  EXPECT_FALSE(IsLevelLine(" LEVEL=62"));
  EXPECT_EQ(PluginLevelOf("LEVEL=62"), 62);
  EXPECT_EQ(PluginLevelOf("LEVEL=63"), 63);
  EXPECT_EQ(PluginLevelOf("LEVEL="), 0);
  EXPECT_EQ(PluginLevelOf("LEVEL=7A9"), 7);
  EXPECT_GT(PluginLevelOf("LEVEL=99999999999999999999999"), kPluginLevel);
  EXPECT_EQ(Rot13("Abc-XYZ[m]"), "Nop-KLM[z]");
  EXPECT_EQ(Rot13(Rot13("SOFTWARE\\Key 1")), "SOFTWARE\\Key 1");
}

TEST(PluginStatementTest, WildcardsMatchWithoutRegardToCase) {
  EXPECT_TRUE(PluginWildcardMatch("Profile.default", "*.DEFAULT"));
  EXPECT_TRUE(PluginWildcardMatch("ab", "a?"));
  EXPECT_FALSE(PluginWildcardMatch("abc", "a?"));
  EXPECT_TRUE(PluginWildcardMatch("x", "*"));
  EXPECT_FALSE(PluginWildcardMatch("xyz", "*q*"));
  EXPECT_TRUE(PluginWildcardMatch("aXbXc", "a*b*c"));
  EXPECT_TRUE(PluginWildcardMatch("x**", "*x*"));  // a "*" in a key name is still text
  EXPECT_EQ(SplitPluginPath("C:\\A\\*\\B"), (Lines{"C:", "A", "*", "B"}));
}

TEST(PluginStatementTest, StatementsReachOnlyWhatTheyName) {
  PluginPathFacts facts;
  facts.refusedFolders = {"C:\\WINDOWS", "C:\\USERS\\ME"};
  const std::pair<const char*, const char*> rows[] = {
      // A macro that found no value stays in the line: its path is no full path.
      {"DELFOLD=#APPDATA#\\CACHE[*.*]DS?", "names no full path"},
      {"DELFOLD=[*.*]DS?", "names no full path"},
      {"DELFILE=\\A.TXT?", "names no full path"},
      {"DELFILE=C:A.TXT?", "names no full path"},
      {"DELFOLD=\\\\.\\C:\\X[*.*]DS?", "names no full path"},
      {"DELFOLD=C:\\[*.*]DS?", "names a root folder"},
      {"DELFOLD=C:[*.*]DS?", "names a root folder"},
      {"DELFOLD=C:/[*.*]DS?", "names a root folder"},
      {"DELFOLD=C:\\\\\\[*.*]DS?", "names a root folder"},
      {"DELFOLD=C:\\ [*.*]DS?", "names a root folder"},
      {"DELFOLD=\\\\SRV\\SHARE\\[*.*]DS?", "names a root folder"},
      // Windows takes "/" as a separator too.
      {"DELFOLD=D:\\WORK\\X/..[*.*]DS?", "names a relative path"},
      {"DELFILE=D:\\WORK/../NOTES.TXT?", "names a relative path"},
      {"DELFOLD=C:\\X\\. [*.*]DS?", "names a relative path"},
      {"DELFOLD=D:\\*[*.*]DS?", "names every folder of a drive"},
      {"DELFOLD=D:/?ORK/CACHE[*.*]DS?", "names every folder of a drive"},
      {"DELFILE=D:\\*\\NOTES.TXT?", "names every folder of a drive"},
      {"DELFOLD=\\\\SRV\\SHARE\\*[*.*]DS?", "names every folder of a drive"},
      {"DELFOLD=C:/WINDOWS.[*.*]IS?", "names a folder no plugin may empty"},
      {"DELFOLD=C:\\USERS\\\\ME\\[*.TMP]PS?", "names a folder no plugin may empty"},
      {"DELFOLD=C:\\X[]DS?", "names no files"},
      {"DELFOLD=C:\\X[..\\*.*]DS?", "has a path in its filter"},
      {"DELFOLD=C:\\X[C:*.*]DS?", "has a path in its filter"},
      {"DELFILE=C:\\X\\?", "names no file"},
      {"DELFILE=C:\\X/?", "names no file"},
      {"DELTEXT=C:\\X\\A.INI[]", "names no text"},
      {"DELEXML=C:\\X\\A.XML['']", "names no text"},
      {"DELKEYS=HKCU:[*]A?", "names no registry key"},
      {"DEL1KEY=HKCU:\\?", "names no registry key"},
      {"DEL1KEY=HKCU:*?", "names every key of a hive"},
      {"DELVALS=HKCU:SOFTWARE\\SOMEKEY['']B?", "names no pattern"},
      {"DELVALS=HKCU:SOFTWARE\\SOMEKEY[]C?", "names no pattern"},
      {"DELKEYS=HKCU:SOFTWARE\\[*]A?", "names a key no plugin may empty"},
      {"DEL1KEY=HKLM:SYSTEM?", "names a key no plugin may empty"},
      {"DELSKVS=HKU:.DEFAULT\\SOFTWARE\\WOW6432NODE[*]A?", "names a key no plugin may empty"},
      {"DELFOLD=C:\\X\\[*.*]DS?", ""},
      {"DELFOLD=C:\\USERS\\ME\\X[*.*]DS?", ""},
      {"DELFOLD=C:\\X\\*[*.*]DS?", ""},
      {"DELFOLD=\\\\SRV\\SHARE\\CACHE[*.*]DS?", ""},
      {"DELFILE=C:\\PAGE.TMP?", ""},
      {"DEL1VAL=HKCU:SOFTWARE[X]", ""},
      {"DELKEYS=HKCU:SOFTWARE\\X[*]A?", ""},
      {"DELKEYS=HKCU:SOFTWARE\\*\\X[*]A?", ""},
      {"EXECUTE=NOTEPAD.EXE?", ""},
  };
  for (const auto& [line, why] : rows)
    EXPECT_EQ(PluginStatementProblem(ParsePluginStatement(line), facts), why) << line;

  // What may run carries the path Windows will use.
  PluginStatement s = ParsePluginStatement("DELFILE=C:/TEMP//SUB.\\A.TXT. ?");
  ASSERT_EQ(ResolvePluginStatement(s, facts), "");
  EXPECT_EQ(s.path, "C:\\TEMP\\SUB\\A.TXT");
  EXPECT_EQ(s.folder, "C:\\TEMP\\SUB");
  EXPECT_EQ(s.fileName, "A.TXT");
  s = ParsePluginStatement("DELFILE=C:\\X/Y?");
  facts.fullPath = [](const std::string& p) { return "C:\\OTHER\\" + p.substr(3); };
  ASSERT_EQ(ResolvePluginStatement(s, facts), "");
  EXPECT_EQ(s.path, "C:\\OTHER\\X\\Y");
  EXPECT_EQ(s.folder, "C:\\OTHER\\X");
  EXPECT_EQ(LexicalFullPath("\\\\SRV\\SHARE\\A\\..\\..\\..\\B"), "\\\\SRV\\SHARE\\B");
  EXPECT_EQ(LexicalFullPath("C:\\A\\...\\B. . "), "C:\\A\\...\\B");
  // Followed by separators, the last name is trimmed all the same: the full path is final.
  EXPECT_EQ(LexicalFullPath("D:\\WORK\\*../"), "D:\\WORK\\*");
  EXPECT_EQ(LexicalFullPath("C:\\A. \\\\"), "C:\\A");
}

TEST(PluginStatementTest, TraceLinesNameEveryFieldThatIsSet) {
  EXPECT_EQ(PluginTraceLines(ParsePluginStatement("DELFOLD=C:\\X[*.TMP]IS?")),
            (Lines{" debug - FoldOrReg = F", " debug - FoldVerb =   >>DELFOLD<<",
                   " debug - FoldDrive =  >>C:<<", " debug - FoldFolder = >>C:\\X<<",
                   " debug - FoldFilter = >>*.TMP<<", " debug - FoldType =   >>IS<<"}));
  EXPECT_EQ(PluginTraceLines(ParsePluginStatement("DEL1VAL=HKCU:K[V]")),
            (Lines{" debug - FoldOrReg = R", " debug - RegVerb =   >>DEL1VAL<<",
                   " debug - RegRoot =   >>HKCU<<", " debug - RegKey =    >>K<<",
                   " debug - RegValue =  >>V<<", " debug - RegType =   >> <<"}));
}

TEST(PluginStatementTest, ErrorTextsAreNineteenCharacters) {
  EXPECT_EQ(PluginErrorText(2, false), "  File Not Found - ");
  EXPECT_EQ(PluginErrorText(3, false), "  Path Not Found - ");
  EXPECT_EQ(PluginErrorText(145, false), "   Dir Not Empty - ");
  EXPECT_EQ(PluginErrorText(145, true), "  Ignore Dir Err - ");
  EXPECT_EQ(PluginErrorText(5, true), "   Ignore Denied - ");
  EXPECT_EQ(PluginErrorText(1224, false), "          Locked - ");
  EXPECT_EQ(PluginErrorText(33, true), "   Ignore Locked - ");
  EXPECT_EQ(PluginErrorText(2, true), "   Ignore Errors - ");
  EXPECT_EQ(PluginErrorText(87, false), " -Error-87 - " + std::string(6, ' '));
  EXPECT_EQ(PluginErrorText(1234567890, false), " -Error-1234567890 ");
  EXPECT_EQ(PluginErrorText(0, false), "         deleted - ");
}

PluginMacroSources FakeSystem(std::map<std::string, std::string> named,
                              std::map<std::string, std::string> registry) {
  PluginMacroSources s;
  s.named = [named](const std::string& n) -> std::optional<std::string> {
    auto it = named.find(n);
    if (it == named.end()) return std::nullopt;
    return it->second;
  };
  s.registryString = [registry](const std::string& root, const std::string& key,
                                const std::string& value) -> std::optional<std::string> {
    auto it = registry.find(root + ":" + key + "[" + value + "]");
    if (it == registry.end()) return std::nullopt;
    return it->second;
  };
  s.environment = [](const std::string& line) {
    std::string r = line;
    for (size_t at; (at = r.find("%TEMP%")) != std::string::npos;) r.replace(at, 6, "c:\\tmp");
    return r;
  };
  return s;
}

TEST(PluginStatementTest, MacrosExpandUntilNothingChanges) {
  const auto sys = FakeSystem({{"APPDATA", "C:\\Users\\Me\\AppData\\Roaming"},
                               {"USERSOFTWARE", "Software\\AppDataLow\\Software"}},
                              {{"HKCU:SOFTWARE\\APP[DIR]", "D:\\Data\\App"},
                               {"HKCU:SOFTWARE\\APP[NEXT]", "#APPDATA#\\Next"},
                               {"HKCU:SOFTWARE\\APP[EMPTY]", ""}});
  EXPECT_EQ(ExpandPluginMacrosWith("delfile=#appdata#\\x\\y.txt", sys),
            "DELFILE=C:\\USERS\\ME\\APPDATA\\ROAMING\\X\\Y.TXT");
  EXPECT_EQ(ExpandPluginMacrosWith("DELVALS=HKCU:#USERSOFTWARE#\\X[*]A", sys),
            "DELVALS=HKCU:SOFTWARE\\APPDATALOW\\SOFTWARE\\X[*]A");
  EXPECT_EQ(ExpandPluginMacrosWith("DELFILE=^HKCU:SOFTWARE\\APP[DIR]\\A.LOG", sys),
            "DELFILE=D:\\DATA\\APP\\A.LOG");
  // A value that holds a macro is expanded on the next pass.
  EXPECT_EQ(ExpandPluginMacrosWith("DELFILE=^HKCU:SOFTWARE\\APP[NEXT]\\A", sys),
            "DELFILE=C:\\USERS\\ME\\APPDATA\\ROAMING\\NEXT\\A");
  EXPECT_EQ(ExpandPluginMacrosWith("DELFILE=%temp%\\A", sys), "DELFILE=C:\\TMP\\A");
  // Missing and empty values, and unknown roots, leave the line as written.
  EXPECT_EQ(ExpandPluginMacrosWith("DELFILE=^HKCU:SOFTWARE\\APP[EMPTY]\\A", sys),
            "DELFILE=^HKCU:SOFTWARE\\APP[EMPTY]\\A");
  EXPECT_EQ(ExpandPluginMacrosWith("DELFILE=^HKXX:K[V]\\A", sys), "DELFILE=^HKXX:K[V]\\A");
  EXPECT_EQ(ExpandPluginMacrosWith("DELFILE=#PICTURES#\\A", sys), "DELFILE=#PICTURES#\\A");
  // Only the first "#" is looked at: a word that is no macro before #APPDATA# stops it.
  EXPECT_EQ(ExpandPluginMacrosWith("DELFILE=#NOPE#\\#APPDATA#\\A", sys),
            "DELFILE=#NOPE#\\#APPDATA#\\A");
  // The text after a macro is cut to 255 characters.
  const std::string tail(300, 'Z');
  EXPECT_EQ(ExpandPluginMacrosWith("X=#APPDATA#" + tail, sys),
            "X=C:\\USERS\\ME\\APPDATA\\ROAMING" + std::string(255, 'Z'));
}

TEST(PluginStatementTest, MacrosThatNameThemselvesEnd) {
  const auto sys = FakeSystem({{"USER", "#USER#X"}}, {{"HKCU:K[V]", "^HKCU:K[V]"}});
  // Each pass replaces the macro once more, and the passes stop after 32.
  EXPECT_EQ(ExpandPluginMacrosWith("DELFILE=C:\\#USER#", sys),
            "DELFILE=C:\\#USER#" + std::string(32, 'X'));
  EXPECT_EQ(ExpandPluginMacrosWith("DELFILE=C:\\^HKCU:K[V]", sys), "DELFILE=C:\\^HKCU:K[V]");
}

TEST(PluginStatementTest, TextLinesGoFromTheBottomUp) {
  Lines lines{"[Recent]", "File1=c:\\a.doc", "keep", "file2=C:\\B.DOC", "Other"};
  EXPECT_EQ(RemoveTextLines(lines, "FILE"), (Lines{"FILE2=C:\\B.DOC", "FILE1=C:\\A.DOC"}));
  EXPECT_EQ(lines, (Lines{"[Recent]", "keep", "Other"}));
  EXPECT_TRUE(RemoveTextLines(lines, "NOTHERE").empty());
}

TEST(PluginStatementTest, XmlElementsOnOneLineKeepTheTextAround) {
  Lines lines{"<list><item id=\"1\">a</item><other/></list>"};
  Lines removed;
  ASSERT_TRUE(RemoveFirstXmlElement(lines, "ITEM", removed));
  EXPECT_EQ(removed, (Lines{"<item id=\"1\">a</item>"}));
  EXPECT_EQ(lines, (Lines{"<list><other/></list>"}));
  removed.clear();
  EXPECT_TRUE(RemoveFirstXmlElement(lines, "OTHER", removed));
  EXPECT_EQ(lines, (Lines{"<list></list>"}));
  EXPECT_FALSE(RemoveFirstXmlElement(lines, "ITEM", removed));
}

TEST(PluginStatementTest, XmlElementsOverSeveralLinesGoWithTheirBlankLines) {
  Lines lines{"<recent>",  "  <file name=\"a\">", "    <path>c:\\a</path>",
              "  </file>", "  <file name='b' />", "  <files>keep</files>",
              "</recent>"};
  Lines removed;
  ASSERT_TRUE(RemoveFirstXmlElement(lines, "FILE", removed));
  EXPECT_EQ(removed, (Lines{"<file name=\"a\">", "    <path>c:\\a</path>", "  </file>"}));
  EXPECT_EQ(lines,
            (Lines{"<recent>", "  <file name='b' />", "  <files>keep</files>", "</recent>"}));
  removed.clear();
  ASSERT_TRUE(RemoveFirstXmlElement(lines, "FILE", removed));
  EXPECT_EQ(removed, (Lines{"<file name='b' />"}));
  EXPECT_EQ(lines, (Lines{"<recent>", "  <files>keep</files>", "</recent>"}));
  EXPECT_FALSE(RemoveFirstXmlElement(lines, "FILE", removed));
}

TEST(PluginStatementTest, XmlSlashInsideAnAttributeDefersTheEndToLaterLines) {
  Lines lines{"<a><item href=\"x/y\">t</item>", "<b/>", "</item>", "tail"};
  Lines removed;
  ASSERT_TRUE(RemoveFirstXmlElement(lines, "ITEM", removed));
  // The "/" in the attribute stops the look at the first line, so its close tag is not seen:
  // the element runs to the close tag on the third line.
  EXPECT_EQ(removed, (Lines{"<item href=\"x/y\">t</item>", "<b/>", "</item>"}));
  EXPECT_EQ(lines, (Lines{"<a>", "tail"}));
  // An element that never ends removes nothing.
  Lines open{"<item>", "no end"};
  EXPECT_FALSE(RemoveFirstXmlElement(open, "ITEM", removed));
  EXPECT_EQ(open.size(), 2u);
}

TEST(PluginStatementTest, ByteOrderMarksAreReadAsText) {
  // Stands in for the ANSI code page: ASCII only.
  const PluginToAnsi ascii = [](const std::u16string& w) -> std::optional<std::string> {
    std::string a;
    for (char16_t c : w) {
      if (c >= 0x80) return std::nullopt;
      a += static_cast<char>(c);
    }
    return a;
  };
  auto utf16 = [](std::string_view text, bool big) {
    std::string bytes = big ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) bytes += big ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
  };
  const struct {
    std::string bytes;
    Lines lines;
    bool refused;
  } cases[] = {
      {"DELFILE=C:\\A\r\nX", {"DELFILE=C:\\A", "X"}, false},
      {"\xEF\xBB\xBF"
       "DELFILE=C:\\A\r\n",
       {"DELFILE=C:\\A"},
       false},
      {utf16("DELFILE=C:\\A\r\nX", false), {"DELFILE=C:\\A", "X"}, false},
      {utf16("DELFILE=C:\\A", true), {"DELFILE=C:\\A"}, false},
      {"\xEF\xBB\xBF" + utf16("X", false), {"X"}, false},
      {"\xFF\xFE"
       "A\0\xE9\x4E",
       {},
       true},  // a character outside the code page
      {"\xFF\xFE"
       "A\0B",
       {},
       true},  // odd length
  };
  for (const auto& c : cases) {
    Lines lines{"old"};
    EXPECT_EQ(PluginFileLines(c.bytes, ascii, lines).empty(), !c.refused) << c.bytes;
    EXPECT_EQ(lines, c.lines) << c.bytes;
  }
}
}  // namespace
