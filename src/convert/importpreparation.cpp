#include "convert/importpreparation.h"

#include <algorithm>
#include <string>

#include "convert/importengine.h"
#include "project/messages.h"

namespace tp {

namespace {

bool holdsTake(const ProjectModel& model, const ImportTarget& target) {
  if (!target.used()) return false;
  if (target.track >= TrackCount) return model.MasTakeSel[target.take].assigned;
  return model.TakeSel[target.track][target.take].assigned;
}

// The targets that hold a take now; the two files of a master take are one.
std::vector<ImportTarget> occupiedTargets(const ProjectModel& model, const ImportTargets& targets) {
  std::vector<ImportTarget> occupied;
  for (const ImportTarget& target : targets.InChannelOrder()) {
    if (holdsTake(model, target)) occupied.push_back(target);
    if (targets.masterMode) break;
  }
  return occupied;
}

Status openPrepared(const std::filesystem::path& source, ImportPreparation& prepared) {
  prepared = ImportPreparation{};
  prepared.path = source;
  if (const Status opened = OpenImportSource(source, prepared.source); !opened.ok()) return opened;
  prepared.format = prepared.source->Format();
  prepared.rateDiffers = NeedsRateConversion(prepared.format.sampleRate);
  return Status::Ok();
}

}  // namespace

Status PrepareImport(const ProjectModel& model, const std::filesystem::path& source, ImportPreparation& prepared) {
  if (const Status opened = openPrepared(source, prepared); !opened.ok()) return opened;
  prepared.targets = model.ImportTargetsFor(prepared.format.channels);
  if (!prepared.targets.first.used()) return Status::Fail(messages::NoImportTarget);
  prepared.occupied = occupiedTargets(model, prepared.targets);
  return Status::Ok();
}

void RetargetImport(const ProjectModel& model, const std::vector<ImportTarget>& inChannelOrder,
                    ImportPreparation& prepared) {
  const size_t count = std::min<size_t>(inChannelOrder.size(), std::max(prepared.format.channels, 1u));
  ImportTargets& targets = prepared.targets;
  targets = ImportTargets{};
  if (count > 0) targets.first = inChannelOrder[0];
  if (count > 1) targets.second = inChannelOrder[1];
  if (count > 2) targets.more.assign(inChannelOrder.begin() + 2, inChannelOrder.begin() + ptrdiff_t(count));
  prepared.occupied = occupiedTargets(model, targets);
}

uint32_t TracksTakenBy(const SourceFormat& format) { return std::max(format.channels, 1u); }

Status PrepareBatch(const ProjectModel& model, const std::vector<std::filesystem::path>& sources, int firstTrack,
                    int take, std::vector<ImportPreparation>& files) {
  files.clear();
  files.resize(sources.size());
  int track = firstTrack;
  size_t fitting = 0;
  for (size_t n = 0; n < sources.size(); ++n) {
    if (const Status opened = openPrepared(sources[n], files[n]); !opened.ok()) return opened;
    const int tracks = int(TracksTakenBy(files[n].format));
    if (track + tracks <= TrackCount && fitting == n) ++fitting;
    std::vector<ImportTarget> targets;
    for (int channel = 0; channel < tracks && track + channel < TrackCount; ++channel)
      targets.push_back({track + channel, take});
    RetargetImport(model, targets, files[n]);
    track += tracks;
  }
  if (fitting < sources.size())
    return Status::FailBecause(messages::FilesDoNotFit, {},
                               std::to_string(fitting) + " of the " + std::to_string(sources.size()) +
                                   " files fit from track " + std::to_string(firstTrack + 1));
  return Status::Ok();
}

}  // namespace tp
