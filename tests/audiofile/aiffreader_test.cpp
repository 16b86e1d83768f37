// Recognising and reading AIFF files, from small files built in memory.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "audiofile/audiofile.h"
#include "audiotestsupport.h"

namespace tp {
namespace {

using test::Bytes;

TEST(AiffReader, ReadsTheSampleOfAHandWrittenMonoFile) {
  const Bytes file = {
      'F', 'O', 'R', 'M', 0x00, 0x00, 0x00, 0x2E, 'A', 'I', 'F', 'F',  // FORM, length - 8 = 46
      'C', 'O', 'M', 'M', 0x00, 0x00, 0x00, 0x12,                      // "COMM", 18 bytes
      0x00, 0x01,                                                      // 1 channel
      0x00, 0x00, 0x00, 0x01,                                          // 1 frame
      0x00, 0x10,                                                      // 16 bits
      0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0,                        // 44,100 Hz
      'S', 'S', 'N', 'D', 0x00, 0x00, 0x00, 0x0A,                      // "SSND", 10 bytes
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                  // offset, block size
      0x12, 0x34,                                                      // one sample, 0x1234
  };
  auto audio = test::openBytes(file);
  ASSERT_EQ(audio->format, FormatAiff);
  EXPECT_EQ(audio->channels, 1u);
  EXPECT_EQ(audio->bits, 16);
  EXPECT_EQ(audio->frames, 1u);
  EXPECT_EQ(audio->dataStart, 54);
  EXPECT_EQ(audio->sampleRate, 44100.0L);
  auto read = test::readFrames(*audio, 1);
  EXPECT_EQ(read.count, 1);
  EXPECT_EQ(read.samples[0], 4660);
}

struct EncodingCase {
  const char* name;
  uint16_t channels;
  uint16_t bits;
  Bytes samples;
  std::vector<int16_t> expected;
};

// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const EncodingCase& c, std::ostream* out) { *out << c.name; }

class AiffEncoding : public testing::TestWithParam<EncodingCase> {};

TEST_P(AiffEncoding, ConvertsEverySampleToSixteenBits) {
  const EncodingCase& c = GetParam();
  uint32_t frames = uint32_t(c.expected.size() / c.channels);
  auto audio = test::openBytes(test::formAiff(
      {{"COMM", test::aiffCommonBody(c.channels, frames, c.bits)}, {"SSND", test::aiffSoundBody(c.samples)}}));
  ASSERT_EQ(audio->format, FormatAiff);
  EXPECT_EQ(audio->frames, frames);
  auto read = test::readFrames(*audio, frames);
  EXPECT_EQ(read.count, int64_t(c.expected.size()));
  EXPECT_EQ(read.samples, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, AiffEncoding,
    testing::Values(
        // 8-bit AIFF is signed: 80 is the most negative value, 00 silence.
        EncodingCase{"Signed8", 1, 8, {0x80, 0x7F, 0x00, 0xFF}, {-32768, 32512, 0, -256}},
        EncodingCase{"Signed16", 2, 16, {0x12, 0x34, 0xFF, 0xFE}, {4660, -2}},
        EncodingCase{"Signed24", 1, 24, {0x12, 0x34, 0x56, 0x80, 0x00, 0x00, 0x7F, 0xFF, 0xFF},
                     {0x1234, -32768, 32767}},
        EncodingCase{"Signed32", 2, 32, {0x12, 0x34, 0x56, 0x78, 0xFF, 0xFE, 0x00, 0x01}, {0x1234, -2}},
        // Widths below a whole byte live left-justified in their container.
        EncodingCase{"Signed4", 1, 4, {0x70, 0x90}, {0x7000, -0x7000}},
        EncodingCase{"Signed12", 1, 12, {0x12, 0x30}, {0x1230}},
        EncodingCase{"Signed20", 1, 20, {0x12, 0x34, 0x50}, {0x1234}}),
    [](const testing::TestParamInfo<EncodingCase>& info) { return std::string(info.param.name); });

TEST(AiffReader, ReadsTheEightyBitRate) {
  struct Case {
    Bytes rate;
    long double expected;
  } cases[] = {
      {{0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}, 44100.0L},
      {{0x40, 0x0E, 0xBB, 0x80, 0, 0, 0, 0, 0, 0}, 48000.0L},
      {{0x40, 0x0E, 0xAC, 0x44, 0x80, 0, 0, 0, 0, 0}, 44100.5L},
      {{0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}, 1.0L},
  };
  for (const Case& c : cases) {
    auto audio = test::openBytes(test::formAiff(
        {{"COMM", test::aiffCommonBody(1, 1, 16, c.rate)}, {"SSND", test::aiffSoundBody({0, 0})}}));
    ASSERT_EQ(audio->format, FormatAiff);
    EXPECT_EQ(audio->sampleRate, c.expected);
  }
}

TEST(AiffReader, StartsReadingRightAfterTheBlockSizeWhateverTheOffset) {
  // The offset says 4 bytes precede the sound; they are delivered anyway.
  auto audio = test::openBytes(test::formAiff(
      {{"COMM", test::aiffCommonBody(1, 3, 16)},
       {"SSND", test::aiffSoundBody({0xAA, 0xBB, 0xCC, 0xDD, 0x12, 0x34}, 4)}}));
  ASSERT_EQ(audio->format, FormatAiff);
  EXPECT_EQ(audio->dataStart, 12 + 26 + 8 + 8);
  EXPECT_EQ(test::readFrames(*audio, 3).samples, (std::vector<int16_t>{int16_t(0xAABB), int16_t(0xCCDD), 0x1234}));
}

TEST(AiffReader, CapsTheFrameCountAtTheFramesTheFileHolds) {
  struct Case {
    uint32_t claimedFrames;
    std::optional<uint32_t> claimedSoundSize;
    size_t sampleBytes;
    uint32_t frames;
  } cases[] = {
      {1000000, std::nullopt, 12, 3},  // COMM claims more than SSND holds
      {2, std::nullopt, 12, 2},        // COMM claims less: it is believed
      {0xFFFFFFFF, 0xFFFFFFFF, 16, 4}, // both lie
      {50, 12, 400, 1},                // SSND is shorter than the file: 4 bytes of sound
      {5, 3, 0, 0},                    // an SSND too short for its own header
  };
  for (const Case& c : cases) {
    Bytes sound = test::aiffSoundBody(Bytes(c.sampleBytes, 0x11));
    auto audio = test::openBytes(test::formAiff({{"COMM", test::aiffCommonBody(2, c.claimedFrames, 16)},
                                                 {"SSND", sound, c.claimedSoundSize}}));
    ASSERT_EQ(audio->format, FormatAiff);
    EXPECT_EQ(audio->frames, c.frames) << c.claimedFrames << " " << c.sampleBytes;
  }
}

TEST(AiffReader, FindsTheSoundBeforeTheCommonChunk) {
  auto audio = test::openBytes(test::formAiff(
      {{"SSND", test::aiffSoundBody({0x00, 0x05, 0xFF, 0xFB})}, {"NAME", {'a', 'b', 'c'}},
       {"COMM", test::aiffCommonBody(1, 2, 16)}}));
  ASSERT_EQ(audio->format, FormatAiff);
  EXPECT_EQ(audio->frames, 2u);
  EXPECT_EQ(test::readFrames(*audio, 2).samples, (std::vector<int16_t>{5, -5}));
}

TEST(AiffReader, RecognisesAFileWithoutCommonChunkAsEmpty) {
  auto audio = test::openBytes(test::formAiff({{"SSND", test::aiffSoundBody({1, 2, 3, 4})}}));
  ASSERT_EQ(audio->format, FormatAiff);
  EXPECT_EQ(audio->channels, 0u);
  EXPECT_EQ(audio->frames, 0u);
  EXPECT_EQ(SeekAudioFrame(*audio, 0), AudioOk);
  int16_t untouched = 9;
  EXPECT_EQ(ReadAudioFrames(*audio, 1, &untouched), 0);
}

struct RefusedCase {
  const char* name;
  Bytes file;
};

void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class AiffRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(AiffRefused, IsNotRecognised) {
  auto audio = test::openBytes(GetParam().file);
  EXPECT_EQ(audio->format, FormatNone);
  EXPECT_EQ(audio->stream, nullptr);
}

const Bytes someSound = test::aiffSoundBody({0, 1, 0, 2});

Bytes withRate(const Bytes& rate) {
  return test::formAiff({{"COMM", test::aiffCommonBody(1, 2, 16, rate)}, {"SSND", someSound}});
}

INSTANTIATE_TEST_SUITE_P(
    Files, AiffRefused,
    testing::Values(
        RefusedCase{"CompressedAifc",
                    test::formAiff({{"COMM", test::aiffCommonBody(1, 2, 16)}, {"SSND", someSound}}, "AIFC")},
        RefusedCase{"RateZero", withRate({0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        RefusedCase{"RateOneHalf", withRate({0x3F, 0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0})},
        RefusedCase{"RateNegative", withRate({0xC0, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0})},
        RefusedCase{"RateInfinite", withRate({0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0})},
        RefusedCase{"RateNotANumber", withRate({0x7F, 0xFF, 0xC0, 0, 0, 0, 0, 0, 0, 0})},
        RefusedCase{"RateHuge", withRate({0x43, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0})},
        RefusedCase{"ZeroChannels",
                    test::formAiff({{"COMM", test::aiffCommonBody(0, 2, 16)}, {"SSND", someSound}})},
        RefusedCase{"ZeroBits", test::formAiff({{"COMM", test::aiffCommonBody(1, 2, 0)}, {"SSND", someSound}})},
        RefusedCase{"FortyBits",
                    test::formAiff({{"COMM", test::aiffCommonBody(1, 2, 40)}, {"SSND", someSound}})},
        RefusedCase{"CommonChunkCutShort", test::formAiff({{"COMM", Bytes{0, 1, 0, 0, 0, 2}}})},
        RefusedCase{"OnlyTheFormHeader", Bytes{'F', 'O', 'R', 'M', 0, 0, 0, 4, 'A', 'I', 'F'}}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(AiffReader, RecognisesTheContentsWhateverTheFileIsCalled) {
  test::TemporaryFolder folder;
  test::writeWholeFile(folder / "really.wav",
                       test::formAiff({{"COMM", test::aiffCommonBody(1, 2, 16)}, {"SSND", someSound}}));
  auto audio = OpenAudioFile(folder / "really.wav", false);
  EXPECT_EQ(audio->format, FormatAiff);
  EXPECT_EQ(test::readFrames(*audio, 2).samples, (std::vector<int16_t>{1, 2}));
  EXPECT_EQ(CloseAudioFile(std::move(audio)), AudioOk);
}

}  // namespace
}  // namespace tp
