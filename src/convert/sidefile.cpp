#include "convert/sidefile.h"

#include <system_error>
#include <unistd.h>

namespace tp {

namespace fs = std::filesystem;

SideFile::SideFile(const fs::path& target) : target_(target) {
  // A leading dot keeps it out of listings and out of the take file pattern;
  // the process id keeps two programs working on one folder apart.
  std::string name = ".";
  name += target.filename().string();
  name += ".part-";
  name += std::to_string(::getpid());
  side_ = target.parent_path() / name;
}

SideFile::~SideFile() {
  if (committed_) return;
  std::error_code error;
  fs::remove(side_, error);
}

bool SideFile::commit() {
  std::error_code error;
  fs::rename(side_, target_, error);
  if (error) return false;
  committed_ = true;
  return true;
}

}  // namespace tp
