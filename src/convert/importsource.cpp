#include "convert/importsource.h"

#include "convert/audiofilesource.h"
#include "convert/sndfilesource.h"
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
  // Anything else that libsndfile decodes, whatever the file's name says
  // (an RF64 file is often named .wav).
  std::unique_ptr<SndfileSource> decoded;
  const Status decodedStatus = SndfileSource::Open(path, decoded);
  if (!decodedStatus.ok()) return decodedStatus.Is(messages::NotWavOrAiff) ? status : decodedStatus;
  opened = std::move(decoded);
  return decodedStatus;
}

Status ProbeSourceFile(const std::filesystem::path& path, SourceFormat& format) {
  std::unique_ptr<ImportSource> source;
  const Status status = OpenImportSource(path, source);
  if (status.ok()) format = source->Format();
  return status;
}

}  // namespace tp
