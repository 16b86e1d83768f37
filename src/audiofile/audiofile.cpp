// Opening, recognising and closing an AudioFile; the reading and writing
// work is in audioreader.cpp and audiowriter.cpp.
#include "audiofile/audiofile.h"

#include <cmath>

#include "audiofile/audiowriter.h"
#include "audiofile/bytestream.h"
#include "audiofile/recognise.h"

namespace tp {

AudioFile::AudioFile() = default;
AudioFile::~AudioFile() = default;

bool isUsableSampleRate(long double rate) {
  return std::isfinite(rate) && rate >= 1.0L && rate <= HighestSampleRate;
}

std::unique_ptr<AudioFile> OpenAudioFileFromStream(std::unique_ptr<ByteStream> stream) {
  auto file = std::make_unique<AudioFile>();
  if (stream == nullptr) return file;
  // AIFF first, then WAV: the contents decide, never the file name.
  if (recogniseAiff(*file, *stream)) {
    file->format = FormatAiff;
  } else if (recogniseWav(*file, *stream)) {
    file->format = FormatWav;
  } else {
    file->readError = stream->systemError();
    return file;  // the stream is closed here; format stays 0
  }
  file->stream = std::move(stream);
  return file;
}

std::unique_ptr<AudioFile> OpenAudioFile(const std::filesystem::path& path, bool forWriting) {
  if (!forWriting) return OpenAudioFileFromStream(FileByteStream::open(path, false));
  auto file = std::make_unique<AudioFile>();
  file->stream = FileByteStream::open(path, true);
  if (file->stream != nullptr) file->mode = 1;
  return file;
}

std::unique_ptr<AudioFile> OpenAudioFileForWriting(FileHandle& handle) {
  auto file = std::make_unique<AudioFile>();
  file->stream = FileByteStream::borrow(handle);
  file->mode = 1;
  return file;
}

std::unique_ptr<AudioFile> OpenAudioFileForWritingTo(std::unique_ptr<ByteStream> stream) {
  auto file = std::make_unique<AudioFile>();
  file->stream = std::move(stream);
  file->mode = 1;
  return file;
}

int AudioFileFailed(const AudioFile& file) {
  if (file.stream == nullptr) return AudioNoStream;
  return file.stream->failed() || file.sizeLimitReached ? 1 : 0;
}

int CloseAudioFile(std::unique_ptr<AudioFile> file) {
  if (file == nullptr) return AudioBadState;
  if (file->stream == nullptr || file->mode != 1) return AudioOk;
  bool ok = finishWrittenFile(*file) && !file->sizeLimitReached;
  return ok ? AudioOk : AudioWriteFailed;
}

}  // namespace tp
