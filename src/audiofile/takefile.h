// The recorder's take data file, in one place: how take files are named, the
// fixed 65,536-byte header and where its fields lie, and the samples after
// it (one channel of 16-bit little-endian samples at 44,100 per second).
//
// Tracks 0-9 are "TRACK<t>_<k>.DAT"; tracks 10-15 drop the underscore to keep
// the name at 8 + 3 characters ("TRACK100.DAT" is track 10, take 0); master
// take n is the pair "TRACKL_<n>.DAT" and "TRACKR_<n>.DAT". Tracks and takes
// count from 0 here and from 1 on screen. Nothing reads a header back except
// the name at offset 1024.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tp {

class FileHandle;

constexpr int TrackCount = 16;
constexpr int TakesPerTrack = 10;
constexpr int MasterTakeCount = 10;

constexpr int64_t TakeHeaderSize = 65536;
constexpr int64_t TakeChannelIndexOffset = 512;
constexpr int64_t TakeTrackNumberOffset = 516;
constexpr int64_t TakeNameOffset = 1024;
// The scan reads the first 1,536 bytes; a shorter file is no take.
constexpr int64_t TakeMinimumFileSize = 1536;
// A file that ends inside the header is damaged (a copy cut short), though
// its name may still be read: it holds no samples and is shown as damaged.
constexpr bool TakeFileCutShort(int64_t fileSize) { return fileSize < TakeHeaderSize; }
constexpr uint32_t TakeSampleRate = 44100;
constexpr int64_t TakeBytesPerSample = 2;
// Lengths are kept as signed 32-bit sample counts.
constexpr int64_t TakeMaximumSamples = INT32_MAX;

// TrackNumber values of the two files of a master take; import targets use
// the same numbers for them.
constexpr int MasterLeftTrackNumber = 16;
constexpr int MasterRightTrackNumber = 17;

enum class MasterSide { Left, Right };

std::string TakeFileName(int track, int take);
std::string MasterTakeFileName(MasterSide side, int masterTake);

// What a name found on disk stands for.
struct TakeFileId {
  enum Kind { Track, MasterLeft, MasterRight } kind;
  int track;  // 0-15 for Track, unused otherwise
  int take;   // 0-9
};

// Decodes a name matching "TRACK???.dat" (any letter case). Names that match
// the pattern but not the naming rule (a take or track character that is not
// a digit, a master take without its underscore) give nothing.
std::optional<TakeFileId> ParseTakeFileName(std::string_view fileName);

// Samples in a take file of `fileSize` bytes: (size - 65,536) / 2. A file
// shorter than its header holds no samples (0, never negative).
int32_t TakeLengthFromFileSize(int64_t fileSize);

// Byte offset of sample `frame`.
constexpr int64_t TakeSampleByteOffset(uint32_t frame) { return TakeHeaderSize + TakeBytesPerSample * int64_t(frame); }

// The header bytes as the recorder expects them.
std::vector<uint8_t> MakeTakeHeader(uint32_t channelIndex, uint32_t trackNumber,
                                    const std::array<uint8_t, 8>& name);

// Writes the header to a file just created and positioned at 0; afterwards
// the position is 65,536. Returns false when the bytes did not all reach the
// file.
bool WriteTakeHeader(std::FILE* file, uint32_t channelIndex, uint32_t trackNumber,
                     const std::array<uint8_t, 8>& name);
bool WriteTakeHeader(FileHandle& file, uint32_t channelIndex, uint32_t trackNumber,
                     const std::array<uint8_t, 8>& name);

}  // namespace tp
