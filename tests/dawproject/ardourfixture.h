// Ardour's own headless tools as the readers of the sessions we write:
// ardour7-lua loads a session and lists what Ardour made of it
// (ardour_list.lua), ardour7-export renders it as Ardour would.
#pragma once

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/runcommand.h"
#include "support/sndfileio.h"

namespace tp::test {

struct ArdourRoute {
  std::string name, flags, playlist;
  int inputs = 0;
  double gain = 0, trim = 0, azimuth = -1, width = -1;
  bool muted = false, soloed = false;
};

struct ArdourPlaylist {
  std::string route, name;
  bool used = false;
  int regions = 0, channels = 0;
  long long position = -1, length = -1;
};

struct ArdourListing {
  bool complete = false;  // the list ran to its end
  std::string output;     // everything the tool printed, for a failure
  std::vector<ArdourRoute> routes;
  std::vector<ArdourPlaylist> playlists;
  long long rangeStart = -1, rangeEnd = -1;
};

inline std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  return fields;
}

inline double NumberOr(const std::string& text, double otherwise) { return text == "-" ? otherwise : std::stod(text); }

// Loads the session in `folder` (named as the folder) with ardour7-lua.
inline ArdourListing ListWithArdour(const std::filesystem::path& folder) {
  ArdourListing listing;
  const CommandOutput run = RunCommand("ardour7-lua " + Quoted(std::string(TP_SESSION_TEST_DIR) + "/ardour_list.lua") +
                                       " " + Quoted(folder.string()) + " " + Quoted(folder.filename().string()));
  listing.output = run.out;
  std::stringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    const std::vector<std::string> f = SplitTabs(line);
    if (f.size() == 11 && f[0] == "route") {
      listing.routes.push_back({f[1], f[2], f[10], std::stoi(f[3]), std::stod(f[4]), std::stod(f[5]),
                                NumberOr(f[6], -1), NumberOr(f[7], -1), f[8] == "1", f[9] == "1"});
    } else if (f.size() == 8 && f[0] == "playlist") {
      listing.playlists.push_back({f[1], f[2], f[3] == "1", std::stoi(f[4]), int(NumberOr(f[7], 0)),
                                   (long long)NumberOr(f[5], -1), (long long)NumberOr(f[6], -1)});
    } else if (f.size() == 3 && f[0] == "range") {
      listing.rangeStart = std::stoll(f[1]);
      listing.rangeEnd = std::stoll(f[2]);
    } else if (line == "end") {
      listing.complete = run.status == 0;
    }
  }
  return listing;
}

// Interleaved float samples as libsndfile reads them (a float file as it is).
inline std::vector<float> ReadFloats(const std::filesystem::path& path, int& channels) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return {};
  std::vector<float> samples(size_t(info.frames) * size_t(info.channels));
  sf_readf_float(file, samples.data(), info.frames);
  sf_close(file);
  channels = info.channels;
  return samples;
}

// Whether two renders are the same but for the float mixer's own noise:
// its threads may add the tracks in another order, a few ten-thousandths
// of a 16-bit step; a render that started late or stopped early differs by
// whole samples.
inline bool RendersAgree(const std::vector<float>& a, const std::vector<float>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::abs(double(a[i]) - double(b[i])) * 32768 > 0.01) return false;
  return true;
}

// Ardour's render of the session in `folder` as 32-bit float. Ardour 7.3's
// exporter now and then stops early or starts late on a short session, so
// it renders until two renders agree, at most six times; empty when none
// did (`log` then says what each render was). A render that hangs (it
// takes about two seconds here) is ended after 15 and counts as a failed
// one, so that a hang is one more try rather than the test's time limit.
inline std::vector<float> RenderWithArdour(const std::filesystem::path& folder, const std::filesystem::path& scratch,
                                           std::string& log) {
  std::vector<std::vector<float>> renders;
  for (int attempt = 0; attempt < 6; ++attempt) {
    const std::filesystem::path wav = scratch / ("render" + std::to_string(attempt) + ".wav");
    const CommandOutput run = RunCommand("timeout -k 5 15 ardour7-export -b float -o " + Quoted(wav.string()) + " " +
                                         Quoted(folder.string()) + " " + Quoted(folder.filename().string()));
    log += run.out;
    int channels = 0;
    std::vector<float> samples = run.status == 0 ? ReadFloats(wav, channels) : std::vector<float>{};
    log += "render " + std::to_string(attempt) + ": " + std::to_string(samples.size() / 2) + " frames\n";
    if (samples.empty() || channels != 2) continue;
    for (const std::vector<float>& earlier : renders)
      if (RendersAgree(earlier, samples)) return samples;
    renders.push_back(std::move(samples));
  }
  return {};
}

}  // namespace tp::test
