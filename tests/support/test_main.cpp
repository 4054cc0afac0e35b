#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "cookie_window/cookie_form.h"
#include "core/message_box.h"
#include "core/modal.h"
#include "core/settings.h"
#include "core/settings_backup.h"
#include "files/temp_protect_list.h"
#include "system/shutdown_action.h"

namespace {
// What the program keeps while it runs (the cookie window's "Yes To All" answers and sort, a
// driver of modal windows, the temp protect list a test left loaded or unreadable, a settings
// recovery not yet reported) would carry from one test into the next, and make the result
// depend on their order: every test starts as a freshly started program does.
class FreshProcessState : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override {
    ForgetCookieFormProcessState();
    SetModalDriver(nullptr);
    TempProtectEntries().Clear();
    TempProtectEntries().modified = false;
    TempProtectEntries().unreadable = false;
    Globals().logEachItem = false;
    TakeSettingsRecoveryNote();
    SetSettingsWriteObserver(nullptr);
  }
};
}  // namespace

// No test may wait on a box: an unexpected one fails the test that raised it.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Under Wine a real log-off or shut-down ends every program of the prefix, this one included:
  // this process and every program it starts record their shutdown actions instead.
  if (!GetEnvironmentVariableA(kShutdownRecordVariable, nullptr, 0)) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    SetEnvironmentVariableA(kShutdownRecordVariable,
                            (std::string(temp) + "quorvane-shutdown-actions.txt").c_str());
  }
  SetMessageBoxAnswerer([](const MessageBoxRequest& r) {
    ADD_FAILURE() << "unexpected message box: " << r.caption << ": " << r.text;
    return MessageAnswer::Ok;
  });
  testing::UnitTest::GetInstance()->listeners().Append(new FreshProcessState);
  return RUN_ALL_TESTS();
}
