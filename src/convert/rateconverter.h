// The conversion of an import source to the 44,100 Hz every take plays at,
// so that a 48 kHz file keeps its pitch and length. libsoxr does the
// resampling at its very-high quality, streaming: the source is read in
// small pieces and nothing grows with the file's length. Its float output
// goes to 16 bits through our own TPDF dither (TpdfDither), so the same
// file always gives the same take.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "convert/importsource.h"
#include "convert/tpdfdither.h"

namespace tp {

// round(frames x 44,100 / rate): how many frames the converted source has.
uint64_t ConvertedFrameCount(uint64_t frames, long double sampleRate);

class RateConverter final : public BlockSource {
 public:
  // `source` must outlive the converter. Fails with "The sampling rate of
  // the file cannot be converted." when libsoxr refuses the rates.
  static Status Create(ImportSource& source, std::unique_ptr<RateConverter>& created);
  ~RateConverter() override;

  // The converted length, before the take pads it to whole blocks.
  uint64_t Frames() const { return convertedFrames_; }
  uint32_t Channels() const override { return source_.Channels(); }
  // After the converted frames, silence (the padding of the last block).
  Status Read(int16_t* block, uint32_t frames) override;
  // Progress counts the source's frames.
  uint64_t SourcePosition(uint64_t delivered) const override;

 private:
  explicit RateConverter(ImportSource& source) : source_(source) {}
  // Converts up to `frames` frames into converted_; returns how many came
  // out (fewer only once the source is drained).
  Status convert(uint32_t frames, size_t& produced);

  ImportSource& source_;
  void* resampler_ = nullptr;  // soxr_t, kept out of this header
  uint64_t convertedFrames_ = 0;
  uint64_t delivered_ = 0;
  uint64_t sourceLeft_ = 0;     // source frames not read yet
  bool inputEnded_ = false;     // the resampler was told the source ended
  bool drained_ = false;        // ... and has given everything out
  std::vector<float> input_;    // one piece of the source
  size_t inputOffset_ = 0, inputFrames_ = 0;
  std::vector<float> converted_;
  TpdfDither dither_;
};

}  // namespace tp
