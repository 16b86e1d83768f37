// The computer's default sound output through PortAudio.
#pragma once

#include <memory>

#include "playback/sounddevice.h"

namespace tp {

// A device on the default output of PortAudio's default host API. On a
// machine without sound output its Open fails, and the stream then stays
// silent.
std::unique_ptr<SoundDevice> MakePortAudioDevice();

}  // namespace tp
