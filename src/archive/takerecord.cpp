#include "archive/takerecord.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>

#include "audiofile/takefile.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "storage/sha256.h"

namespace tp {

uint32_t TakeFileRecord::Samples() const { return uint32_t(TakeLengthFromFileSize(size)); }

std::vector<uint8_t> TakeFileRecord::HeaderBytes() const {
  std::vector<uint8_t> bytes(size_t(std::min(size, TakeHeaderSize)), 0);
  for (const HeaderRun& run : header) {
    if (run.offset < 0 || run.offset >= int64_t(bytes.size())) continue;
    const size_t fits = std::min(run.bytes.size(), bytes.size() - size_t(run.offset));
    std::copy_n(run.bytes.begin(), fits, bytes.begin() + run.offset);
  }
  return bytes;
}

std::vector<HeaderRun> NonZeroRuns(const uint8_t* bytes, size_t count) {
  std::vector<HeaderRun> runs;
  size_t i = 0;
  while (i < count) {
    if (bytes[i] == 0) {
      ++i;
      continue;
    }
    HeaderRun run;
    run.offset = int64_t(i);
    while (i < count && bytes[i] != 0) run.bytes.push_back(bytes[i++]);
    runs.push_back(std::move(run));
  }
  return runs;
}

Status DescribeTakeFile(const std::filesystem::path& path, TakeFileRecord& record) {
  FileHandle handle = FileHandle::Open(path, O_RDONLY);
  if (!handle.valid()) return Status::Fail(messages::TakeNotOpened, path, errno);
  record.file = path.filename().string();
  Sha256 sum;
  std::vector<uint8_t> header(static_cast<size_t>(TakeHeaderSize));
  const ssize_t headerBytes = handle.Read(header.data(), header.size());
  if (headerBytes < 0) return Status::Fail(messages::TakeNotRead, path, errno);
  sum.Update(header.data(), size_t(headerBytes));
  record.header = NonZeroRuns(header.data(), size_t(headerBytes));
  record.headerKnown = true;
  int64_t size = headerBytes;
  uint8_t last = 0;
  std::vector<uint8_t> block(1 << 20);
  for (;;) {
    const ssize_t got = handle.Read(block.data(), block.size());
    if (got < 0) return Status::Fail(messages::TakeNotRead, path, errno);
    if (got == 0) break;
    sum.Update(block.data(), size_t(got));
    size += got;
    last = block[size_t(got) - 1];
  }
  record.size = size;
  record.sha256 = sum.HexDigest();
  record.tail.reset();
  if (size > TakeHeaderSize && (size - TakeHeaderSize) % 2 == 1) record.tail = last;
  return Status::Ok();
}

std::string HexText(const uint8_t* bytes, size_t count) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * count);
  for (size_t i = 0; i < count; ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 15];
  }
  return text;
}

bool BytesFromHex(const std::string& text, std::vector<uint8_t>& bytes) {
  auto value = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  if (text.size() % 2 != 0) return false;
  bytes.clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = value(text[i]), low = value(text[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes.push_back(uint8_t(high << 4 | low));
  }
  return true;
}

}  // namespace tp
