#include <gtest/gtest.h>

#include "app/command_line.h"

TEST(Placeholder, Builds) {
  EXPECT_EQ(SplitCommandLine("  auto  \"data=my dir\" x"),
            (std::vector<std::string>{"auto", "data=my dir", "x"}));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
}
