// Ardour's own render of the session we write against our mixdown of the
// same choice: the export rounds each track's scaled sample down, Ardour
// mixes in floats, so every frame of Ardour's lies 0 to n steps (16-bit
// LSB) above ours, n the tracks heard with a gain that is not whole.
#include <cmath>

#include <gtest/gtest.h>

#include "dawproject/ardourfixture.h"
#include "dawproject/sessionfixture.h"
#include "mix/mixer.h"
#include "support/projectfixture.h"
#include "support/tempfolder.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

// A tone of `frames` samples, `amplitude` high, `period` samples long: quiet
// enough that no mix of them clips (where a clip happens differs).
std::vector<int16_t> Tone(size_t frames, double amplitude, double period) {
  std::vector<int16_t> samples(frames);
  for (size_t i = 0; i < frames; ++i)
    samples[i] = int16_t(std::lround(amplitude * std::sin(2 * M_PI * double(i) / period)));
  return samples;
}

// Four tracks of a second or so, of odd lengths, one with a second take;
// and a master take.
void WriteRenderSong(const fs::path& song) {
  fs::create_directories(song);
  WriteProjectInfo(song, "Render");
  WriteTake(song / "TRACK0_0.DAT", "Bass", Tone(60001, 3000, 211.3));
  WriteTake(song / "TRACK0_1.DAT", "Bass 2", Tone(50000, 2500, 97.1));
  WriteTake(song / "TRACK2_0.DAT", "Keys", Tone(61234, 2000, 50.7));
  WriteTake(song / "TRACK4_0.DAT", "Vox", Tone(44100, 2800, 133.9));
  WriteTake(song / "TRACK153.DAT", "", Tone(9999, 1500, 17.3));
  WriteTake(song / "TRACKL_0.DAT", "Mix", Tone(56000, 5000, 300.1));
  WriteTake(song / "TRACKR_0.DAT", "Mix", Tone(55000, 4000, 151.7));
}

// The export mixes the takes it is given: every track's, as the session holds them.
const std::string EveryTrack = "-t 3-1 -t 5-1 -t 16-4 ";

struct RenderCase {
  const char* name;
  std::string options;  // the take and mixer options, the same for session and export
  int fractionalTracks;  // heard with a gain that is not a whole number
  bool mastersOnly = false;
};

void PrintTo(const RenderCase& c, std::ostream* out) { *out << c.name << ": " << c.options; }

class ArdourRender : public ::testing::TestWithParam<RenderCase> {
 protected:
  TempFolder disk;
};

TEST_P(ArdourRender, ArdoursRenderLiesWithinTheRoundingOfOurMixdown) {
  const RenderCase& c = GetParam();
  const fs::path song = disk / "song", folder = disk / "Render", mine = disk / "mix.wav";
  WriteRenderSong(song);
  if (c.mastersOnly)
    for (const char* take : {"TRACK0_0.DAT", "TRACK0_1.DAT", "TRACK2_0.DAT", "TRACK4_0.DAT", "TRACK153.DAT"})
      fs::remove(song / take);
  const std::string cli = std::string(TP_CLI_PATH);
  auto written = RunCommand(cli + " session " + Quoted(song.string()) + " " + Quoted(folder.string()) +
                            " --ardour -q " + c.options);
  ASSERT_EQ(written.status, 0) << written.out;
  written = RunCommand(cli + " export " + Quoted(song.string()) + " " + Quoted(mine.string()) + " -q " + c.options +
                       (c.mastersOnly ? " --master 1" : ""));
  ASSERT_EQ(written.status, 0) << written.out;

  std::string log;
  const std::vector<float> theirs = RenderWithArdour(folder, disk.path(), log);
  ASSERT_FALSE(theirs.empty()) << "no two renders agreed:\n" << log;
  const SoundData ours = ReadWithSndfile(mine);
  ASSERT_EQ(ours.channels, 2);
  ASSERT_EQ(theirs.size(), ours.samples.size()) << "the session's range is the export's length";
  // Ardour's float arithmetic adds a few millionths of a step.
  constexpr double Slack = 0.02;
  double lowest = 0, highest = 0;
  size_t outside = 0;
  for (size_t i = 0; i < theirs.size(); ++i) {
    const double difference = double(theirs[i]) * 32768.0 - ours.samples[i];
    lowest = std::min(lowest, difference);
    highest = std::max(highest, difference);
    outside += difference < -Slack || difference > c.fractionalTracks + Slack;
  }
  EXPECT_EQ(outside, 0u) << "differences from " << lowest << " to " << highest << " steps";
  RecordProperty("lowest", std::to_string(lowest));
  RecordProperty("highest", std::to_string(highest));
  // Not silence compared with silence.
  EXPECT_GT(*std::max_element(ours.samples.begin(), ours.samples.end()), 1000);
}

INSTANTIATE_TEST_SUITE_P(
    Mixes, ArdourRender,
    ::testing::Values(
        // Unity in the centre: 8192 · 8192 >> 13 is whole, nothing is rounded.
        RenderCase{"Centre", EveryTrack + "-t 1-1", 0},
        RenderCase{"VolumesPansAndAMute", EveryTrack + "-t 1-2 --volume 1=120 --pan 1=20 --volume 3=87 --pan 3=100 "
                                                       "--volume 5=64 --pan 5=0 --mute 16", 3},
        RenderCase{"Solo", EveryTrack + "-t 1-1 --solo 3 --solo 16 --pan 16=77 --volume 3=127 --pan 3=1", 2},
        RenderCase{"OnlyMasterTakes", "", 0, true}),
    [](const ::testing::TestParamInfo<RenderCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tp
