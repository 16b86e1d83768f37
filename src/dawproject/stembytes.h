// The bytes of one audio file of a project file, produced as the ZIP writer
// asks for them, the same bytes the archive writes for that take: a WAV
// file made block by block from the take(s), or a FLAC file, whose encoder
// goes back to its first block when it ends, encoded first into a side file
// beside the project file and read from there, then discarded.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "audiofile/audiofile.h"
#include "convert/conversion.h"
#include "archive/stemfile.h"
#include "storage/safefile.h"

namespace tp {

class StemBytes {
 public:
  // `besides`: a file in the folder where a FLAC file's side file goes.
  StemBytes(StemSource source, AudioFormat format, std::filesystem::path besides);
  ~StemBytes();

  // The file's size when it is known before the file is made (WAV), or -1.
  int64_t KnownSize() const;
  // Opens the take(s) (and encodes a FLAC file, asking `hooks` between its
  // blocks). A failure names the take, or the side file.
  ConversionResult Open(const ConversionHooks& hooks);
  // Copies up to `count` bytes into `destination`; `got` 0 at the end. A
  // take that cannot be read fails naming it.
  Status Read(uint8_t* destination, size_t count, size_t& got);
  // Lets go of the takes and removes the side file.
  void Close();

 private:
  class PendingBytes;
  Status produceBlock();
  StemSource source_;
  AudioFormat format_;
  std::filesystem::path besides_;
  // WAV: the takes, the writer and the bytes it made that were not taken yet.
  std::unique_ptr<StemTakes> takes_;
  std::unique_ptr<AudioFile> writer_;
  PendingBytes* pending_ = nullptr;  // the writer's stream
  std::vector<int16_t> block_;
  uint64_t framesMade_ = 0;
  // FLAC: the encoded file and how far it was read.
  std::unique_ptr<SafeFile> encoded_;
  int64_t readPosition_ = 0;
};

}  // namespace tp
