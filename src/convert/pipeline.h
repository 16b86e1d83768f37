// The one conversion loop. A job is a source of blocks and one or more sinks
// that each write a file; export, stems and import are descriptions of their
// source and sinks. The loop owns what they share: the abort check before
// each block, progress after it, and what an aborted or failed job leaves.
//
//   source (takes through the mixer, one take, a WAV/AIFF file)
//     -> block of interleaved 16-bit frames
//     -> sinks (a WAV/AIFF writer, a take file per channel)
//     -> every sink's SafeFile renamed into place together
//
// A source that changes the rate or the number of frames (a resampler)
// wraps another source; a worker that fills part of a file reads a source
// by frame ranges.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "convert/conversion.h"
#include "storage/safefile.h"
#include "storage/status.h"

namespace tp {

class BlockSource {
 public:
  virtual ~BlockSource() = default;
  virtual uint32_t Channels() const = 0;
  // Fills `frames` interleaved frames from the current position; frames past
  // the source's end are silence. A read error is a failure, never silence.
  virtual Status Read(int16_t* block, uint32_t frames) = 0;
  // The position progress reports once `delivered` frames were read: the
  // same count, except for a source that changes the number of frames,
  // whose progress counts the frames of what it wraps.
  virtual uint64_t SourcePosition(uint64_t delivered) const { return delivered; }
};

class BlockSink {
 public:
  virtual ~BlockSink() = default;
  // Takes one block of `channels`-channel interleaved frames.
  virtual Status Write(const int16_t* block, uint32_t frames, uint32_t channels) = 0;
  // Completes the file (sizes, headers) once every block is written.
  virtual Status Finish() = 0;
  // The file being written, committed or discarded by the loop. An abort
  // never replaces a file that was there (SafeFile::replacesExistingFile).
  virtual SafeFile& Output() = 0;
};

struct PipelineJob {
  BlockSource* source = nullptr;
  std::vector<BlockSink*> sinks;
  uint64_t frames = 0;         // frames to move
  uint32_t progressTotal = 0;  // what progress counts up to
  // What an abort keeps: the blocks written so far, in complete files, for
  // targets that did not exist (an existing file is never replaced by half
  // of what was asked for); or nothing at all.
  enum class OnAbort { KeepNewFiles, KeepNothing } onAbort = OnAbort::KeepNewFiles;
  const char* writeFailure = nullptr;  // the program's text for a failed write
  // Runs after every sink finished and before anything is renamed into
  // place (an archive's read-back check); a failure discards the outputs.
  std::function<Status()> beforeCommit;
};

ConversionResult RunPipeline(const PipelineJob& job, const ConversionHooks& hooks);

}  // namespace tp
