#include <gtest/gtest.h>

#include "app/window_position.h"

TEST(WindowPosition, StoredValuesAgainstTheDesktop) {
  WindowBounds b = ResolveWindowBounds(ParseWindowPosition("0 5000 5000 400 600"), 1024, 768, 96);
  EXPECT_EQ(b.top, 0);
  EXPECT_EQ(b.left, 0);
  EXPECT_EQ(b.height, 400);
  EXPECT_EQ(b.width, 600);
  EXPECT_TRUE(ResolveWindowBounds(ParseWindowPosition("2"), 1024, 768, 96).maximised);
  b = ResolveWindowBounds(ParseWindowPosition("1 10 10 300 500"), 1024, 768, 96);
  EXPECT_FALSE(b.maximised);
  EXPECT_EQ(b.top, 10);
  EXPECT_EQ(b.left, 10);
  EXPECT_EQ(ParseWindowPosition("1 10 10 300 500").state, 0);  // minimised reopens normal
  b = ResolveWindowBounds(ParseWindowPosition("Default"), 1024, 768, 144);
  EXPECT_EQ(b.width, 930);
  EXPECT_EQ(b.height, 675);
  EXPECT_EQ(ResolveWindowBounds(ParseWindowPosition("0 1 2 x 4"), 1024, 768, 96).width, 620);
  WindowPlacementValue v = ParseWindowPosition("0 12 34 400 600");
  EXPECT_EQ(FormatWindowPosition(v), "0 12 34 400 600");
}
