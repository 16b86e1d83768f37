#include "convert/sinks.h"

#include <bit>
#include <cerrno>

#include "audiofile/byteorder.h"
#include "audiofile/bytestream.h"
#include "audiofile/takefile.h"
#include "project/messages.h"

namespace tp {

Status AudioFileSink::Create(std::unique_ptr<SafeFile> output, uint32_t channels, AudioFormat format,
                             std::unique_ptr<AudioFileSink>& created, uint64_t totalFrames) {
  return create(std::move(output), channels, format, created, totalFrames, nullptr);
}

Status AudioFileSink::CreateHashed(std::unique_ptr<SafeFile> output, uint32_t channels, AudioFormat format,
                                   uint64_t totalFrames, Sha256& sum, std::unique_ptr<AudioFileSink>& created) {
  return create(std::move(output), channels, format, created, totalFrames, &sum);
}

Status AudioFileSink::create(std::unique_ptr<SafeFile> output, uint32_t channels, AudioFormat format,
                             std::unique_ptr<AudioFileSink>& created, uint64_t totalFrames, Sha256* sum) {
  std::unique_ptr<AudioFileSink> sink(new AudioFileSink);
  sink->output_ = std::move(output);
  sink->writer_ = OpenAudioFileForWriting(sink->output_->handle());
  sink->writer_->channels = channels;
  sink->writer_->frames = 0;
  if (sum != nullptr) static_cast<FileByteStream&>(*sink->writer_->stream).HashWrites(sum);
  if (sink->output_->sequential()) static_cast<FileByteStream&>(*sink->writer_->stream).HoldNextWrite();
  if (sink->output_->sequential() || sum != nullptr) {
    if (totalFrames > UINT32_MAX) return Status::Fail(messages::OutputNotWritten, sink->output_->target(), EFBIG);
    sink->writer_->frames = uint32_t(totalFrames);
    sink->writer_->sizesPreset = true;
  }
  sink->writer_->bits = 16;
  sink->writer_->sampleRate = TakeSampleRate;
  if (WriteAudioHeader(*sink->writer_, format) != AudioOk || AudioFileFailed(*sink->writer_) != 0) {
    const Status status = sink->failure();
    sink->output_->Discard();
    return status;
  }
  created = std::move(sink);
  return Status::Ok();
}

AudioFileSink::~AudioFileSink() = default;

Status AudioFileSink::failure() const {
  const int error = writer_ && writer_->stream ? writer_->stream->systemError() : 0;
  return Status::Fail(messages::OutputNotWritten, output_->target(), error);
}

Status AudioFileSink::Write(const int16_t* block, uint32_t frames, uint32_t) {
  if (WriteAudioFrames(*writer_, block, frames) != AudioOk || AudioFileFailed(*writer_) != 0) {
    if (writer_->sizeLimitReached) return Status::Fail(messages::OutputNotWritten, output_->target(), EFBIG);
    return failure();
  }
  return Status::Ok();
}

Status AudioFileSink::Finish() {
  const int error = writer_->stream ? writer_->stream->systemError() : 0;
  if (CloseAudioFile(std::move(writer_)) != AudioOk)
    return Status::Fail(messages::OutputNotWritten, output_->target(), error);
  return Status::Ok();
}

Status TakeSink::Create(std::unique_ptr<SafeFile> output, const Header& header, uint32_t channel,
                        std::unique_ptr<TakeSink>& created) {
  std::unique_ptr<TakeSink> sink(new TakeSink);
  sink->output_ = std::move(output);
  sink->channel_ = channel;
  if (!WriteTakeHeader(sink->output_->handle(), header.channelIndex, header.trackNumber, header.name)) {
    const Status status = Status::Fail(messages::TakeNotWritten, sink->output_->target(), errno);
    sink->output_->Discard();
    return status;
  }
  created = std::move(sink);
  return Status::Ok();
}

Status TakeSink::Write(const int16_t* block, uint32_t frames, uint32_t channels) {
  // A mono block on a little-endian host already is the take's bytes.
  if (channels == 1 && std::endian::native == std::endian::little) {
    if (!output_->handle().Write(block, size_t(frames) * TakeBytesPerSample))
      return Status::Fail(messages::TakeNotWritten, output_->target(), errno);
    return Status::Ok();
  }
  bytes_.resize(size_t(frames) * TakeBytesPerSample);
  const int16_t* from = block + channel_;
  // Mono and stereo blocks get loops of their own, with the stride known, so
  // that they vectorise.
  if (channels == 1) {
    for (size_t j = 0; j < frames; ++j) writeU16LE(&bytes_[2 * j], uint16_t(from[j]));
  } else if (channels == 2) {
    for (size_t j = 0; j < frames; ++j) writeU16LE(&bytes_[2 * j], uint16_t(from[2 * j]));
  } else {
    for (size_t j = 0; j < frames; ++j) writeU16LE(&bytes_[2 * j], uint16_t(from[j * channels]));
  }
  if (!output_->handle().Write(bytes_.data(), bytes_.size()))
    return Status::Fail(messages::TakeNotWritten, output_->target(), errno);
  return Status::Ok();
}

}  // namespace tp
