#include "project/takenames.h"

#include <cstdio>

#include "project/folderfiles.h"

namespace tp {

namespace {
constexpr uint32_t SamplesPerHour = 158760000;  // 3600 x 44,100
constexpr uint32_t SamplesPerMinute = 2646000;  // 60 x 44,100

bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::string TakeFileName(int track, int take) {
  char name[32];
  if (track <= 9)
    std::snprintf(name, sizeof name, "TRACK%u_%u.DAT", unsigned(track), unsigned(take));
  else
    std::snprintf(name, sizeof name, "TRACK%u%u.DAT", unsigned(track), unsigned(take));
  return name;
}

std::string MasterTakeFileName(MasterSide side, int masterTake) {
  char name[32];
  std::snprintf(name, sizeof name, side == MasterSide::Left ? "TRACKL_%u.DAT" : "TRACKR_%u.DAT",
                unsigned(masterTake));
  return name;
}

std::optional<TakeFileId> ParseTakeFileName(std::string_view name) {
  // "TRACK???.dat": TRACK, exactly three characters, ".dat".
  if (name.size() != 12 || !SameNameIgnoringCase(name.substr(0, 5), "TRACK") ||
      !SameNameIgnoringCase(name.substr(8), ".dat"))
    return std::nullopt;
  const char p5 = name[5], p6 = name[6], p7 = name[7];
  if (!isDigit(p7)) return std::nullopt;
  const int take = p7 - '0';
  if (p5 == 'L' || p5 == 'l' || p5 == 'R' || p5 == 'r') {
    // The recorder writes an underscore between side and take; the side and
    // the take are what identify the file.
    const bool left = p5 == 'L' || p5 == 'l';
    return TakeFileId{left ? TakeFileId::MasterLeft : TakeFileId::MasterRight, 0, take};
  }
  if (p6 == '_') {
    if (!isDigit(p5)) return std::nullopt;
    return TakeFileId{TakeFileId::Track, p5 - '0', take};
  }
  // Tracks 10-15: "1" then the second digit of the track.
  if (p5 != '1' || !isDigit(p6) || p6 > '5') return std::nullopt;
  return TakeFileId{TakeFileId::Track, 10 + (p6 - '0'), take};
}

int32_t TakeLengthFromFileSize(int64_t fileSize) {
  if (fileSize <= TakeHeaderSize) return 0;
  const int64_t samples = (fileSize - TakeHeaderSize) / 2;
  return samples > INT32_MAX ? INT32_MAX : int32_t(samples);
}

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
