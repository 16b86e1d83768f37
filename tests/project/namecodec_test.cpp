#include "project/namecodec.h"
#include "project/namefield.h"

#include <gtest/gtest.h>

namespace tp {
namespace {

TEST(NameCodec, ShowsAsciiKatakanaAndLatin1) {
  EXPECT_EQ(NameBytesToUtf8("Kick 1  "), "Kick 1  ");
  EXPECT_EQ(NameBytesToUtf8("\xB1\xB2\xDF"), "\uFF71\uFF72\uFF9F");  // half-width a, i, semi-voiced mark
  EXPECT_EQ(NameBytesToUtf8("\xA1"), "\uFF61");
  EXPECT_EQ(NameBytesToUtf8("\xE9\xA0\x80"), "\u00E9\u00A0\u0080");
}

TEST(NameCodec, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += char(b);
  EXPECT_EQ(Utf8ToNameBytes(NameBytesToUtf8(all)), all);
}

TEST(NameCodec, RefusesCharactersThatHaveNoByte) {
  EXPECT_EQ(Utf8ToNameBytes("\u3042"), std::nullopt);   // full-width hiragana
  EXPECT_EQ(Utf8ToNameBytes("\u00DF"), std::nullopt);   // its byte means katakana here
  EXPECT_EQ(Utf8ToNameBytes("\xC3"), std::nullopt);     // cut-off UTF-8
}

TEST(NameField, EncodesAndDecodesTheEightByteField) {
  auto eight = [](const NameField& f) { return std::string(f.begin(), f.end()); };
  EXPECT_EQ(eight(EncodeNameField("AB")), "AB      ");
  EXPECT_EQ(eight(EncodeNameField("Twelve chars")), "Twelve c");
  EXPECT_EQ(eight(EncodeNameField("")), "        ");
  EXPECT_EQ(eight(EncodeNameFieldWithSuffix("Guitar solo", 'R')), "Guitar R");
  EXPECT_EQ(eight(EncodeNameFieldWithSuffix("kick", 'L')), "kick   L");
  const uint8_t withZeros[8] = {'R', 'O', 'C', 'K', 0, 'x', 0, 0};
  EXPECT_EQ(DecodeNameField(withZeros), "ROCK");
  EXPECT_EQ(PadName("ROCK"), "ROCK    ");
}

}  // namespace
}  // namespace tp
