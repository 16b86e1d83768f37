#include "convert/audiofilesource.h"

#include <algorithm>
#include <cerrno>

#include "audiofile/bytestream.h"
#include "project/messages.h"

namespace tp {

Status AudioFileSource::Open(const std::filesystem::path& path, std::unique_ptr<AudioFileSource>& opened) {
  std::unique_ptr<AudioFileSource> source(new AudioFileSource);
  source->path_ = path;
  // A file that is not there, or is no regular file, says so rather than
  // "not a WAV/AIFF".
  std::unique_ptr<FileByteStream> stream = FileByteStream::open(path, false);
  if (!stream) return Status::Fail(messages::SourceNotRead, path, errno);
  source->file_ = OpenAudioFileFromStream(std::move(stream));
  AudioFile& file = *source->file_;
  if (file.readError != 0) return Status::Fail(messages::SourceNotRead, path, file.readError);
  if (file.rateRefused) return RateRefused(path, file.sampleRate);
  if (file.format == FormatNone || file.channels == 0 || StoredFrameBytes(file) > MaximumReadBytes)
    return Status::Fail(messages::NotWavOrAiff, path);
  if (SeekAudioFrame(file, 0) != AudioOk) return Status::Fail(messages::SourceNotRead, path, file.stream->systemError());
  source->channels_ = std::min(file.channels, 2u);
  source->remaining_ = file.frames;
  source->format_ = {file.format == FormatWav ? "WAV" : "AIFF", file.sampleRate, file.bits, file.channels,
                     file.frames};
  opened = std::move(source);
  return Status::Ok();
}

AudioFileSource::~AudioFileSource() {
  if (file_) CloseAudioFile(std::move(file_));
}

template <typename Sample>
Status AudioFileSource::readFrames(Sample* block, uint32_t frames) {
  // Past the frames the header promises, the block is silence, as the take
  // is padded to whole blocks.
  const uint32_t wanted = uint32_t(std::min<uint64_t>(frames, remaining_));
  std::fill(block, block + size_t(frames) * channels_, Sample(0));
  if (wanted == 0) return Status::Ok();
  const int64_t got = ReadAudioFrameChannels(*file_, wanted, block, channels_, scratch_);
  remaining_ -= wanted;
  if (file_->stream->failed()) return Status::Fail(messages::SourceNotRead, path_, file_->stream->systemError());
  // The frames were counted against the file's size when it was opened:
  // fewer now means it was cut short since, and what is gone is no silence.
  if (got < int64_t(wanted)) return Status::FailBecause(messages::SourceNotRead, path_, messages::SourceShrank);
  return Status::Ok();
}

Status AudioFileSource::Seek(uint64_t frame) {
  if (SeekAudioFrame(*file_, uint32_t(std::min<uint64_t>(frame, file_->frames))) != AudioOk)
    return Status::Fail(messages::SourceNotRead, path_, file_->stream->systemError());
  remaining_ = file_->frames - std::min<uint64_t>(frame, file_->frames);
  return Status::Ok();
}

std::unique_ptr<ImportSource> AudioFileSource::SharedReader() {
  auto* stream = dynamic_cast<FileByteStream*>(file_->stream.get());
  if (stream == nullptr || stream->handle() == nullptr) return nullptr;
  std::unique_ptr<AudioFileSource> reader(new AudioFileSource);
  reader->path_ = path_;
  // What recognising the file found, without reading its header again.
  reader->file_ = std::make_unique<AudioFile>();
  AudioFile& file = *reader->file_;
  file.stream = FileByteStream::borrow(*stream->handle());
  file.format = file_->format;
  file.dataStart = file_->dataStart;
  file.channels = file_->channels;
  file.frames = file_->frames;
  file.bits = file_->bits;
  file.sampleRate = file_->sampleRate;
  file.encoding = file_->encoding;
  file.bytesPerSample = file_->bytesPerSample;
  reader->format_ = format_;
  reader->channels_ = channels_;
  reader->remaining_ = file_->frames;
  return reader;
}

Status AudioFileSource::Read(int16_t* block, uint32_t frames) { return readFrames(block, frames); }

Status AudioFileSource::ReadFloat(float* block, uint32_t frames) { return readFrames(block, frames); }

}  // namespace tp
