#include "convert/blockworkers.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tp {

namespace {

// Whose turn it is: shared by the calling thread and the workers, every
// field under `mutex_`. Each call names the threads that make it.
class BlockTurns {
 public:
  // The calling thread lets block `k` be written.
  void Grant(uint64_t k) {
    std::lock_guard lock(mutex_);
    granted_ = k + 1;
    changed_.notify_all();
  }
  // The calling thread waits until more than `k` blocks are written, or
  // the job stopped (a failure); returns the blocks written.
  uint64_t AwaitWrittenBeyond(uint64_t k) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return written_ > k || stopped_; });
    return written_;
  }
  // The calling thread ends the job: no worker starts or writes another block.
  void Stop() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }
  Status Failure() {
    std::lock_guard lock(mutex_);
    return failure_;
  }

  // A worker asks whether to fill another block.
  bool Stopped() {
    std::lock_guard lock(mutex_);
    return stopped_;
  }
  // A worker waits until block `k` may be written: granted, and every block
  // before it written. False when the job stopped meanwhile.
  bool AwaitTurn(uint64_t k) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || (written_ == k && granted_ > k); });
    return !stopped_;
  }
  // A worker has written block `k`, or failed on it (which stops the job).
  void Done(uint64_t k, const Status& status) {
    std::lock_guard lock(mutex_);
    if (status.ok()) {
      written_ = k + 1;
    } else {
      failure_ = status;
      stopped_ = true;
    }
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  uint64_t granted_ = 0;  // blocks below this may be written
  uint64_t written_ = 0;  // blocks below this are written
  bool stopped_ = false;
  Status failure_;
};

uint64_t blockCount(const PipelineJob& job) { return (job.frames + ConversionBlockFrames - 1) / ConversionBlockFrames; }

uint32_t framesOfBlock(const PipelineJob& job, uint64_t k) {
  return uint32_t(std::min<uint64_t>(ConversionBlockFrames, job.frames - k * ConversionBlockFrames));
}

// A worker thread: blocks first, first + step, ... from its own source into
// its own buffer. A read failure is kept until the block's turn, so that the
// failure reported is the first in block order, as with one thread.
void fillAndWrite(const PipelineJob& job, BlockSource& source, uint64_t first, uint64_t step, BlockTurns& turns) {
  const uint32_t channels = source.Channels();
  std::vector<int16_t> block(size_t(channels) * ConversionBlockFrames);
  for (uint64_t k = first; k < blockCount(job); k += step) {
    if (turns.Stopped()) return;
    const uint32_t frames = framesOfBlock(job, k);
    Status status = source.Seek(k * ConversionBlockFrames);
    if (status.ok()) status = source.Read(block.data(), frames);
    if (!turns.AwaitTurn(k)) return;
    if (status.ok()) status = WriteBlock(job, block.data(), frames, channels, source.WideSamples());
    if (status.ok()) AfterBlockWritten(job, (k + 1) * ConversionBlockFrames);
    turns.Done(k, status);
    if (!status.ok()) return;
  }
}

}  // namespace

namespace {

// The calling thread: asks betweenBlocks before granting each block and
// reports progress for each block written, in order. Returns the blocks
// granted, all of them written unless the job failed.
uint64_t grantAndReport(const PipelineJob& job, const ConversionHooks& hooks, BlockTurns& turns, bool& aborted) {
  const uint64_t blocks = blockCount(job);
  uint64_t granted = 0, reported = 0;
  while (reported < blocks) {
    while (!aborted && granted < blocks && granted <= reported + hooks.blocksAhead) {
      if (hooks.betweenBlocks && hooks.betweenBlocks()) aborted = true;
      else turns.Grant(granted++);
    }
    if (reported == granted) break;  // aborted, and every block let through is written
    const uint64_t written = turns.AwaitWrittenBeyond(reported);
    if (written <= reported) break;  // a failure stopped the job
    for (; reported < written; ++reported)
      if (hooks.progress)
        hooks.progress(uint32_t(std::min<uint64_t>(reported * ConversionBlockFrames, job.progressTotal)),
                       job.progressTotal);
  }
  return granted;
}

}  // namespace

BlocksMoved MoveBlocksWithWorkers(const PipelineJob& job, const ConversionHooks& hooks) {
  std::vector<BlockSource*> sources{job.source};
  sources.insert(sources.end(), job.helperSources.begin(), job.helperSources.end());
  BlockTurns turns;
  std::vector<std::thread> workers;
  for (size_t w = 0; w < sources.size(); ++w)
    workers.emplace_back(fillAndWrite, std::cref(job), std::ref(*sources[w]), uint64_t(w), uint64_t(sources.size()),
                         std::ref(turns));
  BlocksMoved moved;
  const uint64_t granted = grantAndReport(job, hooks, turns, moved.aborted);
  turns.Stop();
  for (std::thread& worker : workers) worker.join();
  moved.failure = turns.Failure();
  // A source read by several workers delivers frame for frame, so its
  // position is the frames moved.
  moved.position = std::min<uint64_t>(granted * ConversionBlockFrames, job.frames);
  return moved;
}

}  // namespace tp
