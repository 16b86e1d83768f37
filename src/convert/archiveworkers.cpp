#include "convert/archiveworkers.h"

namespace tp {

StemWorkers::StemWorkers(std::vector<const ArchiveItem*> items, AudioFormat format, bool verify)
    : format_(format), verify_(verify) {
  for (const ArchiveItem* item : items) items_.push_back(Item{item});
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
      items_[n].state = State::Running;
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
    std::lock_guard lock(mutex_);
    items_[n].framesDone = position;
    changed_.notify_all();
  };
  StemChecks checks;
  checks.verify = verify_;
  checks.mayCommit = [this, n] { return mayCommit(n); };
  ConversionResult result = ExportStem(item.source, item.output, format_, hooks, &checks);
  std::lock_guard lock(mutex_);
  items_[n].outcome = StemOutcome{std::move(result), std::move(checks)};
  items_[n].state = State::Ended;
  changed_.notify_all();
}

bool StemWorkers::mayCommit(size_t n) {
  std::unique_lock lock(mutex_);
  items_[n].state = State::ReadyToCommit;
  changed_.notify_all();
  changed_.wait(lock, [&] { return items_[n].state == State::Granted || stopping_; });
  return items_[n].state == State::Granted && items_[n].commit;
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
    if (item.state == State::ReadyToCommit) {
      item.commit = !stopping_;
      item.state = State::Granted;
      changed_.notify_all();
    }
    if (item.state == State::Ended) return std::move(item.outcome);
    changed_.wait(lock);
  }
}

}  // namespace tp
