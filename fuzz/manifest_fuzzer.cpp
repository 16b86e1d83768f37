// Feeds arbitrary text to the archive manifest's reader as restore reads it,
// past the checksum (which a fuzzer cannot forge): the bounded stream check,
// the parse and the entry checks must refuse cleanly, within the memory
// limit make fuzz sets, and whatever they accept must be safe to act on.
#include <cstdlib>
#include <string>

#include "archive/manifest.h"
#include "archive/manifesttrust.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  tp::ArchiveManifest manifest;
  if (!tp::ParseArchiveManifest(text, "trackporter.json", manifest).ok()) return 0;
  // Accepted: every name restore would create or open stays in its folder.
  for (const auto& take : manifest.takeFiles)
    if (!tp::IsPlainFileName(take.record.file) || !tp::IsPlainFileName(take.output)) std::abort();
  for (const auto& other : manifest.otherFiles)
    if (!tp::IsPlainFileName(other.file)) std::abort();
  if (manifest.takeFiles.size() > 2 * tp::MaximumManifestEntries) std::abort();
  return 0;
}
