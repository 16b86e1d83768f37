#include "waveform/fileoutlineworker.h"

#include "project/messages.h"

namespace tp {

FileOutlineWorker::FileOutlineWorker(Deliver deliver, Hook beforeReading)
    : deliver_(std::move(deliver)), beforeReading_(std::move(beforeReading)) {
  thread_ = std::thread([this] { Run(); });
}

FileOutlineWorker::~FileOutlineWorker() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    gate_.Cancel();
  }
  wake_.notify_all();
  thread_.join();
}

uint64_t FileOutlineWorker::Request(const std::filesystem::path& file, int columns) {
  uint64_t request = 0;
  {
    std::lock_guard lock(mutex_);
    request = ++requests_;
    pending_ = Pending{file, columns, request};
    // Under the lock: the worker resets the gate under it when it takes a
    // request, so this cancel stops only the reading before it.
    gate_.Cancel();
  }
  wake_.notify_all();
  return request;
}

// The worker's thread.
void FileOutlineWorker::Run() {
  for (;;) {
    Pending job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || pending_.has_value(); });
      if (stop_) return;
      job = std::move(*pending_);
      pending_.reset();
      gate_.Reset();
    }
    if (beforeReading_) beforeReading_();
    SoundOutline outline;
    const Status status = ComputeSoundFileOutline(job.file, job.columns, gate_, outline);
    if (status.Is(messages::OutlineReadingStopped)) continue;
    deliver_(job.request, status, std::move(outline));
  }
}

}  // namespace tp
