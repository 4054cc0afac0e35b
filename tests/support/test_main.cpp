#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/message_box.h"
#include "system/shutdown_action.h"

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
  return RUN_ALL_TESTS();
}
