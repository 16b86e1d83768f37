// Independent readers and writers as oracles: libsndfile and sox read the
// files AudioFile writes, and AudioFile reads the files they write.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "audiofile/audiofile.h"
#include "audiotestsupport.h"

namespace tp {
namespace {

using test::Bytes;

// A sine that visits the whole 16-bit range, and its 8-bit cousin.
int16_t sineSample(size_t index, int channel) {
  double phase = double(index) * (channel == 0 ? 0.031 : 0.047);
  return int16_t(std::lround(32767.0 * std::sin(phase)));
}

struct SoundFile {
  SNDFILE* handle = nullptr;
  SF_INFO info{};
  explicit SoundFile(const std::filesystem::path& path, int mode = SFM_READ, SF_INFO format = {})
      : info(format) {
    handle = sf_open(path.c_str(), mode, &info);
  }
  ~SoundFile() {
    if (handle != nullptr) sf_close(handle);
  }
};

bool haveSox() { return std::system("sox --version > /dev/null 2>&1") == 0; }

// ---- libsndfile and sox read what AudioFile writes ----

struct WrittenCase {
  const char* name;
  AudioFormat format;
  uint32_t channels;
  int bits;
  int libsndfileMajor;
  int libsndfileSubtype;
};

// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const WrittenCase& c, std::ostream* out) { *out << c.name; }

class WrittenFileOracle : public testing::TestWithParam<WrittenCase> {
 protected:
  static constexpr uint32_t Frames = 20001;  // odd, so 8-bit mono data has odd length

  void SetUp() override {
    const WrittenCase& c = GetParam();
    path_ = folder_ / (c.format == FormatWav ? "ours.wav" : "ours.aif");
    auto file = OpenAudioFile(path_, true);
    ASSERT_EQ(AudioFileFailed(*file), 0);
    file->channels = c.channels;
    file->bits = c.bits;
    ASSERT_EQ(WriteAudioHeader(*file, c.format), AudioOk);

    // What a 16-bit reader must get back: the sine, or for 8-bit files the
    // byte the caller handed over, moved to the top of 16 bits.
    std::vector<int16_t> words;
    std::vector<uint8_t> bytes;
    for (size_t frame = 0; frame < Frames; ++frame) {
      for (uint32_t channel = 0; channel < c.channels; ++channel) {
        int16_t value = sineSample(frame, int(channel));
        if (c.bits == 8) {
          int8_t top = int8_t(value >> 8);
          // WAV stores 8-bit samples unsigned, AIFF signed.
          bytes.push_back(c.format == FormatWav ? uint8_t(top + 128) : uint8_t(top));
          expected_.push_back(int16_t(top * 256));
        } else {
          words.push_back(value);
          expected_.push_back(value);
        }
      }
    }
    // In two blocks, as the export appends them.
    const uint32_t firstBlock = 12345;
    size_t split = size_t(firstBlock) * c.channels;
    if (c.bits == 8) {
      ASSERT_EQ(WriteAudioFrames(*file, bytes.data(), firstBlock), AudioOk);
      ASSERT_EQ(WriteAudioFrames(*file, bytes.data() + split, Frames - firstBlock), AudioOk);
    } else {
      ASSERT_EQ(WriteAudioFrames(*file, words.data(), firstBlock), AudioOk);
      ASSERT_EQ(WriteAudioFrames(*file, words.data() + split, Frames - firstBlock), AudioOk);
    }
    ASSERT_EQ(CloseAudioFile(std::move(file)), AudioOk);
  }

