#include <gtest/gtest.h>

#include "app/message_box.h"

// No test may wait on a box: an unexpected one fails the test that raised it.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  SetMessageBoxAnswerer([](const MessageBoxRequest& r) {
    ADD_FAILURE() << "unexpected message box: " << r.caption << ": " << r.text;
    return MessageAnswer::Ok;
  });
  return RUN_ALL_TESTS();
}
