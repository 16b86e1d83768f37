#include "convert/conversion.h"

namespace tp {

std::unique_ptr<AudioFile> CreateTakeRateWriter(const std::filesystem::path& path, uint32_t channels,
                                                AudioFormat format, bool& headerWritten) {
  auto writer = OpenAudioFile(path, true);
  if (AudioFileFailed(*writer) != 0) {
    CloseAudioFile(std::move(writer));
    return nullptr;
  }
  writer->channels = channels;
  writer->frames = 0;
  writer->bits = 16;
  writer->sampleRate = 44100.0L;
  headerWritten = WriteAudioHeader(*writer, format) == AudioOk;
  return writer;
}

}  // namespace tp
