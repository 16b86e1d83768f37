#include "convert/sndfilesource.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include <sndfile.h>

#include "audiofile/audiofile.h"
#include "audiofile/bytestream.h"
#include "audiofile/recognise.h"
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

// Bits per sample as stored; 0 for a codec that stores no fixed word (the
// lossy ones, ADPCM), whose samples decode to floats or 16 bits.
int32_t bitsOf(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW: return 8;
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_ALAC_16: return 16;
    case SF_FORMAT_ALAC_20: return 20;
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_ALAC_24: return 24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_ALAC_32:
    case SF_FORMAT_FLOAT: return 32;
    case SF_FORMAT_DOUBLE: return 64;
    default: return 0;
  }
}

// Sources whose samples are not integers: libsndfile hands their integers
// out unscaled (a float file read as integers is all but silence), so they
// are decoded as floats.
bool isFloatNative(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
    case SF_FORMAT_MPEG_LAYER_I:
    case SF_FORMAT_MPEG_LAYER_II:
    case SF_FORMAT_MPEG_LAYER_III: return true;
    default: return false;
  }
}

// The name the preview and `probe` show. An AIFF that reaches libsndfile
// is told apart as AIFF-C by its form type, as the program's own reader
// takes the plain form.
std::string formatName(int format, const std::array<uint8_t, 12>& head, SNDFILE* file) {
  switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_FLAC: return "FLAC";
    case SF_FORMAT_RF64: return "RF64";
    case SF_FORMAT_W64: return "Wave64";
    case SF_FORMAT_CAF: return "CAF";
    case SF_FORMAT_MPEG: return "MP3";
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX: return "WAV";
    case SF_FORMAT_AIFF: return std::memcmp(head.data() + 8, "AIFC", 4) == 0 ? "AIFF-C" : "AIFF";
    case SF_FORMAT_OGG:
      if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_OPUS) return "Opus";
      return "Ogg Vorbis";
    default: break;
  }
  SF_FORMAT_INFO info{};
  info.format = format & SF_FORMAT_TYPEMASK;
  if (sf_command(file, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name) return info.name;
  return "audio";
}

}  // namespace

namespace {

// A decoding error met while reading: a compressed stream cut inside its
// last frame (its bytes are all read) ends in the middle of its audio;
// anything else is damage inside the file.
Status decodingFailure(SNDFILE* file, ByteStream& stream, const std::filesystem::path& path) {
  if (stream.position() >= stream.size()) return Status::Fail(messages::SourceEndsInFrame, path);
  return Status::FailBecause(messages::SourceDamaged, path, sf_strerror(file));
}

// The frames of a file whose header does not say, decoded a block at a
// time through a scratch of fixed size.
Status countFrames(SNDFILE* file, const SF_INFO& info, ByteStream& stream, const std::filesystem::path& path,
                   sf_count_t& frames) {
  constexpr sf_count_t ScratchFrames = 4096;
  std::vector<int> scratch(size_t(ScratchFrames) * size_t(info.channels));
  frames = 0;
  for (sf_count_t got; (got = sf_readf_int(file, scratch.data(), ScratchFrames)) > 0;) {
    frames += got;
    // libsndfile clears the error at the next read: look after each one.
    if (sf_error(file) != SF_ERR_NO_ERROR) return decodingFailure(file, stream, path);
  }
  if (stream.failed()) return Status::Fail(messages::SourceNotRead, path, stream.systemError());
  if (sf_seek(file, 0, SEEK_SET) != 0) return Status::Fail(messages::SourceNotRead, path);
  return Status::Ok();
}

// Why libsndfile did not open a file: damage in a file that begins as a
// sound file, or no sound file at all.
Status openingRefusal(const std::filesystem::path& path, const std::array<uint8_t, 12>& head) {
  if (StartsLikeSoundFile(head.data(), head.size()))
    return Status::FailBecause(messages::SourceDamaged, path, sf_strerror(nullptr));
  return Status::FailBecause(messages::NotWavOrAiff, path, messages::FormatsImported);
}

}  // namespace

