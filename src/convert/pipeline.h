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
#include <memory>
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
  // Moves to `frame`, so that a worker can start anywhere. Only sources
  // whose frames map one to one onto what they read can (never a
  // resampler); the others are read by one worker and fail here.
  virtual Status Seek(uint64_t frame);
  // The block last read as it was before it was narrowed to 16 bits (full
  // scale 1.0), for a source whose sum may go beyond 16 bits (a mix to be
  // normalised); null for every other source. Valid until the next Read.
  virtual const float* WideSamples() const { return nullptr; }
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
  // Gives the file away once the job is done with it (see
  // PipelineJob::handOver); Output() may not be used afterwards.
  virtual std::unique_ptr<SafeFile> ReleaseOutput() = 0;
};

// Sees every block once all sinks wrote it, in block order, one block at a
// time, on whichever thread wrote it; it writes no file (a measurement of
// what the files get).
class BlockTap {
 public:
  virtual ~BlockTap() = default;
  virtual void See(const int16_t* block, uint32_t frames, uint32_t channels) = 0;
  // The same block as its source had it before it was narrowed to 16 bits
  // (BlockSource::WideSamples), for a tap that measures the sum itself; by
  // default the tap sees the 16-bit block.
  virtual void SeeWide(const float* wide, const int16_t* block, uint32_t frames, uint32_t channels) {
    (void)wide;
    See(block, frames, channels);
  }
};

struct PipelineJob {
  BlockSource* source = nullptr;
  std::vector<BlockSink*> sinks;  // none for a job that only measures (taps)
  std::vector<BlockTap*> taps;
  uint64_t frames = 0;         // frames to move
  // Frames per block on one thread (workers always move ConversionBlockFrames).
  uint32_t blockFrames = ConversionBlockFrames;
  uint32_t progressTotal = 0;  // what progress counts up to
  // What an abort keeps: the blocks written so far, in complete files, for
  // targets that did not exist (an existing file is never replaced by half
  // of what was asked for); or nothing at all.
  enum class OnAbort { KeepNewFiles, KeepNothing } onAbort = OnAbort::KeepNewFiles;
  const char* writeFailure = nullptr;  // the program's text for a failed write
  // Runs after every sink finished and before anything is renamed into
  // place (an archive's read-back check); a failure discards the outputs.
  std::function<Status()> beforeCommit;
  // Instead of renaming the outputs into place: they are handed over,
  // complete and checked, to whoever lets them into place (an archive does
  // that on its own thread, in its files' order, while the worker goes on).
  std::function<void()> handOver;
  // Whether the writer starts the outputs' write-back as it goes
  // (AfterBlockWritten). Not for a file handed over unsynced, which another
  // thread syncs while the workers go on: there, starting early only takes
  // the workers' processor time.
  bool startWriteBack = true;
  // Other readers of the same frames, each with positions of its own (and
  // able to Seek): with any, `source` and these fill blocks on worker
  // threads, block k on worker k mod (1 + helpers), while the calling thread
  // runs the hooks. Each block is written only once the calling thread has
  // let it be (betweenBlocks said go on) and every block before it is
  // written: the sinks see the blocks in order, one at a time, as with one
  // worker, and a non-seekable output gets a stream.
  std::vector<BlockSource*> helperSources;
};

// Called after each block is written to every sink (on whichever thread
// wrote it): the outputs' write-back is started when it is due
// (WriteBackDue, SafeFile::StartWriteBack).
void AfterBlockWritten(const PipelineJob& job, uint64_t framesWritten);

// Writes one block to every sink and, once all wrote it, shows it to every
// tap (with its `wide` samples, when its source has them); the first
// failure stops it.
Status WriteBlock(const PipelineJob& job, const int16_t* block, uint32_t frames, uint32_t channels,
                  const float* wide = nullptr);

// What moving the blocks came to, before the files are finished.
struct BlocksMoved {
  bool aborted = false;
  uint64_t position = 0;  // frames written to every sink
  Status failure;         // the first failure in block order
};

ConversionResult RunPipeline(const PipelineJob& job, const ConversionHooks& hooks);

// The job of an archive's or a restore's file: a whole take moved in
// ArchiveBlockFrames blocks into one sink; a stopped job keeps no half of
// a file.
PipelineJob WholeTakeJob(BlockSource& source, BlockSink& sink, uint64_t frames, const char* writeFailure);

}  // namespace tp
