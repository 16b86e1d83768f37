// The libraries the program is built on, each with the version it runs
// with (asked of the library itself where it can tell, so that the About box
// names the one actually loaded, not the one the build saw).
#pragma once

#include <string>
#include <vector>

namespace tp {

struct LibraryVersion {
  std::string name;
  std::string version;  // empty when the library cannot say
};

// PortAudio, libsndfile, libsoxr, libzip, OpenSSL's libcrypto and
// nlohmann-json, in that order. The window adds Qt.
std::vector<LibraryVersion> LibraryVersions();

}  // namespace tp
