#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "files/shred_patterns.h"

TEST(ShredPatternBytes, RandomBytesCoverZeroTo254AndNever255) {
  const std::vector<uint8_t> bytes = RandomPatternBytes(64 * 1024);
  ASSERT_EQ(bytes.size(), 64u * 1024);
  std::set<int> seen(bytes.begin(), bytes.end());
  EXPECT_EQ(seen.count(255), 0u);
  EXPECT_EQ(seen.size(), 255u) << "every value from 0 to 254 should turn up in 64 KiB";
  EXPECT_NE(RandomPatternBytes(4096), RandomPatternBytes(4096)) << "each set is freshly seeded";
}

TEST(ShredPatternBytes, ComplementAndIndependentSecondPattern) {
  ShredPatterns p;
  p.MakeRandom(4096);
  const auto& r1 = p.Block(ShredPattern::R1);
  const auto& r1c = p.Block(ShredPattern::R1C);
  const auto& r2 = p.Block(ShredPattern::R2);
  ASSERT_EQ(r1.size(), 4096u);
  ASSERT_EQ(r1c.size(), 4096u);
  ASSERT_EQ(r2.size(), 4096u);
  for (size_t i = 0; i < r1.size(); ++i) ASSERT_EQ(r1c[i], uint8_t(~r1[i])) << "at " << i;
  EXPECT_NE(r1, r2);
  for (uint8_t b : r2) ASSERT_NE(b, 255);

  const std::vector<uint8_t> first = r1;
  p.MakeRandom(4096);
  EXPECT_NE(p.Block(ShredPattern::R1), first) << "a new set replaces the old one";
}

TEST(ShredPatternBytes, ZeroPatternFollowsTheBlockLength) {
  ShredPatterns p;
  p.MakeZero(512);
  EXPECT_EQ(p.Block(ShredPattern::Zero), std::vector<uint8_t>(512, 0));
  p.MakeZero(8192);
  EXPECT_EQ(p.Block(ShredPattern::Zero), std::vector<uint8_t>(8192, 0));
}

TEST(ShredPatternBytes, RepeatedBlockIsTheBlockEndToEnd) {
  const std::vector<uint8_t> block{1, 2, 3};
  EXPECT_EQ(RepeatBlock(block, 3), (std::vector<uint8_t>{1, 2, 3, 1, 2, 3, 1, 2, 3}));
  EXPECT_TRUE(RepeatBlock(block, 0).empty());
}

namespace {
// Walks `passes` passes from R1 the way an overwrite does: the pattern of each pass, and
// whether fresh random patterns were made after it.
std::vector<std::pair<ShredPattern, bool>> Walk(int passes, ShredPattern first) {
  std::vector<std::pair<ShredPattern, bool>> out;
  ShredPattern p = first;
  for (int i = 0; i < passes; ++i) {
    out.push_back({p, RenewPatternsAfter(p, passes - i - 1)});
    p = NextShredPattern(p);
  }
  return out;
}
}  // namespace

TEST(ShredPassOrder, ThoroughPassesCycleAndRenewOnlyWithTwoPassesLeft) {
  using P = ShredPattern;
  using Steps = std::vector<std::pair<ShredPattern, bool>>;
  EXPECT_EQ(Walk(1, P::R1), (Steps{{P::R1, false}}));
  EXPECT_EQ(Walk(3, P::R1), (Steps{{P::R1, false}, {P::R1C, false}, {P::R2, false}}));
  // Four passes: one left after the R2 pass, so the fourth writes the first R1 again.
  EXPECT_EQ(Walk(4, P::R1),
            (Steps{{P::R1, false}, {P::R1C, false}, {P::R2, false}, {P::R1, false}}));
  EXPECT_EQ(Walk(5, P::R1), (Steps{{P::R1, false},
                                   {P::R1C, false},
                                   {P::R2, true},
                                   {P::R1, false},
                                   {P::R1C, false}}));
  EXPECT_EQ(Walk(7, P::R1)[5], std::make_pair(P::R2, false)) << "one pass left after the sixth";
  EXPECT_EQ(Walk(8, P::R1)[5], std::make_pair(P::R2, true)) << "two passes left after the sixth";
}

TEST(ShredPassOrder, ZeroStaysZero) {
  EXPECT_EQ(NextShredPattern(ShredPattern::Zero), ShredPattern::Zero);
  EXPECT_FALSE(RenewPatternsAfter(ShredPattern::Zero, 5));
}
