// Archiving takes one by one: each take as its own mono file, each master
// take as a stereo file of its two files, of exactly the take's length (no
// padding to whole blocks), named after what the user sees.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audiofile/audiofile.h"
#include "convert/conversion.h"
#include "archive/takerecord.h"
#include "convert/takesource.h"
#include "project/takelabel.h"
#include "storage/safefile.h"

namespace tp {

class SequentialReader;

struct StemSource {
  std::filesystem::path left;                  // the take, or a master take's left file
  std::optional<std::filesystem::path> right;  // a master take's right file
  uint32_t length = 0;                         // frames: the longer file's samples
  std::string label;                           // "Track05-1", "Master1": for messages
};

// What an archive asks of each file it writes before the file is renamed
// into place.
struct StemChecks {
  // Read the synced file back from the disk (its pages dropped from the
  // cache) and compare every sample with the take; a difference fails the
  // file with messages::ArchiveFileNotVerified.
  bool verify = false;
  // With a `reader`, the take files are read by it (the archive's one
  // reader), `readOrder` placing this file among the others it reads.
  SequentialReader* reader = nullptr;
  uint64_t readOrder = 0;
  // Out: the SHA-256 of the file as written, and whether it was verified.
  std::string sha256;
  int64_t size = 0;
  bool verified = false;
  // Out: each take file read (the take, or a master take's left and right
  // files) as DescribeTakeFile describes it, hashed while its samples were
  // read for the file.
  std::vector<TakeFileRecord> takeRecords;
  // With `handOver`, the file written and checked is not renamed into
  // place but kept in `written` for the caller to commit (the archive lets
  // its files into place in their order on its own thread); dropping it
  // discards it.
  bool handOver = false;
  std::unique_ptr<SafeFile> written;
};

// Writes `source` to `output` (WAV, AIFF or FLAC) beside its place and
// renames it there when it is complete; on abort or failure nothing is left
// behind, and a take that cannot be read is a failure naming it. With
// `checks`, the take files and the file written are hashed as their bytes
// pass (and the file verified if asked) before the rename.
ConversionResult ExportStem(const StemSource& source, const std::filesystem::path& output, AudioFormat format,
                            const ConversionHooks& hooks, StemChecks* checks = nullptr);

// The stem's take(s) as one block source: a take alone as mono, or a master
// take's two files as a stereo pair. Opening fails naming the take.
struct StemTakes {
  TakeSelection selection;
  TakeFiles takes;
  std::unique_ptr<MixSource> pair;
  std::unique_ptr<OneTakeSource> one;
  BlockSource& source() { return pair ? static_cast<BlockSource&>(*pair) : *one; }
};
Status OpenStemTakes(const StemSource& source, StemTakes& open);

// Writes the file ExportStem writes to a side file beside `output` and
// hands it over uncommitted in `written`, for a caller that takes its bytes
// elsewhere (a project file that stores them) and then discards it.
ConversionResult WriteStemUncommitted(const StemSource& source, const std::filesystem::path& output,
                                      AudioFormat format, const ConversionHooks& hooks,
                                      std::unique_ptr<SafeFile>& written);

// Compares the samples of the audio file at `written` with the take(s) of
// `source`, reading the file from the disk. `output` names it in a failure.
Status VerifyStem(const StemSource& source, const std::filesystem::path& written, const std::filesystem::path& output);

// "Track01-1 Kick", "Track16-10 Vox 2", "Master1 Final": the take's name
// (raw name bytes) shown as text, trailing blanks dropped, and characters a
// common file system refuses replaced by "_". An empty name leaves the label.
std::string StemFileStem(std::string_view label, std::string_view nameBytes);

// A name made safe as one path component.
std::string SafeFileNameComponent(std::string_view text);

}  // namespace tp
