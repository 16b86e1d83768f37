// What export and import share: the block size, the caller's hooks between
// blocks and the outcome.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "audiofile/audiofile.h"

namespace tp {

// Export and import move 32,768 frames at a time.
constexpr uint32_t ConversionBlockFrames = 32768;

struct ConversionHooks {
  // Called on the converting thread before every block: the window lets its
  // pending events run here; returning true asks for an abort.
  std::function<bool()> betweenBlocks;
  // Called after each block with the position reached and the total.
  std::function<void(uint32_t position, uint32_t total)> progress;
};

struct ConversionResult {
  enum Outcome { Converted, Aborted, Failed } outcome = Failed;
  const char* message = nullptr;  // what the user is told
  uint64_t framesWritten = 0;     // per output (file or take)
};

// Creates a 16-bit, 44,100 Hz WAV or AIFF file of `channels` channels at
// `path` and writes its header: the form every export and stem takes. Null
// when the file cannot be created; `headerWritten` tells whether the header
// reached it.
std::unique_ptr<AudioFile> CreateTakeRateWriter(const std::filesystem::path& path, uint32_t channels,
                                                AudioFormat format, bool& headerWritten);

}  // namespace tp