  test::TemporaryFolder folder_;
  std::filesystem::path path_;
  std::vector<int16_t> expected_;
};

TEST_P(WrittenFileOracle, LibsndfileReadsTheSameFormatAndSamples) {
  const WrittenCase& c = GetParam();
  SoundFile sound(path_);
  ASSERT_NE(sound.handle, nullptr) << sf_strerror(nullptr);
  EXPECT_EQ(sound.info.format & SF_FORMAT_TYPEMASK, c.libsndfileMajor);
  EXPECT_EQ(sound.info.format & SF_FORMAT_SUBMASK, c.libsndfileSubtype);
  EXPECT_EQ(sound.info.channels, int(c.channels));
  EXPECT_EQ(sound.info.samplerate, 44100);
  ASSERT_EQ(sound.info.frames, sf_count_t(Frames));
  std::vector<int16_t> samples(expected_.size() + 2);
  EXPECT_EQ(sf_read_short(sound.handle, samples.data(), sf_count_t(samples.size())),
            sf_count_t(expected_.size()));
  samples.resize(expected_.size());
  EXPECT_EQ(samples, expected_);
}

TEST_P(WrittenFileOracle, SoxDecodesTheSameSamples) {
  if (!haveSox()) GTEST_SKIP() << "sox is not installed";
  std::filesystem::path raw = folder_ / "decoded.raw";
  std::string command = "sox '" + path_.string() + "' -t raw -e signed-integer -b 16 -L '" +
                        raw.string() + "' 2> /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_EQ(test::readWholeFile(raw), test::samplesLE(expected_));
}

TEST_P(WrittenFileOracle, AudioFileReadsItBack) {
  auto audio = OpenAudioFile(path_, false);
  ASSERT_EQ(audio->format, GetParam().format);
  EXPECT_EQ(audio->frames, Frames);
  EXPECT_EQ(test::readFrames(*audio, Frames).samples, expected_);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WrittenFileOracle,
    testing::Values(
        WrittenCase{"WavMono16", FormatWav, 1, 16, SF_FORMAT_WAV, SF_FORMAT_PCM_16},
        WrittenCase{"WavStereo16", FormatWav, 2, 16, SF_FORMAT_WAV, SF_FORMAT_PCM_16},
        WrittenCase{"WavMono8", FormatWav, 1, 8, SF_FORMAT_WAV, SF_FORMAT_PCM_U8},
        WrittenCase{"WavStereo8", FormatWav, 2, 8, SF_FORMAT_WAV, SF_FORMAT_PCM_U8},
        WrittenCase{"AiffMono16", FormatAiff, 1, 16, SF_FORMAT_AIFF, SF_FORMAT_PCM_16},
        WrittenCase{"AiffStereo16", FormatAiff, 2, 16, SF_FORMAT_AIFF, SF_FORMAT_PCM_16},
        WrittenCase{"AiffMono8", FormatAiff, 1, 8, SF_FORMAT_AIFF, SF_FORMAT_PCM_S8},
        WrittenCase{"AiffStereo8", FormatAiff, 2, 8, SF_FORMAT_AIFF, SF_FORMAT_PCM_S8}),
    [](const testing::TestParamInfo<WrittenCase>& info) { return std::string(info.param.name); });

// ---- AudioFile reads what libsndfile writes ----

struct LibsndfileCase {
  const char* name;
  int format;  // major | subtype
  int channels;
  int rate;
  const char* title;  // non-null: a LIST chunk (WAV) or NAME chunk (AIFF) before the sound
};

void PrintTo(const LibsndfileCase& c, std::ostream* out) { *out << c.name; }

class LibsndfileWrittenFile : public testing::TestWithParam<LibsndfileCase> {};

TEST_P(LibsndfileWrittenFile, IsReadWithTheTopSixteenBitsOfEverySample) {
  const LibsndfileCase& c = GetParam();
  constexpr int Frames = 4001;
  test::TemporaryFolder folder;
  std::filesystem::path path = folder / "theirs";
  const int subtype = c.format & SF_FORMAT_SUBMASK;
  const bool isFloat = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
  std::vector<int16_t> expected;
  {
    SF_INFO info{};
    info.channels = c.channels;
    info.samplerate = c.rate;
    info.format = c.format;
    SoundFile sound(path, SFM_WRITE, info);
    ASSERT_NE(sound.handle, nullptr) << sf_strerror(nullptr);
    if (c.title != nullptr) {
      ASSERT_EQ(sf_set_string(sound.handle, SF_STR_TITLE, c.title), 0);
    }
    if (isFloat) {
      // Values k / 32768 are exact in a float, so k is what must come back;
      // beyond full scale the reader clamps.
      std::vector<double> values;
      for (int i = 0; i < Frames * c.channels; ++i) {
        int k = int(std::lround(40000.0 * std::sin(i * 0.013)));
        values.push_back(k / 32768.0);
        expected.push_back(int16_t(std::clamp(k, -32768, 32767)));
      }
      ASSERT_EQ(sf_write_double(sound.handle, values.data(), sf_count_t(values.size())),
                sf_count_t(values.size()));
    } else {
      // Full-scale 32-bit values: libsndfile stores their top bits, so the
      // reader must deliver the top 16 (or the top 8, moved up, for 8-bit).
      std::vector<int> values;
      for (int i = 0; i < Frames * c.channels; ++i) {
        int value = int(std::lround(2147483647.0 * std::sin(i * 0.013 + 0.5)));
        values.push_back(value);
        bool eightBit = subtype == SF_FORMAT_PCM_U8 || subtype == SF_FORMAT_PCM_S8;
        expected.push_back(eightBit ? int16_t((value >> 24) * 256) : int16_t(value >> 16));
      }
      ASSERT_EQ(sf_write_int(sound.handle, values.data(), sf_count_t(values.size())),
                sf_count_t(values.size()));
    }
  }
  if (c.title != nullptr) {
    Bytes bytes = test::readWholeFile(path);
    std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find(c.title), std::string::npos) << "libsndfile left the title out";
  }

