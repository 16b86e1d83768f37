// The DAW project file as a DAW reads it: openDAW's own importer
// (opendaw_import.mjs in Node) builds its model of the song from our file,
// and the model is checked against the song: tracks and names, one region
// per take with only the chosen one heard, positions and lengths, the
// mixer, and the samples openDAW decodes.
#include <cmath>

#include <gtest/gtest.h>

#include "dawproject/sessionfixture.h"
#include "mix/mixer.h"
#include "support/projectfixture.h"
#include "support/tempfolder.h"

namespace tp {
namespace {

using namespace tp::test;
using nlohmann::json;
namespace fs = std::filesystem;

// What openDAW built from `file`; null (and a failure) when the import failed.
json ImportWithOpenDaw(const fs::path& file) {
  const CommandOutput run = RunCommand("cd " + Quoted(TP_SESSION_TEST_DIR) + " && node opendaw_import.mjs " +
                                       Quoted(file.string()));
  if (run.status != 0) {
    ADD_FAILURE() << "openDAW refused the file:\n" << run.out;
    return nullptr;
  }
  return json::parse(run.out);
}

// 16-bit little-endian PCM, a master take's sides interleaved, the shorter
// padded with zeros, as base64 (the form the import script prints).
std::string Base64Pcm(const std::vector<int16_t>& left, const std::vector<int16_t>* right = nullptr) {
  std::vector<uint8_t> bytes;
  const size_t frames = right ? std::max(left.size(), right->size()) : left.size();
  const auto put = [&](int16_t s) { bytes.push_back(uint8_t(s & 0xFF)), bytes.push_back(uint8_t((s >> 8) & 0xFF)); };
  for (size_t i = 0; i < frames; ++i) {
    put(i < left.size() ? left[i] : 0);
    if (right) put(i < right->size() ? (*right)[i] : 0);
  }
  static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const uint32_t n = uint32_t(bytes[i]) << 16 | (i + 1 < bytes.size() ? uint32_t(bytes[i + 1]) << 8 : 0) |
                       (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    text += alphabet[(n >> 18) & 63];
    text += alphabet[(n >> 12) & 63];
    text += i + 1 < bytes.size() ? alphabet[(n >> 6) & 63] : '=';
    text += i + 2 < bytes.size() ? alphabet[n & 63] : '=';
  }
  return text;
}

struct ExpectedRegion {
  std::string label;
  bool heard;
  std::string pcm;
  size_t frames;
};

struct ExpectedUnit {
  std::string name;
  int volume, pan;
  bool mute, solo;
  std::vector<ExpectedRegion> regions;
};

void ExpectUnit(const json& unit, const ExpectedUnit& expected) {
  SCOPED_TRACE(expected.name);
  EXPECT_EQ(unit["name"], expected.name);
  if (VolumeTable[expected.volume] == 0)
    EXPECT_EQ(unit["volumeDb"], "-Infinity");
  else
    EXPECT_NEAR(unit["volumeDb"].get<double>(), 20 * std::log10(VolumeTable[expected.volume] / 8192.0), 1e-4);
  EXPECT_NEAR(unit["panning"].get<double>(), 2 * expected.pan / 100.0 - 1, 1e-6);
  EXPECT_EQ(unit["mute"], expected.mute);
  EXPECT_EQ(unit["solo"], expected.solo);
  ASSERT_EQ(unit["regions"].size(), expected.regions.size());
  for (size_t i = 0; i < expected.regions.size(); ++i) {
    const json& region = unit["regions"][i];
    const ExpectedRegion& want = expected.regions[i];
    SCOPED_TRACE(want.label);
    EXPECT_EQ(region["label"], want.label);
    EXPECT_EQ(region["mute"], !want.heard) << "only the chosen take is heard";
    EXPECT_EQ(region["position"], 0.0);
    EXPECT_EQ(std::lround(region["duration"].get<double>() * 44100), long(want.frames)) << "as long as its take";
    EXPECT_EQ(region["sampleRate"], 44100);
    EXPECT_EQ(region["frames"], want.frames);
    EXPECT_TRUE(region["pcm"] == want.pcm) << "the take's samples";
  }
}

TEST(OpenDawImport, BuildsEveryTrackItsTakesAsRegionsTheChosenOneHeardAndTheMixer) {
  TempFolder disk;
  const fs::path song = disk / "song", file = disk / "song.dawproject";
  WriteSessionSong(song);
  // openDAW skips a clip shorter than a 960th of a beat (the song's 7-sample
  // take) and then fails on the file it did not use: the take without a
  // name lasts a little longer here.
  WriteTake(song / "TRACK153.DAT", "", Ramp(1000, 40));
  const auto written = RunCommand(std::string(TP_CLI_PATH) + " session " + Quoted(song.string()) + " " +
                                  Quoted(file.string()) + " -t 1-2 --volume 3=120 --pan 3=20 --volume 5=0 --pan 5=100 "
                                  "--mute 3 --solo 16 -q");
  ASSERT_EQ(written.status, 0) << written.out;
  const json imported = ImportWithOpenDaw(file);
  ASSERT_FALSE(imported.is_null());
  const json& units = imported["units"];

  const auto kick = Ramp(50000, -20000), kick2 = Ramp(30001, 5, 7), kana = Ramp(20000, 100, 3);
  const auto cafe = Ramp(1000, -9), blank = Ramp(1000, 40);
  const auto finalLeft = Ramp(40000, 1), finalRight = Ramp(39999, 7, 5), altLeft = Ramp(300, 2),
             altRight = Ramp(300, 3);
  const std::vector<ExpectedUnit> expected = {
      {"Kick 2", 100, 50, false, false,
       {{"Kick 2 (Track01-2)", true, Base64Pcm(kick2), 30001}, {"Kick (Track01-1)", false, Base64Pcm(kick), 50000}}},
      {"\uff76\uff9e\uff80\uff70", 120, 20, true, false,
       {{"\uff76\uff9e\uff80\uff70 (Track03-1)", true, Base64Pcm(kana), 20000}}},
      {"Caf\u00e9", 0, 100, false, false, {{"Caf\u00e9 (Track05-1)", true, Base64Pcm(cafe), 1000}}},
      {"Track16-4", 100, 50, false, true, {{"Track16-4", true, Base64Pcm(blank), 1000}}},
      {"Master takes", 100, 50, true, false,
       {{"Final (Master1)", true, Base64Pcm(finalLeft, &finalRight), 40000},
        {"Alt (Master2)", false, Base64Pcm(altLeft, &altRight), 300}}},
  };
  // openDAW orders the tracks' units before its output unit.
  ASSERT_EQ(units.size(), expected.size() + 1) << units.dump().substr(0, 2000);
  for (size_t i = 0; i < expected.size(); ++i) ExpectUnit(units[i], expected[i]);
  EXPECT_EQ(units.back()["name"], "Master");
  EXPECT_TRUE(units.back()["regions"].empty());
}

TEST(OpenDawImport, ASongOfMasterTakesAloneIsHeard) {
  TempFolder disk;
  const fs::path song = disk / "masters", file = disk / "masters.dawproject";
  fs::create_directories(song);
  WriteProjectInfo(song, "Masters");
  WriteTake(song / "TRACKL_3.DAT", "Mix", Ramp(100));
  WriteTake(song / "TRACKR_3.DAT", "Mix", Ramp(90, 9));
  ASSERT_EQ(RunCommand(std::string(TP_CLI_PATH) + " session " + Quoted(song.string()) + " " + Quoted(file.string()))
                .status,
            0);
  const json imported = ImportWithOpenDaw(file);
  ASSERT_FALSE(imported.is_null());
  const auto left = Ramp(100), right = Ramp(90, 9);
  ASSERT_EQ(imported["units"].size(), 2u);
  ExpectUnit(imported["units"][0],
             {"Master takes", 100, 50, false, false, {{"Mix (Master4)", true, Base64Pcm(left, &right), 100}}});
}

}  // namespace
}  // namespace tp
