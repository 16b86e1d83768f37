#include "archive/stemworkers.h"

#include "project/messages.h"

namespace tp {

StemWorkers::StemWorkers(std::vector<const ArchiveItem*> items, AudioFormat format, bool verify)
    : format_(format), verify_(verify) {
  for (const ArchiveItem* item : items) items_.push_back(Item{item, false, false, 0, {}});
  for (int w = 0; w < WorkerCount; ++w) workers_.emplace_back(&StemWorkers::work, this);
}

StemWorkers::~StemWorkers() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    changed_.notify_all();
  }
  for (std::thread& worker : workers_) worker.join();
}

void StemWorkers::work() {
  for (;;) {
    size_t n;
    {
      std::lock_guard lock(mutex_);
      if (stopping_ || next_ >= items_.size()) return;
      n = next_++;
      items_[n].started = true;
    }
    writeItem(n);
  }
}

void StemWorkers::writeItem(size_t n) {
  const ArchiveItem& item = *items_[n].item;  // set before the workers started, never changed
  ConversionHooks hooks;
  hooks.betweenBlocks = [this] {
    std::lock_guard lock(mutex_);
    return stopping_;
  };
  hooks.progress = [this, n](uint32_t position, uint32_t) {
    // The archiving thread is woken every few blocks, not after each: a
    // wake-up per block of both workers cost more processor time than the
    // progress and the stop it serves need.
    constexpr uint32_t FramesPerWake = 8 * ConversionBlockFrames;
    std::lock_guard lock(mutex_);
    const bool wake = position / FramesPerWake != items_[n].framesDone / FramesPerWake;
    items_[n].framesDone = position;
    if (wake) changed_.notify_all();
  };
  StemChecks checks;
  checks.verify = verify_;
  checks.reader = &reader_;
  checks.readOrder = n;
  checks.handOver = true;
  ConversionResult result = ExportStem(item.source, item.output, format_, hooks, &checks);
  std::lock_guard lock(mutex_);
  items_[n].outcome = StemOutcome{std::move(result), std::move(checks)};
  items_[n].ended = true;
  changed_.notify_all();
}

StemOutcome StemWorkers::Finish(size_t n, const std::function<bool(uint32_t)>& poll) {
  std::unique_lock lock(mutex_);
  Item& item = items_[n];
  for (;;) {
    const uint32_t framesDone = item.framesDone;
    lock.unlock();
    const bool stop = poll(framesDone);
    lock.lock();
    if (stop && !stopping_) {
      stopping_ = true;
      changed_.notify_all();
    }
    if (item.ended) return std::move(item.outcome);
    // Stopped before a worker took it: it never will.
    if (stopping_ && !item.started)
      return StemOutcome{{ConversionResult::Aborted, messages::Aborted, {}, 0, false}, {}};
    changed_.wait(lock);
  }
}

}  // namespace tp
