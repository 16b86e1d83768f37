// Rewrites an archive's manifest and its line in SHA256SUMS together, as a
// tool that edits both would: what restore must still refuse on the
// manifest's contents alone.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "storage/sha256.h"

namespace tp::test {

inline void RewriteManifestAndSum(const std::filesystem::path& archiveFolder, const std::string& text) {
  std::ofstream(archiveFolder / "trackporter.json", std::ios::trunc | std::ios::binary) << text;
  Sha256 sum;
  sum.Update(text.data(), text.size());
  const std::string digest = sum.HexDigest();
  std::ifstream in(archiveFolder / "SHA256SUMS");
  std::stringstream lines;
  for (std::string line; std::getline(in, line);)
    lines << (line.size() > 64 && line.substr(64) == "  trackporter.json" ? digest + "  trackporter.json" : line)
          << "\n";
  in.close();
  std::ofstream(archiveFolder / "SHA256SUMS", std::ios::trunc) << lines.str();
}

}  // namespace tp::test
