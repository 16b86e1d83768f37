#include "audiofile/chunkwalk.h"

#include <algorithm>
#include <cstring>

#include "audiofile/byteorder.h"
#include "audiofile/bytestream.h"

namespace tp {

namespace {
constexpr int ChunkHeaderSize = 8;
constexpr int ChunkIdOffset = 0;
constexpr int ChunkSizeOffset = 4;
}  // namespace

bool Chunk::is(const char (&name)[5]) const { return std::memcmp(id, name, 4) == 0; }

ChunkWalk::ChunkWalk(ByteStream& stream, int64_t firstChunk, bool bigEndianSizes)
    : stream_(stream), position_(firstChunk), fileSize_(stream.size()), bigEndian_(bigEndianSizes) {}

bool ChunkWalk::next(Chunk& chunk) {
  if (finished_ || position_ + ChunkHeaderSize > fileSize_) return false;
  uint8_t header[ChunkHeaderSize];
  if (!stream_.seek(position_) || stream_.read(header, sizeof header) != sizeof header) {
    finished_ = true;
    return false;
  }
  std::memcpy(chunk.id, header + ChunkIdOffset, 4);
  chunk.size = bigEndian_ ? readU32BE(header + ChunkSizeOffset) : readU32LE(header + ChunkSizeOffset);
  chunk.bodyStart = position_ + ChunkHeaderSize;

  int64_t bodyEnd = chunk.bodyStart + int64_t(chunk.size);
  chunk.availableSize = std::min<int64_t>(chunk.size, fileSize_ - chunk.bodyStart);
  if (bodyEnd > fileSize_) {
    finished_ = true;
  } else {
    // Bodies of odd length are followed by one pad byte; the next chunk
    // starts on an even position.
    position_ = bodyEnd + (bodyEnd & 1);
  }
  return true;
}

}  // namespace tp
