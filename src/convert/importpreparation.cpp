#include "convert/importpreparation.h"

#include <algorithm>
#include <string>

#include "convert/importengine.h"
#include "project/messages.h"
#include "project/takelabel.h"

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

// The chosen targets no channel goes to, and the channels beyond the
// targets.
void noteWhatIsLeft(const std::vector<ImportTarget>& chosen, ImportPreparation& prepared) {
  const size_t used = prepared.targets.InChannelOrder().size();
  prepared.leftEmpty.assign(chosen.begin() + ptrdiff_t(std::min(used, chosen.size())), chosen.end());
  prepared.channelsLeftOut = prepared.format.channels > used ? uint32_t(prepared.format.channels - used) : 0;
}

std::string targetLabel(const ImportTarget& target) {
  if (target.track >= TrackCount) return MasterTakeLabel(target.take);
  return TakeLabel(target.track, target.take);
}

// "Track03-1", or "Track03-1 to Track05-1" for consecutive takes.
std::string spanOf(const std::vector<ImportTarget>& targets) {
  if (targets.size() == 1) return targetLabel(targets.front());
  return FillInMessage(messages::FromTo, targetLabel(targets.front()), targetLabel(targets.back()));
}

// "Track01-1", "Track01-1 and Track02-1", "Track01-1, Track02-1 and Track03-1".
std::string listOf(const std::vector<ImportTarget>& targets) {
  std::string list = targetLabel(targets.front());
  for (size_t n = 1; n + 1 < targets.size(); ++n) list += ", " + targetLabel(targets[n]);
  if (targets.size() < 2) return list;
  return FillInMessage(messages::OneAndOther, list, targetLabel(targets.back()));
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
  // A mono file fills both files of a master take; on tracks the second
  // chosen track stays empty, which the user is told.
  if (!prepared.targets.masterMode) noteWhatIsLeft(model.ImportTargetsFor(2).InChannelOrder(), prepared);
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
  noteWhatIsLeft(inChannelOrder, prepared);
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
    files[n].source.reset();
    track += tracks;
  }
  if (fitting < sources.size())
    return Status::FailBecause(messages::FilesDoNotFit, {},
                               std::to_string(fitting) + " of the " + std::to_string(sources.size()) +
                                   " files fit from track " + std::to_string(firstTrack + 1));
  return Status::Ok();
}

Status ReopenPrepared(ImportPreparation& prepared) {
  if (prepared.source) return Status::Ok();
  std::unique_ptr<ImportSource> source;
  if (const Status opened = OpenImportSource(prepared.path, source); !opened.ok()) return opened;
  const SourceFormat& now = source->Format();
  if (now.frames < prepared.format.frames || now.channels != prepared.format.channels ||
      now.sampleRate != prepared.format.sampleRate)
    return Status::FailBecause(messages::SourceNotRead, prepared.path, messages::SourceShrank);
  prepared.format = now;
  prepared.source = std::move(source);
  return Status::Ok();
}

std::vector<Note> ImportNotes(const ImportPreparation& prepared) {
  std::vector<Note> notes;
  const uint32_t channels = prepared.format.channels;
  if (!prepared.leftEmpty.empty()) {
    const std::string has =
        channels == 1 ? messages::OneChannel : FillInMessage(messages::SomeChannels, std::to_string(channels), {});
    notes.push_back({prepared.leftEmpty.size() == 1 ? messages::TakeLeftEmpty : messages::TakesLeftEmpty,
                     listOf(prepared.leftEmpty), has});
  }
  if (prepared.channelsLeftOut > 0) {
    const uint32_t first = channels - prepared.channelsLeftOut + 1;
    const bool one = prepared.channelsLeftOut == 1;
    notes.push_back({one ? messages::ChannelLeftOut : messages::ChannelsLeftOut,
                     one ? std::to_string(first)
                         : FillInMessage(messages::FromTo, std::to_string(first), std::to_string(channels)),
                     {}});
  }
  return notes;
}

Note BatchStoppedNote(const std::vector<ImportPreparation>& files, size_t stoppedAt) {
  std::vector<ImportTarget> written, untouched;
  for (size_t n = 0; n < files.size(); ++n) {
    std::vector<ImportTarget>& into = n < stoppedAt ? written : untouched;
    for (const ImportTarget& target : files[n].targets.InChannelOrder()) into.push_back(target);
  }
  const bool oneWritten = written.size() == 1, oneUntouched = untouched.size() == 1;
  const char* message = oneWritten
                            ? (oneUntouched ? messages::OneWrittenOneUntouched : messages::OneWrittenSomeUntouched)
                            : (oneUntouched ? messages::SomeWrittenOneUntouched : messages::SomeWrittenSomeUntouched);
  return {message, listOf(written), spanOf(untouched)};
}

}  // namespace tp
