// Take lengths as the window shows them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "audiofile/takefile.h"

namespace tp {

// "%1u:%02u:%02u:%03u" (hours, minutes, seconds, milliseconds) of a sample count.
std::string FormatTakeTime(uint32_t samples);
// "%1u:%02u:%02u" of a position, as the status bar shows it.
std::string FormatPlayTime(uint32_t samples);
inline constexpr std::string_view NoTime = "-:--:--:--";

}  // namespace tp
