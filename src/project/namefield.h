// Names on disk: exactly 8 single bytes, the project name in the project
// information file and the take name at offset 1024 of a take file. The bytes
// are kept as they are (a std::string of raw bytes); namecodec.h turns them
// into text for display.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tp {

constexpr size_t NameFieldWidth = 8;
using NameField = std::array<uint8_t, NameFieldWidth>;

// "%-8.8s": the first 8 bytes of the name, blank-padded on the right.
NameField EncodeNameField(std::string_view name);

// "%-7.7s" followed by `suffix` ('L' or 'R'): the halves of a stereo file
// split over two tracks.
NameField EncodeNameFieldWithSuffix(std::string_view name, char suffix);

// The bytes up to the first zero byte, at most 8; trailing blanks are kept.
std::string DecodeNameField(const uint8_t* field, size_t available = NameFieldWidth);

// The matrix caption: the decoded name padded with blanks to 8 bytes.
std::string PadName(std::string_view name);

}  // namespace tp
