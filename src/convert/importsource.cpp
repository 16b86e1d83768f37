#include "convert/importsource.h"

#include "convert/audiofilesource.h"
#include "convert/flacsource.h"
#include "project/messages.h"

namespace tp {

Status OpenImportSource(const std::filesystem::path& path, std::unique_ptr<ImportSource>& opened) {
  std::unique_ptr<AudioFileSource> audioFile;
  const Status status = AudioFileSource::Open(path, audioFile);
  if (status.ok()) {
    opened = std::move(audioFile);
    return status;
  }
  if (!status.Is(messages::NotWavOrAiff)) return status;
  std::unique_ptr<FlacFileSource> flac;
  const Status flacStatus = FlacFileSource::Open(path, flac);
  if (!flacStatus.ok()) return flacStatus.Is(messages::NotWavOrAiff) ? status : flacStatus;
  opened = std::move(flac);
  return flacStatus;
}

Status ProbeSourceFile(const std::filesystem::path& path, SourceFormat& format) {
  std::unique_ptr<ImportSource> source;
  const Status status = OpenImportSource(path, source);
  if (status.ok()) format = source->Format();
  return status;
}

}  // namespace tp
