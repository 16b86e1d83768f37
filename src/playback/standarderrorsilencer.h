// Runs a call with standard error pointed at /dev/null.
//
// PortAudio's host APIs, ALSA above all, print their probing of every
// configured device to standard error when PortAudio starts or opens a
// stream ("Unknown PCM cards.pcm.rear", JACK server not running, ...). None
// of it concerns the user.
#pragma once

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace tp {

template <typename Call>
auto WithStandardErrorSilenced(Call call) {
  std::fflush(stderr);
  const int saved = ::dup(STDERR_FILENO);
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (saved >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
  if (null >= 0) ::close(null);
  auto result = call();
  if (saved >= 0) {
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
  }
  return result;
}

}  // namespace tp
