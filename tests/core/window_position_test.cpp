#include <gtest/gtest.h>

#include "core/window_position.h"

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

// A damaged stored value near the int limits, and an absurd reported resolution: the window
// goes to the desktop's corner instead of wrapping around onto it, and the default size
// saturates instead of overflowing.
TEST(WindowPosition, ExtremeValuesDoNotOverflow) {
  WindowBounds b =
      ResolveWindowBounds(ParseWindowPosition("0 2147483000 100 2000 600"), 1024, 768, 96);
  EXPECT_EQ(b.top, 0);
  EXPECT_EQ(b.left, 0);
  EXPECT_EQ(b.height, 2000);
  b = ResolveWindowBounds(ParseWindowPosition("0 10 2147483647 400 1"), 1024, 768, 96);
  EXPECT_EQ(b.left, 0);
  b = ResolveWindowBounds(ParseWindowPosition("Default"), 1024, 768, 2147483647);
  EXPECT_EQ(b.width, 2147483647);
  EXPECT_EQ(b.height, 2147483647);
  b = ResolveWindowBounds(ParseWindowPosition("Default"), 1024, 768, 9600);
  EXPECT_EQ(b.width, 62000);
  EXPECT_EQ(b.height, 45000);
}
