#include "waveform/outlineworker.h"

#include <map>
#include <set>
#include <string>

#include "audiofile/takefile.h"
#include "project/folderfiles.h"
#include "project/messages.h"
#include "waveform/sparseoutline.h"

namespace tp {

// The stamps of the files of each cell whose outline (or failure) was
// delivered for the current song.
struct OutlineWorker::Cells {
  std::map<int, std::vector<FileStamp>> stamps;
};

OutlineWorker::OutlineWorker(std::filesystem::path cacheFolder, int columns, Deliver deliver, Hook beforeReading)
    : cacheFolder_(std::move(cacheFolder)),
      columns_(columns),
      deliver_(std::move(deliver)),
      beforeReading_(std::move(beforeReading)),
      delivered_(std::make_unique<Cells>()) {
  thread_ = std::thread([this] { Run(); });
}

OutlineWorker::~OutlineWorker() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  gate_.Cancel();
  wake_.notify_all();
  thread_.join();
}

// The window's thread.
uint64_t OutlineWorker::FollowSong(const std::filesystem::path& song, std::vector<OutlineJob> jobs) {
  uint64_t generation = 0;
  {
    std::lock_guard lock(mutex_);
    if (song != pendingSong_ || generation_ == 0) {
      ++generation_;
      pendingSong_ = song;
      // Under the lock: the worker resets the gate under it when it takes
      // the new list, so this cancel can only stop the old song's reading.
      gate_.Cancel();
    }
    pending_ = std::move(jobs);
    generation = generation_;
  }
  wake_.notify_all();
  return generation;
}

// The worker's thread, as are all that follow.
void OutlineWorker::Run() {
  std::vector<OutlineJob> jobs;
  uint64_t generation = 0;
  std::filesystem::path song;
  while (NextList(jobs, generation, song)) {
    if (!cache_ || song != song_) SwitchSong(song);
    WorkThrough(jobs, generation);
  }
  if (cache_) cache_->Save();
}

bool OutlineWorker::NextList(std::vector<OutlineJob>& jobs, uint64_t& generation, std::filesystem::path& song) {
  std::unique_lock lock(mutex_);
  wake_.wait(lock, [this] { return stop_ || pending_.has_value(); });
  if (stop_) return false;
  jobs = std::move(*pending_);
  pending_.reset();
  generation = generation_;
  song = pendingSong_;
  gate_.Reset();
  return true;
}

bool OutlineWorker::ListWaiting() {
  std::lock_guard lock(mutex_);
  return stop_ || pending_.has_value();
}

void OutlineWorker::SwitchSong(const std::filesystem::path& song) {
  if (cache_) cache_->Save();
  song_ = song;
  cache_ = std::make_unique<SongOutlineCache>(cacheFolder_, song, columns_);
  if (!song.empty()) cache_->Load();
  delivered_->stamps.clear();
}

void OutlineWorker::WorkThrough(const std::vector<OutlineJob>& jobs, uint64_t generation) {
  std::set<int> cells;
  std::set<std::string> names;
  for (const OutlineJob& job : jobs) {
    cells.insert(job.cell);
    names.insert(job.fileNames.begin(), job.fileNames.end());
  }
  std::erase_if(delivered_->stamps, [&](const auto& entry) { return !cells.contains(entry.first); });

  bool complete = true;
  for (const OutlineJob& job : jobs) {
    // A newer list has all the cells again, as they are now.
    if (ListWaiting()) {
      complete = false;
      break;
    }
    std::vector<FileStamp> stamps;
    std::optional<CellOutline> outline = Outline(job, stamps);
    if (!outline) continue;
    deliver_(generation, std::move(*outline));
    delivered_->stamps[job.cell] = std::move(stamps);
  }
  if (complete) cache_->KeepOnly(names);
  cache_->Save();
}

// The cell's outline, its failure, or nothing when it is the one delivered
// last or its reading was given up.
std::optional<CellOutline> OutlineWorker::Outline(const OutlineJob& job, std::vector<FileStamp>& stamps) {
  CellOutline result;
  result.cell = job.cell;
  std::vector<int> errors;
  std::vector<std::filesystem::path> files;
  for (const std::string& name : job.fileNames) {
    files.push_back(PathForFile(song_, name));
    FileStamp stamp;
    errors.push_back(StampFile(files.back(), stamp));
    stamps.push_back(stamp);
  }
  if (const auto known = delivered_->stamps.find(job.cell);
      job.shown && known != delivered_->stamps.end() && known->second == stamps)
    return std::nullopt;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::filesystem::path& file = files[i];
    if (errors[i] != 0) return CellOutline{job.cell, Status::Fail(messages::TakeNotRead, file, errors[i]), {}};
    if (TakeFileCutShort(stamps[i].size)) return CellOutline{job.cell, Status::Fail(messages::TakeCutShort, file), {}};
    const std::string& name = job.fileNames[i];
    if (const ChannelOutline* kept = cache_->Find(name, stamps[i])) {
      result.channels.push_back(*kept);
      continue;
    }
    if (beforeReading_) beforeReading_();
    ++takesRead_;
    ChannelOutline outline;
    const Status read = ComputeSparseTakeOutline(file, columns_, gate_, outline);
    if (read.Is(messages::OutlineReadingStopped)) return std::nullopt;
    if (!read.ok()) return CellOutline{job.cell, read, {}};
    cache_->Store(name, stamps[i], outline);
    result.channels.push_back(std::move(outline));
  }
  return result;
}

}  // namespace tp
