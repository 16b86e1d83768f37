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

TEST(NameCodec, EveryByteThatMayBeTypedSurvivesARoundTripAndNoOtherIsAccepted) {
  // Printable ASCII, half-width katakana (A1-DF) and the accented small
  // letters (E0-FF) may be typed; control characters and 80-A0 may not.
  for (int b = 1; b < 256; ++b) {
    const std::string one(1, char(b));
    const bool typeable = (b >= 0x20 && b <= 0x7E) || b >= 0xA1;
    SCOPED_TRACE(b);
    if (typeable) EXPECT_EQ(Utf8ToNameBytes(NameBytesToUtf8(one)), one);
    else EXPECT_EQ(Utf8ToNameBytes(NameBytesToUtf8(one)), std::nullopt);
  }
}

TEST(NameCodec, AFileNameWithAControlCharacterGivesAnUnderscore) {
  EXPECT_EQ(Utf8ToNameBytesLossy("Take\n1\t\x7F"), "Take_1__");
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
