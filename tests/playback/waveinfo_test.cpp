// The wave preview's format lines, from files written in the test.
#include "playback/waveinfo.h"

#include <gtest/gtest.h>

#include "audiofile/audiofile.h"
#include "support/sndfileio.h"
#include "support/tempfolder.h"

namespace tp {
namespace {

using test::TempFolder;

TEST(WaveLengthText, SplitsFramesIntoHoursMinutesSecondsAndMilliseconds) {
  struct Case {
    uint32_t frames;
    long double rate;
    const char* text;
  };
  const Case cases[] = {
      {0, 44100.0L, "0:00:00:000"},
      {123456, 44100.0L, "0:00:02:799"},  // 35,256 frames past 2 s are 799.4 ms
      {44099, 44100.0L, "0:00:00:999"},
      {2646000, 44100.0L, "0:01:00:000"},
      {158760000 + 2646000 * 2 + 44100 * 3 + 441, 44100.0L, "1:02:03:010"},
      // The seconds count in the whole rate 22050; the hours use the exact rate.
      {22050 * 61 + 11025, 22050.5L, "0:01:01:500"},
      {4294967295u, 44100.0L, "27:03:11:548"},
      {4294967295u, 1.0L, "1193046:28:15:000"},
      // 3600 x 22050 frames at 22050.5 Hz are just short of an hour by the
      // exact rate, while the minutes, counted in 22050, have wrapped.
      {79380000, 22050.5L, "0:00:00:000"},
      {79381799, 22050.5L, "0:00:00:081"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frames);
    EXPECT_EQ(WaveLengthText(c.frames, c.rate), c.text);
  }
}

TEST(DescribeWaveFile, ShowsRateFramesChannelsTimeAndBits) {
  TempFolder folder;
  struct Case {
    const char* name;
    int format;
    int channels;
    int rate;
    size_t frames;
    WaveInfoTexts texts;
  };
  const Case cases[] = {
      {"stereo.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 123456,
       {"Sampling Rate : 44100.00Hz", "Sampling Frames : 123456 (stereo)  0:00:02:799", "Bits / Word : 16"}},
      {"mono.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 48000, 48000,
       {"Sampling Rate : 48000.00Hz", "Sampling Frames : 48000 (mono)  0:00:01:000", "Bits / Word : 16"}},
      {"eight.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 8000, 4000,
       {"Sampling Rate : 8000.00Hz", "Sampling Frames : 4000 (mono)  0:00:00:500", "Bits / Word : 8"}},
      // FLAC, which the import reads too.
      {"mono.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 44100, 66150,
       {"Sampling Rate : 44100.00Hz", "Sampling Frames : 66150 (mono)  0:00:01:500", "Bits / Word : 16"}},
      {"four.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 4, 44100, 441,
       {"Sampling Rate : 44100.00Hz", "Sampling Frames : 441 (4 channels)  0:00:00:010", "Bits / Word : 16"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteWithSndfile(folder / c.name, c.format, c.channels, c.rate,
                           std::vector<int16_t>(c.frames * size_t(c.channels), 0));
    EXPECT_EQ(DescribeWaveFile(folder / c.name), c.texts);
  }
}

TEST(DescribeWaveFile, ShowsAFractionalRateWithTwoDecimals) {
  TempFolder folder;
  const auto path = folder / "odd.aif";
  auto writer = OpenAudioFile(path, true);
  writer->channels = 1;
  writer->bits = 16;
  writer->sampleRate = 22050.5L;
  ASSERT_EQ(WriteAudioHeader(*writer, FormatAiff), AudioOk);
  const std::vector<int16_t> samples(22050 * 2 + 11025, 0);
  ASSERT_EQ(WriteAudioFrames(*writer, samples.data(), uint32_t(samples.size())), AudioOk);
  ASSERT_EQ(CloseAudioFile(std::move(writer)), AudioOk);

  const WaveInfoTexts expected{"Sampling Rate : 22050.50Hz", "Sampling Frames : 55125 (mono)  0:00:02:500",
                               "Bits / Word : 16"};
  EXPECT_EQ(DescribeWaveFile(path), expected);
}

TEST(DescribeWaveFile, GivesTheBareCaptionsForAnythingTheImportCannotRead) {
  TempFolder folder;
  test::WriteBytes(folder / "text.wav", {'h', 'e', 'l', 'l', 'o'});
  test::WriteBytes(folder / "empty.aif", {});
  for (const char* name : {"text.wav", "empty.aif", "missing.wav"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(DescribeWaveFile(folder / name), BareWaveInfo());
  }
  EXPECT_EQ(DescribeWaveFile(folder.path()), BareWaveInfo()) << "a folder";
  EXPECT_EQ(BareWaveInfo(), (WaveInfoTexts{"Sampling Rate : ", "Sampling Frames : ", "Bits / Word : "}));
}

}  // namespace
}  // namespace tp
