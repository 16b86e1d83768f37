// Strict UTF-8 as the standard's table of well-formed sequences defines it,
// checked byte by byte against sequences worked out by hand.
#include <gtest/gtest.h>

#include <string>

#include "project/utf8text.h"

namespace tp {
namespace {

TEST(Utf8Text, OnlyWellFormedSequencesCountAsUtf8) {
  struct Case {
    const char* what;
    std::string bytes;
    bool valid;
  } cases[] = {
      {"ASCII", "Demo 1", true},
      {"e acute, two bytes", "\xC3\xA9", true},
      {"the euro sign, three bytes", "\xE2\x82\xAC", true},
      {"the last code point, four bytes", "\xF4\x8F\xBF\xBF", true},
      {"the last code point before the surrogates", "\xED\x9F\xBF", true},
      {"an encoded surrogate, U+D800", "\xED\xA0\x80", false},
      {"the last surrogate, U+DFFF", "\xED\xBF\xBF", false},
      {"an overlong slash, two bytes", "\xC0\xAF", false},
      {"an overlong NUL, three bytes", "\xE0\x80\x80", false},
      {"an overlong form, four bytes", "\xF0\x8F\xBF\xBF", false},
      {"above U+10FFFF", "\xF4\x90\x80\x80", false},
      {"a lead byte that never starts a sequence", "\xF5\x80\x80\x80", false},
      {"a Latin-1 e acute", "caf\xE9", false},
      {"a sequence cut short at the end", "\xE2\x82", false},
      {"a lone continuation byte", "\x80", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsStrictUtf8(c.bytes), c.valid) << c.what;
}

TEST(Utf8Text, ASequenceGivesItsLengthAndCodePoint) {
  struct Case {
    std::string bytes;
    size_t length;
    char32_t code;
  } cases[] = {
      {"A", 1, U'A'},
      {"\xC3\xA9", 2, U'\u00E9'},
      {"\xE2\x82\xAC", 3, U'\u20AC'},
      {"\xEF\xBF\xBF", 3, U'\uFFFF'},
      {"\xF0\x9F\x8E\xB5", 4, U'\U0001F3B5'},  // a musical note
      {"\xF4\x8F\xBF\xBF", 4, U'\U0010FFFF'},
      {"\xC0\xAF", 0, 0},
      {"\xED\xA0\x80", 0, 0},
      {"\xE2\x82", 0, 0},
  };
  for (const Case& c : cases) {
    const Utf8Sequence sequence = Utf8SequenceAt(c.bytes, 0);
    EXPECT_EQ(sequence.length, c.length) << c.bytes;
    if (c.length > 0) EXPECT_EQ(sequence.code, c.code) << c.bytes;
    // Written back, a code point gives the bytes it came from.
    std::string written;
    if (c.length > 0) AppendUtf8(written, sequence.code);
    EXPECT_EQ(written, c.length > 0 ? c.bytes : std::string()) << c.bytes;
  }
}

TEST(Utf8Text, WhatIsNotUtf8IsShownThroughItsLatin1Reading) {
  EXPECT_EQ(Utf8OrLatin1("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(Utf8OrLatin1("caf\xE9"), "caf\xC3\xA9");
  // Each byte of the surrogate becomes its own character: U+00ED U+00A0 U+0080.
  EXPECT_EQ(Utf8OrLatin1("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xC2\x80");
  EXPECT_TRUE(IsStrictUtf8(Utf8OrLatin1("\xED\xA0\x80x\xFF\xC0\xAF")));
}

}  // namespace
}  // namespace tp
