#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "classlib/core/random.h"

namespace {

TEST(Random, RepeatsFromASeedAndStaysInRange) {
  SetRandSeed(2026);
  std::vector<int> first;
  for (int i = 0; i < 50; ++i) first.push_back(Random(1000));
  SetRandSeed(2026);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(Random(1000), first[static_cast<size_t>(i)]);

  std::set<int> seen;
  for (int i = 0; i < 1000; ++i) {
    int r = Random(6);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 6);
    seen.insert(r);
    double d = Random();
    ASSERT_GE(d, 0.0);
    ASSERT_LT(d, 1.0);
  }
  EXPECT_EQ(seen.size(), 6u);  // every value comes up
  EXPECT_EQ(Random(0), 0);     // an empty range (a stage as wide as the screen) is no error
  EXPECT_EQ(Random(-5), 0);
  EXPECT_EQ(Random(1), 0);
  Randomize();
  EXPECT_LT(Random(10), 10);
}

}  // namespace
