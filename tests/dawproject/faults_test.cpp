// A DAW project file that cannot be completed leaves nothing behind: not
// the file, not the side file it was written to, not a FLAC file encoded
// for it. The failures come through the file layer's fault seam.
#include <cerrno>

#include <gtest/gtest.h>

#include "dawproject/projectxml.h"
#include "dawproject/sessionfile.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "support/projectfixture.h"
#include "dawproject/sessionfixture.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

class SessionFaults : public ::testing::TestWithParam<AudioFormat>, protected PlannedSessionSong {
 protected:
  void SetUp() override { PlanSong(GetParam()); }
  ConversionResult write(const ConversionHooks& hooks = {}) { return WriteSessionFile(plan, target, hooks); }

  fs::path target = folder / "song.dawproject";
};

TEST_P(SessionFaults, AStopPartWayLeavesNoFileAndNoSideFile) {
  // Stopped at the first question, and again part-way through the takes.
  ExpectAStopLeavesNothing([&](const ConversionHooks& hooks) { return write(hooks); }, folder, {1, 6});
}

TEST_P(SessionFaults, AFullDiskFailsNamingTheFileAndLeavesNothing) {
  // The first write, and one part-way through the audio.
  for (long nth : {1L, 5L}) {
    SCOPED_TRACE(nth);
    FaultInjection::FailNthWrite(nth, ENOSPC);
    const ConversionResult result = write();
    FaultInjection::Reset();
    EXPECT_EQ(result.outcome, ConversionResult::Failed);
    EXPECT_NE(result.detail.find("No space left on device"), std::string::npos) << result.detail;
    EXPECT_TRUE(NamesIn(folder).empty());
  }
}

TEST_P(SessionFaults, ATakeThatCannotBeReadFailsNamingItAndLeavesNothing) {
  FaultInjection::FailReadsOf("TRACK2_0.DAT", EIO);
  const ConversionResult result = write();
  FaultInjection::Reset();
  EXPECT_EQ(result.outcome, ConversionResult::Failed);
  EXPECT_NE(result.detail.find("Input/output error"), std::string::npos) << result.detail;
  EXPECT_STREQ(result.message, messages::TakeNotRead);
  EXPECT_NE(result.detail.find("Track03-1"), std::string::npos) << result.detail;
  EXPECT_TRUE(NamesIn(folder).empty());
}

TEST_P(SessionFaults, AnExistingFileStaysAsItWasWhenTheWriteFails) {
  WriteBytes(target, {'o', 'l', 'd'});
  FaultInjection::FailNthWrite(3, ENOSPC);
  EXPECT_EQ(write().outcome, ConversionResult::Failed);
  FaultInjection::Reset();
  EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(NamesIn(folder), std::vector<std::string>{"song.dawproject"});
  EXPECT_EQ(write().outcome, ConversionResult::Converted);
  EXPECT_GT(fs::file_size(target), 3u);
}

INSTANTIATE_TEST_SUITE_P(WavAndFlac, SessionFaults, ::testing::Values(FormatWav, FormatFlac),
                         [](const auto& info) { return info.param == FormatWav ? "Wav" : "Flac"; });

// Names from a foreign disk become valid XML text, whatever their bytes.
TEST(SessionXml, TextIsEscapedAndWhatXmlCannotHoldIsReplaced) {
  struct Case {
    std::string in, out;
  };
  const std::vector<Case> cases = {
      {"Kick & <Snare> \"1\"", "Kick &amp; &lt;Snare&gt; &quot;1&quot;"},
      {"\xEF\xBD\xB6\xEF\xBE\x9E", "\xEF\xBD\xB6\xEF\xBE\x9E"},  // half-width katakana stays
      {"Caf\xC3\xA9", "Caf\xC3\xA9"},
      {"Caf\xE9", "Caf\xEF\xBF\xBD"},                  // a Latin-1 byte is no UTF-8
      {std::string("a\0b\x01", 4), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD"},
      {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},        // an overlong "/"
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate
      {"tab\tline\n", "tab&#9;line&#10;"},
  };
  for (const Case& c : cases) EXPECT_EQ(XmlText(c.in), c.out) << c.in;
}

TEST(SessionXml, DurationsGiveTheFramesBackExactly) {
  for (uint32_t frames : {1u, 7u, 44099u, 44100u, 13230001u, 2147483647u}) {
    const double seconds = std::stod(XmlNumber(double(frames) / 44100.0));
    EXPECT_EQ(uint64_t(std::llround(seconds * 44100.0)), frames);
  }
}

}  // namespace
}  // namespace tp
