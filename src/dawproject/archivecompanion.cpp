#include "dawproject/archivecompanion.h"

#include "dawproject/session.h"
#include "dawproject/sessionexport.h"
#include "dawproject/sessionfile.h"

namespace tp {

namespace {

// The song's own folder name: the last part of its path below the archived
// disk (or of the folder itself for one song).
std::string projectFileName(const ArchiveSongPlan& song) {
  std::string name = SafeFileNameComponent(std::filesystem::path(song.relativeFolder).filename().string());
  return (name.empty() ? std::string("song") : name) + ".dawproject";
}

ConversionResult writeProject(const ArchiveSongPlan& song, const std::vector<const ArchiveItem*>& written,
                    const std::filesystem::path& target, const std::function<bool()>& stop, AudioFormat format,
                    const std::string& version) {
  // Only the files that are there: a take that failed is left out.
  ArchiveSongPlan archived = song;
  archived.items.clear();
  for (const ArchiveItem* item : written) archived.items.push_back(*item);
  SessionPlan plan;
  const Status planned = PlanSessionOf(archived, SessionChoices{}, true, format, plan);
  if (!planned.ok()) return ConversionResult::Failure(planned);
  plan.applicationVersion = version;
  ConversionHooks hooks;
  hooks.betweenBlocks = stop;
  ConversionResult result = WriteSessionFile(plan, target, hooks);
  result.notes = SessionNotes(plan);
  return result;
}

}  // namespace

ArchiveCompanion DawProjectCompanion(AudioFormat format, std::string applicationVersion) {
  ArchiveCompanion companion;
  companion.name = projectFileName;
  companion.write = [format, version = std::move(applicationVersion)](
                        const ArchiveSongPlan& song, const std::vector<const ArchiveItem*>& written,
                        const std::filesystem::path& target, const std::function<bool()>& stop) {
    return writeProject(song, written, target, stop, format, version);
  };
  return companion;
}

}  // namespace tp
