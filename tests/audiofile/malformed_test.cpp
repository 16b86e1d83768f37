// Damaged and hostile files: every reader call must end, stay inside the
// bytes it was given, and never report more frames than the file holds.
#include <gtest/gtest.h>

#include <string>

#include "audiofile/audiofile.h"
#include "audiofile/bytestream.h"
#include "audiotestsupport.h"

namespace tp {
namespace {

using test::Bytes;

// What must hold for any input: recognised files describe only frames that
// are in the bytes, and reading never claims more samples than are there.
void checkInvariants(const Bytes& bytes, const std::string& label) {
  auto audio = test::openBytes(bytes);
  if (audio->format == FormatNone) {
    EXPECT_EQ(audio->stream, nullptr) << label;
    return;
  }
  const int64_t size = int64_t(bytes.size());
  const int64_t frameBytes = int64_t(audio->channels) * audio->bytesPerSample;
  if (audio->frames > 0) {
    ASSERT_GT(frameBytes, 0) << label;
    EXPECT_LE(audio->dataStart + int64_t(audio->frames) * frameBytes, size) << label;
  }
  if (audio->channels == 0) return;
  // A few frames past the end: reading goes on past the sound chunk up to
  // the end of the file, and no further.
  uint32_t frames = uint32_t(std::min<int64_t>(audio->frames + 8, 1 << 16));
  std::vector<int16_t> buffer(size_t(frames) * audio->channels);
  ASSERT_EQ(SeekAudioFrame(*audio, 0), AudioOk) << label;
  int64_t count = ReadAudioFrames(*audio, frames, buffer.data());
  ASSERT_GE(count, 0) << label;
  int64_t remaining = std::max<int64_t>(0, size - audio->dataStart);
  int64_t width = audio->bytesPerSample;
  EXPECT_LE(count, (remaining + width - 1) / width) << label;
}

Bytes sampleWav() {
  std::vector<int16_t> samples;
  for (int i = 0; i < 40; ++i) samples.push_back(int16_t(i * 811 - 16000));
  return test::riffWave({{"fmt ", test::wavFormatBody(1, 2, 44100, 16)},
                         {"LIST", {'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 3, 0, 0, 0, 'a', 'b', 'c'}},
                         {"data", test::samplesLE(samples)}});
}

Bytes sampleWav24() {
  Bytes data;
  for (int i = 0; i < 30; ++i) data.push_back(uint8_t(i * 37));
  return test::riffWave({{"fmt ", test::wavFormatBody(0xFFFE, 1, 48000, 24, 1)}, {"data", data}});
}

Bytes sampleWavFloat() {
  Bytes data;
  for (int i = 0; i < 32; ++i) data.push_back(uint8_t(i * 91));
  return test::riffWave({{"fmt ", test::wavFormatBody(3, 2, 44100, 32)}, {"data", data}});
}

Bytes sampleAiff() {
  // The layout the writer produces, with INST and MARK chunks.
  test::TemporaryFolder folder;
  auto file = OpenAudioFile(folder / "a.aif", true);
  file->channels = 2;
  file->bits = 16;
  EXPECT_EQ(WriteAudioHeader(*file, FormatAiff), AudioOk);
  std::vector<int16_t> samples(40);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t(i * 1500 - 30000);
  EXPECT_EQ(WriteAudioFrames(*file, samples.data(), 20), AudioOk);
  EXPECT_EQ(CloseAudioFile(std::move(file)), AudioOk);
  return test::readWholeFile(folder / "a.aif");
}

Bytes sampleAiff8() {
  return test::formAiff({{"COMM", test::aiffCommonBody(1, 9, 8)},
                         {"SSND", test::aiffSoundBody({1, 2, 3, 4, 5, 6, 7, 8, 9})}});
}

struct NamedFile {
  const char* name;
  Bytes (*make)();
};

const NamedFile SampleFiles[] = {
    {"wav16", sampleWav}, {"wav24", sampleWav24}, {"wavFloat", sampleWavFloat},
    {"aiff16", sampleAiff}, {"aiff8", sampleAiff8},
};

TEST(MalformedInput, EveryPrefixOfAValidFileIsHandled) {
  for (const NamedFile& sample : SampleFiles) {
    const Bytes whole = sample.make();
    auto complete = test::openBytes(whole);
    ASSERT_NE(complete->format, FormatNone) << sample.name;
    for (size_t length = 0; length <= whole.size(); ++length) {
      Bytes prefix(whole.begin(), whole.begin() + std::ptrdiff_t(length));
      checkInvariants(prefix, std::string(sample.name) + " prefix " + std::to_string(length));
      auto audio = test::openBytes(prefix);
      if (complete->format == FormatWav) {
        // A WAV is recognised exactly once its "data" header is in.
        EXPECT_EQ(audio->format != FormatNone, int64_t(length) >= complete->dataStart)
            << sample.name << " prefix " << length;
      } else if (length < 12) {
        EXPECT_EQ(audio->format, FormatNone) << sample.name << " prefix " << length;
      }
    }
  }
}

TEST(MalformedInput, HugeAndOddChunkSizesEndTheWalk) {
  const uint32_t sizes[] = {0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFF8, 0xFFFFFFF7, 0xFFFFFFF0,
                            0x80000000, 0x7FFFFFFF, 0x7FFFFFF9, 0x10000,    4, 1};
  const Bytes pcm = test::wavFormatBody(1, 1, 44100, 16);
  for (uint32_t size : sizes) {
    const std::string label = std::to_string(size);
    // An unknown chunk before "fmt ": with any size but its true 4, the
    // walk either ends or lands inside the chunk and finds no format.
    auto wav = test::openBytes(test::riffWave({{"junk", {1, 2, 3, 4}, size}, {"fmt ", pcm}, {"data", {1, 2}}}));
    EXPECT_EQ(wav->format, size == 4 ? FormatWav : FormatNone) << label;
    // A "fmt " that claims the rest of the world still has its 16 bytes.
    auto format = test::openBytes(test::riffWave({{"fmt ", pcm, size}, {"data", {1, 2}}}));
    EXPECT_EQ(format->format, FormatNone) << label;
    // A "COMM" that claims too much: the AIFF has no "SSND" after it.
    auto aiff = test::openBytes(test::formAiff(
        {{"COMM", test::aiffCommonBody(1, 1000, 16), size}, {"SSND", test::aiffSoundBody({1, 2})}}));
    if (size > 18) {
      EXPECT_EQ(aiff->format, FormatAiff) << label;
      EXPECT_EQ(aiff->frames, 0u) << label;
    }
    for (const Bytes& bytes :
         {test::riffWave({{"junk", {}, size}}), test::formAiff({{"SSND", {0, 0, 0, 0}, size}}),
          test::riffWave({{"fmt ", pcm}, {"data", {5, 6, 7}, size}})}) {
      checkInvariants(bytes, label);
    }
  }
}

TEST(MalformedInput, AThousandEmptyChunksAreWalkedThrough) {
  std::vector<test::ChunkSpec> chunks(1000, test::ChunkSpec{"none", {}});
  chunks.push_back({"fmt ", test::wavFormatBody(1, 1, 44100, 16)});
  chunks.push_back({"data", {0x02, 0x01}});
  auto audio = test::openBytes(test::riffWave(chunks));
  ASSERT_EQ(audio->format, FormatWav);
  EXPECT_EQ(test::readFrames(*audio, 1).samples, std::vector<int16_t>{0x0102});
}

TEST(MalformedInput, AFileEndingInsideAWideSampleCountsTheMissingBytesAsFF) {
  // One whole sample 0x1234.., then the file ends inside the next one.
  struct Case {
    const char* name;
    bool aiff;
    uint16_t bits;
    Bytes data;
    int16_t last;
  } cases[] = {
      {"wav24 one byte", false, 24, {0x00, 0x34, 0x12, 0x56}, int16_t(0xFFFF)},
      {"wav32 two bytes", false, 32, {0x00, 0x00, 0x34, 0x12, 0x56, 0x78}, int16_t(0xFFFF)},
      {"wav32 three bytes", false, 32, {0x00, 0x00, 0x34, 0x12, 0x56, 0x78, 0x9A}, int16_t(0xFF9A)},
      {"aiff24 one byte", true, 24, {0x12, 0x34, 0x00, 0x56}, int16_t(0x56FF)},
      {"aiff24 two bytes", true, 24, {0x12, 0x34, 0x00, 0x56, 0x78}, int16_t(0x5678)},
  };
  for (const Case& c : cases) {
    Bytes file = c.aiff ? test::formAiff({{"COMM", test::aiffCommonBody(1, 1, c.bits)},
                                          {"SSND", test::aiffSoundBody(c.data)}})
                        : test::riffWave({{"fmt ", test::wavFormatBody(1, 1, 44100, c.bits)}, {"data", c.data}});
    if (c.data.size() % 2 != 0) file.pop_back();  // the builder's pad byte
    auto audio = test::openBytes(file);
    ASSERT_NE(audio->format, FormatNone) << c.name;
    EXPECT_EQ(audio->frames, 1u) << c.name;
    auto read = test::readFrames(*audio, 3);
    EXPECT_EQ(read.count, 2) << c.name;
    EXPECT_EQ(read.samples, (std::vector<int16_t>{0x1234, c.last, 0})) << c.name;
  }
}

TEST(MalformedInput, ThousandsOfDamagedFilesKeepTheInvariants) {
  // A fixed-seed generator, so a failure names a reproducible variant.
  uint32_t state = 12345;
  auto nextRandom = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  const uint8_t interesting[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
  for (const NamedFile& sample : SampleFiles) {
    const Bytes whole = sample.make();
    for (int variant = 0; variant < 3000; ++variant) {
      Bytes damaged = whole;
      int changes = 1 + int(nextRandom() % 4);
      for (int i = 0; i < changes; ++i) {
        size_t at = nextRandom() % damaged.size();
        damaged[at] = (nextRandom() & 1) ? uint8_t(nextRandom()) : interesting[nextRandom() % 6];
      }
      if (nextRandom() % 4 == 0) damaged.resize(nextRandom() % damaged.size());
      checkInvariants(damaged, std::string(sample.name) + " variant " + std::to_string(variant));
    }
  }
}

TEST(MalformedInput, SeekingFarPastTheEndReadsNothing) {
  auto audio = test::openBytes(sampleWav());
  ASSERT_EQ(audio->format, FormatWav);
  ASSERT_EQ(SeekAudioFrame(*audio, 0xFFFFFFFFu), AudioOk);
  int16_t buffer[4] = {9, 9, 9, 9};
  EXPECT_EQ(ReadAudioFrames(*audio, 2, buffer), 0);
  EXPECT_EQ(buffer[3], 0);
}

}  // namespace
}  // namespace tp
