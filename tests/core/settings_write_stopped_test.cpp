// A run ended while it writes its settings, as a kill ends it: the file stays whole, and the next
// start finds the user's options.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/folders.h"
#include "core/settings.h"
#include "core/settings_backup.h"
#include "core/window_placement.h"
#include "platform/files.h"
#include "support/child_process.h"
#include "support/test_support.h"

namespace {
std::string Env(const char* name) {
  char buf[MAX_PATH] = {};
  GetEnvironmentVariableA(name, buf, sizeof buf);
  return buf;
}

// As the demo writes it: options, and no "Positions", "ShowOption" or "Fonts".
constexpr const char* kUsersFile = "[PnowOptions]\r\nClipBoardOption=1\r\nSplashOpt=1\r\n";
}  // namespace

// Run only as a child of the test below: in the data folder QV_SETTINGS_FOLDER, makes the write
// QV_SETTINGS_WRITE names and ends itself at the step QV_SETTINGS_STOP numbers.
TEST(DISABLED_SettingsWriteInFreshProcess, StopsAtTheStep) {
  AppFolders& f = MutableFolders();
  f.dataFolder = Env("QV_SETTINGS_FOLDER");
  f.settingsFile = f.dataFolder + "\\Quorvane.ini";
  const int stop = std::stoi(Env("QV_SETTINGS_STOP"));
  SetSettingsWriteObserver([stop](SettingsWriteStep step) {
    if (static_cast<int>(step) == stop) TerminateProcess(GetCurrentProcess(), 3);
  });
  const std::string write = Env("QV_SETTINGS_WRITE");
  if (write == "unattended close") {
    SaveUnmadeMainWindowPosition();
  } else if (write == "Save Options") {
    OptionSet set;
    set[OptionField::ClipBoard] = set[OptionField::RecycleBin] = 1;
    SettingsChanges changes;
    WriteOptionSet(changes, "PnowOptions", set);
    changes.Commit();
  } else {
    WriteCookieFormLayout({{90, 90, 90, 90}, {80, 80, 80}, 120});
  }
}

TEST(SettingsWriteStopped, TheFileIsOldOrNewAndNeverLost) {
  struct Case {
    const char* write;
    SettingsWriteStep step;
    const char* newLine;
  };
  using S = SettingsWriteStep;
  const Case cases[] = {{"unattended close", S::FileDue, "FFoxForm="},
                        {"unattended close", S::FileReplaced, "FFoxForm="},
                        {"Save Options", S::FileReplaced, "RecycleBinOption=1"},
                        {"cookie window", S::FileReplaced, "LV2Ht=120"}};
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.write) + " stopped at " + std::to_string(int(c.step)));
    ScopedDataFolder data;
    WriteFileText(data.SettingsPath(), kUsersFile);
    SetEnvironmentVariableA("QV_SETTINGS_FOLDER", data.Path().c_str());
    SetEnvironmentVariableA("QV_SETTINGS_WRITE", c.write);
    SetEnvironmentVariableA("QV_SETTINGS_STOP", std::to_string(int(c.step)).c_str());
    {
      ChildProcess child(exe,
                         "--gtest_also_run_disabled_tests "
                         "--gtest_filter=DISABLED_SettingsWriteInFreshProcess.*");
      ASSERT_TRUE(child.WaitForExit(60000));
      EXPECT_EQ(child.ExitCode(), 3u) << "not stopped at the step";
    }
    const std::string text = data.SettingsText();
    if (c.step == S::FileDue)
      EXPECT_EQ(text, kUsersFile);
    else
      EXPECT_NE(text.find(c.newLine), std::string::npos) << text;
    // What the next start does first; the copy then follows the file.
    RecoverSettingsFile();
    EXPECT_EQ(ReadOptionSet(SettingsFile(), "PnowOptions")[OptionField::ClipBoard], 1);
    EXPECT_EQ(ReadFileText(SettingsCopyPath(data.SettingsPath())), data.SettingsText());
  }
  for (const char* name : {"QV_SETTINGS_FOLDER", "QV_SETTINGS_WRITE", "QV_SETTINGS_STOP"})
    SetEnvironmentVariableA(name, nullptr);
}
