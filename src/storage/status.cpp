#include "storage/status.h"

#include <cstring>

#include "storage/filehandle.h"

namespace tp {

bool Status::Is(const char* message) const {
  return message_ != nullptr && message != nullptr && std::strcmp(message_, message) == 0;
}

std::string Status::Detail() const {
  if (systemError_ == NotRegularFileError)
    return file_.empty() ? "not a regular file" : file_.string() + " is not a regular file.";
  std::string detail = file_.string();
  if (!reason_.empty()) return detail.empty() ? reason_ : detail + " (" + reason_ + ")";
  if (systemError_ != 0) {
    const std::string reason = std::strerror(systemError_);
    detail = detail.empty() ? reason : detail + " (" + reason + ")";
  }
  return detail;
}

std::string Status::Text() const {
  if (ok()) return {};
  const std::string detail = Detail();
  return detail.empty() ? std::string(message_) : std::string(message_) + ": " + detail;
}

}  // namespace tp
