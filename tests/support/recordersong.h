// A song folder as the recorder leaves one, for the archive tests: headers
// with bytes in fields this program never reads, an odd-sized take, a take
// of no samples, one shorter than its header, half-width katakana names,
// master takes whose two files differ in length, a lone master half,
// Songdata.ini and a file nobody knows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/tempfolder.h"

namespace tp::test {

// The recorder's header for a take: the fields the program writes, and
// bytes it never reads (a date, a level, the last byte of the header).
inline std::vector<uint8_t> RecorderHeader(const std::string& name8, uint32_t trackNumber, uint8_t stamp) {
  std::vector<uint8_t> header(65536, 0);
  const std::string signature = "BRIX1D4ZZ6AUD", tool = "000000000001TOOL";
  std::copy(signature.begin(), signature.end(), header.begin());
  std::copy(tool.begin(), tool.end(), header.begin() + 16);
  header[516] = uint8_t(trackNumber);
  header[600] = stamp;                              /* a field nobody reads */
  header[601] = 0x07, header[602] = 0xE2;           /* and its neighbours */
  std::copy(name8.begin(), name8.end(), header.begin() + 1024);
  header[40000] = 0x80;                             /* deep inside the header */
  header[65535] = stamp ^ 0xFF;                     /* its very last byte */
  return header;
}

// Samples that visit the whole 16-bit range, seeded so that every take
// differs: sample n is seed + 7919 n modulo 65536.
inline void AppendSamples(std::vector<uint8_t>& bytes, size_t count, uint32_t seed) {
  for (size_t n = 0; n < count; ++n) {
    const uint16_t value = uint16_t(seed + 7919u * uint32_t(n));
    bytes.push_back(uint8_t(value));
    bytes.push_back(uint8_t(value >> 8));
  }
}

inline std::vector<uint8_t> RecorderTake(const std::string& name8, uint32_t trackNumber, size_t samples,
                                         uint32_t seed, bool oddTail = false) {
  std::vector<uint8_t> bytes = RecorderHeader(name8, trackNumber, uint8_t(seed));
  AppendSamples(bytes, samples, seed);
  if (oddTail) bytes.push_back(0xA5);
  return bytes;
}

// The takes' lengths in samples, in the archive's blocks of 131,072 frames:
// Kick spans two, Vox three (its last one short), the master take two.
inline constexpr size_t KickSamples = 160000, VoxSamples = 280001;
inline constexpr size_t FinalLeftSamples = 200000, FinalRightSamples = 199999;

// Writes the song into `folder` (created) and returns the names written.
inline std::vector<std::string> WriteRecorderSong(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  struct File {
    std::string name;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> songData(512, 0);
  const std::string songName = "\xB1\xB2\xB3 Song";  // "ｱｲｳ Song" in half-width katakana
  std::copy(songName.begin(), songName.end(), songData.begin() + 233);
  songData[0] = 0x53, songData[300] = 0x01, songData[511] = 0xEE;
  std::vector<uint8_t> shortTake = RecorderHeader("Short   ", 3, 9);
  shortTake.resize(3000);  // longer than the 1,536 bytes the scan reads, shorter than a header
  const std::vector<File> files = {
      {"Songdata.ini", songData},
      {"TRACK0_0.DAT", RecorderTake("Kick    ", 0, KickSamples, 1, true)},
      {"TRACK1_0.DAT", RecorderTake("\xB6\xDE\xC0\xB0    ", 1, 0, 2)},  // "ｶﾞﾀｰ", no samples
      {"TRACK2_1.DAT", shortTake},
      {"TRACK153.DAT", RecorderTake("Vox     ", 15, VoxSamples, 4)},
      {"TRACKL_0.DAT", RecorderTake("Final   ", 16, FinalLeftSamples, 5)},
      {"TRACKR_0.DAT", RecorderTake("Final   ", 17, FinalRightSamples, 6, true)},
      {"TRACKL_1.DAT", RecorderTake("Alone   ", 16, 10, 7)},  // no right half: no master take
      {"mixnotes.bin", {0x00, 0xFF, 0x10, 0x00, 0x00, 0x42}},
  };
  std::vector<std::string> names;
  for (const File& file : files) {
    WriteBytes(folder / file.name, file.bytes);
    names.push_back(file.name);
  }
  return names;
}

}  // namespace tp::test
