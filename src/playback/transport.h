// Transport: the audition without its widgets. It owns the 16 take file
// slots, the mixer settings, the lock between the mixing thread and the
// owner, and the audio output stream; the window or the command line tells
// it which takes to play and from where, and hears back through
// TransportEvents.
//
// Every public function runs on the owner's thread unless said otherwise.
// The owner's handlers of the two notices must run on that thread too
// (queued events in the window, a queue in the command line).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>

#include "playback/audiooutstream.h"
#include "loudness/sampleexchange.h"
#include "mix/levelexchange.h"
#include "mix/mixer.h"
#include "playback/sounddevice.h"
#include "mix/takefiles.h"
#include "mix/takeselection.h"
#include "storage/status.h"

namespace tp {

// What to play: the take file of each track (slot i = track i), or in
// master mode the left (slot 0) and right (slot 1) file of a master take;
// the project model says which.
using PlaySelection = TakeSelection;

// How the mixing thread reports back. Both are called on the stream's
// service thread with the mix lock held: they must only queue the notice
// for the owner's thread and return at once, never wait for it.
class TransportEvents {
 public:
  virtual ~TransportEvents() = default;
  // The audition is over: PlayEndedByTakes when the takes ran out (rewind
  // the slider to 0), PlayEndedByUser when the user ended it (leave the
  // slider), PlayEndedByReadError when a take could not be read (leave the
  // slider and tell the user ReadFailure()). Hand it to OnPlayEnd.
  virtual void PostPlayEnd(int rewind) = 0;
  // The slider's new position in frames, just past the block that was
  // mixed. The owner moves its slider and tells SetSliderPosition.
  virtual void PostPlayPos(uint32_t position) = 0;
};

constexpr int PlayEndedByUser = 0;
constexpr int PlayEndedByTakes = 1;
constexpr int PlayEndedByReadError = 2;

// Start's results besides the number of takes opened.
constexpr int StartRefusedByDevice = -1;  // the output is there but would not start
constexpr int StartWithoutOutput = -2;    // no sound output was found

class Transport {
 public:
  static constexpr uint32_t FramesPerSecond = 44100;
  static constexpr uint32_t FramesPerHalf = 8192;

  // Opens the device at once, so that the owner can name the output; each
  // Start looks for it again.
  Transport(TransportEvents& events, std::unique_ptr<SoundDevice> device,
            StreamOptions options = {});
  ~Transport();
  Transport(const Transport&) = delete;
  Transport& operator=(const Transport&) = delete;

  // Opens the sound output anew (one plugged in or started since the last
  // audition is found, without a restart), then the selected takes into
  // the slots at `startFrame`, and starts the stream. Ends a run that is
  // still going first. Returns how many takes were opened (a take that
  // cannot be opened leaves its slot empty; with none open the first fill
  // ends the audition with a rewind), StartWithoutOutput when there is no
  // sound output, or StartRefusedByDevice when it would not start: then
  // nothing plays, no take is open and nothing is posted.
  int Start(const PlaySelection& selection, uint32_t startFrame);
  // The user ended the audition: posts PlayEnd(0); the stop happens in
  // OnPlayEnd when the owner handles it.
  void RequestStop();
  // Handles PlayEnd: stops the stream (waiting for its thread), then closes
  // the takes. Returns true when the owner should rewind its slider to 0.
  bool OnPlayEnd(int rewind);
  // The user has let go of the slider at `frame`. While playing the takes
  // continue from there with the next block; otherwise only the position
  // for the next Start is kept.
  void Seek(uint32_t frame);

  // Prepare and start the stream (false when the device would not) / stop
  // it and release its ring.
  bool StartPlayback();
  void StopPlayback();

  // The slider's position in frames, read by the mixing thread for the
  // position notice. The owner sets it whenever its slider moves.
  void SetSliderPosition(uint32_t frame) { sliderPosition_.store(frame); }
  uint32_t SliderPosition() const { return sliderPosition_.load(); }
  // True while the audition produces sound (false again once the takes ran out).
  bool IsPlaying() const { return Playing.load(); }
  // Why the last audition stopped early: "The take could not be read",
  // naming the take and the reason; success when it did not.
  Status ReadFailure() const;

  // The volume and pan of the 16 strips; the owner writes them at any time.
  MixerSettings& Settings() { return settings_; }
  const MixerSettings& Settings() const { return settings_; }
  // The meters' levels and the clip flag, published block by block by the
  // mixing thread; Start clears them.
  LevelExchange& Levels() { return levels_; }
  // The frames the mixing thread mixed, for the short-term loudness of the
  // MASTER meter: one reader, on the owner's thread. Start clears it.
  SampleExchange& MixedFrames() { return mixedFrames_; }
  // The slots, for an export that mixes with MixBlock while no audition runs.
  TakeFiles& Files() { return takeFiles_; }
  AudioOutStream& Stream() { return stream_; }
  // The sound output the last Start (or the constructor) found, as the
  // system names it; empty when there was none.
  std::string OutputName() const { return stream_.DeviceName(); }

  // The stream's fill function; runs on the service thread.
  int MixerFill(uint8_t* region, uint32_t bytes);

 private:
  TransportEvents& events_;
  TakeFiles takeFiles_;
  std::mutex MixLock;  // serialises MixerFill against the owner's use of the slots
  std::atomic<bool> Playing{false};  // written by the owner and by MixerFill
  MixerSettings settings_;
  LevelExchange levels_;
  // About 6 seconds, twice the meter's window (1 MiB): the meter's timer
  // reads it 30 times a second, so only a window stopped for seconds loses
  // frames, and even then the last 3 seconds before the stop reach it.
  SampleExchange mixedFrames_{262144};
  std::atomic<uint32_t> sliderPosition_{0};
  bool masterMode_ = false;  // written and read under MixLock
  std::array<std::string, TakeFiles::SlotCount> labels_;  // written under MixLock before the stream starts
  std::atomic<int> failedSlot_{-1}, failedError_{0};      // set by MixerFill
  // Last, so that it is destroyed first: its thread calls MixerFill.
  AudioOutStream stream_;
};

}  // namespace tp
