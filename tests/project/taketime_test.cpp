#include "project/taketime.h"

#include <gtest/gtest.h>

namespace tp {
namespace {

TEST(FormatTakeTime, ShowsHoursMinutesSecondsAndMilliseconds) {
  struct Case { uint32_t samples; const char* text; } cases[] = {
      {0, "0:00:00:000"},         {44100, "0:00:01:000"},     {66150, "0:00:01:500"},
      {158760000, "1:00:00:000"}, {2645999, "0:00:59:999"},   {2646000, "0:01:00:000"},
      {44099, "0:00:00:999"},     {1587600000, "10:00:00:000"}};
  for (const auto& c : cases) EXPECT_EQ(FormatTakeTime(c.samples), c.text) << c.samples;
  EXPECT_EQ(NoTime, "-:--:--:--");
}

TEST(FormatPlayTime, ShowsWholeSeconds) {
  EXPECT_EQ(FormatPlayTime(2690100), "0:01:01");
  EXPECT_EQ(FormatPlayTime(5292000), "0:02:00");
  EXPECT_EQ(FormatPlayTime(158760000), "1:00:00");
  EXPECT_EQ(FormatPlayTime(0), "0:00:00");
}

}  // namespace
}  // namespace tp
