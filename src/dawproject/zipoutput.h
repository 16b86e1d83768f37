// The write side of a ZIP that libzip builds: a libzip source over a
// SafeFile's side file. libzip writes its entries in small pieces and goes
// back to patch each local header; the pieces are gathered into large
// writes, and the disk's write-back is started as the file grows, as every
// writer of ours does.
#pragma once

#include <cstdint>
#include <vector>

#include <zip.h>

#include "storage/safefile.h"
#include "storage/status.h"

namespace tp {

class ZipOutput {
 public:
  // `writeFailure`: the program's text for a write that failed.
  ZipOutput(SafeFile& file, const char* writeFailure);
  ~ZipOutput();
  // A source for zip_open_from_source; this object must outlive the zip.
  zip_source_t* Source();
  // The first write that failed, with the file and the system's reason.
  const Status& failure() const { return failure_; }

 private:
  static zip_int64_t callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command);
  zip_int64_t write(const void* data, zip_uint64_t length);
  zip_int64_t seek(void* data, zip_uint64_t length);
  bool flush();
  zip_int64_t fail(int zipError, int systemError);

  SafeFile& file_;
  const char* writeFailure_;
  std::vector<uint8_t> buffer_;  // the bytes from bufferStart_ on, not yet written
  int64_t bufferStart_ = 0, position_ = 0, end_ = 0;
  uint64_t sinceWriteBack_ = 0;
  zip_error_t error_;
  Status failure_;
};

}  // namespace tp
