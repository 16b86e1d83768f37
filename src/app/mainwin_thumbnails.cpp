// The takes' outlines behind their names in the grid. The scan only names
// the takes; a thread of its own reads them afterwards (or takes them from
// the cache) and each cell fills in when its outline comes back, so opening
// a song with many long takes never keeps the window waiting. That thread
// steps aside while the audition or a conversion reads the disk.
#include <QMetaObject>

#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "controls/tbtnmtx.h"
#include "waveform/outlinecache.h"

namespace tp {
namespace {

// A cell's bevel takes 2 pixels on each side: one column per pixel in between.
constexpr int CellBevel = 2;

std::vector<TMtxLane> LanesOf(const CellOutline& outline) {
  std::vector<TMtxLane> lanes;
  for (const ChannelOutline& channel : outline.channels) lanes.push_back({channel.minimum, channel.maximum});
  return lanes;
}

bool Shown(const TBtnMtx& matrix, int row, int column) {
  return matrix.HasOutline(row, column) || !matrix.OutlineProblem(row, column).isEmpty();
}

}  // namespace

void TMainWin::StartThumbnails(const std::filesystem::path& cacheFolder, std::function<void()> reading) {
  // The outline thread: it only posts the outline to this thread.
  auto deliver = [this](uint64_t generation, CellOutline outline) {
    QMetaObject::invokeMethod(
        this, [this, generation, outline = std::move(outline)] { ShowThumbnail(generation, outline); },
        Qt::QueuedConnection);
  };
  thumbnails_ = std::make_unique<OutlineWorker>(cacheFolder.empty() ? DefaultOutlineCacheFolder() : cacheFolder,
                                                TakeSel->BtnWidth() - 2 * CellBevel, std::move(deliver),
                                                std::move(reading));
}

// After every change of the cells: the worker looks at each take again and
// reads only those that changed (an import, a rename, another song).
void TMainWin::FollowTakesForThumbnails() {
  const std::filesystem::path song = model_.TakesScanned ? model_.ProjectFolder : std::string();
  std::vector<OutlineJob> jobs;
  for (int track = 0; track < TrackCount; ++track)
    for (int take = 0; take < TakesPerTrack; ++take) {
      if (model_.TakeSel[track][take].assigned)
        jobs.push_back({ProjectModel::LengthIndex(track, take), {TakeFileName(track, take)},
                        Shown(*TakeSel, track, take)});
      else
        TakeSel->ClearOutline(track, take);
    }
  for (int take = 0; take < MasterTakeCount; ++take) {
    if (model_.MasTakeSel[take].assigned)
      jobs.push_back({ProjectModel::MasterLeftIndex + take,
                      {MasterTakeFileName(MasterSide::Left, take), MasterTakeFileName(MasterSide::Right, take)},
                      Shown(*MasTakeSel, 0, take)});
    else
      MasTakeSel->ClearOutline(0, take);
  }
  const uint64_t generation = thumbnails_->FollowSong(song, std::move(jobs));
  if (generation == thumbnailGeneration_) return;
  // Another song: nothing of the last one's outlines stays.
  thumbnailGeneration_ = generation;
  for (int track = 0; track < TrackCount; ++track)
    for (int take = 0; take < TakesPerTrack; ++take) TakeSel->ClearOutline(track, take);
  for (int take = 0; take < MasterTakeCount; ++take) MasTakeSel->ClearOutline(0, take);
}

void TMainWin::ShowThumbnail(uint64_t generation, const CellOutline& outline) {
  if (generation != thumbnailGeneration_) return;  // read for a song no longer shown
  const bool master = outline.cell >= ProjectModel::MasterLeftIndex;
  TBtnMtx* matrix = master ? MasTakeSel : TakeSel;
  const int row = master ? 0 : outline.cell / TakesPerTrack;
  const int column = master ? outline.cell - ProjectModel::MasterLeftIndex : outline.cell % TakesPerTrack;
  // Read just before the take was deleted.
  if (!matrix->GetAssigned(row, column)) return;
  if (outline.failure.ok())
    matrix->SetOutline(row, column, LanesOf(outline));
  else
    matrix->SetOutlineProblem(row, column, StatusText(outline.failure));
}

void TMainWin::PauseThumbnailsWhileBusy() {
  thumbnails_->SetPaused(Playing || Conversion != ConversionIdle || ArchiveRunning);
}

}  // namespace tp
