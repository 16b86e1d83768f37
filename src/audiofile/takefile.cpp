#include "audiofile/takefile.h"

#include <algorithm>
#include <cstring>

#include "audiofile/byteorder.h"

namespace tp {

namespace {
// Offset 0: the signature, padded with zeros to 16 bytes.
constexpr char Signature[] = "BRIX1D4ZZ6AUD";
// Offset 16: "000000000001TOOL".
constexpr char ToolTag[] = "000000000001TOOL";
constexpr size_t ToolTagOffset = 16;
}  // namespace

std::vector<uint8_t> MakeTakeHeader(uint32_t channelIndex, uint32_t trackNumber,
                                    const std::array<uint8_t, 8>& name) {
  std::vector<uint8_t> header(TakeHeaderBytes, 0);
  std::memcpy(header.data(), Signature, sizeof Signature - 1);
  std::memcpy(header.data() + ToolTagOffset, ToolTag, sizeof ToolTag - 1);
  writeU32LE(header.data() + TakeChannelIndexOffset, channelIndex);
  writeU32LE(header.data() + TakeTrackNumberOffset, trackNumber);
  // The third field (offset 520) stays zero.
  std::copy(name.begin(), name.end(), header.begin() + TakeNameFieldOffset);
  return header;
}

bool WriteTakeHeader(std::FILE* file, uint32_t channelIndex, uint32_t trackNumber,
                     const std::array<uint8_t, 8>& name) {
  const std::vector<uint8_t> header = MakeTakeHeader(channelIndex, trackNumber, name);
  return std::fwrite(header.data(), 1, header.size(), file) == header.size();
}

}  // namespace tp
