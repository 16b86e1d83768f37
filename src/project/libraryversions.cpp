#include "project/libraryversions.h"

#include <nlohmann/json.hpp>
#include <openssl/crypto.h>
#include <portaudio.h>
#include <sndfile.h>
#include <soxr.h>
#include <zip.h>

namespace tp {

namespace {

// "libsndfile-1.2.0" → "1.2.0"
std::string afterLastDash(const char* text) {
  const std::string whole = text != nullptr ? text : "";
  const size_t dash = whole.rfind('-');
  return dash == std::string::npos ? whole : whole.substr(dash + 1);
}

std::string portAudioVersion() {
  const PaVersionInfo* info = Pa_GetVersionInfo();
  if (info == nullptr) return {};
  return std::to_string(info->versionMajor) + "." + std::to_string(info->versionMinor) + "." +
         std::to_string(info->versionSubMinor);
}

}  // namespace

std::vector<LibraryVersion> LibraryVersions() {
  return {
      {"PortAudio", portAudioVersion()},
      {"libsndfile", afterLastDash(sf_version_string())},
      {"libsoxr", soxr_version() != nullptr ? afterLastDash(soxr_version()) : std::string()},
      {"libzip", zip_libzip_version() != nullptr ? zip_libzip_version() : ""},
      {"OpenSSL libcrypto", afterLastDash(OpenSSL_version(OPENSSL_VERSION_STRING))},
      // A header-only library: the version the program was built with.
      {"nlohmann-json", std::to_string(NLOHMANN_JSON_VERSION_MAJOR) + "." + std::to_string(NLOHMANN_JSON_VERSION_MINOR) +
                            "." + std::to_string(NLOHMANN_JSON_VERSION_PATCH)},
  };
}

}  // namespace tp
