// Choosing the sound output by a part of its name, and where that name comes
// from: the command line first, then the environment.
#include <gtest/gtest.h>

#include "playback/outputdevicechoice.h"

namespace tp {
namespace {

const std::vector<std::string> devices = {
    "HDA Intel PCH: ALC257 Analog (hw:0,0)",
    "HDA Intel PCH: HDMI 0 (hw:0,3)",
    "USB Audio CODEC: - (hw:1,0)",
    "pulse",
    "default",
};

TEST(OutputDeviceChoice, TheFirstNameHoldingThePartWinsInAnyLetterCase) {
  struct Case {
    const char* wanted;
    std::optional<size_t> chosen;
  } cases[] = {
      {"HDA Intel", 0},       // two match: the first in the listed order
      {"hdmi", 1},            // letter case does not matter
      {"usb audio", 2},
      {"(hw:1,0)", 2},        // any part of the name, punctuation included
      {"default", 4},
      {"PULSE", 3},
      {"Intel PCH: ALC257 Analog (hw:0,0) ", std::nullopt},  // longer than the name
      {"jack", std::nullopt},
      {"", std::nullopt},     // nothing asked: the caller takes the default
  };
  for (const auto& c : cases) EXPECT_EQ(MatchOutputDevice(devices, c.wanted), c.chosen) << c.wanted;
  EXPECT_EQ(MatchOutputDevice({}, "pulse"), std::nullopt);
}

TEST(OutputDeviceChoice, TheOptionOverridesTheEnvironmentEvenWhenEmpty) {
  EXPECT_EQ(RequestedOutputDevice(std::nullopt, nullptr), "");
  EXPECT_EQ(RequestedOutputDevice(std::nullopt, "USB"), "USB");
  EXPECT_EQ(RequestedOutputDevice(std::string("hdmi"), "USB"), "hdmi");
  EXPECT_EQ(RequestedOutputDevice(std::string(), "USB"), "");
}

TEST(OutputDeviceChoice, TheProcessEnvironmentIsRead) {
  ASSERT_EQ(setenv(AudioDeviceVariable, "Codec", 1), 0);
  EXPECT_EQ(RequestedOutputDevice(), "Codec");
  EXPECT_EQ(RequestedOutputDevice(std::string("pulse")), "pulse");
  ASSERT_EQ(unsetenv(AudioDeviceVariable), 0);
  EXPECT_EQ(RequestedOutputDevice(), "");
}

}  // namespace
}  // namespace tp
