// What an import reads: the first channels of a sound file (one or two
// unless the import asks for more), either as the recorder's 16-bit samples (the top 16 bits of
// each) or at the precision the file stores, for the rate converter.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "audiofile/takefile.h"
#include "convert/pipeline.h"

namespace tp {

// A source file's format, as the preview and `probe` describe it.
struct SourceFormat {
  std::string format;           // "WAV", "AIFF", "FLAC", "RF64", "CAF", "MP3", ...
  long double sampleRate = 0;   // an AIFF may have a fractional rate
  int32_t bits = 0;             // bits per sample as stored
  uint32_t channels = 0;        // in the file
  uint64_t frames = 0;
};

class ImportSource : public BlockSource {
 public:
  virtual const SourceFormat& Format() const = 0;
  // Keeps the first `count` channels (at most the file's) from the next
  // read on; a source starts with the first two. Called before any read
  // and before SharedReader.
  virtual void KeepChannels(uint32_t count) = 0;
  // Fills `frames` interleaved frames of Channels() channels from the
  // current position, full scale +-1.0; past the end, silence. Reads the
  // same frames as Read would: a source is read one way or the other.
  virtual Status ReadFloat(float* block, uint32_t frames) = 0;
  // A second reader of the same open file with a position of its own (see
  // BlockSource::Seek), for a second worker; null for a file that can only
  // be decoded front to back. This source must outlive it.
  virtual std::unique_ptr<ImportSource> SharedReader() { return nullptr; }
};

// Opens `path` as a WAV or AIFF file (recognised by its contents), else as
// any file libsndfile decodes (SndfileSource). Each refusal says what is
// true: "The file could not be read" with the system's reason (no such
// file, not a regular file, a read error); "<file> is damaged: <reason>"
// for a file that begins as a format the import reads but does not decode;
// a rate no audio has; and "The file is not a WAV/AIFF." with the formats
// the import reads for a file with no sound file's signature at all.
Status OpenImportSource(const std::filesystem::path& path, std::unique_ptr<ImportSource>& opened);

// True when `head` (a file's first bytes) begins as one of the sound files
// libsndfile reads: RIFF/WAVE, RF64, Wave64, AIFF, AIFF-C, FLAC, Ogg, CAF,
// MP3 (an ID3 tag or a frame's sync), Sun/NeXT.
bool StartsLikeSoundFile(const uint8_t* head, size_t size);

// The refusal of a rate outside 1 Hz to 768 kHz, the rate as the reason.
Status RateRefused(const std::filesystem::path& path, long double rate);

// The format of `path` without importing it.
Status ProbeSourceFile(const std::filesystem::path& path, SourceFormat& format);

}  // namespace tp
