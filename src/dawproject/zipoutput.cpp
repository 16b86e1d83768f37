#include "dawproject/zipoutput.h"

#include <algorithm>
#include <cerrno>

namespace tp {

namespace {
// Gathered into writes of 1 MiB; the write-back starts every 8 MiB.
constexpr size_t WriteBytes = 1 << 20;
constexpr uint64_t WriteBackBytes = 8 << 20;
}  // namespace

ZipOutput::ZipOutput(SafeFile& file, const char* writeFailure) : file_(file), writeFailure_(writeFailure) {
  zip_error_init(&error_);
  buffer_.reserve(WriteBytes);
}

ZipOutput::~ZipOutput() { zip_error_fini(&error_); }

zip_source_t* ZipOutput::Source() { return zip_source_function_create(&ZipOutput::callback, this, nullptr); }

zip_int64_t ZipOutput::fail(int zipError, int systemError) {
  zip_error_set(&error_, zipError, systemError);
  if (failure_.ok()) failure_ = Status::Fail(writeFailure_, file_.target(), systemError);
  return -1;
}

bool ZipOutput::flush() {
  if (buffer_.empty()) return true;
  if (!file_.handle().WriteAt(buffer_.data(), buffer_.size(), bufferStart_)) return false;
  sinceWriteBack_ += buffer_.size();
  bufferStart_ += int64_t(buffer_.size());
  buffer_.clear();
  if (sinceWriteBack_ >= WriteBackBytes) {
    file_.StartWriteBack();
    sinceWriteBack_ = 0;
  }
  return true;
}

zip_int64_t ZipOutput::write(const void* data, zip_uint64_t length) {
  // A write elsewhere than after the gathered bytes (a local header being
  // patched) first writes them out.
  if (position_ != bufferStart_ + int64_t(buffer_.size())) {
    if (!flush()) return fail(ZIP_ER_WRITE, errno);
    bufferStart_ = position_;
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  buffer_.insert(buffer_.end(), bytes, bytes + length);
  position_ += int64_t(length);
  end_ = std::max(end_, position_);
  if (buffer_.size() >= WriteBytes && !flush()) return fail(ZIP_ER_WRITE, errno);
  return zip_int64_t(length);
}

zip_int64_t ZipOutput::seek(void* data, zip_uint64_t length) {
  const auto* args = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &error_);
  if (args == nullptr) return -1;
  const int64_t base = args->whence == SEEK_SET ? 0 : args->whence == SEEK_CUR ? position_ : end_;
  if (base + args->offset < 0) return fail(ZIP_ER_INVAL, EINVAL);
  position_ = base + args->offset;
  return 0;
}

zip_int64_t ZipOutput::callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto& output = *static_cast<ZipOutput*>(state);
  switch (command) {
    case ZIP_SOURCE_SUPPORTS: return ZIP_SOURCE_SUPPORTS_WRITABLE;
    // There is no archive to read: the file is new (libzip then starts an
    // empty one rather than reading it).
    case ZIP_SOURCE_STAT: zip_error_set(&output.error_, ZIP_ER_READ, ENOENT); return -1;
    case ZIP_SOURCE_ERROR: return zip_error_to_data(&output.error_, data, length);
    case ZIP_SOURCE_BEGIN_WRITE: output.position_ = output.end_ = output.bufferStart_ = 0; return 0;
    case ZIP_SOURCE_WRITE: return output.write(data, length);
    case ZIP_SOURCE_SEEK_WRITE: return output.seek(data, length);
    case ZIP_SOURCE_TELL_WRITE: return output.position_;
    case ZIP_SOURCE_COMMIT_WRITE: return output.flush() ? 0 : output.fail(ZIP_ER_WRITE, errno);
    // What was written is discarded with the side file by the caller.
    case ZIP_SOURCE_ROLLBACK_WRITE: output.buffer_.clear(); return 0;
    default: return 0;  // open, read, close, seek, tell, remove, free: nothing to read or remove
  }
}

}  // namespace tp
