#include "storage/sha256.h"

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <openssl/evp.h>

#include "storage/filehandle.h"

namespace tp {

struct Sha256::Context {
  EVP_MD_CTX* digest = nullptr;
  Context() : digest(EVP_MD_CTX_new()) { EVP_DigestInit_ex(digest, EVP_sha256(), nullptr); }
  ~Context() { EVP_MD_CTX_free(digest); }
};

Sha256::Sha256() : context_(std::make_unique<Context>()) {}
Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&&) noexcept = default;
Sha256& Sha256::operator=(Sha256&&) noexcept = default;

void Sha256::Update(const void* bytes, size_t count) {
  if (count > 0) EVP_DigestUpdate(context_->digest, bytes, count);
}

std::string Sha256::HexDigest() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(context_->digest, digest, &length);
  EVP_DigestInit_ex(context_->digest, EVP_sha256(), nullptr);
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += digits[digest[i] >> 4];
    text += digits[digest[i] & 15];
  }
  return text;
}

Status HashFile(const std::filesystem::path& file, const char* readFailure, std::string& hexDigest, int64_t& size) {
  FileHandle handle = FileHandle::Open(file, O_RDONLY);
  if (!handle.valid()) return Status::Fail(readFailure, file, errno);
  Sha256 sum;
  std::vector<uint8_t> block(1 << 20);
  size = 0;
  for (;;) {
    const ssize_t got = handle.Read(block.data(), block.size());
    if (got < 0) return Status::Fail(readFailure, file, errno);
    if (got == 0) break;
    sum.Update(block.data(), size_t(got));
    size += got;
  }
  hexDigest = sum.HexDigest();
  return Status::Ok();
}

}  // namespace tp
