#include <gtest/gtest.h>

#include <clocale>

#include "Platform/Clock.hpp"
#include "Platform/RandomSource.hpp"

using namespace ekyc;
using namespace std::chrono;

namespace {
Clock::TimePoint utc(int y, unsigned mo, unsigned d, int h, int mi, int s) {
  return sys_days{year{y} / mo / d} + hours(h) + minutes(mi) + seconds(s);
}
}  // namespace

TEST(Clock, FormatsTokyoTime) {
  const auto t = utc(2024, 3, 5, 0, 7, 30);
  EXPECT_EQ(Clock::formatTokyo(t, "yyyy/MM/dd"), "2024/03/05");
  EXPECT_EQ(Clock::formatTokyo(t, "HH:mm:ss"), "09:07:30");
  EXPECT_EQ(Clock::formatTokyo(t, "yyyy'年'M'月'd'日' 'T'HH''"), "2024年3月5日 T09'");
  // 15:30 UTC is already the next day in Tokyo, across a month and a leap day.
  EXPECT_EQ(Clock::formatTokyo(utc(2024, 2, 28, 15, 30, 0), "yyyy/MM/dd HH:mm:ss"), "2024/02/29 00:30:00");
  EXPECT_EQ(Clock::formatTokyo(utc(2023, 12, 31, 15, 0, 0), "yy/MM/dd HH"), "24/01/01 00");
  EXPECT_EQ(Clock::formatTokyo(utc(2024, 3, 5, 0, 7, 30) + milliseconds(42), "ss.SSS"), "30.042");
}

TEST(Clock, FormattingIgnoresTheLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous ? previous : "C";
  std::setlocale(LC_ALL, "C.UTF-8");
  EXPECT_EQ(Clock::formatTokyo(utc(2024, 3, 5, 0, 7, 30), "yyyy/MM/dd"), "2024/03/05");
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(RandomSource, SystemSourceGivesFreshBytes) {
  auto system = RandomSource::system();
  const auto a = system->randomBytes(32);
  const auto b = system->randomBytes(32);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->size(), 32u);
  EXPECT_NE(*a, *b);
  EXPECT_EQ(system->randomBytes(0), Bytes{});
}
