// An owned C stdio file, closed when it goes out of scope. Code that must know
// whether the close succeeded (a write that is not done until it reached the
// disk) releases it and closes it itself.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>

namespace tp {

struct CFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using CFile = std::unique_ptr<std::FILE, CFileCloser>;

inline CFile OpenCFile(const std::filesystem::path& path, const char* mode) {
  return CFile(std::fopen(path.c_str(), mode));
}

}  // namespace tp
