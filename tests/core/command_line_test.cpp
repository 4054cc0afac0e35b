#include <gtest/gtest.h>

#include "core/command_line.h"
#include "core/os_flags.h"
#include "core/run_mode.h"

TEST(CommandLine, SplitsOnBlanksAndKeepsQuotedBlanks) {
  EXPECT_EQ(SplitCommandLine("  auto  \"data=my dir\" x"),
            (std::vector<std::string>{"auto", "data=my dir", "x"}));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST(CommandLine, SwitchesMatchWholeArgumentsIgnoringCase) {
  std::vector<std::string> args{"auto", "MULTX", "Pause=3", "pause=9", "data=mine"};
  EXPECT_TRUE(HasSwitch(args, "AUTO"));
  EXPECT_FALSE(HasSwitch(args, "MULT"));     // a longer argument is not the switch
  EXPECT_EQ(ValueOf(args, "Pause"), "3");    // the first wins
  EXPECT_EQ(ValueOf(args, "data"), "MINE");  // values arrive upper-cased
  EXPECT_EQ(ValueOf(args, "missing"), "");
}

TEST(RunMode, FirstOfAutoBootShutWins) {
  EXPECT_EQ(RunModeFromArgs({"SHUT", "AUTO"}), RunMode::PurgeNow);
  EXPECT_EQ(RunModeFromArgs({"shut", "boot"}), RunMode::Startup);
  EXPECT_EQ(RunModeFromArgs({"Shut"}), RunMode::Shutdown);
  EXPECT_EQ(RunModeFromArgs({"MULT"}), RunMode::Standard);
  EXPECT_STREQ(InfoOf(RunMode::PurgeNow).section, "PnowOptions");
  EXPECT_STREQ(InfoOf(RunMode::Shutdown).pageCaption, "  ShutDown Options  ");
}

TEST(RunMode, LevelAndErrorSwitches) {
  EXPECT_EQ(LevelThresholdFromArgs({"LEVEL9", "level3"}), 3);
  EXPECT_EQ(LevelThresholdFromArgs({"LEVEL8"}), 0);  // there is no LEVEL8
  EXPECT_EQ(LevelThresholdFromArgs({"LEVEL9"}), 9);
  EXPECT_EQ(ErrorSwitchLevelFromArgs({"ERROR9", "ERROR5"}), 5);
  EXPECT_EQ(ErrorSwitchLevelFromArgs({"ERROR3"}), 0);
}

TEST(RunMode, MainWindowDecisionAfterAutomaticPurge) {
  EXPECT_TRUE(ShouldShowMainWindow(0, false, 0, 0));
  EXPECT_FALSE(ShouldShowMainWindow(3, true, 9, 1));
  // Severe-only policy with a level 7 error: hidden, unless LEVEL5 lowers the bar.
  EXPECT_FALSE(ShouldShowMainWindow(2, true, 7, 0));
  EXPECT_TRUE(ShouldShowMainWindow(2, true, 7, 5));
  EXPECT_TRUE(ShouldShowMainWindow(2, true, 9, 0));
  // Any-error policy: ERROR1 alone shows it; a level without attention does not.
  EXPECT_TRUE(ShouldShowMainWindow(1, true, 1, 0));
  EXPECT_FALSE(ShouldShowMainWindow(1, false, 7, 0));
  EXPECT_FALSE(ShouldShowMainWindow(1, true, 0, 0));
}

TEST(RunMode, DisplayNameFollowsARenamedExecutable) {
  EXPECT_EQ(DisplayNameFor("QUORVANE.EXE"), "Quorvane");
  EXPECT_EQ(DisplayNameFor("Cleaner2.exe"), "Cleaner2.exe");
}

TEST(OsFlags, FromVersionAndSwitches) {
  auto flags = [](int major, int minor, std::vector<std::string> args = {}) {
    OsFlags f = ComputeOsFlags({true, major, minor, 0}, args);
    return std::string(f.vista ? "V" : "-") + (f.win7 ? "7" : "-") + (f.win8 ? "8" : "-");
  };
  EXPECT_EQ(flags(5, 1), "---");
  EXPECT_EQ(flags(6, 0), "V--");
  EXPECT_EQ(flags(6, 1), "V7-");
  EXPECT_EQ(flags(6, 3), "V78");
  EXPECT_EQ(flags(10, 0), "V78");
  EXPECT_EQ(flags(10, 0, {"PREVISTA", "TISWIN8"}), "---");
  EXPECT_EQ(flags(5, 1, {"TISWIN7"}), "-7-");
  EXPECT_EQ(ComputeOsFlags({false, 6, 1, 0}, {}).vista, false);
}

TEST(OsFlags, RegistryVersionReplacesTheReportedOne) {
  WindowsVersion reported{true, 6, 2, 9200};
  WindowsVersion v = ApplyRegistryVersion(reported, "6.3", "9600");
  EXPECT_EQ(v.major, 6);
  EXPECT_EQ(v.minor, 3);
  EXPECT_EQ(v.build, 9600);
  EXPECT_EQ(ApplyRegistryVersion(reported, "6.3", "x").build, 0);
  EXPECT_EQ(ApplyRegistryVersion(reported, ".3", "1").minor, 2);  // dot too early: kept
  EXPECT_EQ(ApplyRegistryVersion(reported, "63", "1").minor, 2);
}
