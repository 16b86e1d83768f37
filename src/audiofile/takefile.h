// The recorder's take data file: a fixed 65,536-byte header, then one channel
// of 16-bit little-endian samples at 44,100 per second. Nothing reads the
// header back except the name at offset 1024.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace tp {

constexpr size_t TakeHeaderBytes = 65536;
constexpr size_t TakeChannelIndexOffset = 512;
constexpr size_t TakeTrackNumberOffset = 516;
constexpr size_t TakeNameFieldOffset = 1024;

// TrackNumber values of the two files of a master take.
constexpr uint32_t MasterLeftTrackNumber = 16;
constexpr uint32_t MasterRightTrackNumber = 17;

// The header bytes as the recorder expects them.
std::vector<uint8_t> MakeTakeHeader(uint32_t channelIndex, uint32_t trackNumber,
                                    const std::array<uint8_t, 8>& name);

// Writes the header to a file just created and positioned at 0; afterwards
// the position is 65,536. Returns false when the bytes did not all reach the
// file.
bool WriteTakeHeader(std::FILE* file, uint32_t channelIndex, uint32_t trackNumber,
                     const std::array<uint8_t, 8>& name);

}  // namespace tp
