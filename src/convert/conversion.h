// What every conversion shares: the block size, the caller's hooks between
// blocks and the outcome.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "loudness/loudness.h"

#include "project/wording.h"
#include "storage/status.h"

namespace tp {

// Export and import move 32,768 frames at a time.
constexpr uint32_t ConversionBlockFrames = 32768;
// Archiving and restoring move four times as much: their files are whole
// takes copied through, the larger block cuts their system calls to a
// quarter (and the kernel's time by about a third), and no window waits
// between their blocks.
constexpr uint32_t ArchiveBlockFrames = 4 * ConversionBlockFrames;

// Writers start the disk's write-back of what they wrote every 256 Ki
// frames (512 KiB of a take, 1 MiB of a stereo file: large enough for the
// disk), so that it overlaps the work that follows instead of waiting at
// the sync that ends the file.
constexpr uint64_t FramesPerWriteBack = 8 * ConversionBlockFrames;
constexpr bool WriteBackDue(uint64_t framesWritten) { return framesWritten % FramesPerWriteBack == 0; }

struct ConversionHooks {
  // Called on the converting thread before every block: the window lets its
  // pending events run here; returning true asks for an abort.
  std::function<bool()> betweenBlocks;
  // Called after each block with the position of that block's first frame,
  // and once more at the end with the total.
  std::function<void(uint32_t position, uint32_t total)> progress;
  // How many blocks may be let through (betweenBlocks asked) beyond the
  // block whose progress was reported last. With 0 (the window) a click
  // seen after the progress of block k keeps exactly k + 1 blocks; the
  // command line lets a few through ahead, so that its workers never wait
  // for the converting thread to be woken.
  uint32_t blocksAhead = 0;
};

// Something the user is told beside the outcome, whatever it was: a take
// left empty, channels left out, which takes of a batch were written. A
// message (messages.h) with its %1 and %2 filled in when it is shown, so
// that the window can show it in its own language.
struct Note {
  const char* message = nullptr;
  std::string first, second;
};
std::string NoteText(const Note& note, Wording wording = AsWritten);

struct ConversionResult {
  enum Outcome { Converted, Aborted, Failed } outcome = Failed;
  const char* message = nullptr;  // what the user is told
  std::string detail;             // the file and the system's reason, for a failure
  uint64_t framesWritten = 0;     // per output (file or take)
  bool outputsKept = false;       // the outputs are in place (after Converted, or an Aborted that kept them)
  // A mixdown's stereo samples that saturated at any step of the mix; 0 for
  // every other conversion.
  uint64_t clippedSamples = 0;
  // What an export measured of the sound it wrote (EBU R128), and, when it
  // was asked to normalise, the gain it applied.
  std::optional<Loudness> loudness{};
  std::optional<Normalisation> normalisation{};
  std::vector<Note> notes{};

  // The failure as it came, for a caller that passes it on.
  Status status = Status::Ok();

  // The message with its detail as one sentence ("The take could not be
  // read: /x/TRACK0_0.DAT (Input/output error)"), in the wording given.
  std::string Text(Wording wording = AsWritten) const;

  static ConversionResult Failure(const Status& status) {
    ConversionResult result{Failed, status.message(), status.Detail(), 0};
    result.status = status;
    return result;
  }
};

// "312 samples clipped" for a mix that clipped, else empty: the line the
// window and the command line add under "Converted".
std::string ClippedSamplesText(uint64_t clippedSamples, Wording wording = AsWritten);

// Every line the window and the command line add under "Converted": the
// clipped samples, the loudness measured, the normalisation, the notes.
std::vector<std::string> LinesUnderConverted(const ConversionResult& result, Wording wording = AsWritten);
// The notes alone, for a failure or an abort.
std::vector<std::string> NoteLines(const ConversionResult& result, Wording wording = AsWritten);

}  // namespace tp
