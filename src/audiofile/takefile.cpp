#include "audiofile/takefile.h"

#include <algorithm>
#include <cstring>

#include "audiofile/byteorder.h"
#include "storage/filehandle.h"

namespace tp {

namespace {
// Offset 0: the signature, padded with zeros to 16 bytes.
constexpr char Signature[] = "BRIX1D4ZZ6AUD";
// Offset 16: "000000000001TOOL".
constexpr char ToolTag[] = "000000000001TOOL";
constexpr size_t ToolTagOffset = 16;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool sameLettersIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}
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
  if (name.size() != 12 || !sameLettersIgnoringCase(name.substr(0, 5), "TRACK") ||
      !sameLettersIgnoringCase(name.substr(8), ".dat"))
    return std::nullopt;
  const char p5 = name[5], p6 = name[6], p7 = name[7];
  if (!isDigit(p7)) return std::nullopt;
  const int take = p7 - '0';
  if (p5 == 'L' || p5 == 'l' || p5 == 'R' || p5 == 'r') {
    // Only "TRACKL_n" and "TRACKR_n" are master takes: every other name is a
    // file that the export, the rename and the delete could not find again.
    if (p6 != '_') return std::nullopt;
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
  const int64_t samples = (fileSize - TakeHeaderSize) / TakeBytesPerSample;
  return samples > TakeMaximumSamples ? int32_t(TakeMaximumSamples) : int32_t(samples);
}

std::vector<uint8_t> MakeTakeHeader(uint32_t channelIndex, uint32_t trackNumber,
                                    const std::array<uint8_t, 8>& name) {
  std::vector<uint8_t> header(TakeHeaderSize, 0);
  std::memcpy(header.data(), Signature, sizeof Signature - 1);
  std::memcpy(header.data() + ToolTagOffset, ToolTag, sizeof ToolTag - 1);
  writeU32LE(header.data() + TakeChannelIndexOffset, channelIndex);
  writeU32LE(header.data() + TakeTrackNumberOffset, trackNumber);
  // The third field (offset 520) stays zero.
  std::copy(name.begin(), name.end(), header.begin() + TakeNameOffset);
  return header;
}

bool WriteTakeHeader(std::FILE* file, uint32_t channelIndex, uint32_t trackNumber,
                     const std::array<uint8_t, 8>& name) {
  const std::vector<uint8_t> header = MakeTakeHeader(channelIndex, trackNumber, name);
  return std::fwrite(header.data(), 1, header.size(), file) == header.size();
}

bool WriteTakeHeader(FileHandle& file, uint32_t channelIndex, uint32_t trackNumber,
                     const std::array<uint8_t, 8>& name) {
  const std::vector<uint8_t> header = MakeTakeHeader(channelIndex, trackNumber, name);
  return file.Write(header.data(), header.size());
}

}  // namespace tp
