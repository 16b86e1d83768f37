#include "project/namecodec.h"
#include "project/namefield.h"

#include <gtest/gtest.h>

#include <set>

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
  // Malformed UTF-8 that a lax decoder would read as a character.
  EXPECT_EQ(Utf8ToNameBytes("A\xC0\xAF"), std::nullopt);     // an overlong "/"
  EXPECT_EQ(Utf8ToNameBytes("A\xED\xA0\x80"), std::nullopt);  // an encoded surrogate
  EXPECT_EQ(Utf8ToNameBytesLossy("A\xC0\xAF"), "A__");
}

// What a Japanese input method types is folded to the half-width forms the
// recorder stores; the expected bytes are the recorder's (A1-DF, the
// half-width forms U+FF61-U+FF9F in order), worked out by hand.
TEST(NameCodec, FoldsFullWidthKatakanaPunctuationAndAsciiToTheRecordersBytes) {
  struct Case {
    const char* typed;
    const char* stored;
  };
  const Case cases[] = {
      {"\u30C9\u30E9\u30E0", "\xC4\xDE\xD7\xD1"},                         // ドラム: ﾄﾞﾗﾑ
      {"\u30D9\u30FC\u30B9", "\xCD\xDE\xB0\xBD"},                         // ベース: ﾍﾞｰｽ
      {"\u30D1\u30F3\u30C1", "\xCA\xDF\xDD\xC1"},                         // パンチ: ﾊﾟﾝﾁ
      {"\u30C3\u30A1\u30F4", "\xAF\xA7\xB3\xDE"},                         // ッァヴ: ｯｧｳﾞ
      {"\u30F2\u30F3", "\xA6\xDD"},                                         // ヲン
      {"\u3001\u3002\u300C\u300D\u30FB", "\xA4\xA1\xA2\xA3\xA5"},           // 、。「」・
      {"\u30CF\u309B\u30CF\u309C\u30CF\u3099", "\xCA\xDE\xCA\xDF\xCA\xDE"},  // marks typed apart
      {"\uFF36\uFF4F\uFF58\u3000\uFF11\uFF01", "Vox 1!"},                      // ＶＯＸ　１！
      {"\uFF01\uFF5E", "!~"},                                                 // both ends of full-width ASCII
      {"Kick \uFF12", "Kick 2"},
      {"\uFF76\uFF9E", "\xB6\xDE"},                                           // half-width stays
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToNameBytes(c.typed), std::string(c.stored)) << c.typed;
    EXPECT_EQ(Utf8ToNameBytesLossy(c.typed), std::string(c.stored)) << c.typed;
  }
  EXPECT_EQ(FoldFullWidthText("\u30C9\u30E9\u30E0\u66F2"), "\uFF84\uFF9E\uFF97\uFF91\u66F2");
}

// Every full-width katakana folds but those without a half-width letter,
// which are refused rather than replaced by a look-alike.
TEST(NameCodec, OnlyKatakanaWithoutAHalfWidthFormAreRefused) {
  const std::set<char32_t> refused = {0x30EE, 0x30F0, 0x30F1, 0x30F5, 0x30F6, 0x30F8, 0x30F9};  // ヮヰヱヵヶヸヹ
  for (char32_t code = 0x30A1; code <= 0x30FA; ++code) {
    std::string typed;
    typed += char(0xE0 | (code >> 12));
    typed += char(0x80 | ((code >> 6) & 0x3F));
    typed += char(0x80 | (code & 0x3F));
    const auto stored = Utf8ToNameBytes(typed);
    SCOPED_TRACE(int(code));
    if (refused.count(code)) {
      EXPECT_EQ(stored, std::nullopt);
      EXPECT_EQ(Utf8ToNameBytesLossy(typed), "_");
      continue;
    }
    ASSERT_TRUE(stored.has_value());
    ASSERT_GE(stored->size(), 1u);
    ASSERT_LE(stored->size(), 2u);
    for (char byte : *stored) EXPECT_TRUE(uint8_t(byte) >= 0xA1 && uint8_t(byte) <= 0xDF);
    if (stored->size() == 2) {
      EXPECT_TRUE(uint8_t((*stored)[1]) == 0xDE || uint8_t((*stored)[1]) == 0xDF);
    }
  }
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
