// Every other format libsndfile reads, imported through the libsndfile
// source: each file written by libsndfile here, imported, and compared with
// the samples libsndfile itself reads from the same file (exact for 16-bit
// integers; within a step for wider integers, floats and the lossy codecs,
// whose conversion to 16 bits rounds differently by at most that).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "convert/importengine.h"
#include "convert/importsource.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"

namespace tp {
namespace {

using namespace tp::test;

struct FormatCase {
  const char* file;  // the name says nothing reliable: the contents decide
  int format;
  int sampleRate;
  const char* name;  // as probe and the preview say it
  int tolerance;     // steps of 16 bits between the take and libsndfile's reading
};

// A stereo signal whose channels differ: a slow sine at half scale and its
// opposite at a quarter, so that lossy codecs keep it closely.
std::vector<double> testSignal(size_t frames, int sampleRate) {
  std::vector<double> samples;
  for (size_t n = 0; n < frames; ++n) {
    const double value = std::sin(2 * M_PI * 440.0 * double(n) / sampleRate);
    samples.push_back(0.5 * value);
    samples.push_back(-0.25 * value);
  }
  return samples;
}

// True when the installed libsndfile can write (and so read) `format`.
bool libraryHas(int format, int sampleRate) {
  SF_INFO info{};
  info.channels = 2;
  info.samplerate = sampleRate;
  info.format = format;
  return sf_format_check(&info) == SF_TRUE;
}

class SndfileFormats : public ::testing::TestWithParam<FormatCase> {
 protected:
  void SetUp() override {
    WriteProjectInfo(song.path(), "Song");
    ASSERT_TRUE(model.DirTreeChange(song.path().string()));
  }
  TempFolder song, sources;
  ProjectModel model;
};

// libsndfile's own reading of the file in 16 bits. libsndfile reads a float
// file's samples as integers unscaled (0.5 as 0), so those are read as
// doubles and scaled by 32767, as libsndfile scales its lossy decoders.
SoundData readScaled(const std::filesystem::path& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) throw std::runtime_error("libsndfile cannot read " + path.string());
  SoundData data;
  data.channels = info.channels;
  data.frames = info.frames;
  data.samples.resize(size_t(info.frames) * size_t(info.channels));
  if ((info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT) {
    std::vector<double> decoded(data.samples.size());
    sf_readf_double(file, decoded.data(), info.frames);
    for (size_t i = 0; i < decoded.size(); ++i) data.samples[i] = int16_t(std::lrint(decoded[i] * 32767.0));
  } else {
    sf_readf_short(file, data.samples.data(), info.frames);
  }
  sf_close(file);
  return data;
}

TEST_P(SndfileFormats, AreImportedAsLibsndfileReadsThem) {
  const FormatCase& c = GetParam();
  if (!libraryHas(c.format, c.sampleRate)) GTEST_SKIP() << "the installed libsndfile lacks " << c.name;
  const auto file = sources / c.file;
  constexpr size_t Frames = 50000;
  WriteDoublesWithSndfile(file, c.format, 2, c.sampleRate, testSignal(Frames, c.sampleRate));
  const SoundData oracle = readScaled(file);
  ASSERT_GT(oracle.frames, 0);

  SourceFormat format;
  ASSERT_TRUE(ProbeSourceFile(file, format).ok());
  EXPECT_EQ(format.format, c.name);
  EXPECT_EQ(format.channels, 2u);
  EXPECT_EQ(uint64_t(format.frames), uint64_t(oracle.frames));
  EXPECT_EQ(double(format.sampleRate), double(c.sampleRate));

  model.TrackSelClick(2);
  model.TakeSelClick(2, 0);
  model.TrackSelClick(3);
  model.TakeSelClick(3, 0);
  const auto result = ImportAudioFile(model, file, {});
  ASSERT_EQ(result.outcome, ConversionResult::Converted) << result.message << " " << result.detail;
  for (int channel = 0; channel < 2; ++channel) {
    SCOPED_TRACE(channel);
    const auto take = ReadTakeSamples(song / (channel == 0 ? "TRACK2_0.DAT" : "TRACK3_0.DAT"));
    const auto expected = ChannelOf(oracle.samples, 2, channel, take.size());
    ASSERT_GE(take.size(), size_t(oracle.frames));
    int worst = 0;
    for (size_t n = 0; n < take.size(); ++n) worst = std::max(worst, std::abs(take[n] - expected[n]));
    EXPECT_LE(worst, c.tolerance);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, SndfileFormats,
    ::testing::Values(FormatCase{"rf64.wav", SF_FORMAT_RF64 | SF_FORMAT_PCM_16, 44100, "RF64", 0},
                      FormatCase{"stems.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_24, 44100, "Wave64", 0},
                      FormatCase{"sowt.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE, 44100, "AIFF-C", 0},
                      FormatCase{"fl32.aifc", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 44100, "AIFF-C", 1},
                      FormatCase{"take.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 44100, "CAF", 0},
                      FormatCase{"take.caf", SF_FORMAT_CAF | SF_FORMAT_ALAC_24, 44100, "CAF", 0},
                      FormatCase{"take.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, "Ogg Vorbis", 1},
                      FormatCase{"take.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, "Opus", 1},
                      FormatCase{"take.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, "MP3", 1}),
    [](const ::testing::TestParamInfo<FormatCase>& info) {
      std::string name = std::string(info.param.name) + "_" + std::to_string(info.index);
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

}  // namespace
}  // namespace tp
