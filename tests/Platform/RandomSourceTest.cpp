#include <gtest/gtest.h>

#include "Platform/RandomSource.hpp"

using namespace ekyc;

TEST(RandomSource, SystemSourceGivesFreshBytes) {
  auto system = RandomSource::system();
  const auto a = system->randomBytes(32);
  const auto b = system->randomBytes(32);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->size(), 32u);
  EXPECT_NE(*a, *b);
  EXPECT_EQ(system->randomBytes(0), Bytes{});
}
