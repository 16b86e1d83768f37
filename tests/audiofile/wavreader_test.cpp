// Recognising and reading WAV files, from small files built in memory.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>

#include "audiofile/audiofile.h"
#include "audiofile/byteorder.h"
#include "audiotestsupport.h"

namespace tp {
namespace {

using test::Bytes;
using test::ChunkSpec;

TEST(WavReader, ReadsTheSampleOfAHandWrittenMonoFile) {
  const Bytes file = {
      'R', 'I', 'F', 'F', 0x26, 0x00, 0x00, 0x00, 'W', 'A', 'V', 'E',  // RIFF, length - 8 = 38
      'f', 'm', 't', ' ', 0x10, 0x00, 0x00, 0x00,                      // "fmt ", 16 bytes
      0x01, 0x00, 0x01, 0x00,                                          // tag 1, 1 channel
      0x44, 0xAC, 0x00, 0x00, 0x88, 0x58, 0x01, 0x00,                  // 44,100 Hz, 88,200 bytes/s
      0x02, 0x00, 0x10, 0x00,                                          // block align 2, 16 bits
      'd', 'a', 't', 'a', 0x02, 0x00, 0x00, 0x00,                      // "data", 2 bytes
      0x34, 0x12,                                                      // one sample, 0x1234
  };
  auto audio = test::openBytes(file);
  ASSERT_EQ(audio->format, FormatWav);
  EXPECT_EQ(audio->channels, 1u);
  EXPECT_EQ(audio->bits, 16);
  EXPECT_EQ(audio->frames, 1u);
  EXPECT_EQ(audio->dataStart, 44);
  EXPECT_EQ(audio->sampleRate, 44100.0L);
  auto read = test::readFrames(*audio, 1);
  EXPECT_EQ(read.count, 1);
  EXPECT_EQ(read.samples[0], 4660);
}

Bytes floatBytes(std::initializer_list<float> values) {
  Bytes out;
  for (float value : values) {
    uint8_t bytes[4];
    writeU32LE(bytes, std::bit_cast<uint32_t>(value));
    out.insert(out.end(), bytes, bytes + 4);
  }
  return out;
}

Bytes doubleBytes(std::initializer_list<double> values) {
  Bytes out;
  for (double value : values) {
    uint64_t bits = std::bit_cast<uint64_t>(value);
    uint8_t bytes[8];
    writeU32LE(bytes, uint32_t(bits));
    writeU32LE(bytes + 4, uint32_t(bits >> 32));
    out.insert(out.end(), bytes, bytes + 8);
  }
  return out;
}

struct EncodingCase {
  const char* name;
  Bytes format;
  Bytes data;
  std::vector<int16_t> expected;
  int bytesPerSample;
};

// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const EncodingCase& c, std::ostream* out) { *out << c.name; }

class WavEncoding : public testing::TestWithParam<EncodingCase> {};

TEST_P(WavEncoding, ConvertsEverySampleToSixteenBits) {
  const EncodingCase& c = GetParam();
  auto audio = test::openBytes(test::riffWave({{"fmt ", c.format}, {"data", c.data}}));
  ASSERT_EQ(audio->format, FormatWav);
  EXPECT_EQ(audio->bytesPerSample, c.bytesPerSample);
  EXPECT_EQ(size_t(audio->frames) * audio->channels, c.expected.size());
  auto read = test::readFrames(*audio, audio->frames);
  EXPECT_EQ(read.count, int64_t(c.expected.size()));
  EXPECT_EQ(read.samples, c.expected);
}

const float nan32 = std::nanf("");

INSTANTIATE_TEST_SUITE_P(
    Formats, WavEncoding,
    testing::Values(
        // 8-bit WAV is unsigned: 00 is the most negative value, 80 silence.
        EncodingCase{"Unsigned8", test::wavFormatBody(1, 1, 8000, 8), {0x00, 0x80, 0xFF, 0x81},
                     {-32768, 0, 32512, 256}, 1},
        EncodingCase{"Signed16", test::wavFormatBody(1, 1, 44100, 16), {0x34, 0x12, 0xFE, 0xFF},
                     {4660, -2}, 2},
        // Wider integers keep their most significant 16 bits.
        EncodingCase{"Signed24", test::wavFormatBody(1, 1, 48000, 24),
                     {0x56, 0x34, 0x12, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F, 0xFF, 0xFE, 0xFF},
                     {0x1234, -32768, 32767, -2}, 3},
        EncodingCase{"Signed32", test::wavFormatBody(1, 1, 48000, 32),
                     {0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFE, 0xFF},
                     {0x1234, -32768, -2}, 4},
        // Widths between whole bytes are stored left-justified in their
        // container: 12 bits in 2 bytes, 20 bits in 3.
        EncodingCase{"Signed12", test::wavFormatBody(1, 1, 44100, 12), {0x30, 0x12}, {0x1230}, 2},
        EncodingCase{"Signed20", test::wavFormatBody(1, 1, 44100, 20), {0x50, 0x34, 0x12},
                     {0x1234}, 3},
        EncodingCase{"ExtensiblePcm16", test::wavFormatBody(0xFFFE, 2, 44100, 16, 1),
                     {0x34, 0x12, 0xFE, 0xFF}, {4660, -2}, 2},
        EncodingCase{"ExtensiblePcm24", test::wavFormatBody(0xFFFE, 1, 96000, 24, 1),
                     {0x00, 0x34, 0x12}, {0x1234}, 3},
        // Floats are scaled by 32768, rounded, and clamped to 16 bits.
        EncodingCase{"Float32", test::wavFormatBody(3, 1, 44100, 32),
                     floatBytes({0.5f, -1.0f, 1.0f, 2.0f, -3.0f, 1.5f / 32768, -1.5f / 32768,
                                 0.0f, nan32}),
                     {16384, -32768, 32767, 32767, -32768, 2, -2, 0, 0}, 4},
        EncodingCase{"Float64", test::wavFormatBody(3, 2, 44100, 64),
                     doubleBytes({0.25, -0.25, 1e300, -1e300}), {8192, -8192, 32767, -32768}, 8},
        EncodingCase{"ExtensibleFloat32", test::wavFormatBody(0xFFFE, 1, 44100, 32, 3),
                     floatBytes({-0.5f, 0.125f}), {-16384, 4096}, 4}),
    [](const testing::TestParamInfo<EncodingCase>& info) { return std::string(info.param.name); });

// A 16-bit stereo file read by channels goes straight into the block; one
// cut off inside a frame keeps the frame's whole samples and reads the
// missing byte of a cut sample as FF, as every other layout does.
struct CutCase {
  const char* name;
  Bytes data;
  size_t cut;  // bytes cut off the end of the file
  int64_t frames;
  std::vector<int16_t> expected;
};

void PrintTo(const CutCase& c, std::ostream* out) { *out << c.name; }

class WavCutInsideAFrame : public testing::TestWithParam<CutCase> {};

TEST_P(WavCutInsideAFrame, ReadsTheWholeFramesAndTheCutSampleWithFF) {
  const CutCase& c = GetParam();
  Bytes file = test::riffWave({{"fmt ", test::wavFormatBody(1, 2, 44100, 16)}, {"data", c.data}});
  file.resize(file.size() - c.cut);
  auto audio = test::openBytes(file);
  ASSERT_EQ(audio->format, FormatWav);
  ASSERT_EQ(SeekAudioFrame(*audio, 0), AudioOk);
  std::vector<int16_t> block(6, 77);
  std::vector<uint8_t> scratch;
  EXPECT_EQ(ReadAudioFrameChannels(*audio, 3, block.data(), 2, scratch), c.frames);
  EXPECT_EQ(block, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, WavCutInsideAFrame,
    testing::Values(
        CutCase{"Whole", {0x34, 0x12, 0xFE, 0xFF, 0x01, 0x00, 0x02, 0x00}, 0, 2, {4660, -2, 1, 2, 0, 0}},
        // 0x78 then the missing byte FF: 0xFF78 = -136.
        CutCase{"OneSampleAndAByte", {0x34, 0x12, 0xFE, 0xFF, 0x01, 0x00, 0x78, 0x00}, 1, 1, {4660, -2, 1, -136, 0, 0}},
        CutCase{"OneByte", {0x34, 0x12, 0xFE, 0xFF, 0x78, 0x00}, 1, 1, {4660, -2, -136, 0, 0, 0}}),
    [](const testing::TestParamInfo<CutCase>& info) { return std::string(info.param.name); });

struct RefusedCase {
  const char* name;
  Bytes file;
};

void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class WavRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(WavRefused, IsNotRecognisedAndHasNoStream) {
  auto audio = test::openBytes(GetParam().file);
  EXPECT_EQ(audio->format, FormatNone);
  EXPECT_EQ(audio->stream, nullptr);
  EXPECT_EQ(AudioFileFailed(*audio), AudioNoStream);
  int16_t untouched = 77;
  EXPECT_EQ(SeekAudioFrame(*audio, 0), AudioBadState);
  EXPECT_EQ(ReadAudioFrames(*audio, 1, &untouched), AudioBadState);
  EXPECT_EQ(untouched, 77);
}

const Bytes pcm16 = test::wavFormatBody(1, 2, 44100, 16);
const Bytes fourSamples = {1, 0, 2, 0, 3, 0, 4, 0};

Bytes formatWithShortBody() {
  Bytes body = pcm16;
  body.resize(14);
  return body;
}

Bytes extensibleCutAfterExtensionSize() {
  Bytes body = test::wavFormatBody(0xFFFE, 1, 44100, 16, 1);
  body.resize(18);
  return body;
}

Bytes riffOfAnotherType() {
  Bytes file = test::riffWave({{"fmt ", pcm16}, {"data", fourSamples}});
  file[8] = 'A';  // "AAVE"
  return file;
}

INSTANTIATE_TEST_SUITE_P(
    Files, WavRefused,
    testing::Values(
        RefusedCase{"Empty", {}},
        RefusedCase{"OnlyTheRiffHeader", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}},
        RefusedCase{"OnlyAFormatChunk", test::riffWave({{"fmt ", pcm16}})},
        RefusedCase{"OnlyADataChunk", test::riffWave({{"data", fourSamples}})},
        // Without a format first there is nothing to divide the data size by.
        RefusedCase{"DataBeforeFormat",
                    test::riffWave({{"data", fourSamples}, {"fmt ", pcm16}, {"data", fourSamples}})},
        RefusedCase{"ZeroChannels",
                    test::riffWave({{"fmt ", test::wavFormatBody(1, 0, 44100, 16)}, {"data", fourSamples}})},
        RefusedCase{"FourBits",
                    test::riffWave({{"fmt ", test::wavFormatBody(1, 1, 44100, 4)}, {"data", fourSamples}})},
        RefusedCase{"ZeroBits",
                    test::riffWave({{"fmt ", test::wavFormatBody(1, 1, 44100, 0)}, {"data", fourSamples}})},
        RefusedCase{"FortyBitIntegers",
                    test::riffWave({{"fmt ", test::wavFormatBody(1, 1, 44100, 40)}, {"data", fourSamples}})},
        RefusedCase{"RateZero",
                    test::riffWave({{"fmt ", test::wavFormatBody(1, 1, 0, 16)}, {"data", fourSamples}})},
        RefusedCase{"AdpcmTag",
                    test::riffWave({{"fmt ", test::wavFormatBody(2, 1, 44100, 4)}, {"data", fourSamples}})},
        RefusedCase{"MuLawTag",
                    test::riffWave({{"fmt ", test::wavFormatBody(7, 1, 8000, 8)}, {"data", fourSamples}})},
        RefusedCase{"Float24",
                    test::riffWave({{"fmt ", test::wavFormatBody(3, 1, 44100, 24)}, {"data", fourSamples}})},
        RefusedCase{"ExtensibleAdpcm",
                    test::riffWave({{"fmt ", test::wavFormatBody(0xFFFE, 1, 44100, 16, 2)},
                                    {"data", fourSamples}})},
        RefusedCase{"ExtensibleWithoutSubFormat",
                    test::riffWave({{"fmt ", extensibleCutAfterExtensionSize()}, {"data", fourSamples}})},
        RefusedCase{"FormatShorterThanSixteenBytes",
                    test::riffWave({{"fmt ", formatWithShortBody()}, {"data", fourSamples}})},
        RefusedCase{"RiffOfAnotherType", riffOfAnotherType()}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(WavReader, SkipsOtherChunksAndThePadByteOfAnOddOne) {
  const Bytes list = {'I', 'N', 'F', 'O', 'I', 'C', 'M', 'T', 1, 0, 0, 0, 'x'};  // 13 bytes
  const Bytes odd = {9, 9, 9};
  auto audio = test::openBytes(test::riffWave(
      {{"fmt ", pcm16}, {"LIST", list}, {"odd ", odd}, {"data", test::samplesLE({100, -100, 7, -7})}}));
  ASSERT_EQ(audio->format, FormatWav);
  EXPECT_EQ(audio->frames, 2u);
  EXPECT_EQ(audio->dataStart, 12 + 8 + 16 + 8 + 14 + 8 + 4 + 8);
  EXPECT_EQ(test::readFrames(*audio, 2).samples, (std::vector<int16_t>{100, -100, 7, -7}));
}

TEST(WavReader, CountsFramesFromTheDataSize) {
  // 100,000 bytes of stereo 16-bit data are 25,000 frames.
  auto audio = test::openBytes(test::riffWave({{"fmt ", pcm16}, {"data", Bytes(100000, 0)}}));
  ASSERT_EQ(audio->format, FormatWav);
  EXPECT_EQ(audio->frames, 25000u);
}

TEST(WavReader, CountsOnlyTheWholeFramesADataChunkReallyHolds) {
  struct Case {
    uint32_t claimed;
    size_t present;
    uint32_t frames;
  } cases[] = {
      {1000000, 10, 2}, {0xFFFFFFFF, 8, 2}, {0xFFFFFFF8, 2, 0}, {9, 9, 2}, {0x80000000, 400, 100},
  };
  for (const Case& c : cases) {
    auto audio = test::openBytes(
        test::riffWave({{"fmt ", pcm16}, {"data", Bytes(c.present, 0), c.claimed}}));
    ASSERT_EQ(audio->format, FormatWav) << c.claimed;
    EXPECT_EQ(audio->frames, c.frames) << c.claimed;
  }
}

TEST(WavReader, ReadsOnThroughTheChunksAfterTheData) {
  // One sample of data, then a chunk "abcd" of one byte and its pad byte:
  // the reader delivers the following chunk's bytes as samples.
  auto audio = test::openBytes(test::riffWave(
      {{"fmt ", test::wavFormatBody(1, 1, 44100, 16)}, {"data", {0x34, 0x12}}, {"abcd", {0x07}}}));
  ASSERT_EQ(audio->format, FormatWav);
  ASSERT_EQ(audio->frames, 1u);
  auto read = test::readFrames(*audio, 10);
  EXPECT_EQ(read.count, 6);
  EXPECT_EQ(read.samples,
            (std::vector<int16_t>{0x1234, 0x6261, 0x6463, 0x0001, 0x0000, 0x0007, 0, 0, 0, 0}));
}

TEST(WavReader, CountsTheMissingByteOfALastSampleAsFF) {
  Bytes file = test::riffWave({{"fmt ", test::wavFormatBody(1, 1, 44100, 16)}, {"data", {0x34, 0x12, 0x07}}});
  file.pop_back();  // the pad byte: the file now ends inside the second sample
  auto audio = test::openBytes(file);
  ASSERT_EQ(audio->format, FormatWav);
  EXPECT_EQ(audio->frames, 1u);
  auto read = test::readFrames(*audio, 3);
  EXPECT_EQ(read.count, 2);
  EXPECT_EQ(read.samples, (std::vector<int16_t>{0x1234, int16_t(0xFF07), 0}));
}

TEST(WavReader, FillsTheRestOfTheBufferWithZerosAtTheEnd) {
  std::vector<int16_t> ramp(2000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = int16_t(i * 16 - 16000);
  auto audio = test::openBytes(test::riffWave({{"fmt ", pcm16}, {"data", test::samplesLE(ramp)}}));
  ASSERT_EQ(audio->frames, 1000u);
  auto read = test::readFrames(*audio, 32768);
  EXPECT_EQ(read.count, 2000);
  EXPECT_TRUE(std::equal(ramp.begin(), ramp.end(), read.samples.begin()));
  EXPECT_EQ(std::count(read.samples.begin() + 2000, read.samples.end(), 0), 63536);
}

TEST(WavReader, SeeksByTheRealSampleWidth) {
  struct Case {
    int bits;
    int width;
  } cases[] = {{8, 1}, {16, 2}, {24, 3}, {32, 4}};
  for (const Case& c : cases) {
    // Stereo frames whose first sample's top byte is the frame number.
    Bytes data;
    for (int frame = 0; frame < 10; ++frame) {
      for (int channel = 0; channel < 2; ++channel) {
        for (int b = 0; b < c.width - 1; ++b) data.push_back(0);
        data.push_back(uint8_t(c.bits == 8 ? 128 + frame : frame));
      }
    }
    auto audio = test::openBytes(test::riffWave({{"fmt ", test::wavFormatBody(1, 2, 44100, uint16_t(c.bits))}, {"data", data}}));
    ASSERT_EQ(audio->format, FormatWav) << c.bits;
    ASSERT_EQ(audio->frames, 10u);
    ASSERT_EQ(SeekAudioFrame(*audio, 7), AudioOk);
    int16_t frame[2] = {};
    ASSERT_EQ(ReadAudioFrames(*audio, 1, frame), 2);
    EXPECT_EQ(frame[0], 7 * 256) << c.bits;
  }
}

TEST(WavReader, TakesTheLastOfSeveralDataChunks) {
  auto audio = test::openBytes(test::riffWave(
      {{"fmt ", pcm16}, {"data", test::samplesLE({1, 2})}, {"data", test::samplesLE({3, 4, 5, 6})}}));
  ASSERT_EQ(audio->format, FormatWav);
  EXPECT_EQ(audio->frames, 2u);
  EXPECT_EQ(test::readFrames(*audio, 2).samples, (std::vector<int16_t>{3, 4, 5, 6}));
}

TEST(WavReader, RefusesAFileThatCannotBeOpened) {
  auto audio = OpenAudioFile("/nonexistent-folder/none.wav", false);
  EXPECT_EQ(audio->format, FormatNone);
  EXPECT_EQ(audio->stream, nullptr);
  EXPECT_EQ(AudioFileFailed(*audio), AudioNoStream);
  EXPECT_EQ(CloseAudioFile(std::move(audio)), AudioOk);
}

TEST(WavReader, ReadsAFileFromDisk) {
  test::TemporaryFolder folder;
  test::writeWholeFile(folder / "ramp.wav",
                       test::riffWave({{"fmt ", pcm16}, {"data", test::samplesLE({-3, 3, -2, 2})}}));
  auto audio = OpenAudioFile(folder / "ramp.wav", false);
  ASSERT_EQ(audio->format, FormatWav);
  EXPECT_EQ(test::readFrames(*audio, 2).samples, (std::vector<int16_t>{-3, 3, -2, 2}));
  EXPECT_EQ(AudioFileFailed(*audio), 0);
  EXPECT_EQ(CloseAudioFile(std::move(audio)), AudioOk);
}

}  // namespace
}  // namespace tp
