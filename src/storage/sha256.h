// SHA-256 of what the program writes and reads back, from OpenSSL's libcrypto:
// an archive is checked against these sums years later by other tools, so
// they must be the standard ones, computed by a library that is maintained
// (and uses the processor's SHA instructions where it has them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "storage/status.h"

namespace tp {

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(Sha256&&) noexcept;
  Sha256& operator=(Sha256&&) noexcept;
  void Update(const void* bytes, size_t count);
  // The digest as 64 lowercase hexadecimal digits, as sha256sum prints it.
  // The object starts over afterwards.
  std::string HexDigest();

 private:
  struct Context;
  std::unique_ptr<Context> context_;
};

// Reads `file` through the file layer and gives its digest and size.
// `readFailure` is the program's text for a file that cannot be read.
Status HashFile(const std::filesystem::path& file, const char* readFailure, std::string& hexDigest, int64_t& size);

}  // namespace tp
