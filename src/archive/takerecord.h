// What an archive keeps of a take data file so that it can be rebuilt byte
// for byte: the samples go into an audio file any program opens, and the
// rest is recorded here: the exact size (a recorder may leave an odd byte
// after the last sample), the SHA-256, and the header's non-zero bytes. The
// recorder fills header fields this program never reads; keeping only the
// runs of non-zero bytes makes that a few lines instead of 64 KiB.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "storage/status.h"

namespace tp {

struct HeaderRun {
  int64_t offset = 0;
  std::vector<uint8_t> bytes;  // never empty, no zero byte
};

struct TakeFileRecord {
  std::string file;      // its name in the song folder
  int64_t size = 0;      // bytes
  std::string sha256;    // 64 hex digits; empty when unknown
  // False for an archive made without them: the header is then written anew
  // from track, take and name, and the file is not the original byte for byte.
  bool headerKnown = false;
  std::vector<HeaderRun> header;
  std::optional<uint8_t> tail;  // the byte after the last whole sample

  // Samples in the file: whole 16-bit values after the header.
  uint32_t Samples() const;
  // The header as the file held it: min(size, 65,536) bytes.
  std::vector<uint8_t> HeaderBytes() const;
};

// The runs of non-zero bytes of `bytes`, with their offsets.
std::vector<HeaderRun> NonZeroRuns(const uint8_t* bytes, size_t count);

// Reads the whole take file once through the file layer: size, SHA-256,
// header runs and tail byte. A read error fails with TakeNotRead naming it.
Status DescribeTakeFile(const std::filesystem::path& path, TakeFileRecord& record);

// Lowercase hexadecimal text of bytes, and back; false for text that is not
// an even number of hexadecimal digits.
std::string HexText(const uint8_t* bytes, size_t count);
bool BytesFromHex(const std::string& text, std::vector<uint8_t>& bytes);

}  // namespace tp
