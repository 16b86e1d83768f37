#include "convert/importsource.h"

#include <cstdio>
#include <cstring>

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
  if (!decodedStatus.ok()) return decodedStatus;
  opened = std::move(decoded);
  return decodedStatus;
}

bool StartsLikeSoundFile(const uint8_t* head, size_t size) {
  const auto at = [&](size_t offset, const char* tag) {
    const size_t length = std::strlen(tag);
    return offset + length <= size && std::memcmp(head + offset, tag, length) == 0;
  };
  if ((at(0, "RIFF") || at(0, "RIFX")) && at(8, "WAVE")) return true;
  if (at(0, "FORM") && (at(8, "AIFF") || at(8, "AIFC"))) return true;
  for (const char* tag : {"RF64", "BW64", "riff", "fLaC", "OggS", "caff", "ID3", ".snd"})
    if (at(0, tag)) return true;
  // An MP3 without a tag begins with a frame: 11 bits of sync.
  return size >= 2 && head[0] == 0xFF && (head[1] & 0xE0) == 0xE0;
}

Status RateRefused(const std::filesystem::path& path, long double rate) {
  char text[64];
  std::snprintf(text, sizeof text, "%.10Lg Hz", rate);
  return Status::FailBecause(messages::SampleRateRefused, path, text);
}

Status ProbeSourceFile(const std::filesystem::path& path, SourceFormat& format) {
  std::unique_ptr<ImportSource> source;
  const Status status = OpenImportSource(path, source);
  if (status.ok()) format = source->Format();
  return status;
}

}  // namespace tp
