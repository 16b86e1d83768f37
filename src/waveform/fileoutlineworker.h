// FileOutlineWorker: one thread that works out the outline of the file under
// selection in the open dialog, so that moving through a folder of long
// recordings never waits for one of them to be read. A new request gives up
// the one before it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "storage/status.h"
#include "waveform/outline.h"
#include "waveform/readgate.h"

namespace tp {

class FileOutlineWorker {
 public:
  // Called on the worker's thread for every request not given up; it must
  // only pass the result on.
  using Deliver = std::function<void(uint64_t request, Status status, SoundOutline outline)>;
  // Called on the worker's thread before a file is read (tests).
  using Hook = std::function<void()>;

  explicit FileOutlineWorker(Deliver deliver, Hook beforeReading = {});
  ~FileOutlineWorker();
  FileOutlineWorker(const FileOutlineWorker&) = delete;
  FileOutlineWorker& operator=(const FileOutlineWorker&) = delete;

  // Any one thread (the dialog's): the outline of `file` in `columns`
  // columns. Returns the request's number, which its result carries.
  uint64_t Request(const std::filesystem::path& file, int columns);

 private:
  void Run();

  Deliver deliver_;
  Hook beforeReading_;
  ReadGate gate_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  struct Pending {
    std::filesystem::path file;
    int columns = 0;
    uint64_t request = 0;
  };
  std::optional<Pending> pending_;
  uint64_t requests_ = 0;
  std::thread thread_;
};

}  // namespace tp
