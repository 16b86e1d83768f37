#include "dawproject/stembytes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "audiofile/bytestream.h"
#include "audiofile/takefile.h"
#include "project/messages.h"

namespace tp {

// What the WAV writer wrote and the ZIP writer has not taken yet. The
// writer writes front to back (its sizes preset), so a position is all it
// needs beyond the bytes.
class StemBytes::PendingBytes final : public ByteStream {
 public:
  size_t read(uint8_t*, size_t) override { return 0; }
  bool write(const uint8_t* source, size_t count) override {
    bytes_.insert(bytes_.end(), source, source + count);
    position_ += int64_t(count);
    return true;
  }
  bool seek(int64_t position) override {
    if (position != position_) failed_ = true;
    return !failed_;
  }
  int64_t position() const override { return position_; }
  int64_t size() override { return position_; }
  bool failed() const override { return failed_; }
  bool close() override { return !failed_; }

  size_t Take(uint8_t* destination, size_t count) {
    const size_t taken = std::min(count, bytes_.size() - taken_);
    std::memcpy(destination, bytes_.data() + taken_, taken);
    taken_ += taken;
    if (taken_ == bytes_.size()) bytes_.clear(), taken_ = 0;
    return taken;
  }
  bool Empty() const { return bytes_.empty(); }

 private:
  std::vector<uint8_t> bytes_;
  size_t taken_ = 0;
  int64_t position_ = 0;
  bool failed_ = false;
};

namespace {

uint32_t channelsOf(const StemSource& source) { return source.right ? 2 : 1; }

// A WAV writer over `stream` for `frames` frames, its sizes in the header
// from the start, as the archive writes its files.
std::unique_ptr<AudioFile> wavWriter(std::unique_ptr<ByteStream> stream, uint32_t channels, uint32_t frames) {
  auto writer = OpenAudioFileForWritingTo(std::move(stream));
  writer->channels = channels;
  writer->frames = frames;
  writer->sizesPreset = true;
  writer->bits = 16;
  writer->sampleRate = TakeSampleRate;
  return writer;
}

}  // namespace

StemBytes::StemBytes(StemSource source, AudioFormat format, std::filesystem::path besides)
    : source_(std::move(source)), format_(format), besides_(std::move(besides)) {}

StemBytes::~StemBytes() { Close(); }

int64_t StemBytes::KnownSize() const {
  if (format_ == FormatFlac) return -1;
  auto header = std::make_unique<PendingBytes>();
  PendingBytes& bytes = *header;
  auto writer = wavWriter(std::move(header), channelsOf(source_), source_.length);
  if (WriteAudioHeader(*writer, format_) != AudioOk) return -1;
  return bytes.position() + int64_t(source_.length) * channelsOf(source_) * TakeBytesPerSample;
}

ConversionResult StemBytes::Open(const ConversionHooks& hooks) {
  Close();
  if (format_ == FormatFlac) {
    ConversionResult result = WriteStemUncommitted(source_, besides_, format_, hooks, encoded_);
    if (result.outcome == ConversionResult::Converted && !encoded_)
      return ConversionResult::Failure(Status::Fail(messages::OutputNotWritten, besides_));
    return result;
  }
  takes_ = std::make_unique<StemTakes>();
  const Status opened = OpenStemTakes(source_, *takes_);
  if (!opened.ok()) return ConversionResult::Failure(opened);
  auto stream = std::make_unique<PendingBytes>();
  pending_ = stream.get();
  writer_ = wavWriter(std::move(stream), channelsOf(source_), source_.length);
  if (WriteAudioHeader(*writer_, format_) != AudioOk)
    return ConversionResult::Failure(Status::Fail(messages::OutputNotWritten, besides_, EFBIG));
  block_.resize(size_t(ArchiveBlockFrames) * channelsOf(source_));
  return {ConversionResult::Converted, messages::Converted, {}, 0};
}

Status StemBytes::produceBlock() {
  const uint32_t frames = uint32_t(std::min<uint64_t>(ArchiveBlockFrames, source_.length - framesMade_));
  const Status read = takes_->source().Read(block_.data(), frames);
  if (!read.ok()) return read;
  if (WriteAudioFrames(*writer_, block_.data(), frames) != AudioOk)
    return Status::Fail(messages::OutputNotWritten, besides_, EFBIG);
  framesMade_ += frames;
  return Status::Ok();
}

Status StemBytes::Read(uint8_t* destination, size_t count, size_t& got) {
  got = 0;
  if (encoded_) {
    const ssize_t read = encoded_->handle().ReadAt(destination, count, readPosition_);
    if (read < 0) return Status::Fail(messages::OutputNotWritten, encoded_->writtenPath(), errno);
    readPosition_ += read;
    got = size_t(read);
    return Status::Ok();
  }
  if (!writer_) return Status::Ok();
  while (pending_->Empty() && framesMade_ < source_.length) {
    const Status made = produceBlock();
    if (!made.ok()) return made;
  }
  got = pending_->Take(destination, count);
  return Status::Ok();
}

void StemBytes::Close() {
  if (writer_) CloseAudioFile(std::move(writer_));
  pending_ = nullptr;
  takes_.reset();
  framesMade_ = 0;
  if (encoded_) encoded_->Discard();
  encoded_.reset();
  readPosition_ = 0;
}

}  // namespace tp
