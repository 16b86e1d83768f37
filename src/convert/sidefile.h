// A file written beside its target under a hidden name and renamed over the
// target only when it is complete. Until commit() the target is untouched;
// a SideFile that is not committed removes what it wrote.
#pragma once

#include <filesystem>

namespace tp {

class SideFile {
 public:
  explicit SideFile(const std::filesystem::path& target);
  ~SideFile();  // removes the side file unless committed
  SideFile(const SideFile&) = delete;
  SideFile& operator=(const SideFile&) = delete;

  const std::filesystem::path& path() const { return side_; }
  const std::filesystem::path& target() const { return target_; }
  // Renames the side file over the target; false (side file removed) when
  // that fails.
  bool commit();

 private:
  std::filesystem::path target_, side_;
  bool committed_ = false;
};

}  // namespace tp
