// Which sound output to play on. The user names a device by a part of its
// name (as `trackporter-cli devices` lists them), on the command line or in
// TRACKPORTER_AUDIO_DEVICE; nothing named means the system's default output.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tp {

constexpr const char* AudioDeviceVariable = "TRACKPORTER_AUDIO_DEVICE";

// The name asked for: the command-line option when given (even empty, which
// asks for the default), else the environment's value, else empty.
std::string RequestedOutputDevice(const std::optional<std::string>& option, const char* environmentValue);

// The same with the process's own environment.
std::string RequestedOutputDevice(const std::optional<std::string>& option = std::nullopt);

// The first name, in the order given, that contains `wanted` without regard
// to ASCII letter case; nothing when `wanted` is empty or nothing matches.
std::optional<size_t> MatchOutputDevice(const std::vector<std::string>& names, std::string_view wanted);

}  // namespace tp
