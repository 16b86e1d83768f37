// The computer's sound outputs through PortAudio.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "playback/outputdevicechoice.h"
#include "playback/sounddevice.h"

namespace tp {

struct OutputDeviceInfo {
  int index;            // PortAudio's device index
  std::string name;     // as PortAudio reports it
  std::string hostApi;  // "ALSA", "JACK Audio Connection Kit", ...
  int channels;         // output channels
  bool isDefault;       // the default output of the default host API
};

// Every device with an output, in PortAudio's order. Starts PortAudio for the
// listing and stops it again; empty when there is no sound system at all.
std::vector<OutputDeviceInfo> ListOutputDevices();

// With PortAudio started: the device `wanted` names (MatchOutputDevice over
// the outputs, in PortAudio's order), the default output when `wanted` is
// empty; paNoDevice (-1) when there is none.
int FindPortAudioOutput(const std::string& wanted);

// A device on the output `wanted` names, or on the default output of
// PortAudio's default host API. On a machine without that output its Open
// fails, and the stream then stays silent.
std::unique_ptr<SoundDevice> MakePortAudioDevice(std::string wanted = RequestedOutputDevice());

}  // namespace tp
