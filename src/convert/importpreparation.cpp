#include "convert/importpreparation.h"

#include "convert/importengine.h"
#include "project/messages.h"

namespace tp {

namespace {

bool holdsTake(const ProjectModel& model, const ImportTarget& target) {
  if (!target.used()) return false;
  if (target.track >= TrackCount) return model.MasTakeSel[target.take].assigned;
  return model.TakeSel[target.track][target.take].assigned;
}

}  // namespace

Status PrepareImport(const ProjectModel& model, const std::filesystem::path& source, ImportPreparation& prepared) {
  prepared = ImportPreparation{};
  prepared.path = source;
  if (const Status opened = OpenImportSource(source, prepared.source); !opened.ok()) return opened;
  prepared.format = prepared.source->Format();
  prepared.targets = model.ImportTargetsFor(prepared.format.channels);
  if (!prepared.targets.first.used()) return Status::Fail(messages::NoImportTarget);
  if (holdsTake(model, prepared.targets.first)) prepared.occupied.push_back(prepared.targets.first);
  if (!prepared.targets.masterMode && holdsTake(model, prepared.targets.second))
    prepared.occupied.push_back(prepared.targets.second);
  prepared.rateDiffers = NeedsRateConversion(prepared.format.sampleRate);
  return Status::Ok();
}

}  // namespace tp
