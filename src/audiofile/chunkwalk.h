// Walks the chunks of a RIFF ("WAVE") or IFF ("AIFF") file: a 4-byte
// identifier, a 32-bit size, the body, and a pad byte after an odd body.
//
// Sizes are unsigned and computed in 64 bits, so every step moves forward
// by at least the 8 header bytes and the walk always ends. A chunk that
// claims to reach past the end of the file is still handed out, with its
// size clamped to the bytes that are there, and is the last one: whatever
// it claims to hold after that is not in the file.
#pragma once

#include <cstdint>

namespace tp {

class ByteStream;

struct Chunk {
  char id[4];
  uint32_t size = 0;           // as stored
  int64_t bodyStart = 0;       // position just after the 8-byte header
  int64_t availableSize = 0;   // min(size, bytes from bodyStart to the end of the file)

  bool is(const char (&name)[5]) const;
};

class ChunkWalk {
 public:
  ChunkWalk(ByteStream& stream, int64_t firstChunk, bool bigEndianSizes);

  // Reads the next chunk header into `chunk`. False when no complete header
  // is left, or the previous chunk ran past the end of the file.
  bool next(Chunk& chunk);

  int64_t fileSize() const { return fileSize_; }

 private:
  ByteStream& stream_;
  int64_t position_;
  int64_t fileSize_;
  bool bigEndian_;
  bool finished_ = false;
};

}  // namespace tp
