#include "convert/flacsource.h"

#include <algorithm>

#include <sndfile.h>

#include "audiofile/bytestream.h"
#include "project/messages.h"

namespace tp {

namespace {

// Decoded frames are fetched through a scratch buffer of at most this many
// samples, so memory stays bounded whatever the file claims.
constexpr size_t ScratchSamples = 64 * 1024;

sf_count_t streamLength(void* user) { return static_cast<ByteStream*>(user)->size(); }

sf_count_t streamSeek(sf_count_t offset, int whence, void* user) {
  auto* stream = static_cast<ByteStream*>(user);
  int64_t target = offset;
  if (whence == SEEK_CUR) target += stream->position();
  if (whence == SEEK_END) target += stream->size();
  if (!stream->seek(target)) return -1;
  return stream->position();
}

sf_count_t streamRead(void* destination, sf_count_t count, void* user) {
  return sf_count_t(static_cast<ByteStream*>(user)->read(static_cast<uint8_t*>(destination), size_t(count)));
}

sf_count_t streamWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t streamTell(void* user) { return static_cast<ByteStream*>(user)->position(); }

SF_VIRTUAL_IO virtualIo = {streamLength, streamSeek, streamRead, streamWrite, streamTell};

int32_t bitsOf(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8: return 8;
    case SF_FORMAT_PCM_16: return 16;
    case SF_FORMAT_PCM_24: return 24;
    default: return 32;
  }
}

}  // namespace

Status FlacFileSource::Open(const std::filesystem::path& path, std::unique_ptr<FlacFileSource>& opened) {
  std::unique_ptr<FlacFileSource> source(new FlacFileSource);
  source->path_ = path;
  source->stream_ = FileByteStream::open(path, false);
  if (!source->stream_) return Status::Fail(messages::NotWavOrAiff, path);
  SF_INFO info{};
  SNDFILE* file = sf_open_virtual(&virtualIo, SFM_READ, &info, source->stream_.get());
  if (source->stream_->failed()) {
    if (file) sf_close(file);
    return Status::Fail(messages::SourceNotRead, path, source->stream_->systemError());
  }
  if (!file) return Status::Fail(messages::NotWavOrAiff, path);
  source->file_ = file;
  // libsndfile reads many formats; only FLAC is taken through it, the
  // program's own readers stay the judges of WAV and AIFF.
  if ((info.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_FLAC || info.channels <= 0 || info.samplerate <= 0 ||
      info.frames < 0)
    return Status::Fail(messages::NotWavOrAiff, path);
  // Integers arrive at the top of 32 bits whatever the file's width, which
  // is where the WAV rule takes the top 16 from.
  sf_command(file, SFC_SET_NORM_FLOAT, nullptr, SF_FALSE);
  source->channels_ = std::min(uint32_t(info.channels), 2u);
  source->remaining_ = uint64_t(info.frames);
  source->format_ = {"FLAC", (long double)info.samplerate, bitsOf(info.format), uint32_t(info.channels),
                     uint64_t(info.frames)};
  opened = std::move(source);
  return Status::Ok();
}

FlacFileSource::~FlacFileSource() {
  if (file_) sf_close(static_cast<SNDFILE*>(file_));
}

template <typename Sample, typename Convert>
Status FlacFileSource::readFrames(Sample* block, uint32_t frames, Convert convert) {
  std::fill(block, block + size_t(frames) * channels_, Sample(0));
  const size_t fileChannels = format_.channels;
  const size_t pieceFrames = std::max<size_t>(1, ScratchSamples / fileChannels);
  scratch_.resize(pieceFrames * fileChannels);
  uint32_t done = 0;
  while (done < frames && remaining_ > 0) {
    const size_t want = size_t(std::min<uint64_t>({uint64_t(pieceFrames), uint64_t(frames - done), remaining_}));
    const sf_count_t got = sf_readf_int(static_cast<SNDFILE*>(file_), scratch_.data(), sf_count_t(want));
    if (stream_->failed()) return Status::Fail(messages::SourceNotRead, path_, stream_->systemError());
    if (got <= 0) {
      // A decoding error is a damaged file, not silence; so is a file that
      // ends before the length its header declares (a FLAC file cut after
      // its header would otherwise import as seconds of silence).
      if (sf_error(static_cast<SNDFILE*>(file_)) != SF_ERR_NO_ERROR)
        return Status::Fail(messages::SourceNotRead, path_);
      return Status::Fail(messages::SourceEndsEarly, path_);
    }
    for (sf_count_t f = 0; f < got; ++f)
      for (uint32_t c = 0; c < channels_; ++c)
        block[(size_t(done) + size_t(f)) * channels_ + c] = convert(scratch_[size_t(f) * fileChannels + c]);
    done += uint32_t(got);
    remaining_ -= uint64_t(got);
  }
  return Status::Ok();
}

Status FlacFileSource::Read(int16_t* block, uint32_t frames) {
  return readFrames(block, frames, [](int32_t sample) { return int16_t(sample >> 16); });
}

Status FlacFileSource::ReadFloat(float* block, uint32_t frames) {
  return readFrames(block, frames, [](int32_t sample) { return float(sample) * (1.0f / 2147483648.0f); });
}

}  // namespace tp
