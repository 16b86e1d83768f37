#include "app/demoproject.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "audiofile/cfile.h"
#include "audiofile/byteorder.h"
#include "audiofile/takefile.h"
#include "project/namecodec.h"
#include "project/namefield.h"
#include "project/projectinfo.h"
#include "project/taketime.h"

namespace fs = std::filesystem;

namespace tp {
namespace {

constexpr double kRate = TakeSampleRate;
constexpr double kBeat = 0.5;  // 120 beats per minute
constexpr int kBeats = 16;     // four bars of 4/4
constexpr size_t kFrames = size_t(kBeats * kBeat * kRate);
constexpr double kPi = 3.14159265358979323846;

using Signal = std::vector<float>;

double noteFrequency(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

// A repeatable noise source: the demo is the same on every machine.
class Noise {
 public:
  float next() {
    state_ = state_ * 1664525u + 1013904223u;
    return float(int32_t(state_) / 2147483648.0);
  }

 private:
  uint32_t state_ = 12345;
};

// A tone of `seconds` from `start`, shaped by a short attack and an
// exponential decay, with a few harmonics for colour.
void addNote(Signal& out, double start, double seconds, double frequency, double level, double decay,
             std::initializer_list<double> harmonics = {1.0}) {
  const size_t first = size_t(start * kRate);
  const size_t count = size_t(seconds * kRate);
  for (size_t i = 0; i < count && first + i < out.size(); ++i) {
    const double t = double(i) / kRate;
    const double attack = std::min(1.0, t / 0.005);
    const double release = std::min(1.0, (seconds - t) / 0.01);
    double sample = 0;
    int partial = 1;
    for (double weight : harmonics) sample += weight * std::sin(2 * kPi * frequency * partial++ * t);
    out[first + i] += float(level * attack * release * std::exp(-t / decay) * sample);
  }
}

Signal kick() {
  Signal out(kFrames, 0.f);
  for (int beat = 0; beat < kBeats; ++beat) {
    const size_t first = size_t(beat * kBeat * kRate);
    double phase = 0;
    for (size_t i = 0; i < size_t(0.3 * kRate) && first + i < out.size(); ++i) {
      const double t = double(i) / kRate;
      phase += 2 * kPi * (45 + 75 * std::exp(-t / 0.03)) / kRate;  // the pitch drops as it sounds
      out[first + i] += float(0.9 * std::exp(-t / 0.09) * std::sin(phase));
    }
  }
  return out;
}

Signal snare() {
  Signal out(kFrames, 0.f);
  Noise noise;
  for (int beat = 1; beat < kBeats; beat += 2) {
    const size_t first = size_t(beat * kBeat * kRate);
    for (size_t i = 0; i < size_t(0.2 * kRate) && first + i < out.size(); ++i) {
      const double t = double(i) / kRate;
      out[first + i] += float(std::exp(-t / 0.05) * (0.5 * noise.next() + 0.3 * std::sin(2 * kPi * 185 * t)));
    }
  }
  return out;
}

Signal hiHat() {
  Signal out(kFrames, 0.f);
  Noise noise;
  for (int eighth = 0; eighth < 2 * kBeats; ++eighth) {
    const size_t first = size_t(eighth * kBeat / 2 * kRate);
    const double level = eighth % 2 ? 0.18 : 0.3;
    float previous = 0;
    for (size_t i = 0; i < size_t(0.06 * kRate) && first + i < out.size(); ++i) {
      const double t = double(i) / kRate;
      const float white = noise.next();
      out[first + i] += float(level * std::exp(-t / 0.015) * (white - previous));  // a crude high-pass
      previous = white;
    }
  }
  return out;
}

// Am, F, C, G: one bar each.
constexpr int kRoots[4] = {45, 41, 48, 43};
constexpr int kChords[4][3] = {{57, 60, 64}, {53, 57, 60}, {60, 64, 67}, {55, 59, 62}};

Signal bass(bool octaves) {
  Signal out(kFrames, 0.f);
  for (int eighth = 0; eighth < 2 * kBeats; ++eighth) {
    const int root = kRoots[eighth / 8];
    const int note = octaves && eighth % 2 ? root + 12 : root;
    addNote(out, eighth * kBeat / 2, kBeat / 2 * 0.9, noteFrequency(note), 0.5, 0.25, {1.0, 0.35, 0.12});
  }
  return out;
}

Signal chords() {
  Signal out(kFrames, 0.f);
  for (int bar = 0; bar < 4; ++bar)
    for (int note : kChords[bar]) addNote(out, bar * 4 * kBeat, 4 * kBeat, noteFrequency(note), 0.16, 1.6, {1.0, 0.3, 0.1});
  return out;
}

Signal melody() {
  // A-minor pentatonic, one note per beat, a rest marked 0.
  constexpr int kNotes[kBeats] = {76, 72, 74, 76, 77, 76, 72, 0, 72, 74, 76, 79, 79, 74, 71, 74};
  Signal out(kFrames, 0.f);
  for (int beat = 0; beat < kBeats; ++beat)
    if (kNotes[beat]) addNote(out, beat * kBeat, kBeat * 0.95, noteFrequency(kNotes[beat]), 0.28, 0.6, {1.0, 0.5, 0.25});
  return out;
}

std::vector<int16_t> toSamples(const Signal& signal) {
  std::vector<int16_t> samples(signal.size());
  for (size_t i = 0; i < signal.size(); ++i)
    samples[i] = int16_t(std::lround(std::clamp(signal[i], -1.f, 1.f) * 32000.f));
  return samples;
}

bool writeTake(const fs::path& file, uint32_t trackNumber, const std::string& nameBytes, const Signal& signal) {
  CFile out = OpenCFile(file, "wb");
  if (!out || !WriteTakeHeader(out.get(), 0, trackNumber, EncodeNameField(nameBytes))) return false;
  const std::vector<int16_t> samples = toSamples(signal);
  std::vector<uint8_t> bytes(samples.size() * 2);
  for (size_t i = 0; i < samples.size(); ++i) writeU16LE(&bytes[2 * i], uint16_t(samples[i]));
  if (std::fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size()) return false;
  return std::fclose(out.release()) == 0;
}

bool writeProjectInfo(const fs::path& folder, const std::string& name) {
  std::vector<uint8_t> info(128, 0);
  const NameField field = EncodeNameField(name);
  std::copy(field.begin(), field.end(), info.begin() + PrjDataNameOffset);
  CFile out = OpenCFile((folder / PrjDataFileName), "wb");
  if (!out || std::fwrite(info.data(), 1, info.size(), out.get()) != info.size()) return false;
  return std::fclose(out.release()) == 0;
}

struct Take {
  int track, take;
  std::string name;
  Signal signal;
  float pan;  // -1 left .. 1 right, for the master mix
  bool inMix;
};

// The loudest the mixer's default settings (every strip at unity, centred)
// can make one take per track, with either take of a track that has two.
float loudestDefaultMix(const std::vector<Take>& takes) {
  float loudest = 0;
  for (const Take& choice : takes) {
    Signal sum(kFrames, 0.f);
    for (const Take& take : takes)
      if (take.track != choice.track ? take.inMix : &take == &choice)
        for (size_t i = 0; i < kFrames; ++i) sum[i] += take.signal[i];
    for (float s : sum) loudest = std::max(loudest, std::abs(s));
  }
  return loudest;
}

// A newcomer's first audition or export, at the default mixer settings,
// peaks at -3 dBFS: loud, with room to turn a strip up before it clips.
void levelForTheDefaultMix(std::vector<Take>& takes) {
  const float target = float(std::pow(10.0, -3.0 / 20.0) * 32768.0 / 32000.0);  // toSamples' scale
  const float gain = target / loudestDefaultMix(takes);
  for (Take& take : takes)
    for (float& s : take.signal) s *= gain;
}

bool writeDemo(const fs::path& folder) {
  const std::string melodyName = Utf8ToNameBytes("\uFF92\uFF9B\uFF83\uFF9E\uFF68").value_or("Melody");  // "merodi"
  std::vector<Take> takes = {
      {0, 0, "Kick", kick(), 0.f, true},         {1, 0, "Snare", snare(), 0.f, true},
      {2, 0, "HiHat", hiHat(), 0.35f, true},     {3, 0, "Bass", bass(false), 0.f, true},
      {3, 1, "Bass 2", bass(true), 0.f, false},  {4, 0, "Chords", chords(), -0.3f, true},
      {5, 0, melodyName, melody(), 0.25f, true},
  };
  levelForTheDefaultMix(takes);
  if (!writeProjectInfo(folder, "DEMOSONG")) return false;

  Signal left(kFrames, 0.f), right(kFrames, 0.f);
  for (const Take& take : takes) {
    if (!writeTake(folder / TakeFileName(take.track, take.take), uint32_t(take.track), take.name, take.signal))
      return false;
    if (!take.inMix) continue;
    const float leftGain = 0.45f * std::min(1.f, 1.f - take.pan), rightGain = 0.45f * std::min(1.f, 1.f + take.pan);
    for (size_t i = 0; i < kFrames; ++i) {
      left[i] += leftGain * take.signal[i];
      right[i] += rightGain * take.signal[i];
    }
  }
  return writeTake(folder / MasterTakeFileName(MasterSide::Left, 0), MasterLeftTrackNumber, "Mix", left) &&
         writeTake(folder / MasterTakeFileName(MasterSide::Right, 0), MasterRightTrackNumber, "Mix", right);
}

}  // namespace

fs::path DemoProjectFolder() {
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : ".") / "TrackPorter Demo";
}

DemoResult MakeDemoProject(const fs::path& folder) {
  std::error_code error;
  if (fs::exists(folder, error)) return DemoResult::AlreadyThere;
  fs::path partial = folder;
  partial += ".partial";
  fs::remove_all(partial, error);
  if (!fs::create_directories(partial, error)) return DemoResult::Failed;
  if (!writeDemo(partial)) {
    fs::remove_all(partial, error);
    return DemoResult::Failed;
  }
  fs::rename(partial, folder, error);
  if (error) {
    fs::remove_all(partial, error);
    return DemoResult::Failed;
  }
  return DemoResult::Created;
}

}  // namespace tp
