#include "convert/rateconverter.h"

#include <algorithm>
#include <cmath>

#include <soxr.h>

#include "project/messages.h"

namespace tp {

namespace {

// Source frames read at a time: the resampler's own buffers dominate
// memory, this only has to keep the calls few.
constexpr uint32_t InputPieceFrames = 8192;

soxr_t resamplerOf(void* handle) { return static_cast<soxr_t>(handle); }

}  // namespace

uint64_t ConvertedFrameCount(uint64_t frames, long double sampleRate) {
  return uint64_t(std::llround(static_cast<long double>(frames) * TakeSampleRate / sampleRate));
}

Status RateConverter::Create(ImportSource& source, std::unique_ptr<RateConverter>& created) {
  std::unique_ptr<RateConverter> converter(new RateConverter(source));
  const SourceFormat& format = source.Format();
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
  // One thread: a stereo import already converts faster than sox does the
  // same (make bench), and more threads would only take cores from the
  // user's other work.
  const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
  soxr_error_t error = nullptr;
  soxr_t resampler = soxr_create(double(format.sampleRate), double(TakeSampleRate), source.Channels(), &error, &io,
                                 &quality, &runtime);
  if (resampler == nullptr || error != nullptr) {
    if (resampler) soxr_delete(resampler);
    return Status::Fail(messages::RateNotConverted);
  }
  converter->resampler_ = resampler;
  converter->convertedFrames_ = ConvertedFrameCount(format.frames, format.sampleRate);
  converter->sourceLeft_ = format.frames;
  converter->input_.resize(size_t(InputPieceFrames) * source.Channels());
  created = std::move(converter);
  return Status::Ok();
}

RateConverter::~RateConverter() {
  if (resampler_) soxr_delete(resamplerOf(resampler_));
}

Status RateConverter::convert(uint32_t frames, size_t& produced) {
  const uint32_t channels = Channels();
  produced = 0;
  while (produced < frames && !drained_) {
    if (inputFrames_ == inputOffset_ && !inputEnded_ && sourceLeft_ > 0) {
      const uint32_t piece = uint32_t(std::min<uint64_t>(InputPieceFrames, sourceLeft_));
      const Status read = source_.ReadFloat(input_.data(), piece);
      if (!read.ok()) return read;
      sourceLeft_ -= piece;
      inputOffset_ = 0;
      inputFrames_ = piece;
    }
    float* out = converted_.data() + produced * channels;
    size_t taken = 0, given = 0;
    soxr_error_t error;
    if (inputFrames_ > inputOffset_) {
      error = soxr_process(resamplerOf(resampler_), input_.data() + inputOffset_ * channels,
                           inputFrames_ - inputOffset_, &taken, out, frames - produced, &given);
      inputOffset_ += taken;
      // Input present and room for output, yet nothing moved: the loop
      // would never end.
      if (error == nullptr && taken == 0 && given == 0) return Status::Fail(messages::RateNotConverted);
    } else {
      // The source is read to its end: a null input tells the resampler so,
      // and it gives out what its filter still holds.
      inputEnded_ = true;
      error = soxr_process(resamplerOf(resampler_), nullptr, 0, nullptr, out, frames - produced, &given);
      if (given == 0) drained_ = true;
    }
    if (error != nullptr) return Status::Fail(messages::RateNotConverted);
    produced += given;
  }
  return Status::Ok();
}

Status RateConverter::Read(int16_t* block, uint32_t frames) {
  const uint32_t channels = Channels();
  std::fill(block, block + size_t(frames) * channels, int16_t(0));
  // The converted length is fixed by the source's length alone; whatever
  // the filter's tail gives beyond it is dropped, and a shortfall (none has
  // been seen) stays silent.
  const uint64_t left = convertedFrames_ - std::min(delivered_, convertedFrames_);
  const uint32_t wanted = uint32_t(std::min<uint64_t>(frames, left));
  if (wanted == 0) return Status::Ok();
  if (converted_.size() < size_t(wanted) * channels) converted_.resize(size_t(wanted) * channels);
  size_t produced = 0;
  const Status status = convert(wanted, produced);
  if (!status.ok()) return status;
  for (size_t i = 0; i < produced * channels; ++i) block[i] = dither_.Quantise(converted_[i]);
  delivered_ += wanted;
  return Status::Ok();
}

uint64_t RateConverter::SourcePosition(uint64_t delivered) const {
  const SourceFormat& format = source_.Format();
  const auto position =
      uint64_t(std::floor(static_cast<long double>(delivered) * format.sampleRate / TakeSampleRate));
  return std::min(position, format.frames);
}

}  // namespace tp
