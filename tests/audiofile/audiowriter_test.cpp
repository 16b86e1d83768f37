// Writing WAV and AIFF files: the layout byte by byte, the sizes patched at
// close, calls out of order, and write failures.
#include <gtest/gtest.h>

#include <csignal>
#include <numeric>
#include <string>

#include <sys/resource.h>

#include "audiofile/audiofile.h"
#include "audiotestsupport.h"

namespace tp {
namespace {

using test::Bytes;
using test::u16le;
using test::u32be;
using test::u32le;

std::vector<int16_t> stereoRamp(uint32_t frames) {
  std::vector<int16_t> samples(size_t(frames) * 2);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t(i * 7);
  return samples;
}

// Writes a file with the given frames (16-bit unless told) and returns its bytes.
Bytes writeFile(const std::filesystem::path& path, AudioFormat format, uint32_t channels,
                const void* samples, uint32_t frames, int bits = 16) {
  auto file = OpenAudioFile(path, true);
  EXPECT_EQ(AudioFileFailed(*file), 0);
  file->channels = channels;
  file->bits = bits;
  EXPECT_EQ(WriteAudioHeader(*file, format), AudioOk);
  if (frames > 0) {
    EXPECT_EQ(WriteAudioFrames(*file, samples, frames), AudioOk);
  }
  EXPECT_EQ(CloseAudioFile(std::move(file)), AudioOk);
  return test::readWholeFile(path);
}

TEST(AudioWriter, WritesThirtyTwoThousandStereoFramesAsWav) {
  test::TemporaryFolder folder;
  auto samples = stereoRamp(32768);
  Bytes wav = writeFile(folder / "out.wav", FormatWav, 2, samples.data(), 32768);
  ASSERT_EQ(wav.size(), 131118u);
  EXPECT_EQ(u32le(wav, 4), 131110u);
  EXPECT_EQ(u16le(wav, 20), 1u);      // integer PCM
  EXPECT_EQ(u16le(wav, 22), 2u);      // channels
  EXPECT_EQ(Bytes(wav.begin() + 24, wav.begin() + 28), (Bytes{0x44, 0xAC, 0x00, 0x00}));
  EXPECT_EQ(u32le(wav, 28), 176400u); // byte rate
  EXPECT_EQ(u16le(wav, 32), 4u);      // block align
  EXPECT_EQ(u16le(wav, 34), 16u);
  EXPECT_EQ(u32le(wav, 42), 131072u);
  EXPECT_EQ(Bytes(wav.begin() + 46, wav.end()), test::samplesLE(samples));
}

TEST(AudioWriter, WritesThirtyTwoThousandStereoFramesAsAiff) {
  test::TemporaryFolder folder;
  auto samples = stereoRamp(32768);
  Bytes aiff = writeFile(folder / "out.aif", FormatAiff, 2, samples.data(), 32768);
  ASSERT_EQ(aiff.size(), 131196u);
  EXPECT_EQ(u32be(aiff, 4), 131188u);
  EXPECT_EQ(u32be(aiff, 22), 32768u);   // "COMM" frame count, patched at close
  EXPECT_EQ(u32be(aiff, 112), 131080u); // "SSND" size
  EXPECT_EQ(Bytes(aiff.begin() + 124, aiff.end()), test::samplesBE(samples));
}

TEST(AudioWriter, WritesAHeaderOnlyWavOfFortySixBytes) {
  test::TemporaryFolder folder;
  Bytes wav = writeFile(folder / "empty.wav", FormatWav, 2, nullptr, 0);
  const Bytes expected = {
      'R', 'I', 'F', 'F', 38, 0, 0, 0, 'W', 'A', 'V', 'E',  // length - 8
      'f', 'm', 't', ' ', 18, 0, 0, 0,                      // an 18-byte format body
      1, 0, 2, 0,                                           // integer PCM, stereo
      0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0,                // 44,100 Hz, 176,400 bytes/s
      4, 0, 16, 0, 0, 0,                                    // block align, bits, extension size
      'd', 'a', 't', 'a', 0, 0, 0, 0,                       // no samples
  };
  EXPECT_EQ(wav, expected);
}

TEST(AudioWriter, WritesAHeaderOnlyAiffOfOneHundredTwentyFourBytes) {
  test::TemporaryFolder folder;
  Bytes aiff = writeFile(folder / "empty.aif", FormatAiff, 2, nullptr, 0);
  const Bytes expected = {
      'F', 'O', 'R', 'M', 0, 0, 0, 116, 'A', 'I', 'F', 'F',     // length - 8
      'C', 'O', 'M', 'M', 0, 0, 0, 18,                          //
      0, 2, 0, 0, 0, 0, 0, 16,                                  // stereo, 0 frames, 16 bits
      0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0,                 // 44,100 Hz
      'I', 'N', 'S', 'T', 0, 0, 0, 20,                          //
      60, 0, 60, 60, 1, 127,                                    // notes, detune, velocities
      0, 0,                                                     // gain
      0, 1, 0, 1, 0, 2,                                         // sustain loop: forward, markers 1-2
      0, 0, 0, 0, 0, 0,                                         // no release loop
      'M', 'A', 'R', 'K', 0, 0, 0, 34,                          //
      0, 2,                                                     // two markers
      0, 1, 0, 0, 0, 0, 9, 'b', 'e', 'g', 'i', 'n', 'L', 'o', 'o', 'p', 0,
      0, 2, 0, 0, 0, 0, 7, 'e', 'n', 'd', 'L', 'o', 'o', 'p', 0,
      'S', 'S', 'N', 'D', 0, 0, 0, 8,                           // just offset and block size
      0, 0, 0, 0, 0, 0, 0, 0,
  };
  EXPECT_EQ(aiff, expected);
}

TEST(AudioWriter, StoresMinusTwoInEachFormatsByteOrder) {
  test::TemporaryFolder folder;
  const int16_t minusTwo = -2;
  Bytes wav = writeFile(folder / "m.wav", FormatWav, 1, &minusTwo, 1);
  Bytes aiff = writeFile(folder / "m.aif", FormatAiff, 1, &minusTwo, 1);
  EXPECT_EQ(Bytes(wav.begin() + 46, wav.end()), (Bytes{0xFE, 0xFF}));
  EXPECT_EQ(Bytes(aiff.begin() + 124, aiff.end()), (Bytes{0xFF, 0xFE}));
}

TEST(AudioWriter, DescribesMonoAndEightBitFilesInTheWavFormat) {
  struct Case {
    uint32_t channels;
    int bits;
    uint16_t blockAlign;
    uint32_t byteRate;
  } cases[] = {{1, 16, 2, 88200}, {2, 16, 4, 176400}, {1, 8, 1, 44100}, {2, 8, 2, 88200}};
  test::TemporaryFolder folder;
  for (const Case& c : cases) {
    Bytes wav = writeFile(folder / "f.wav", FormatWav, c.channels, nullptr, 0, c.bits);
    EXPECT_EQ(u16le(wav, 32), c.blockAlign) << c.channels << "x" << c.bits;
    EXPECT_EQ(u32le(wav, 28), c.byteRate) << c.channels << "x" << c.bits;
    EXPECT_EQ(u16le(wav, 34), c.bits);
  }
}

TEST(AudioWriter, WritesEightBitSamplesUnchanged) {
  test::TemporaryFolder folder;
  const uint8_t bytes[] = {0x00, 0x80, 0xFF, 0x7F, 0x01};  // five mono frames: odd data size
  Bytes wav = writeFile(folder / "b.wav", FormatWav, 1, bytes, 5, 8);
  Bytes aiff = writeFile(folder / "b.aif", FormatAiff, 1, bytes, 5, 8);
  ASSERT_EQ(wav.size(), 46u + 5);  // no pad byte after the odd data
  EXPECT_EQ(Bytes(wav.begin() + 46, wav.end()), Bytes(bytes, bytes + 5));
  EXPECT_EQ(u32le(wav, 42), 5u);
  EXPECT_EQ(Bytes(aiff.begin() + 124, aiff.end()), Bytes(bytes, bytes + 5));
  EXPECT_EQ(u32be(aiff, 22), 5u);
}

TEST(AudioWriter, TakesTheInstrumentAndLoopValuesFromTheFields) {
  test::TemporaryFolder folder;
  auto file = OpenAudioFile(folder / "i.aif", true);
  file->channels = 1;
  file->bits = 16;
  file->baseNote = 48;
  file->detune = -3;
  file->lowNote = 40;
  file->highNote = 70;
  file->loopBegin = 1000;
  file->loopEnd = 0x01020304;
  file->sampleRate = 22050.5L;
  ASSERT_EQ(WriteAudioHeader(*file, FormatAiff), AudioOk);
  ASSERT_EQ(CloseAudioFile(std::move(file)), AudioOk);
  Bytes aiff = test::readWholeFile(folder / "i.aif");
  EXPECT_EQ(Bytes(aiff.begin() + 46, aiff.begin() + 50), (Bytes{48, 0xFD, 40, 70}));
  EXPECT_EQ(u32be(aiff, 78), 1000u);
  EXPECT_EQ(u32be(aiff, 95), 0x01020304u);
  EXPECT_EQ(Bytes(aiff.begin() + 28, aiff.begin() + 38),
            (Bytes{0x40, 0x0D, 0xAC, 0x45, 0, 0, 0, 0, 0, 0}));  // 44,101 x 2^-1
}

TEST(AudioWriter, TruncatesTheRateTowardZeroInAWav) {
  struct Case {
    long double rate;
    uint32_t written;
  } cases[] = {{44100.9L, 44100}, {8000.0L, 8000}, {0.5L, 0}, {-5.0L, 0}, {1e20L, 0xFFFFFFFF}};
  test::TemporaryFolder folder;
  for (const Case& c : cases) {
    auto file = OpenAudioFile(folder / "r.wav", true);
    file->channels = 1;
    file->bits = 16;
    file->sampleRate = c.rate;
    ASSERT_EQ(WriteAudioHeader(*file, FormatWav), AudioOk);
    ASSERT_EQ(CloseAudioFile(std::move(file)), AudioOk);
    EXPECT_EQ(u32le(test::readWholeFile(folder / "r.wav"), 24), c.written) << double(c.rate);
  }
}

TEST(AudioWriter, WhatItWritesReadsBackTheSame) {
  test::TemporaryFolder folder;
  auto samples = stereoRamp(5000);
  for (AudioFormat format : {FormatWav, FormatAiff}) {
    writeFile(folder / "back", format, 2, samples.data(), 5000);
    auto audio = OpenAudioFile(folder / "back", false);
    ASSERT_EQ(audio->format, format);
    EXPECT_EQ(audio->frames, 5000u);
    EXPECT_EQ(audio->channels, 2u);
    EXPECT_EQ(audio->sampleRate, 44100.0L);
    EXPECT_EQ(test::readFrames(*audio, 5000).samples, samples);
  }
}

TEST(AudioWriter, RefusesCallsOutOfOrderAndWritesNothing) {
  test::TemporaryFolder folder;
  const int16_t sample = 1;
  {
    // Frames before the header.
    auto file = OpenAudioFile(folder / "a.wav", true);
    file->channels = 1;
    file->bits = 16;
    EXPECT_EQ(WriteAudioFrames(*file, &sample, 1), AudioBadState);
    EXPECT_EQ(CloseAudioFile(std::move(file)), AudioOk);
    EXPECT_EQ(std::filesystem::file_size(folder / "a.wav"), 0u);
  }
  {
    // Formats other than AIFF and WAV, headers that cannot be written, a
    // second header.
    auto file = OpenAudioFile(folder / "b.wav", true);
    file->channels = 1;
    file->bits = 16;
    EXPECT_EQ(WriteAudioHeader(*file, FormatNone), AudioBadState);
    EXPECT_EQ(WriteAudioHeader(*file, AudioFormat(3)), AudioBadState);
    file->channels = 0;
    EXPECT_EQ(WriteAudioHeader(*file, FormatWav), AudioBadState);
    file->channels = 1;
    file->bits = 24;  // the writer takes 16-bit samples or single bytes
    EXPECT_EQ(WriteAudioHeader(*file, FormatWav), AudioBadState);
    file->bits = 16;
    EXPECT_EQ(WriteAudioHeader(*file, FormatWav), AudioOk);
    EXPECT_EQ(WriteAudioHeader(*file, FormatAiff), AudioBadState);
    EXPECT_EQ(CloseAudioFile(std::move(file)), AudioOk);
    EXPECT_EQ(std::filesystem::file_size(folder / "b.wav"), 46u);
  }
  {
    // A file opened for reading takes no header and no frames, and a file
    // opened for writing cannot be read.
    auto reading = OpenAudioFile(folder / "b.wav", false);
    ASSERT_EQ(reading->format, FormatWav);
    EXPECT_EQ(WriteAudioHeader(*reading, FormatWav), AudioBadState);
    EXPECT_EQ(WriteAudioFrames(*reading, &sample, 1), AudioBadState);
    auto writing = OpenAudioFile(folder / "c.wav", true);
    writing->channels = 1;
    writing->bits = 16;
    ASSERT_EQ(WriteAudioHeader(*writing, FormatWav), AudioOk);
    int16_t untouched = 5;
    EXPECT_EQ(ReadAudioFrames(*writing, 1, &untouched), AudioBadState);
    EXPECT_EQ(SeekAudioFrame(*writing, 0), AudioBadState);
    EXPECT_EQ(untouched, 5);
  }
}

TEST(AudioWriter, ReportsAFileThatCannotBeCreated) {
  auto file = OpenAudioFile("/nonexistent-folder/out.wav", true);
  EXPECT_EQ(file->stream, nullptr);
  EXPECT_EQ(file->mode, 0);
  EXPECT_EQ(AudioFileFailed(*file), AudioNoStream);
  EXPECT_EQ(WriteAudioHeader(*file, FormatWav), AudioBadState);
}

TEST(AudioWriter, RefusesMoreSamplesThanTheSizeFieldsCanDescribe) {
  test::TemporaryFolder folder;
  for (AudioFormat format : {FormatWav, FormatAiff}) {
    auto file = OpenAudioFile(folder / "big", true);
    file->channels = 2;
    file->bits = 16;
    ASSERT_EQ(WriteAudioHeader(*file, format), AudioOk);
    // 2^32 - 1 stereo frames would be 16 GiB; the check comes before any
    // sample is touched, so a single sample is enough of a buffer.
    const int16_t samples[2] = {1, 2};
    EXPECT_EQ(WriteAudioFrames(*file, samples, 0xFFFFFFFFu), AudioWriteFailed);
    EXPECT_NE(AudioFileFailed(*file), 0);
    EXPECT_EQ(CloseAudioFile(std::move(file)), AudioWriteFailed);
  }
}

// Write failures: a device that is always full, and a file size limit.
struct FailureCase {
  const char* name;
  bool useFileSizeLimit;
  AudioFormat format;
};

// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class AudioWriteFailure : public testing::TestWithParam<FailureCase> {
 protected:
  void SetUp() override {
    if (!GetParam().useFileSizeLimit) {
      if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
      path_ = "/dev/full";
      return;
    }
    path_ = folder_ / "limited";
    // The limit applies to this test's process only; writes past it fail
    // with EFBIG instead of raising SIGXFSZ.
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previousLimit_), 0);
    rlimit limit = previousLimit_;
    limit.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    limited_ = true;
  }
  void TearDown() override {
    if (limited_) {
      setrlimit(RLIMIT_FSIZE, &previousLimit_);
      std::signal(SIGXFSZ, previousHandler_);
    }
  }

  test::TemporaryFolder folder_;
  std::filesystem::path path_;
  rlimit previousLimit_{};
  void (*previousHandler_)(int) = SIG_DFL;
  bool limited_ = false;
};