Status SndfileSource::Open(const std::filesystem::path& path, std::unique_ptr<SndfileSource>& opened) {
  std::unique_ptr<SndfileSource> source(new SndfileSource);
  source->path_ = path;
  source->stream_ = FileByteStream::open(path, false);
  if (!source->stream_) return Status::Fail(messages::SourceNotRead, path, errno);
  std::array<uint8_t, 12> head{};
  source->stream_->read(head.data(), head.size());
  // libsndfile turns an AIFF's rate of 0 or NaN into some whole number.
  if (const auto rate = AiffDeclaredRate(*source->stream_); rate && !isUsableSampleRate(*rate))
    return RateRefused(path, *rate);
  source->stream_->seek(0);
  SF_INFO info{};
  SNDFILE* file = sf_open_virtual(&virtualIo, SFM_READ, &info, source->stream_.get());
  if (source->stream_->failed()) {
    if (file) sf_close(file);
    return Status::Fail(messages::SourceNotRead, path, source->stream_->systemError());
  }
  if (!file) return openingRefusal(path, head);
  source->file_ = file;
  if (!isUsableSampleRate(info.samplerate)) return RateRefused(path, info.samplerate);
  if (info.channels <= 0 || info.frames < 0) return openingRefusal(path, head);
  // libsndfile says SF_COUNT_MAX for a length it does not know: a FLAC
  // file written into a pipe has no length in its header. The file is
  // counted instead, decoded once through, then read from its start.
  if (info.frames >= SF_COUNT_MAX) {
    if (const Status counted = countFrames(file, info, *source->stream_, path, info.frames); !counted.ok())
      return counted;
  }
  source->floatNative_ = isFloatNative(info.format);
  // Integers arrive at the top of 32 bits whatever the file's width, which
  // is where the WAV rule takes the top 16 from; floats at full scale 1.0.
  sf_command(file, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
  source->channels_ = std::min(uint32_t(info.channels), 2u);
  source->remaining_ = uint64_t(info.frames);
  source->format_ = {formatName(info.format, head, file), (long double)info.samplerate, bitsOf(info.format),
                     uint32_t(info.channels), uint64_t(info.frames)};
  opened = std::move(source);
  return Status::Ok();
}

SndfileSource::~SndfileSource() {
  if (file_) sf_close(static_cast<SNDFILE*>(file_));
}

void SndfileSource::KeepChannels(uint32_t count) { channels_ = std::clamp(count, 1u, format_.channels); }

long long SndfileSource::decode(size_t frames) {
  auto* file = static_cast<SNDFILE*>(file_);
  const size_t samples = frames * format_.channels;
  if (floatNative_) {
    floats_.resize(samples);
    return sf_readf_float(file, floats_.data(), sf_count_t(frames));
  }
  integers_.resize(samples);
  return sf_readf_int(file, integers_.data(), sf_count_t(frames));
}

namespace {

// The WAV rule for 16 bits: an integer's top 16 bits, a float rounded from
// full scale (NaN is silence).
int16_t toSample16(int32_t sample) { return int16_t(sample >> 16); }
int16_t toSample16(float sample) {
  if (std::isnan(sample)) return 0;
  return int16_t(std::clamp(std::round(double(sample) * 32768.0), -32768.0, 32767.0));
}
float toFloat(int32_t sample) { return float(sample) * (1.0f / 2147483648.0f); }
float toFloat(float sample) { return std::isnan(sample) ? 0.0f : sample; }

template <typename Sample, typename Decoded>
void keepChannels(Sample* out, const Decoded* decoded, size_t frames, size_t fileChannels, uint32_t kept) {
  for (size_t f = 0; f < frames; ++f)
    for (uint32_t c = 0; c < kept; ++c) {
      const Decoded value = decoded[f * fileChannels + c];
      if constexpr (std::is_same_v<Sample, int16_t>) out[f * kept + c] = toSample16(value);
      else out[f * kept + c] = toFloat(value);
    }
}

}  // namespace

template <typename Sample>
Status SndfileSource::readFrames(Sample* block, uint32_t frames) {
  std::fill(block, block + size_t(frames) * channels_, Sample(0));
  const size_t fileChannels = format_.channels;
  const size_t pieceFrames = std::max<size_t>(1, ScratchSamples / fileChannels);
  uint32_t done = 0;
  while (done < frames && remaining_ > 0) {
    const size_t want = size_t(std::min<uint64_t>({uint64_t(pieceFrames), uint64_t(frames - done), remaining_}));
    const long long got = decode(want);
    if (stream_->failed()) return Status::Fail(messages::SourceNotRead, path_, stream_->systemError());
    if (sf_error(static_cast<SNDFILE*>(file_)) != SF_ERR_NO_ERROR)
      return decodingFailure(static_cast<SNDFILE*>(file_), *stream_, path_);
    // A file that ends before the length its header declares (a file cut
    // after its header would otherwise import as seconds of silence).
    if (got <= 0) return Status::Fail(messages::SourceEndsEarly, path_);
    Sample* out = block + size_t(done) * channels_;
    if (floatNative_) keepChannels(out, floats_.data(), size_t(got), fileChannels, channels_);
    else keepChannels(out, integers_.data(), size_t(got), fileChannels, channels_);
    done += uint32_t(got);
    remaining_ -= uint64_t(got);
  }
  return Status::Ok();
}

Status SndfileSource::Read(int16_t* block, uint32_t frames) { return readFrames(block, frames); }

Status SndfileSource::ReadFloat(float* block, uint32_t frames) { return readFrames(block, frames); }

}  // namespace tp