  // libsndfile pads odd 8-bit AIFF sound with a silent frame and counts it;
  // what it reports on reading is the count to match.
  sf_count_t theirFrames = SoundFile(path).info.frames;
  ASSERT_GE(theirFrames, Frames);
  ASSERT_LE(theirFrames, Frames + 1);
  expected.resize(size_t(theirFrames) * size_t(c.channels), 0);

  auto audio = OpenAudioFile(path, false);
  ASSERT_NE(audio->format, FormatNone);
  EXPECT_EQ(audio->channels, uint32_t(c.channels));
  EXPECT_EQ(audio->sampleRate, (long double)c.rate);
  ASSERT_EQ(audio->frames, uint32_t(theirFrames));
  auto read = test::readFrames(*audio, audio->frames);
  EXPECT_EQ(read.samples, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, LibsndfileWrittenFile,
    testing::Values(
        LibsndfileCase{"WavU8Mono", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 8000, nullptr},
        LibsndfileCase{"WavU8StereoWithList", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 2, 22050, "Take one"},
        LibsndfileCase{"Wav16Mono", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, nullptr},
        LibsndfileCase{"Wav16StereoWithList", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, "Take two."},
        LibsndfileCase{"Wav24Stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 48000, nullptr},
        LibsndfileCase{"Wav24MonoWithList", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, 96000, "odd"},
        LibsndfileCase{"Wav32Stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 2, 44100, nullptr},
        LibsndfileCase{"WavFloatStereo", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 44100, nullptr},
        LibsndfileCase{"WavFloatMonoWithList", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 48000, "Float"},
        LibsndfileCase{"WavDoubleStereo", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 2, 44100, nullptr},
        LibsndfileCase{"WavExtensible16Stereo", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 2, 44100, nullptr},
        LibsndfileCase{"WavExtensible24Mono", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 1, 44100, nullptr},
        LibsndfileCase{"WavExtensibleFloatStereo", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 2, 44100, nullptr},
        LibsndfileCase{"AiffS8Mono", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, 1, 11025, nullptr},
        LibsndfileCase{"Aiff16Stereo", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, 44100, nullptr},
        LibsndfileCase{"Aiff16MonoWithName", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 44100, "Name"},
        LibsndfileCase{"Aiff24Stereo", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 2, 48000, nullptr},
        LibsndfileCase{"Aiff32Mono", SF_FORMAT_AIFF | SF_FORMAT_PCM_32, 1, 32000, nullptr}),
    [](const testing::TestParamInfo<LibsndfileCase>& info) { return std::string(info.param.name); });

// ---- AudioFile reads what sox writes ----

struct SoxCase {
  const char* name;
  const char* outputOptions;  // sox format options of the output file
  const char* extension;
  int channels;
  bool lossless;  // the 16-bit source survives exactly (false: 8-bit)
};

void PrintTo(const SoxCase& c, std::ostream* out) { *out << c.name; }

class SoxWrittenFile : public testing::TestWithParam<SoxCase> {};

TEST_P(SoxWrittenFile, IsReadWithTheSourceSamples) {
  if (!haveSox()) GTEST_SKIP() << "sox is not installed";
  const SoxCase& c = GetParam();
  constexpr uint32_t Frames = 3001;  // odd: 8-bit mono sound has an odd length and a pad byte
  test::TemporaryFolder folder;
  std::vector<int16_t> source;
  for (uint32_t frame = 0; frame < Frames; ++frame)
    for (int channel = 0; channel < c.channels; ++channel) source.push_back(sineSample(frame, channel));
  test::writeWholeFile(folder / "source.raw", test::samplesLE(source));
  std::filesystem::path path = folder / (std::string("theirs.") + c.extension);
  std::string command = "sox -D -t raw -r 44100 -e signed-integer -b 16 -L -c " +
                        std::to_string(c.channels) + " '" + (folder / "source.raw").string() +
                        "' --comment 'Recorded on track 3' " + c.outputOptions + " '" +
                        path.string() + "' 2> /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  auto audio = OpenAudioFile(path, false);
  ASSERT_NE(audio->format, FormatNone);
  EXPECT_EQ(audio->channels, uint32_t(c.channels));
  EXPECT_EQ(audio->sampleRate, 44100.0L);
  ASSERT_EQ(audio->frames, Frames);
  auto ours = test::readFrames(*audio, Frames).samples;

  if (c.lossless) {
    EXPECT_EQ(ours, source);
    return;
  }
  // sox decides how 16 bits become 8; libsndfile is the second reader that
  // says what the 8-bit file holds.
  SoundFile sound(path);
  ASSERT_NE(sound.handle, nullptr);
  std::vector<int16_t> theirs(source.size());
  ASSERT_EQ(sf_read_short(sound.handle, theirs.data(), sf_count_t(theirs.size())), sf_count_t(theirs.size()));
  EXPECT_EQ(ours, theirs);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, SoxWrittenFile,
    testing::Values(
        SoxCase{"Wav8Mono", "-e unsigned-integer -b 8", "wav", 1, false},
        SoxCase{"Wav8Stereo", "-e unsigned-integer -b 8", "wav", 2, false},
        SoxCase{"Wav16Mono", "-b 16", "wav", 1, true},
        SoxCase{"Wav16Stereo", "-b 16", "wav", 2, true},
        // sox writes these as WAVE_FORMAT_EXTENSIBLE with a "fact" chunk.
        SoxCase{"Wav24Stereo", "-b 24", "wav", 2, true},
        SoxCase{"Wav32Mono", "-b 32", "wav", 1, true},
        SoxCase{"WavFloatStereo", "-e floating-point -b 32", "wav", 2, true},
        SoxCase{"WavDoubleMono", "-e floating-point -b 64", "wav", 1, true},
        // sox puts a "COMT" chunk with the comment before "COMM".
        SoxCase{"Aiff8Mono", "-b 8", "aiff", 1, false},
        SoxCase{"Aiff16Stereo", "-b 16", "aiff", 2, true},
        SoxCase{"Aiff24Mono", "-b 24", "aiff", 1, true},
        SoxCase{"Aiff32Stereo", "-b 32", "aiff", 2, true}),
    [](const testing::TestParamInfo<SoxCase>& info) { return std::string(info.param.name); });

// ---- The full-precision reading the rate converter uses ----

// libsndfile's normalised float reading divides an integer sample by the
// full scale of its width (0x80 for 8 bits, 0x800000 for 24, ...), which is
// what our reader's "top of 32 bits over 2^31" comes to.
struct PrecisionCase {
  const char* name;
  int format;
};

class FullPrecisionRead : public testing::TestWithParam<PrecisionCase> {};

TEST_P(FullPrecisionRead, GivesTheSamplesLibsndfileGivesAsFloats) {
  const PrecisionCase c = GetParam();
  test::TemporaryFolder folder;
  const bool wav = (c.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV;
  const auto path = folder / (std::string(c.name) + (wav ? ".wav" : ".aif"));
  constexpr size_t Frames = 3000;
  std::vector<double> written(Frames * 3);  // three channels: the reader keeps two
  for (size_t i = 0; i < written.size(); ++i) written[i] = 0.99 * std::sin(double(i) * 0.0123 + double(i % 3));
  {
    SF_INFO info{};
    info.channels = 3;
    info.samplerate = 48000;
    info.format = c.format;
    SoundFile sound(path, SFM_WRITE, info);
    ASSERT_NE(sound.handle, nullptr);
    sf_writef_double(sound.handle, written.data(), Frames);
  }
  SoundFile sound(path);
  ASSERT_NE(sound.handle, nullptr);
  std::vector<float> theirs(written.size());
  ASSERT_EQ(sf_readf_float(sound.handle, theirs.data(), Frames), sf_count_t(Frames));

  auto audio = OpenAudioFile(path, false);
  ASSERT_NE(audio->format, FormatNone);
  ASSERT_EQ(SeekAudioFrame(*audio, 0), AudioOk);
  std::vector<float> ours(Frames * 2);
  std::vector<uint8_t> scratch;
  ASSERT_EQ(ReadAudioFrameChannels(*audio, Frames, ours.data(), 2, scratch), int64_t(Frames));
  for (size_t frame = 0; frame < Frames; ++frame)
    for (size_t channel = 0; channel < 2; ++channel)
      ASSERT_NEAR(ours[frame * 2 + channel], theirs[frame * 3 + channel], 1e-7) << frame << "/" << channel;
  // More than 16 bits arrive: the 24-bit and wider files differ from what
  // the recorder's 16-bit rule keeps.
  if ((c.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_24) {
    size_t finer = 0;
    for (size_t i = 0; i < ours.size(); ++i) finer += std::fmod(double(ours[i]) * 32768.0, 1.0) != 0.0;
    EXPECT_GT(finer, ours.size() / 2);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FullPrecisionRead,
    testing::Values(PrecisionCase{"WavU8", SF_FORMAT_WAV | SF_FORMAT_PCM_U8},
                    PrecisionCase{"Wav16", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                    PrecisionCase{"Wav24", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
                    PrecisionCase{"Wav32", SF_FORMAT_WAV | SF_FORMAT_PCM_32},
                    PrecisionCase{"WavFloat", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
                    PrecisionCase{"WavDouble", SF_FORMAT_WAV | SF_FORMAT_DOUBLE},
                    PrecisionCase{"AiffS8", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8},
                    PrecisionCase{"Aiff16", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
                    PrecisionCase{"Aiff24", SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
                    PrecisionCase{"Aiff32", SF_FORMAT_AIFF | SF_FORMAT_PCM_32}),
    [](const testing::TestParamInfo<PrecisionCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tp