TEST_P(AudioWriteFailure, IsReportedByFailedAndByClose) {
  auto file = OpenAudioFile(path_, true);
  ASSERT_EQ(AudioFileFailed(*file), 0);
  file->channels = 2;
  file->bits = 16;
  WriteAudioHeader(*file, GetParam().format);
  // 400 KiB: far more than the stream buffers and the size limit.
  auto samples = stereoRamp(100000);
  int result = WriteAudioFrames(*file, samples.data(), 100000);
  EXPECT_EQ(result, AudioWriteFailed);
  EXPECT_NE(AudioFileFailed(*file), 0);
  EXPECT_EQ(CloseAudioFile(std::move(file)), AudioWriteFailed);
}

TEST_P(AudioWriteFailure, OfAHeaderAloneIsReportedByClose) {
  // The header fits in the stream's buffer: only the final flush fails.
  auto file = OpenAudioFile(path_, true);
  file->channels = 1;
  file->bits = 16;
  if (GetParam().useFileSizeLimit) {
    // Nothing fails under a 64 KiB limit with 46 bytes; lower it to 0.
    rlimit none = previousLimit_;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
  }
  ASSERT_EQ(WriteAudioHeader(*file, GetParam().format), AudioOk);
  EXPECT_EQ(CloseAudioFile(std::move(file)), AudioWriteFailed);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, AudioWriteFailure,
    testing::Values(FailureCase{"FullDeviceWav", false, FormatWav}, FailureCase{"FullDeviceAiff", false, FormatAiff},
                    FailureCase{"FileSizeLimitWav", true, FormatWav},
                    FailureCase{"FileSizeLimitAiff", true, FormatAiff}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tp
