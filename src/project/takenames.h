// Take data file names, the take length rule and the time texts.
//
// Tracks 0-9 are "TRACK<t>_<k>.DAT"; tracks 10-15 drop the underscore to keep
// the name at 8 + 3 characters ("TRACK100.DAT" is track 10, take 0); master
// take n is the pair "TRACKL_<n>.DAT" and "TRACKR_<n>.DAT". Tracks and takes
// count from 0 here and from 1 on screen.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tp {

constexpr int TrackCount = 16;
constexpr int TakesPerTrack = 10;
constexpr int MasterTakeCount = 10;

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
// a digit, so a take above 9 or a track above 15) give nothing.
std::optional<TakeFileId> ParseTakeFileName(std::string_view fileName);

// Every take file carries a 65,536-byte header before its 16-bit samples.
constexpr int64_t TakeHeaderSize = 65536;
// The scan reads the first 1,536 bytes; a shorter file is no take.
constexpr int64_t TakeMinimumFileSize = 1536;
constexpr int64_t TakeNameOffset = 1024;
constexpr uint32_t TakeSampleRate = 44100;

// Samples in a take file of `fileSize` bytes: (size - 65,536) / 2. A file
// shorter than its header holds no samples (0, never negative).
int32_t TakeLengthFromFileSize(int64_t fileSize);

// Byte offset of sample `frame`.
constexpr int64_t TakeSampleOffset(uint32_t frame) { return TakeHeaderSize + 2 * int64_t(frame); }

// "%1u:%02u:%02u:%03u" (hours, minutes, seconds, milliseconds) of a sample count.
std::string FormatTakeTime(uint32_t samples);
// "%1u:%02u:%02u" of a position, as the status bar shows it.
std::string FormatPlayTime(uint32_t samples);
inline constexpr std::string_view NoTime = "-:--:--:--";

}  // namespace tp
