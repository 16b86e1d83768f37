#include "project/taketime.h"

#include <cstdio>


namespace tp {

namespace {
constexpr uint32_t SamplesPerHour = 158760000;  // 3600 x 44,100
constexpr uint32_t SamplesPerMinute = 2646000;  // 60 x 44,100

}  // namespace

std::string FormatTakeTime(uint32_t samples) {
  const uint32_t hours = samples / SamplesPerHour;
  const uint32_t inHour = samples % SamplesPerHour;
  const uint32_t minutes = inHour / SamplesPerMinute;
  const uint32_t inMinute = inHour % SamplesPerMinute;
  const uint32_t seconds = inMinute / TakeSampleRate;
  const uint32_t milliseconds = uint32_t(uint64_t(inMinute % TakeSampleRate) * 1000 / TakeSampleRate);
  char text[48];
  std::snprintf(text, sizeof text, "%1u:%02u:%02u:%03u", hours, minutes, seconds, milliseconds);
  return text;
}

std::string FormatPlayTime(uint32_t samples) {
  char text[40];
  std::snprintf(text, sizeof text, "%1u:%02u:%02u", samples / SamplesPerHour,
                (samples % SamplesPerHour) / SamplesPerMinute, (samples % SamplesPerMinute) / TakeSampleRate);
  return text;
}

}  // namespace tp
