// One take data file of an archived song rebuilt: its recorded header (or
// one written anew), its samples out of the archived audio through the
// conversion loop, and its odd tail byte; checked against its SHA-256
// before it is renamed into place.
#pragma once

#include <filesystem>

#include "archive/manifest.h"
#include "archive/restore.h"
#include "convert/conversion.h"
#include "storage/status.h"

namespace tp {

struct RestoredFile {
  enum Outcome { NotStarted, Done, Failed, Aborted } outcome = Done;
  Status status;  // of a failure
  bool headerRebuilt = false, takenAsChanged = false;
};

// Called on a restoring worker; hooks.betweenBlocks may stop it between
// blocks, leaving nothing behind.
RestoredFile RestoreTakeFile(const std::filesystem::path& archiveFolder, const ArchivedTakeFile& take,
                             const std::filesystem::path& target, const RestoreOptions& options,
                             const ConversionHooks& hooks);

}  // namespace tp
